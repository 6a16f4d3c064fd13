#include "core/io/wave_header.h"

#include <cstring>

#include "core/io/binary_file.h"

namespace vox {

void make_wave_header(unsigned char h[44], std::uint32_t rate, std::uint32_t data_bytes) {
    constexpr std::uint16_t kTagPcm = 1;
    std::memcpy(h, "RIFF", 4);
    put_u32le(h + 4, data_bytes + 36);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put_u32le(h + 16, 16);
    put_u16le(h + 20, kTagPcm);
    put_u16le(h + 22, 1);
    put_u32le(h + 24, rate);
    put_u32le(h + 28, rate * 2);
    put_u16le(h + 32, 2);
    put_u16le(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put_u32le(h + 40, data_bytes);
}

}  // namespace vox
