#pragma once
// One time-aligned label and the 60-byte logical-font record it carries.
// Both are plain records: copying copies every byte.

#include <cstdint>
#include <cstring>
#include <string>

namespace vox {

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The narrow-character logical font in its 60-byte file form.
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strike_out = 0;
    std::uint8_t char_set = 0;
    std::uint8_t out_precision = 0;
    std::uint8_t clip_precision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitch_and_family = 0;
    char face_name[32] = {};

    static constexpr std::size_t kFileSize = 60;
    void to_bytes(unsigned char* out, bool big_endian = false) const;
    static LogFont from_bytes(const unsigned char* in, bool big_endian = false);
    bool operator==(const LogFont& o) const { return std::memcmp(this, &o, sizeof(LogFont)) == 0; }

    // The platform's default GUI font (8-point sans serif, height −11 px).
    static LogFont default_gui_font();
};

// Colours are 0x00BBGGRR words.
using ColorRef = std::uint32_t;
constexpr ColorRef make_rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned red_of(ColorRef c) { return c & 0xFF; }
constexpr unsigned green_of(ColorRef c) { return (c >> 8) & 0xFF; }
constexpr unsigned blue_of(ColorRef c) { return (c >> 16) & 0xFF; }

struct LABEL {
    char text[256] = {};
    std::int32_t align = 0;  // 0 text starts at time_ms, 1 centred on it, 2 ends there
    LogFont font;
    ColorRef color = 0;
    double time_ms = 0.0;
    double placement = 0.0;  // 0.7 for labels placed in the view, 0 for old files
    Rect rect;
    bool add_line = false;

    std::string text_string() const { return std::string(text, strnlen(text, sizeof text)); }
    void set_text(const std::string& s) {
        std::memset(text, 0, sizeof text);
        std::memcpy(text, s.data(), s.size() < sizeof text ? s.size() : sizeof text - 1);
    }
    bool operator==(const LABEL& o) const;
};

}  // namespace vox
