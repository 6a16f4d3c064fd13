#pragma once
// RIFF WAVE files: the chunk walker and the reader of the open chain (the
// 16-bit mono PCM header the document writes is core/io/wave_header.h).

#include <cstdint>
#include <string>

#include "core/formats/read_context.h"
#include "core/io/wave_header.h"

namespace vox {

class BinaryFile;

// The fields of a "fmt " chunk the reader uses.
struct WaveFormat {
    std::uint16_t format_tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samples_per_sec = 0;
    std::uint32_t avg_bytes_per_sec = 0;
    std::uint16_t block_align = 0;
    std::uint16_t bits_per_sample = 0;
    std::uint16_t extra_size = 0;
    // WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE) extension, when present.
    bool extensible = false;
    std::uint16_t valid_bits = 0;
    std::uint32_t channel_mask = 0;
    unsigned char sub_format[16] = {};
    std::uint32_t fmt_size = 0;  // the "fmt " chunk's size as stored
};

struct WaveChunks {
    WaveFormat format;
    bool have_format = false;
    std::uint64_t data_offset = 0;
    std::uint64_t data_bytes = 0;      // bytes of the data chunk inside the file
    // The data size the header gives: the 32-bit size, or the 64-bit size of
    // an RF64 file's "ds64" chunk when the 32-bit size is all ones.
    std::uint64_t declared_data_bytes = 0;
    // A 32-bit data size of all ones without a "ds64" chunk: the size was not
    // known when the file was written, and the data runs to the end of the
    // file (also the way files beyond 4 GiB are written as plain RIFF).
    bool size_open = false;
    bool rf64 = false;  // "RF64" or "BW64" in place of "RIFF"
    // "RIFF" (or "RF64", "BW64") and "WAVE": the file says it is a WAV file.
    bool recognised = false;
};

class CWave {
public:
    // Walks the chunks; 0 when a "data" chunk was found, −1 otherwise.
    int walk_chunks(BinaryFile& file, WaveChunks& out) const;

    int buffer_size = 8192;
    double rate = 11025.0;
    int flag_a = 1, flag_b = 1;
};

// Open-chain reader (order 14).
ReadResult read_wav(ReadContext& ctx, BinaryFile& file, Recording& rec);

}  // namespace vox
