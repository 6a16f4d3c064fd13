// Buffered number lines against printf's text for the same values, across
// block boundaries.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "core/app/text_lines.h"

namespace vox {
namespace {

std::string printf_text(const char* format, double v) {
    char b[400];
    std::snprintf(b, sizeof b, format, v);
    return b;
}

std::string read_all(std::FILE* f) {
    std::rewind(f);
    std::string s;
    char b[4096];
    for (std::size_t n; (n = std::fread(b, 1, sizeof b, f)) > 0;) s.append(b, n);
    return s;
}

TEST(TextLines, WritesWhatPrintfWritesForTheSameValues) {
    std::vector<double> values = {0.0,    -0.0,   0.005, 0.015,  0.125, 0.375,  1.005,   2.675,  -2.675,
                                  1e-300, 1e300,  1e22,  123.4565, 99.995, -99.995, 4.35, 0.045,
                                  std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 g(5);
    std::uniform_real_distribution<double> ms(0.0, 3.6e6), hz(-1.0, 600.0);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(ms(g));
        values.push_back(hz(g));
        // Exact ties of the last decimal in binary (k/8) and near-ties.
        values.push_back(std::floor(hz(g)) + 0.125 * (i % 8));
        values.push_back(std::nextafter(std::floor(hz(g)) + 0.005, 1e9));
    }
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::string expected;
    {
        TextLines out(f);
        for (double v : values) {
            out.fixed(v, 3).put('\t').fixed(v, 2).text("\n");
            expected += printf_text("%.3f", v) + "\t" + printf_text("%.2f", v) + "\n";
        }
        EXPECT_TRUE(out.flush());
    }
    // Well past one block, so every block boundary is crossed mid-line.
    ASSERT_GT(expected.size(), 4u << 16);
    EXPECT_EQ(read_all(f), expected);
    std::fclose(f);
}

TEST(TextLines, AStreamThatRefusesTheWriteIsReported) {
    std::FILE* f = std::fopen("/dev/full", "w");
    if (!f) GTEST_SKIP() << "no /dev/full here";
    TextLines out(f);
    out.fixed(1.5, 2).put('\n');
    EXPECT_FALSE(out.flush());
    std::fclose(f);
}

}  // namespace
}  // namespace vox
