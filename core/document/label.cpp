#include "core/document/label.h"

#include "core/io/binary_file.h"

namespace vox {

void LogFont::to_bytes(unsigned char* out, bool big_endian) const {
    const std::int32_t ints[5] = {height, width, escapement, orientation, weight};
    for (int i = 0; i < 5; ++i) {
        const auto u = static_cast<std::uint32_t>(ints[i]);
        for (int b = 0; b < 4; ++b)
            out[i * 4 + b] = static_cast<unsigned char>(u >> (8 * (big_endian ? 3 - b : b)));
    }
    const std::uint8_t bytes[8] = {italic, underline, strike_out, char_set,
                                   out_precision, clip_precision, quality, pitch_and_family};
    std::memcpy(out + 20, bytes, 8);
    std::memcpy(out + 28, face_name, 32);
}

LogFont LogFont::from_bytes(const unsigned char* in, bool big_endian) {
    LogFont f;
    auto rd = [&](int i) { return big_endian ? get_i32be(in + 4 * i) : get_i32le(in + 4 * i); };
    f.height = rd(0);
    f.width = rd(1);
    f.escapement = rd(2);
    f.orientation = rd(3);
    f.weight = rd(4);
    f.italic = in[20];
    f.underline = in[21];
    f.strike_out = in[22];
    f.char_set = in[23];
    f.out_precision = in[24];
    f.clip_precision = in[25];
    f.quality = in[26];
    f.pitch_and_family = in[27];
    std::memcpy(f.face_name, in + 28, 32);
    f.face_name[31] = '\0';
    return f;
}

LogFont LogFont::default_gui_font() {
    LogFont f;
    f.height = -11;
    f.weight = 400;
    std::memcpy(f.face_name, "Sans Serif", 11);
    return f;
}

bool LABEL::operator==(const LABEL& o) const {
    return std::strncmp(text, o.text, sizeof text) == 0 && align == o.align && font == o.font &&
           color == o.color && time_ms == o.time_ms && placement == o.placement && rect == o.rect &&
           add_line == o.add_line;
}

}  // namespace vox
