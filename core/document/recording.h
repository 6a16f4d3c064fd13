#pragma once
// What a reader loaded from a file: the recording's channels with their
// samples (in memory, or in a raw 16-bit file) and their tiers of labels,
// the channel title of a channel taken from a multichannel file and the
// format's name. The document adopts it whole once the read has succeeded,
// so a read that fails leaves nothing half-written behind.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/document/channels.h"

namespace vox {

// Thrown inside a reader or writer to abandon the operation; the command that
// started it catches it and the document is left as before.
class DocumentAbort : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The person cancelled a long read or write through the progress window:
// abandoned like a failure, but without a failure report.
class DocumentCancelled : public DocumentAbort {
public:
    DocumentCancelled() : DocumentAbort("cancelled") {}
};

// Where channel 0's samples lie when its block is null: 16-bit little-endian
// samples `stride` bytes apart from byte `offset` of `path`.
struct SampleFile {
    std::string path;
    std::uint64_t offset = 0;
    std::uint32_t stride = 2;
    // The recording's own file, read in place: the document never writes,
    // replaces or removes it.
    bool borrowed = false;
};

struct Recording {
    std::array<CChannels, kMaxChannels> channels;
    std::int32_t channel_count = 0;
    // "<file name>::Channel <n>" for one channel of a multichannel file.
    std::string channel_title;
    std::int32_t has_channel_title = 0;
    // Channel 0's samples when its block is null; no path: none.
    SampleFile sample_file;
    // Read from a format other than the native one (a save asks for a name).
    bool foreign = false;
    // The format's name when the reader names it itself (a decoded file's
    // "FLAC ..."); empty: the open chain's name for the reader.
    std::string format_name;
};

}  // namespace vox
