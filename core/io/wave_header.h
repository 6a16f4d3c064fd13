#pragma once
// The 44-byte header of a 16-bit mono PCM RIFF WAVE file.

#include <cstdint>

namespace vox {

// Builds the header of a file of `data_bytes` bytes of samples at `rate` Hz.
void make_wave_header(unsigned char out[44], std::uint32_t rate, std::uint32_t data_bytes);

}  // namespace vox
