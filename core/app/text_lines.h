#pragma once
// Long tables of numbers written to a stream in large blocks: a one-hour
// track at a 10 ms step is 360 000 lines, and formatting each through
// printf's arbitrary-precision path costs more than the analysis of a frame.
// Numbers are written in fixed notation with the given decimals, correctly
// rounded from the binary value: the same text printf's "%.Nf" gives.

#include <cstddef>
#include <cstdio>
#include <vector>

namespace vox {

class TextLines {
public:
    explicit TextLines(std::FILE* out) : out_(out), buf_(kBlock) {}
    ~TextLines() { flush(); }
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;

    // `value` with `decimals` digits after the point (0 … 17).
    TextLines& fixed(double value, int decimals);
    TextLines& text(const char* s);
    TextLines& put(char c);
    // Writes what is gathered; false when the stream refused it.
    bool flush();

private:
    static constexpr std::size_t kBlock = 1 << 16;
    // Room for `n` more characters, writing the block out first if needed.
    char* room(std::size_t n);

    std::FILE* out_;
    std::vector<char> buf_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

}  // namespace vox
