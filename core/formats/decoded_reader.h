#pragma once
// The last reader of the open chain: files none of the program's own readers
// took, offered to the decoder the application handed to the document
// (compressed and container formats: FLAC, Ogg Vorbis, Opus, MP3, RF64, W64,
// CAF, ...). Without a decoder, or when it does not know the file, the
// reader declines and the generic-file question follows as before.

#include "core/formats/read_context.h"

namespace vox {

ReadResult read_decoded(ReadContext& ctx, BinaryFile& file, Recording& rec);

namespace decoded_text {
// The file decoded part of the way: "The file 'x.flac' is damaged: only its
// first 905 ms (14480 samples) could be decoded."
std::string damaged(const std::string& file_name, double ms, std::uint64_t samples);
}  // namespace decoded_text

}  // namespace vox
