#include <gtest/gtest.h>

#include <numeric>

#include "core/document/doc_edit.h"
#include "core/document/undo_file.h"
#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::DocFixture;
using Kind = ScriptedPrompts::Event::Kind;

// At 1000 Hz one sample is one millisecond, which keeps label times readable.
constexpr double kRate = 1000.0;

std::int16_t ramp(std::size_t i) { return static_cast<std::int16_t>(i * 3 + 1); }

void fill(CMarbeckDoc& doc, std::size_t n, int channels = 1, double rate = kRate) {
    for (int c = 0; c < channels; ++c) {
        CChannels& ch = doc.channels[static_cast<std::size_t>(c)];
        ch.set_foreign_audio(rate, static_cast<double>(n));
        ch.allocate_samples(n);
        for (std::size_t i = 0; i < n; ++i) ch.samples[i] = static_cast<std::int16_t>(ramp(i) + 10000 * c);
        if (c > 0) ch.channel_type = 0;
    }
    doc.channel_count = channels;
    doc.loaded = 1;
    sync_document_counts(doc);
}

LABEL label(const char* text, double ms) {
    LABEL l;
    l.set_text(text);
    l.time_ms = ms;
    l.placement = 0.7;
    return l;
}

void select(CMarbeckDoc& doc, double from_ms, double to_ms) {
    for (int c = 0; c < doc.channel_count; ++c) {
        doc.channels[static_cast<std::size_t>(c)].set_marker_from_ms(from_ms);
        doc.channels[static_cast<std::size_t>(c)].extend_selection_to_ms(to_ms);
    }
    doc.selection_active = 1;
}

void put_cursor(CMarbeckDoc& doc, double ms) {
    for (int c = 0; c < doc.channel_count; ++c) doc.channels[static_cast<std::size_t>(c)].set_marker_from_ms(ms);
    doc.selection_active = 0;
}

std::vector<std::int16_t> samples_of(const CChannels& ch) {
    return std::vector<std::int16_t>(ch.samples.data(), ch.samples.data() + ch.count());
}

std::vector<std::int16_t> ramp_range(std::size_t a, std::size_t b) {
    std::vector<std::int16_t> v;
    for (std::size_t i = a; i < b; ++i) v.push_back(ramp(i));
    return v;
}

std::vector<std::int16_t> cat(std::vector<std::int16_t> a, const std::vector<std::int16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Label texts of a tier with their times, in array order.
std::vector<std::pair<std::string, double>> labels_of(const CChannels& ch, int tier) {
    std::vector<std::pair<std::string, double>> v;
    for (const LABEL& l : ch.tiers[tier].labels) v.emplace_back(l.text_string(), l.time_ms);
    return v;
}

// A document whose channel 0 stays in a raw file of `n` ramp samples.
void make_long(DocFixture& f, std::size_t n) {
    CMarbeckDoc& doc = *f.doc;
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(kRate, static_cast<double>(n));
    ch.samples.reset();
    std::vector<unsigned char> bytes(n * 2);
    for (std::size_t i = 0; i < n; ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(ramp(i)));
    test::write_file(f.dir.file("long.raw"), bytes);
    doc.adopt_sample_file(f.dir.file("long.raw"));
    doc.channel_count = 1;
    doc.loaded = 1;
}

// --- cut ---------------------------------------------------------------------------

struct CutCase {
    const char* name;
    double from_ms, to_ms;
};

class Cut : public ::testing::TestWithParam<CutCase> {};

TEST_P(Cut, RemovesExactlyTheSelectionFromEveryChannel) {
    DocFixture f;
    fill(*f.doc, 1000, 2);
    const CutCase c = GetParam();
    select(*f.doc, c.from_ms, c.to_ms);
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    const auto a = static_cast<std::size_t>(c.from_ms), b = static_cast<std::size_t>(c.to_ms);
    const CChannels& ch = f.doc->channels[0];
    EXPECT_EQ(samples_of(ch), cat(ramp_range(0, a), ramp_range(b, 1000)));
    EXPECT_EQ(ch.sample_count, double(1000 - (b - a)));
    EXPECT_EQ(ch.samples.size(), ch.count());
    EXPECT_DOUBLE_EQ(ch.duration_ms, ch.sample_count * 1000.0 / kRate);
    EXPECT_EQ(f.doc->channels[1].sample_count, ch.sample_count);
    std::vector<std::int16_t> data = cat(ramp_range(0, a), ramp_range(b, 1000));
    for (auto& v : data) v = static_cast<std::int16_t>(v + 10000);
    EXPECT_EQ(samples_of(f.doc->channels[1]), data) << "the data channel is cut at the same place";
    EXPECT_EQ(f.doc->doc_count, ch.sample_count);
    EXPECT_FALSE(ch.has_selection());
    EXPECT_EQ(f.doc->selection_active, 0);
}

INSTANTIATE_TEST_SUITE_P(Edit, Cut,
                         ::testing::Values(CutCase{"Middle", 200, 300}, CutCase{"FromStart", 0, 150},
                                           CutCase{"ToTheEnd", 900, 1000}, CutCase{"OneSample", 10, 11}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST(Edit, CutOfEverySampleLeavesAConsistentEmptyChannelThatAPasteRefills) {
    DocFixture f;
    fill(*f.doc, 400);
    select(*f.doc, 0, 400);
    EditClip clip;
    ASSERT_TRUE(copy_selection(*f.doc, clip));
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    const CChannels& ch = f.doc->channels[0];
    EXPECT_EQ(ch.sample_count, 0.0);
    EXPECT_EQ(ch.duration_ms, 0.0);
    EXPECT_TRUE(ch.samples.valid()) << "an empty block, not a long recording";
    EXPECT_EQ(ch.samples.size(), 0u);
    EXPECT_EQ(ch.window_first, 0.0);
    EXPECT_EQ(ch.window_last, 0.0);
    EXPECT_EQ(f.doc->loaded, 1);

    put_cursor(*f.doc, 0.0);
    ASSERT_EQ(paste_clip(*f.doc, clip, false), EditResult::Done);
    EXPECT_EQ(samples_of(ch), ramp_range(0, 400));
}

TEST(Edit, CutMovesLabelsOfEveryTierAndDeletesThoseStrictlyInside) {
    DocFixture f;
    fill(*f.doc, 1000);
    CChannels& ch = f.doc->channels[0];
    ch.tiers[1].in_use = 1;
    for (auto [t, ms] : {std::pair{"before", 100.0}, {"at start", 200.0}, {"inside", 250.0}, {"at end", 300.0},
                         {"after", 700.0}})
        ch.append_label(1, label(t, ms));
    ch.append_label(4, label("hidden tier", 800.0));  // tier 4 is out of use
    select(*f.doc, 200, 300);
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    using L = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(labels_of(ch, 1), (L{{"before", 100.0}, {"at start", 200.0}, {"at end", 200.0}, {"after", 600.0}}));
    EXPECT_EQ(labels_of(ch, 4), (L{{"hidden tier", 700.0}}));
}

TEST(Edit, CutOfALongRecordingIsRefusedAndChangesNothing) {
    DocFixture f;
    make_long(f, 3000);
    select(*f.doc, 100, 200);
    EXPECT_EQ(cut_selection(*f.doc), EditResult::Refused);
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{edit_text::kCutLong});
    EXPECT_EQ(f.doc->channels[0].sample_count, 3000.0);
    EXPECT_EQ(test::audio_samples(*f.doc), ramp_range(0, 3000));
}

// --- copy ---------------------------------------------------------------------------

TEST(Edit, CopyTakesSamplesParametersAndLabelsStrictlyInsideRelativeToTheStart) {
    DocFixture f;
    fill(*f.doc, 1000, 2);
    CChannels& ch = f.doc->channels[0];
    ch.name = "mic";
    ch.reference = 7.0;
    ch.tiers[2].in_use = 1;
    ch.tiers[2].height = 31;
    ch.tiers[2].name = "breaks";
    for (auto [t, ms] : {std::pair{"at start", 400.0}, {"in", 450.0}, {"at end", 500.0}}) ch.append_label(2, label(t, ms));
    ch.append_label(6, label("tier out of use", 450.0));
    select(*f.doc, 400, 500);
    EditClip clip;
    ASSERT_TRUE(copy_selection(*f.doc, clip));
    EXPECT_TRUE(clip.holds_data);
    EXPECT_EQ(clip.channel_count, 2);
    const CChannels& c0 = clip.channels[0];
    EXPECT_EQ(std::vector<std::int16_t>(c0.samples.data(), c0.samples.data() + c0.samples.size()), ramp_range(400, 500));
    EXPECT_EQ(c0.sample_count, 100.0);
    EXPECT_DOUBLE_EQ(c0.duration_ms, 100.0);
    EXPECT_EQ(c0.name, "mic");
    EXPECT_EQ(c0.reference, 7.0);
    EXPECT_EQ(c0.sel_lo_sample, 400.0);
    EXPECT_EQ(c0.tiers[2].height, 31);
    EXPECT_EQ(c0.tiers[2].in_use, 1);
    using L = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(labels_of(c0, 2), (L{{"in", 50.0}}));
    EXPECT_TRUE(c0.tiers[6].labels.empty());
    EXPECT_EQ(clip.channels[1].samples[0], ramp(400) + 10000);

    // A second copy replaces the first entirely.
    select(*f.doc, 0, 10);
    ASSERT_TRUE(copy_selection(*f.doc, clip));
    EXPECT_EQ(clip.channels[0].samples.size(), 10u);
    EXPECT_TRUE(clip.channels[0].tiers[2].labels.empty());
}

TEST(Edit, CopyOfALongRecordingReadsTheRawFileBehindTheProgressWindow) {
    DocFixture f;
    make_long(f, 5000);
    select(*f.doc, 1200, 3700);
    EditClip clip;
    ASSERT_TRUE(copy_selection(*f.doc, clip));
    const CChannels& c0 = clip.channels[0];
    EXPECT_EQ(std::vector<std::int16_t>(c0.samples.data(), c0.samples.data() + c0.samples.size()), ramp_range(1200, 3700));
    ASSERT_EQ(f.progress.captions.size(), 1u);
    EXPECT_EQ(f.progress.captions[0], doc_text::kReadingCaption);
    EXPECT_EQ(f.progress.steps, 3) << "two whole seconds and the remainder";
}

TEST(Edit, CancelledCopyOfALongRecordingLeavesTheClipEmpty) {
    DocFixture f;
    make_long(f, 5000);
    f.progress.cancel_at_step = 1;
    select(*f.doc, 0, 4000);
    EditClip clip;
    EXPECT_FALSE(copy_selection(*f.doc, clip));
    EXPECT_FALSE(clip.holds_data);
    EXPECT_FALSE(clip.channels[0].samples.valid());
}

// --- paste ----------------------------------------------------------------------------

// A clip of `n` samples of value 5000 + i, with one label at 20 ms in tier 1.
EditClip make_clip(std::size_t n, int channels = 1, double rate = kRate) {
    EditClip clip;
    clip.holds_data = true;
    clip.channel_count = channels;
    for (int c = 0; c < channels; ++c) {
        CChannels& ch = clip.channels[static_cast<std::size_t>(c)];
        ch.set_foreign_audio(rate, static_cast<double>(n));
        ch.samples.allocate(n);
        for (std::size_t i = 0; i < n; ++i) ch.samples[i] = static_cast<std::int16_t>(5000 + i);
        ch.tiers[1].in_use = 1;
        ch.tiers[1].name = "words";
        ch.tiers[1].height = 27;
        ch.tiers[1].labels.push_back(label("clip", 20.0));
    }
    return clip;
}

std::vector<std::int16_t> clip_samples(std::size_t n) {
    std::vector<std::int16_t> v(n);
    std::iota(v.begin(), v.end(), std::int16_t(5000));
    return v;
}

TEST(Edit, PasteReplacesTheSelectionAndLabelsFollow) {
    DocFixture f;
    fill(*f.doc, 1000);
    CChannels& ch = f.doc->channels[0];
    ch.tiers[1].in_use = 1;
    for (auto [t, ms] : {std::pair{"start", 100.0}, {"inside", 150.0}, {"end", 200.0}, {"later", 600.0}})
        ch.append_label(1, label(t, ms));
    select(*f.doc, 100, 200);
    ASSERT_EQ(paste_clip(*f.doc, make_clip(50), true), EditResult::Done);
    EXPECT_EQ(samples_of(ch), cat(cat(ramp_range(0, 100), clip_samples(50)), ramp_range(200, 1000)));
    EXPECT_EQ(ch.sample_count, 950.0);
    EXPECT_DOUBLE_EQ(ch.duration_ms, 950.0);
    using L = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(labels_of(ch, 1), (L{{"start", 100.0}, {"end", 150.0}, {"later", 550.0}, {"clip", 120.0}}));
    EXPECT_EQ(f.doc->doc_count, 950.0);
}

TEST(Edit, PasteAtTheCursorMovesOnlyLaterLabels) {
    DocFixture f;
    fill(*f.doc, 1000);
    CChannels& ch = f.doc->channels[0];
    ch.tiers[1].in_use = 1;
    for (auto [t, ms] : {std::pair{"earlier", 299.0}, {"at cursor", 300.0}, {"later", 301.0}}) ch.append_label(1, label(t, ms));
    ch.window_first = 0.0;
    ch.window_last = 1000.0;
    put_cursor(*f.doc, 300.0);
    ASSERT_EQ(paste_clip(*f.doc, make_clip(80), false), EditResult::Done);
    EXPECT_EQ(samples_of(ch), cat(cat(ramp_range(0, 300), clip_samples(80)), ramp_range(300, 1000)));
    using L = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(labels_of(ch, 1), (L{{"earlier", 299.0}, {"at cursor", 300.0}, {"later", 381.0}, {"clip", 320.0}}));
    EXPECT_EQ(ch.window_last, 1080.0) << "the window span grows by the pasted length";
}

TEST(Edit, PasteAddsClipLabelsOnlyToTiersInUseInTheDocument) {
    DocFixture f;
    fill(*f.doc, 500);
    put_cursor(*f.doc, 100.0);
    ASSERT_EQ(paste_clip(*f.doc, make_clip(40), false), EditResult::Done);
    EXPECT_TRUE(f.doc->channels[0].tiers[1].labels.empty());
}

TEST(Edit, PasteIntoANewDocumentCreatesItsChannelsFromTheClip) {
    DocFixture f;
    ASSERT_EQ(f.doc->channel_count, 0);
    f.doc->is_recording = 1;
    ASSERT_EQ(paste_clip(*f.doc, make_clip(60, 2, 8000.0), false), EditResult::Done);
    EXPECT_EQ(f.doc->channel_count, 2);
    EXPECT_EQ(f.doc->loaded, 1);
    EXPECT_EQ(f.doc->is_recording, 0);
    const CChannels& ch = f.doc->channels[0];
    EXPECT_EQ(samples_of(ch), clip_samples(60));
    EXPECT_EQ(ch.sample_rate, 8000.0);
    EXPECT_DOUBLE_EQ(ch.duration_ms, 7.5);
    EXPECT_EQ(ch.window_last, 60.0);
    EXPECT_EQ(ch.tiers[1].in_use, 1);
    EXPECT_EQ(ch.tiers[1].height, 27);
    using L = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(labels_of(ch, 1), (L{{"clip", 20.0}}));
    EXPECT_EQ(f.doc->doc_rate, 8000.0);
    EXPECT_EQ(f.doc->doc_count, 60.0);
    EXPECT_EQ(f.doc->channels[1].sample_count, 60.0);
}

struct PasteRefusal {
    const char* name;
    int doc_channels;
    int clip_channels;
    double clip_rate;
    bool long_recording;
    const char* message;
    bool beeps;
};

class PasteChecks : public ::testing::TestWithParam<PasteRefusal> {};

TEST_P(PasteChecks, RefuseWithTheirMessageAndChangeNothing) {
    const PasteRefusal p = GetParam();
    DocFixture f;
    if (p.long_recording)
        make_long(f, 2000);
    else
        fill(*f.doc, 2000, p.doc_channels);
    put_cursor(*f.doc, 10.0);
    const std::vector<std::int16_t> before = test::audio_samples(*f.doc);
    EXPECT_EQ(paste_clip(*f.doc, make_clip(30, p.clip_channels, p.clip_rate), false), EditResult::Refused);
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{p.message});
    EXPECT_EQ(f.prompts.count(Kind::Beep), p.beeps ? 1 : 0);
    EXPECT_EQ(test::audio_samples(*f.doc), before);
    EXPECT_EQ(f.doc->channels[0].sample_count, 2000.0);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, PasteChecks,
    ::testing::Values(PasteRefusal{"LongRecording", 1, 1, kRate, true, edit_text::kPasteLong, false},
                      PasteRefusal{"MoreClipChannels", 1, 2, kRate, false, edit_text::kPasteChannels, true},
                      PasteRefusal{"FewerClipChannels", 3, 1, kRate, false, edit_text::kPasteChannels, true},
                      PasteRefusal{"OtherRate", 1, 1, 22050.0, false, edit_text::kPasteRates, true}),
    [](const auto& i) { return std::string(i.param.name); });

// --- clear, reference, gain, smooth -----------------------------------------------------

TEST(Edit, ClearToReferenceSetsTheSelectedSamplesOnly) {
    DocFixture f;
    fill(*f.doc, 100);
    f.doc->channels[0].reference = -12.7;
    select(*f.doc, 10, 20);
    ASSERT_EQ(clear_to_reference(*f.doc), EditResult::Done);
    const auto s = samples_of(f.doc->channels[0]);
    EXPECT_EQ(s[9], ramp(9));
    for (int i = 10; i < 20; ++i) EXPECT_EQ(s[static_cast<std::size_t>(i)], -12) << i;
    EXPECT_EQ(s[20], ramp(20));
}

TEST(Edit, ClearToReferenceOfALongRecordingIsRefused) {
    DocFixture f;
    make_long(f, 1500);
    select(*f.doc, 10, 20);
    EXPECT_EQ(clear_to_reference(*f.doc), EditResult::Refused);
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{edit_text::kClearLong});
    EXPECT_EQ(test::audio_samples(*f.doc), ramp_range(0, 1500));
}

TEST(Edit, ReferenceOfAllChannelsTakesTheSampleAtTheCursorForDataChannelsOnly) {
    DocFixture f;
    fill(*f.doc, 100, 3);
    f.doc->channels[2].intensity_valid = 1;
    put_cursor(*f.doc, 40.0);
    EXPECT_EQ(set_reference_all(*f.doc, false), std::vector<int>{2});
    EXPECT_EQ(f.doc->channels[0].reference, 0.0) << "the audio channel keeps its reference";
    EXPECT_EQ(f.doc->channels[1].reference, double(ramp(40) + 10000));
    EXPECT_EQ(f.doc->channels[2].reference, double(ramp(40) + 20000));
    f.doc->channels[0].reference = 3.0;
    set_reference_all(*f.doc, true);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(f.doc->channels[static_cast<std::size_t>(c)].reference, 0.0);
}

struct GainCase {
    int in;
    double reference, gain;
    int out;
};

class ReferenceGain : public ::testing::TestWithParam<GainCase> {};

TEST_P(ReferenceGain, ShiftsThenScalesAndSaturates) {
    const GainCase c = GetParam();
    EXPECT_EQ(reference_gain_sample(static_cast<std::int16_t>(c.in), c.reference, c.gain), c.out);
}

INSTANTIATE_TEST_SUITE_P(Edit, ReferenceGain,
                         ::testing::Values(GainCase{1234, 0, 0, 1234}, GainCase{100, 0, 50, 150},
                                           GainCase{100, 20, 0, 120}, GainCase{100, -20, -50, 40},
                                           GainCase{-3, 0, 50, -4}, GainCase{30000, 5000, 0, 32767},
                                           GainCase{-30000, -5000, 0, -32768}, GainCase{20000, 0, 100, 32767},
                                           GainCase{-20000, 0, 100, -32768}, GainCase{32767, -32767, 0, 0},
                                           GainCase{1000, 2.9, 0, 1002}));

TEST(Edit, ReferenceGainOfALongRecordingChangesTheRawFileInPlace) {
    DocFixture f;
    make_long(f, 2500);
    ASSERT_TRUE(apply_reference_gain(*f.doc, 10.0, 100.0));
    const auto s = test::audio_samples(*f.doc);
    ASSERT_EQ(s.size(), 2500u);
    for (std::size_t i : {std::size_t(0), std::size_t(999), std::size_t(1000), std::size_t(2499)})
        EXPECT_EQ(s[i], 2 * (ramp(i) + 10)) << i;
    EXPECT_EQ(f.progress.captions, std::vector<std::string>{doc_text::kReadingCaption});
}

TEST(Edit, CancelledReferenceGainKeepsTheChunksAlreadyWritten) {
    DocFixture f;
    make_long(f, 2500);
    f.progress.cancel_at_step = 1;
    EXPECT_FALSE(apply_reference_gain(*f.doc, 1.0, 0.0));
    const auto s = test::audio_samples(*f.doc);
    EXPECT_EQ(s[999], ramp(999) + 1);
    EXPECT_EQ(s[1000], ramp(1000));
}

TEST(Edit, SmoothingOfALongRecordingMatchesSmoothingInMemory) {
    constexpr std::size_t n = 2345;  // two whole seconds and a remainder
    CChannels mem;
    mem.sample_count = n;
    mem.samples.allocate(n);
    for (std::size_t i = 0; i < n; ++i) mem.samples[i] = static_cast<std::int16_t>(((i * 7919) % 2001) - 1000);
    mem.smooth_on = 1;
    mem.smooth_points = 7.0;

    DocFixture f;
    make_long(f, n);
    std::vector<unsigned char> bytes(n * 2);
    for (std::size_t i = 0; i < n; ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(mem.samples[i]));
    test::write_file(f.dir.file("long.raw"), bytes);
    f.doc->channels[0].smooth_on = 1;
    f.doc->channels[0].smooth_points = 7.0;
    ASSERT_TRUE(smooth_channels(*f.doc));
    mem.smooth();
    EXPECT_EQ(test::audio_samples(*f.doc), samples_of(mem));
    EXPECT_NE(samples_of(mem)[1000], static_cast<std::int16_t>(((1000 * 7919) % 2001) - 1000));
}

// --- undo ------------------------------------------------------------------------------

struct UndoFixture : DocFixture {
    UndoFile undo{UndoFile::name_for(dir.path().string(), "doc.vxl")};
};

TEST(Undo, RestoresSamplesParametersAndLabelsAfterACut) {
    UndoFixture f;
    fill(*f.doc, 1000);
    CChannels& ch = f.doc->channels[0];
    ch.reference = 3.0;
    ch.tiers[0].in_use = 1;
    ch.tiers[2].in_use = 1;
    ch.tiers[2].name = "third";
    ch.append_label(2, label("a", 150.0));
    ch.append_label(2, label("b", 700.0));
    ASSERT_TRUE(f.undo.save(*f.doc));
    EXPECT_TRUE(f.undo.available());
    EXPECT_EQ(test::read_file(f.undo.path()).size(), 512u + 248 + 2 * 264 + 2 * 368 + 2000);

    select(*f.doc, 100, 200);
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    ch.reference = 9.0;
    ASSERT_EQ(f.undo.restore(*f.doc, false), UndoFile::Restore::Restored);
    EXPECT_EQ(samples_of(ch), ramp_range(0, 1000));
    EXPECT_EQ(ch.reference, 3.0);
    EXPECT_EQ(ch.window_last, 1000.0);
    EXPECT_EQ(ch.tiers[2].name, "third");
    using L = std::vector<std::pair<std::string, double>>;
    EXPECT_EQ(labels_of(ch, 2), (L{{"a", 150.0}, {"b", 700.0}}));
    EXPECT_EQ(f.doc->doc_count, 1000.0);
    EXPECT_FALSE(f.undo.available()) << "one level: a second undo has nothing";
    EXPECT_TRUE(f.prompts.events.empty());
}

TEST(Undo, AZoomedWindowStays) {
    UndoFixture f;
    fill(*f.doc, 1000);
    ASSERT_TRUE(f.undo.save(*f.doc));
    CChannels& ch = f.doc->channels[0];
    ch.window_first = 100;
    ch.window_last = 300;
    ASSERT_EQ(f.undo.restore(*f.doc, true), UndoFile::Restore::Restored);
    EXPECT_EQ(ch.window_first, 100.0);
    EXPECT_EQ(ch.window_last, 300.0);
}

TEST(Undo, RefusesTheCopyOfAMultichannelDocument) {
    UndoFixture f;
    fill(*f.doc, 500, 2);
    ASSERT_TRUE(f.undo.save(*f.doc));
    EXPECT_EQ(get_i32le(test::read_file(f.undo.path()).data() + 8), 2);
    select(*f.doc, 0, 100);
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    EXPECT_EQ(f.undo.restore(*f.doc, false), UndoFile::Restore::WrongChannels);
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{undo_text::kWrongChannels});
    EXPECT_EQ(f.doc->channels[0].sample_count, 400.0) << "nothing restored";
}

struct BrokenUndo {
    const char* name;
    int kind;  // 0 missing, 1 wrong text, 2 truncated samples
    UndoFile::Restore result;
    const char* message;
};

class UndoFailures : public ::testing::TestWithParam<BrokenUndo> {};

TEST_P(UndoFailures, LeaveTheDocumentAsItIs) {
    const BrokenUndo b = GetParam();
    UndoFixture f;
    fill(*f.doc, 300);
    ASSERT_TRUE(f.undo.save(*f.doc));
    auto bytes = test::read_file(f.undo.path());
    if (b.kind == 0) remove_file(f.undo.path());
    if (b.kind == 1) bytes[4] = 'X';
    if (b.kind == 2) bytes.resize(bytes.size() - 10);
    if (b.kind > 0) test::write_file(f.undo.path(), bytes);
    select(*f.doc, 0, 50);
    ASSERT_EQ(cut_selection(*f.doc), EditResult::Done);
    EXPECT_EQ(f.undo.restore(*f.doc, false), b.result);
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{b.message});
    EXPECT_EQ(samples_of(f.doc->channels[0]), ramp_range(50, 300));
}

INSTANTIATE_TEST_SUITE_P(
    Undo, UndoFailures,
    ::testing::Values(BrokenUndo{"Missing", 0, UndoFile::Restore::OpenFailed, undo_text::kOpenError},
                      BrokenUndo{"WrongText", 1, UndoFile::Restore::WrongType, undo_text::kWrongType},
                      BrokenUndo{"Truncated", 2, UndoFile::Restore::Damaged, undo_text::kOpenError}),
    [](const auto& i) { return std::string(i.param.name); });

TEST(Undo, ALongRecordingIsCopiedFromItsRawFileAndRestoredIntoANewOne) {
    UndoFixture f;
    make_long(f, 2600);
    ASSERT_TRUE(f.undo.save(*f.doc));
    EXPECT_EQ(f.progress.captions, std::vector<std::string>{doc_text::kSavingCaption});
    ASSERT_TRUE(apply_reference_gain(*f.doc, 100.0, 0.0));
    ASSERT_EQ(f.undo.restore(*f.doc, false), UndoFile::Restore::Restored);
    EXPECT_FALSE(f.doc->channels[0].samples.valid());
    EXPECT_EQ(test::audio_samples(*f.doc), ramp_range(0, 2600));
}

TEST(Undo, ACancelledCopyOfALongRecordingIsNotAvailable) {
    UndoFixture f;
    make_long(f, 2600);
    f.progress.cancel_at_step = 1;
    EXPECT_FALSE(f.undo.save(*f.doc));
    EXPECT_FALSE(f.undo.available());
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{undo_text::kWriteError});
    EXPECT_FALSE(file_exists(f.undo.path()));
}

TEST(Undo, AFileThatCannotBeCreatedIsReported) {
    DocFixture f;
    fill(*f.doc, 10);
    UndoFile undo(f.dir.file("no/such/folder/x@@tmp"));
    EXPECT_FALSE(undo.save(*f.doc));
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{undo_text::kCreateError});
}

TEST(Undo, TwoDocumentsOfOneTitleGetFilesOfTheirOwn) {
    DocFixture f;
    const std::string folder = f.dir.path().string();
    UndoFile a(UndoFile::name_for(folder, "Untitled"));
    UndoFile b(UndoFile::name_for(folder, "Untitled"));
    EXPECT_EQ(a.path(), f.dir.file("Untitled@@tmp"));
    EXPECT_NE(a.path(), b.path());
    fill(*f.doc, 10);
    ASSERT_TRUE(a.save(*f.doc));
    {
        UndoFile gone(UndoFile::name_for(folder, "other"));
        ASSERT_TRUE(gone.save(*f.doc));
        EXPECT_TRUE(file_exists(gone.path()));
        const std::string p = gone.path();
        gone.discard();
        EXPECT_FALSE(file_exists(p));
    }
    EXPECT_TRUE(file_exists(a.path()));
}

}  // namespace
}  // namespace vox
