#include <gtest/gtest.h>

#include <cstring>

#include "core/document/native_format.h"
#include "core/formats/open_document.h"
#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::DocFixture;

LABEL make_label(const char* text, double ms, ColorRef color = make_rgb(10, 20, 30)) {
    LABEL l;
    l.set_text(text);
    l.time_ms = ms;
    l.placement = 0.7;
    l.align = 1;
    l.add_line = true;
    l.color = color;
    l.rect = {1, 2, 3, 4};
    l.font.height = -13;
    l.font.weight = 700;
    std::memcpy(l.font.face_name, "Arial", 6);
    return l;
}

// A document holding a ramp of `n` samples at 1000 Hz with labels in two tiers.
void fill(CMarbeckDoc& doc, std::size_t n) {
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(1000.0, static_cast<double>(n));
    ch.allocate_samples(n);
    for (std::size_t i = 0; i < n; ++i) ch.samples[i] = static_cast<std::int16_t>(i * 7 - 3000);
    ch.name = "mic";
    ch.gain_percent = 150;
    ch.reference = 12.5;
    ch.carried_d2 = 4.25;
    ch.carried_2 = 77;
    ch.tiers[1].in_use = 1;
    ch.tiers[1].height = 33;
    ch.tiers[1].name = "words";
    ch.append_label(1, make_label("one", 1000.0));
    ch.append_label(1, make_label("two", 1500.0));
    ch.append_label(1, make_label("three", 2000.0));
    ch.tiers[3].in_use = 1;
    ch.tiers[3].name = "misc";
    ch.append_label(3, make_label("m", 2500.0));
    ch.append_label(5, make_label("not saved", 100.0));  // tier not in use
    doc.channel_count = 1;
    doc.loaded = 1;
}

TEST(NativeFormat, WholeFileRoundTripsEveryField) {
    DocFixture f;
    fill(*f.doc, 3000);
    const std::string path = f.dir.file("a.vxl");
    ASSERT_TRUE(f.doc->write_native(path));

    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, path));
    EXPECT_EQ(back.format_name(), "VXL_PC");
    const CChannels& ch = back.channels[0];
    EXPECT_EQ(ch.sample_rate, 1000.0);
    EXPECT_EQ(ch.sample_count, 3000.0);
    EXPECT_EQ(ch.duration_ms, 3000.0);
    EXPECT_EQ(ch.name, "mic");
    EXPECT_EQ(ch.units, "bits");
    EXPECT_EQ(ch.gain_percent, 150);
    EXPECT_EQ(ch.reference, 12.5);
    EXPECT_EQ(ch.carried_d2, 4.25);
    EXPECT_EQ(ch.carried_2, 77);
    EXPECT_EQ(ch.bandwidth_hz, 500.0);
    // The file keeps tiers in order but not their numbers: tiers in use come back packed from tier 0.
    EXPECT_EQ(ch.tiers[0].name, "words");
    EXPECT_EQ(ch.tiers[0].height, 33);
    ASSERT_EQ(ch.tiers[0].label_count(), 3);
    EXPECT_EQ(ch.tiers[0].labels[1], make_label("two", 1500.0));
    EXPECT_EQ(ch.tiers[1].label_count(), 1);
    EXPECT_EQ(ch.tiers[5].label_count(), 0);  // tiers not in use are not written
    EXPECT_EQ(ch.tiers[5].in_use, 0);
    EXPECT_EQ(test::audio_samples(back), test::audio_samples(*[&] {
                  static DocFixture g;
                  fill(*g.doc, 3000);
                  return g.doc.get();
              }()));
    EXPECT_FALSE(back.modified());
    EXPECT_EQ(back.foreign_format, 0);
    EXPECT_TRUE(f.prompts.messages().empty());
}

TEST(NativeFormat, SelectionKeepsLabelsStrictlyInsideWithRelativeTimes) {
    DocFixture f;
    fill(*f.doc, 3000);
    CChannels& ch = f.doc->channels[0];
    ch.set_marker_from_ms(1000.0);
    ch.extend_selection_to_ms(2000.0);
    f.doc->selection_active = 1;
    const std::string path = f.dir.file("sel.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    const auto original = test::audio_samples(*f.doc);

    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, path));
    const CChannels& b = back.channels[0];
    EXPECT_EQ(b.sample_count, 1000.0);
    EXPECT_EQ(b.duration_ms, 1000.0);
    ASSERT_EQ(b.tiers[0].label_count(), 1);
    EXPECT_EQ(b.tiers[0].labels[0].text_string(), "two");
    EXPECT_EQ(b.tiers[0].labels[0].time_ms, 500.0);
    EXPECT_EQ(b.tiers[1].label_count(), 0);
    EXPECT_EQ(b.tiers[1].in_use, 1);
    const auto got = test::audio_samples(back);
    EXPECT_EQ(got, std::vector<std::int16_t>(original.begin() + 1000, original.begin() + 2000));
}

TEST(NativeFormat, IdentificationDecidesAcceptance) {
    DocFixture f;
    fill(*f.doc, 10);
    const std::string good = f.dir.file("g.vxl");
    ASSERT_TRUE(f.doc->write_native(good));
    auto bytes = test::read_file(good);

    // Exactly 512 bytes: not a native file (and no other reader takes it).
    auto short_file = std::vector<unsigned char>(bytes.begin(), bytes.begin() + 512);
    test::write_file(f.dir.file("short.vxl"), short_file);
    EXPECT_FALSE(open_document(f.fresh(), f.dir.file("short.vxl")));

    auto two_channels = bytes;
    two_channels[8] = 2;
    test::write_file(f.dir.file("two.vxl"), two_channels);
    EXPECT_FALSE(open_document(f.fresh(), f.dir.file("two.vxl")));
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 2);
}

TEST(NativeFormat, LabelsFailingTheCheckAreDroppedWithOneMessagePerTier) {
    DocFixture f;
    fill(*f.doc, 3000);
    CChannels& ch = f.doc->channels[0];
    ch.append_label(1, make_label("late", 3500.0));  // beyond the 3000 ms channel
    LABEL wide = make_label("wide", 10.0);
    wide.font.width = 4000;
    ch.append_label(1, wide);
    LABEL odd = make_label("odd", 20.0);
    odd.placement = 1.5;
    ch.append_label(3, odd);
    const std::string path = f.dir.file("bad.vxl");
    ASSERT_TRUE(f.doc->write_native(path));

    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, path));
    EXPECT_EQ(back.channels[0].tiers[0].label_count(), 3);
    EXPECT_EQ(back.channels[0].tiers[1].label_count(), 1);
    const auto msgs = f.prompts.messages();
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0], native_text::kLabelsEliminated);
}

TEST(NativeFormat, LargeFontsAreNotTakenFromTheFile) {
    DocFixture f;
    fill(*f.doc, 3000);
    f.doc->channels[0].tiers[1].labels[0].font.height = 100;  // passes the check, not below 100
    const std::string path = f.dir.file("font.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, path));
    ASSERT_EQ(back.channels[0].tiers[0].label_count(), 3);
    EXPECT_EQ(back.channels[0].tiers[0].labels[0].font, LogFont{});
    EXPECT_EQ(back.channels[0].tiers[0].labels[1].font.height, -13);
}

// Hostile headers never make the reader trust a count beyond the file.
TEST(NativeFormat, CountsBeyondTheFileAreNotTrusted) {
    DocFixture f;
    fill(*f.doc, 100);
    const std::string path = f.dir.file("h.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    const auto bytes = test::read_file(path);

    auto huge_samples = bytes;
    const double big = 1e15;
    std::memcpy(&huge_samples[512 + 16], &big, 8);
    test::write_file(f.dir.file("s.vxl"), huge_samples);
    CMarbeckDoc& a = f.fresh();
    ASSERT_TRUE(open_document(a, f.dir.file("s.vxl")));
    EXPECT_EQ(a.channels[0].sample_count, 100.0);  // what the file holds

    auto many_labels = bytes;
    const std::size_t tier1 = 512 + 248;
    many_labels[tier1 + 256] = 0xFF;
    many_labels[tier1 + 257] = 0xFF;
    many_labels[tier1 + 258] = 0xFF;
    many_labels[tier1 + 259] = 0x7F;
    test::write_file(f.dir.file("l.vxl"), many_labels);
    EXPECT_FALSE(open_document(f.fresh(), f.dir.file("l.vxl")));
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::OpenFailure), 1);

    auto many_tiers = bytes;
    many_tiers[512 + 92] = 200;
    test::write_file(f.dir.file("t.vxl"), many_tiers);
    EXPECT_FALSE(open_document(f.fresh(), f.dir.file("t.vxl")));
}

// Big-endian forms, built byte by byte.
std::vector<unsigned char> mac_file(bool extended) {
    Bytes b;
    b.text(extended ? "VXLMACX" : "VXL_Mac").u8(0);
    if (extended)
        b.i32le(1);
    else
        b.i32be(1);
    b.zeros(512 - b.size());
    auto d = [&](double v) { extended ? b.f64le(v) : b.f64be(v); };
    auto i = [&](std::int32_t v) { extended ? b.i32le(v) : b.i32be(v); };
    d(4.0);  // duration ms
    d(1000.0);
    d(4.0);  // samples
    d(0.0);
    d(0); d(0); d(1); d(0);
    i(1); i(16); i(0); i(100); i(1);
    i(1); i(3000000000u > 0 ? static_cast<std::int32_t>(3000000000u) : 0);  // bandwidth as unsigned in Mac form
    i(1);  // one tier
    i(1); i(1); i(0); i(0); i(0);
    b.fixed("", 64).fixed("bits", 64).zeros(4);
    b.fixed("words", 256);
    i(1);
    i(20);
    d(2.0);
    d(0.0);
    i(0); i(0);
    i(0); i(0); i(0); i(0);
    i(0x1200); i(0x3400); i(0x5600);
    i(12);  // font height field
    b.zeros(56);
    b.fixed("mac", 256);
    for (int s : {1, -2, 300, -32768}) extended ? b.i16be(s) : b.i16be(s);
    return b.data;
}

TEST(NativeFormat, ReadsTheTwoMacForms) {
    for (bool extended : {false, true}) {
        SCOPED_TRACE(extended ? "VXLMACX" : "VXL_Mac");
        DocFixture f;
        test::write_file(f.dir.file("m.vxl"), mac_file(extended));
        ASSERT_TRUE(open_document(*f.doc, f.dir.file("m.vxl")));
        EXPECT_EQ(f.doc->format_name(), extended ? "VXLMACX" : "VXL_Mac");
        const CChannels& ch = f.doc->channels[0];
        EXPECT_EQ(test::audio_samples(*f.doc), (std::vector<std::int16_t>{1, -2, 300, -32768}));
        ASSERT_EQ(ch.tiers[0].label_count(), 1);
        const LABEL& l = ch.tiers[0].labels[0];
        EXPECT_EQ(l.text_string(), "mac");
        if (extended) {
            EXPECT_EQ(l.color, make_rgb(0x12, 0x34, 0x56));
            EXPECT_EQ(l.font.height, 12);
        } else {
            EXPECT_EQ(l.color, make_rgb(0x12, 0x34, 0x56));
            EXPECT_EQ(l.font.height, 16);  // 12 × 4 / 3
            EXPECT_EQ(ch.bandwidth_hz, 3000000000.0);
        }
    }
}

TEST(NativeFormat, LongRecordingsStayOnDiskAndWriteBackExactly) {
    DocFixture f;
    fill(*f.doc, 5000);
    const auto original = test::audio_samples(*f.doc);
    const std::string path = f.dir.file("long.vxl");
    ASSERT_TRUE(f.doc->write_native(path));

    CMarbeckDoc& back = f.fresh();
    back.options.long_file_minutes = 0.0;  // everything counts as long
    ASSERT_TRUE(open_document(back, path));
    EXPECT_FALSE(back.channels[0].has_samples());
    EXPECT_TRUE(back.samples_on_disk());
    EXPECT_EQ(test::audio_samples(back), original);
    EXPECT_GT(f.progress.steps, 0);

    // Save from the raw file, whole and as a selection.
    const std::string copy = f.dir.file("copy.vxl");
    ASSERT_TRUE(back.write_native(copy));
    EXPECT_EQ(test::read_file(copy), test::read_file(path));
}

TEST(NativeFormat, CancellingALongReadLeavesNothingOpen) {
    DocFixture f;
    fill(*f.doc, 5000);
    const std::string path = f.dir.file("long.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    f.progress.cancel_at_step = 2;
    CMarbeckDoc& back = f.fresh();
    back.options.long_file_minutes = 0.0;
    EXPECT_FALSE(open_document(back, path));
    EXPECT_EQ(back.loaded, 0);
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::OpenFailure), 0);
}

TEST(NativeFormat, AFailedSaveLeavesTheEarlierFileIntact) {
    DocFixture f;
    fill(*f.doc, 100);
    const std::string path = f.dir.file("keep.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    const auto before = test::read_file(path);

    // Samples said to be in a raw file that has gone: the write fails midway.
    f.doc->channels[0].samples.reset();
    f.doc->adopt_sample_file(f.dir.file("gone.raw"));
    EXPECT_FALSE(f.doc->write_native(path));
    EXPECT_EQ(test::read_file(path), before);
    EXPECT_FALSE(file_exists(path + ".vxpart"));
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::SaveFailure), 1);
}

// The highest usable rate must not size the copy buffer of the disk path
// beyond its bound.
TEST(NativeFormat, HugeRateOnTheDiskPathReadsWithBoundedBuffers) {
    DocFixture f;
    fill(*f.doc, 100);
    f.doc->channels[0].set_foreign_audio(1e6, 100.0);
    const std::string path = f.dir.file("rate.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    CMarbeckDoc& back = f.fresh();
    back.options.long_file_minutes = 0;
    ASSERT_TRUE(open_document(back, path));
    EXPECT_FALSE(back.channels[0].samples.valid());
    EXPECT_EQ(test::audio_samples(back).size(), 100u);
}

}  // namespace
}  // namespace vox
