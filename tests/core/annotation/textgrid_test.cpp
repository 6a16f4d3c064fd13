// Grids read in both text forms and every encoding the format is written in,
// written back and read again, and malformed files refused at their line.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <variant>

#include "core/annotation/textgrid.h"
#include "core/annotation/utf8_cut.h"

namespace vox::textgrid {
namespace {

// The fixtures were written once by the program that defines the format,
// with the fixture script kept in bench/ beside the yardstick scripts.
std::string fixture(const std::string& name) {
    std::ifstream in(std::string(VOXTREL_SOURCE_DIR) + "/tests/core/annotation/textgrid/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Grid parsed(std::string_view bytes) {
    auto r = Parse(bytes);
    if (auto* e = std::get_if<ParseError>(&r)) ADD_FAILURE() << "line " << e->line << ": " << e->what;
    return std::holds_alternative<Grid>(r) ? std::get<Grid>(r) : Grid{};
}

// The grid every fixture holds.
void expect_fixture_grid(const Grid& g) {
    EXPECT_EQ(g.xmin, 0.0);
    EXPECT_EQ(g.xmax, 2.5);
    ASSERT_EQ(g.tiers.size(), 2u);
    const Tier& words = g.tiers[0];
    EXPECT_EQ(words.name, "words");
    EXPECT_FALSE(words.points);
    ASSERT_EQ(words.intervals.size(), 4u);
    EXPECT_EQ(words.intervals[1].xmin, 0.31);
    EXPECT_EQ(words.intervals[1].xmax, 0.7825);
    EXPECT_EQ(words.intervals[1].text, "\u0283\u026Ap \"quoted\"");
    EXPECT_EQ(words.intervals[2].text, "\u65E5\u672C\u8A9E \U0001F600");
    EXPECT_EQ(words.intervals[3].text, "");
    const Tier& tones = g.tiers[1];
    EXPECT_EQ(tones.name, "tones");
    EXPECT_TRUE(tones.points);
    ASSERT_EQ(tones.marks.size(), 2u);
    EXPECT_EQ(tones.marks[0].time, 0.5);
    EXPECT_EQ(tones.marks[0].mark, "H*");
    EXPECT_EQ(tones.marks[1].time, 1.25);
    EXPECT_EQ(tones.marks[1].mark, "L-");
}

class WrittenFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(WrittenFixture, ReadsTheGridItHolds) { expect_fixture_grid(parsed(fixture(GetParam()))); }

INSTANTIATE_TEST_SUITE_P(FormsAndEncodings, WrittenFixture,
                         ::testing::Values("long_utf8.TextGrid", "short_utf8.TextGrid", "long_utf16.TextGrid",
                                           "short_utf16.TextGrid"));

// The same text in the encodings a file may come in.
std::string utf16(const std::string& utf8, bool big_endian, bool bom) {
    std::u32string cps;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int more = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t v = more == 0 ? c : c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) v = v << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        cps.push_back(v);
        i += 1 + more;
    }
    std::string out;
    auto put = [&](unsigned u) {
        out += static_cast<char>(big_endian ? u >> 8 : u & 0xFF);
        out += static_cast<char>(big_endian ? u & 0xFF : u >> 8);
    };
    if (bom) put(0xFEFF);
    for (char32_t c : cps) {
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(static_cast<unsigned>(c));
        }
    }
    return out;
}

struct Encoding {
    const char* name;
    std::string (*encode)(const std::string&);
};

const Encoding kEncodings[] = {
    {"utf8", [](const std::string& s) { return s; }},
    {"utf8_bom", [](const std::string& s) { return "\xEF\xBB\xBF" + s; }},
    {"utf16be_bom", [](const std::string& s) { return utf16(s, true, true); }},
    {"utf16le_bom", [](const std::string& s) { return utf16(s, false, true); }},
    {"utf16be", [](const std::string& s) { return utf16(s, true, false); }},
    {"utf16le", [](const std::string& s) { return utf16(s, false, false); }},
};

class Encodings : public ::testing::TestWithParam<Encoding> {};

TEST_P(Encodings, BothFormsReadTheSameGrid) {
    for (const char* name : {"long_utf8.TextGrid", "short_utf8.TextGrid"})
        expect_fixture_grid(parsed(GetParam().encode(fixture(name))));
}

TEST_P(Encodings, WrittenGridReadsBackExactly) {
    Grid g;
    g.xmax = 3.0000000001;
    Tier t;
    t.name = "tier \"one\"";
    t.points = true;
    t.xmax = g.xmax;
    t.marks = {{0.0001, "a"}, {1.0 / 3.0, "\u00E9\u00E8 \"x\" \U0001F600"}, {2.99999, ""}};
    g.tiers.push_back(t);
    const Grid back = parsed(GetParam().encode(WriteLong(g)));
    ASSERT_EQ(back.tiers.size(), 1u);
    EXPECT_EQ(back.xmax, g.xmax);
    EXPECT_EQ(back.tiers[0].name, t.name);
    ASSERT_EQ(back.tiers[0].marks.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(back.tiers[0].marks[k].time, t.marks[k].time);
        EXPECT_EQ(back.tiers[0].marks[k].mark, t.marks[k].mark);
    }
}

INSTANTIATE_TEST_SUITE_P(All, Encodings, ::testing::ValuesIn(kEncodings),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(TextGridDecode, BytesThatAreNotUtf8AreLatin1) {
    EXPECT_EQ(DecodeText("caf\xE9"), "caf\u00E9");
    EXPECT_EQ(DecodeText("caf\u00E9"), "caf\u00E9");
}

TEST(TextGridWrite, AGridWithoutTiersReadsBack) {
    Grid g;
    g.xmax = 1.5;
    const Grid back = parsed(WriteLong(g));
    EXPECT_EQ(back.xmax, 1.5);
    EXPECT_TRUE(back.tiers.empty());
}

struct Malformed {
    const char* name;
    std::string text;
    int line;
};

const std::string kHead = "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n";  // lines 1-3

const Malformed kMalformed[] = {
    {"NotAGrid", "File type = \"ooTextFile\"\nObject class = \"Pitch 1\"\n", 2},
    {"NotATextFile", "RIFF....WAVEfmt ", 1},
    {"EmptyFile", "", 1},
    {"EndsEarly", kHead + "xmin = 0\nxmax = 1\ntiers? <exists>\nsize = 1\nitem []:\n", 8},
    {"UnknownTierClass", kHead + "0\n1\n<exists>\n1\n\"FancyTier\"\n", 8},
    {"CountBeyondTheFile", kHead + "0\n1\n<exists>\n1\n\"TextTier\"\n\"t\"\n0\n1\n99999999\n", 12},
    {"NegativeCount", kHead + "0\n1\n<exists>\n-1\n", 7},
    {"NotANumber", kHead + "0\n1\n<exists>\n1\n\"TextTier\"\n\"t\"\n0\n1\n1\nabc\n\"m\"\n", 13},
    {"InfiniteTime", kHead + "0\n1\n<exists>\n1\n\"TextTier\"\n\"t\"\n0\n1\n1\ninf\n\"m\"\n", 13},
    {"PointsBackwards", kHead + "0\n1\n<exists>\n1\n\"TextTier\"\n\"t\"\n0\n1\n2\n0.5\n\"a\"\n0.4\n\"b\"\n", 16},
    {"IntervalEndsBeforeItStarts", kHead + "0\n1\n<exists>\n1\n\"IntervalTier\"\n\"t\"\n0\n1\n1\n0.5\n0.4\n\"a\"\n", 14},
    {"UnclosedText", kHead + "0\n1\n<exists>\n1\n\"TextTier\"\n\"t\"\n0\n1\n1\n0.5\n\"open\n\n", 14},
    {"TextAfterTheLastTier", kHead + "0\n1\n<absent>\n\"more\"\n", 7},
};

class MalformedGrid : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedGrid, IsRefusedAtItsLine) {
    const auto r = Parse(GetParam().text);
    ASSERT_TRUE(std::holds_alternative<ParseError>(r));
    const ParseError& e = std::get<ParseError>(r);
    EXPECT_EQ(e.line, GetParam().line) << e.what;
    EXPECT_FALSE(e.what.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedGrid, ::testing::ValuesIn(kMalformed),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(TextGridMarks, IntervalStartsCarryTheTextsAndAnEarlyEndIsMarked) {
    const Grid g = parsed(fixture("long_utf8.TextGrid"));
    ASSERT_EQ(g.tiers.size(), 2u);
    // The grid ends where the recording does: no mark at its end.
    auto marks = TierMarks(g.tiers[0], 2.5003);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].time, 0.31);
    EXPECT_EQ(marks[1].time, 0.7825);
    EXPECT_EQ(marks[1].text, "\u65E5\u672C\u8A9E \U0001F600");
    // A longer recording: the grid's end is marked, without text.
    marks = TierMarks(g.tiers[0], 4.0);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[2].time, 2.5);
    EXPECT_EQ(marks[2].text, "");
    // Points are marks as they stand.
    marks = TierMarks(g.tiers[1], 4.0);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[1].time, 1.25);
    EXPECT_EQ(marks[1].text, "L-");
}

TEST(Utf8Cut, NeverSplitsACharacter) {
    const std::string s = "ab\u00E9\U0001F600";  // 2 + 2 + 4 bytes
    EXPECT_EQ(cut_utf8(s, 8), s);
    EXPECT_EQ(cut_utf8(s, 7), "ab\u00E9");
    EXPECT_EQ(cut_utf8(s, 4), "ab\u00E9");
    EXPECT_EQ(cut_utf8(s, 3), "ab");
}

}  // namespace
}  // namespace vox::textgrid
