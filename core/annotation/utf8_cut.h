#pragma once
// Cutting UTF-8 text to a byte limit without splitting a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace vox {

// At most `limit` bytes of s, never ending inside a UTF-8 sequence (bytes
// that are not UTF-8 are cut where asked).
inline std::string cut_utf8(std::string_view s, std::size_t limit) {
    if (s.size() <= limit) return std::string(s);
    std::size_t n = limit;
    // s[n] is the first byte left out: while it continues a sequence, the
    // sequence it belongs to goes too.
    std::size_t back = 0;
    while (n > 0 && back < 4 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
        --n;
        ++back;
    }
    if (back == 4) n = limit;
    return std::string(s.substr(0, n));
}

}  // namespace vox
