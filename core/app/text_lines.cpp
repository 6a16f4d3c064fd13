// Buffered fixed-notation number lines.

#include "core/app/text_lines.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace vox {

char* TextLines::room(std::size_t n) {
    if (used_ + n > buf_.size()) {
        flush();
        if (n > buf_.size()) buf_.resize(n);
    }
    return buf_.data() + used_;
}

TextLines& TextLines::fixed(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 17);
    // The longest fixed text of a double: sign, 309 integer digits, point,
    // decimals.
    constexpr std::size_t kLongest = 1 + 309 + 1 + 17;
    char* p = room(kLongest);
    const auto r = std::to_chars(p, p + kLongest, value, std::chars_format::fixed, decimals);
    used_ += static_cast<std::size_t>(r.ptr - p);
    return *this;
}

TextLines& TextLines::text(const char* s) {
    const std::size_t n = std::strlen(s);
    std::memcpy(room(n), s, n);
    used_ += n;
    return *this;
}

TextLines& TextLines::put(char c) {
    *room(1) = c;
    ++used_;
    return *this;
}

bool TextLines::flush() {
    if (used_ > 0 && std::fwrite(buf_.data(), 1, used_, out_) != used_) ok_ = false;
    used_ = 0;
    return ok_ && std::fflush(out_) == 0;
}

}  // namespace vox
