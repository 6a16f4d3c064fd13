// The plot helpers: number formatting, grid spacing, the column extremes of
// the audio band with and without the summary and from the raw file, and the
// bitmap file layout.

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/document/sample_access.h"
#include "gui/plot/bitmap_file.h"
#include "gui/plot/plot_draw.h"
#include "tests/gui/view_fixture.h"
#include "tests/support/test_support.h"

namespace vox::viewtest {
namespace {

TEST(PlotFormat, DecimalsAndNoBlanks) {
    EXPECT_EQ(plot::FormatNumber(3.14159, 2), "3.14");
    EXPECT_EQ(plot::FormatNumber(3.14159, 12), "3.1415900000");
    EXPECT_EQ(plot::FormatNumber(-2.5, 0), "-2");
    EXPECT_EQ(plot::FormatNumber(7, 1), "7.0");
}

TEST(PlotGrid, AutomaticStepAndLines) {
    EXPECT_EQ(plot::AutoGridStep(2000), 75);
    EXPECT_EQ(plot::AutoGridStep(30), 1);
    EXPECT_EQ(plot::AutoGridStep(31), 2);
    EXPECT_EQ(plot::AutoGridStep(1e9), 100000);
    // Given spacing: trunc(range / spacing) + 1 candidates, strictly inside only.
    const auto lines = plot::TimeGridLines(Rect{0, 0, 1000, 100}, 0, 1000, 250);
    ASSERT_EQ(lines.size(), 3u);  // 0 and 1000 fall on the edges
    EXPECT_EQ(lines[0].x, 250);
    EXPECT_EQ(lines[2].value, 750);
    // Automatic spacing reaches the end of the window even from a late start.
    const auto autos = plot::TimeGridLines(Rect{0, 0, 3100, 10}, 50, 3150, 0);
    EXPECT_GE(autos.back().value, 3000);
}

// Time labels never run together, whatever the window's width: lines
// closer than a label carry one only every few steps, at round values.
struct TimeLabelCase {
    int width;  // px
    double start, end, spacing;  // ms; spacing 0 = automatic
};

class PlotTimeLabels : public ::testing::TestWithParam<TimeLabelCase> {};

TEST_P(PlotTimeLabels, KeepApartInsideTheRectangle) {
    app();
    const auto c = GetParam();
    QFont font("Arial");
    font.setPixelSize(12);
    const QFontMetrics fm(font);
    const Rect r{40, 0, 40 + c.width, 100};
    const auto lines = plot::TimeGridLines(r, c.start, c.end, c.spacing);
    ASSERT_FALSE(lines.empty());
    const auto labels = plot::TimeGridLabels(fm, r, lines);
    ASSERT_FALSE(labels.empty());
    const int gap = fm.horizontalAdvance(QLatin1Char('0'));
    int widest = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const auto& l = labels[i];
        widest = std::max(widest, l.width);
        EXPECT_GE(l.left, r.left);
        EXPECT_LE(l.left + l.width, r.right);
        EXPECT_EQ(l.width, fm.horizontalAdvance(l.text));
        if (i > 0) {
            EXPECT_GE(l.left, labels[i - 1].left + labels[i - 1].width + gap) << l.text.toStdString();
        }
    }
    // Each label stands under a line of its value.
    for (const auto& l : labels) {
        const auto it = std::find_if(lines.begin(), lines.end(), [&](const auto& g) { return g.value == l.value; });
        ASSERT_NE(it, lines.end());
        EXPECT_LE(std::abs(l.left + l.width / 2 - it->x), 1);
    }
    // Thinned, not emptied: about as many labels as fit side by side.
    const double line_px = lines.size() > 1 ? double(lines.back().x - lines.front().x) / double(lines.size() - 1) : 1e9;
    if (line_px >= widest + gap + 1)
        EXPECT_GE(labels.size() + 2, lines.size());  // room for all: at most the edge ones are left out
    else
        EXPECT_GE(labels.size(), static_cast<std::size_t>(c.width / (3 * (widest + gap))));
}

INSTANTIATE_TEST_SUITE_P(PlotGrid, PlotTimeLabels,
                         ::testing::Values(TimeLabelCase{150, 0, 3000, 0}, TimeLabelCase{300, 0, 3000, 25},
                                           TimeLabelCase{420, 975, 1350, 0}, TimeLabelCase{600, 0, 2000, 0},
                                           TimeLabelCase{1200, 12345, 98765, 0}, TimeLabelCase{3000, 0, 2000, 0},
                                           TimeLabelCase{200, 0, 10000, 25}));

// Frequency labels under a plot: the one of the last line (11000 Hz of an
// 11025 Hz range, a few pixels inside the right edge) would be cut by the
// window's edge; no label reaches past the plot's right side.
TEST(PlotGrid, FrequencyLabelsStayInsideThePlotsWidth) {
    for (int right : {300, 517, 900}) {
        QImage img(right + 40, 200, QImage::Format_RGB32);
        img.fill(Qt::white);
        const Rect r{40, 10, right, 150};
        {
            QPainter p(&img);
            plot::DrawFrequencyGrid(p, r, 0.0, 11025.0, 1000.0, 0, "Hz", false);
        }
        int labelled_right = -1;  // rightmost black pixel of the label row
        for (int y = r.bottom + 1; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 100) labelled_right = std::max(labelled_right, x);
        EXPECT_GT(labelled_right, r.left + 20) << right;  // labels are drawn
        EXPECT_LE(labelled_right, r.right) << right;
    }
}

// Frequency labels left of a plot (the spectrogram's): the label of a line
// at the top edge stays below the edge, where the window's edge or the
// information bar above cannot cut it, and clear of the label under it.
TEST(PlotGrid, FrequencyLabelsStayBelowThePlotsTop) {
    for (int height : {200, 333, 640}) {
        QImage img(400, height + 80, QImage::Format_RGB32);
        img.fill(Qt::white);
        const Rect r{80, 40, 380, 40 + height};
        {
            QPainter p(&img);
            plot::DrawFrequencyGrid(p, r, 0.0, 11000.0, 1000.0, 1, "Hz", false);
        }
        int top_ink = -1;  // first row with text in the left margin
        for (int y = 0; y < img.height() && top_ink < 0; ++y)
            for (int x = 0; x < r.left - 2; ++x)
                if (qGray(img.pixel(x, y)) < 100) {
                    top_ink = y;
                    break;
                }
        EXPECT_GE(top_ink, r.top) << height;
        EXPECT_LT(top_ink, r.top + 20) << height << ": the top line keeps its label";
    }
}

TEST(PlotAudio, SummaryAndFileGiveTheScanColumns) {
    app();
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<std::int16_t> s(3'000'003);
    for (auto& v : s) v = static_cast<std::int16_t>(d(rng) / (1 + (&v - s.data()) % 5));
    const auto plain = ChannelSamples::memory(s.data(), s.size());
    auto summed = ChannelSamples::memory(s.data(), s.size());
    ASSERT_TRUE(summed.build_summary());
    const std::string path = QDir::tempPath().toStdString() + "/vox_view_plot_raw.bin";
    {
        std::ofstream f(path, std::ios::binary);
        for (auto v : s) {
            const unsigned char b[2] = {static_cast<unsigned char>(v & 0xFF), static_cast<unsigned char>((v >> 8) & 0xFF)};
            f.write(reinterpret_cast<const char*>(b), 2);
        }
    }
    auto file = ChannelSamples::raw_file(path, s.size() + 100);  // a count beyond the file is cut
    ASSERT_EQ(file.count(), s.size());
    ASSERT_TRUE(file.build_summary());
    for (auto [first, last, width] : {std::tuple{0.0, 3'000'003.0, 777}, std::tuple{1234.5, 2'900'000.0, 1000},
                                      std::tuple{10.0, 20000.0, 333}}) {
        const auto a = plot::AudioColumns(plain, first, last, width, 50.0 / 65536);
        const auto b = plot::AudioColumns(summed, first, last, width, 50.0 / 65536);
        const auto c = plot::AudioColumns(file, first, last, width, 50.0 / 65536);
        ASSERT_EQ(a.size(), size_t(width));
        ASSERT_EQ(b.size(), a.size());
        ASSERT_EQ(c.size(), a.size());
        for (size_t i = 0; i < a.size(); ++i) {
            ASSERT_EQ(a[i].high, b[i].high) << i;
            ASSERT_EQ(a[i].low, b[i].low) << i;
            ASSERT_EQ(a[i].high, c[i].high) << i;
            ASSERT_EQ(a[i].low, c[i].low) << i;
        }
    }
    std::remove(path.c_str());
}

TEST(PlotAudio, FewerSamplesThanColumnsAndWindowsPastTheEnd) {
    std::vector<std::int16_t> s = {1000, -1000, 2000};
    const auto src = ChannelSamples::memory(s.data(), s.size());
    // Three samples over ten columns: every column has a sample.
    const auto cols = plot::AudioColumns(src, 0, 3, 10, 1.0);
    ASSERT_EQ(cols.size(), 10u);
    EXPECT_EQ(cols[0].high, 1000);
    EXPECT_EQ(cols[9].high, 2000);
    // A window reaching past the samples stops at the last one.
    EXPECT_EQ(plot::AudioColumns(src, 0, 6, 6, 1.0).size(), 3u);
    std::int16_t lo, hi;
    EXPECT_FALSE(src.min_max(2, 2, lo, hi));
}

struct BitmapCase {
    QImage::Format format;
    int bits;
    std::uint32_t offset;
};
class BitmapLayout : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(BitmapLayout, HeadersTableAndRows) {
    app();
    const auto c = GetParam();
    QImage img(13, 5, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.setPixel(0, 0, qRgb(0, 0, 0));  // top-left black
    img = img.convertToFormat(c.format);
    const auto b = EncodeBitmapFile(img);
    ASSERT_GE(b.size(), 54u);
    auto u32 = [&](size_t o) { return std::uint32_t(b[o] | b[o + 1] << 8 | b[o + 2] << 16 | std::uint32_t(b[o + 3]) << 24); };
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    const std::uint32_t stride = ((c.bits * 13 + 31) / 32) * 4;
    EXPECT_EQ(u32(10), c.offset);
    EXPECT_EQ(u32(2), c.offset + stride * 5);
    EXPECT_EQ(b.size(), u32(2));
    EXPECT_EQ(b[28], c.bits);
    EXPECT_EQ(u32(34), stride * 5);
    if (c.bits == 24) {
        // Bottom-up: the top-left black pixel is in the last row.
        const size_t last = c.offset + stride * 4;
        EXPECT_EQ(b[last], 0);
        EXPECT_EQ(b[c.offset], 255);
    }
    // What Qt reads back is the same picture.
    QImage back;
    ASSERT_TRUE(back.loadFromData(b.data(), int(b.size()), "BMP"));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(back.pixelColor(5, 3), QColor(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(Depths, BitmapLayout,
                         ::testing::Values(BitmapCase{QImage::Format_RGB32, 24, 54},
                                           BitmapCase{QImage::Format_RGB888, 24, 54},
                                           BitmapCase{QImage::Format_Indexed8, 8, 54 + 4 * 256},
                                           BitmapCase{QImage::Format_Mono, 1, 54 + 8}));

TEST(PlotBitmap, WriteFailsOnAnUnwritablePath) {
    app();
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(Qt::red);
    EXPECT_FALSE(WriteBitmapFile(img, "/nonexistent-folder/x.bmp"));
    EXPECT_FALSE(WriteBitmapFile(QImage(), QDir::tempPath().toStdString() + "/null.bmp"));
}

// Saving over a bitmap that is a link to a private file: the file gets the
// new picture, keeps its 0600 mode, and the link stays; a full device fails
// the save.
TEST(PlotBitmap, SavingOverALinkKeepsTheLinkAndTheMode) {
    app();
    vox::test::ScratchDir dir;
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(Qt::blue);
    const std::filesystem::path real = dir.path() / "real.bmp";
    std::ofstream(real) << "old";
    std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace);
    std::filesystem::create_symlink(real, dir.path() / "view.bmp");
    ASSERT_TRUE(WriteBitmapFile(img, dir.file("view.bmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(std::filesystem::symlink_status(dir.path() / "view.bmp")));
    EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::mask,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    QImage back(QString::fromStdString(real.string()), "BMP");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.pixelColor(5, 3), QColor(Qt::blue));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_FALSE(WriteBitmapFile(img, "/dev/full"));
    }
}

}  // namespace
}  // namespace vox::viewtest
