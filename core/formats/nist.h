#pragma once
// NIST SPHERE speech-corpus files: a text header ("NIST_1A", its size, one
// field per line up to "end_head") followed by 16-bit PCM or 8-bit µ-law
// samples of one or more interleaved channels.

#include <optional>
#include <string>

#include "core/formats/read_context.h"

namespace vox {

class BinaryFile;

// The header fields the reader uses, as found in the header text.
struct SphereHeader {
    std::optional<long long> sample_rate, channel_count, sample_count, sample_n_bytes;
    std::optional<std::string> sample_byte_format, sample_coding;
};

// Parses the lines from byte 16 of a header on (at most 50 lines of up to
// 300 characters, up to "end_head").
SphereHeader parse_sphere_header(const std::string& header_text);

// Open-chain reader (order 16).
ReadResult read_nist(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
