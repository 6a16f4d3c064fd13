#include <gtest/gtest.h>

#include <filesystem>

#include "core/document/marbeck_doc.h"
#include "core/formats/open_document.h"
#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::DocFixture;
using Kind = ScriptedPrompts::Event::Kind;

// Channel 0 as a ramp of `n` samples at `rate` Hz.
void fill(CMarbeckDoc& doc, std::size_t n, double rate = 11025.0) {
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(rate, static_cast<double>(n));
    ch.allocate_samples(n);
    for (std::size_t i = 0; i < n; ++i) ch.samples[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
    doc.channel_count = 1;
    doc.loaded = 1;
}

// A document opened from a WAV file of `n` samples.
CMarbeckDoc& open_wav(DocFixture& f, const std::string& name, std::size_t n) {
    fill(*f.doc, n);
    const std::string path = f.dir.file(name);
    EXPECT_TRUE(f.doc->write_wave(path, false));
    CMarbeckDoc& doc = f.fresh();
    EXPECT_TRUE(open_document(doc, path));
    return doc;
}

TEST(Document, NewDocumentIsUntitledAndOffersNothingToSave) {
    DocFixture f;
    EXPECT_EQ(f.doc->title(), "Untitled");
    EXPECT_FALSE(f.doc->can_save());
    EXPECT_FALSE(f.doc->can_save_as());
    EXPECT_FALSE(f.doc->can_export_wave());
    EXPECT_FALSE(f.doc->can_save_selection_as());
    EXPECT_FALSE(f.doc->save_selection_as());
    EXPECT_TRUE(f.prompts.events.empty());
}

TEST(Document, AcceptedOpenCopiesTheChannelFiguresAndClearsTheRecordingFlag) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "a.wav", 5000);
    EXPECT_EQ(doc.loaded, 1);
    EXPECT_EQ(doc.is_recording, 0);
    EXPECT_EQ(doc.foreign_format, 1);
    EXPECT_EQ(doc.doc_rate, 11025.0);
    EXPECT_EQ(doc.doc_count, 5000.0);
    EXPECT_NEAR(doc.doc_duration_ms, 5000.0 * 1000.0 / 11025.0, 1e-9);
    EXPECT_EQ(doc.title(), "a.wav");
    EXPECT_TRUE(doc.can_save_as());
    EXPECT_FALSE(doc.can_save_selection_as());
    doc.selection_active = 1;
    EXPECT_TRUE(doc.can_save_selection_as());
    EXPECT_TRUE(doc.can_export_selection_wave());
}

// The documents of one session step their play cursors by the rate of the
// recording opened last, whichever document opened it; a document of
// another session is not affected.
TEST(Document, OpeningSetsItsSessionsCurrentRate) {
    DocFixture f;
    SessionState session, other;
    const auto write_at = [&](const std::string& name, double rate) {
        fill(*f.doc, 2000, rate);
        const std::string path = f.dir.file(name);
        EXPECT_TRUE(f.doc->write_wave(path, false));
        return path;
    };
    const std::string low = write_at("low.wav", 8000.0), high = write_at("high.wav", 44100.0);
    f.services.session = &session;
    CMarbeckDoc a(f.services), b(f.services);
    f.services.session = &other;
    CMarbeckDoc c(f.services);
    EXPECT_EQ(session.current_rate_hz, 11025.0);  // before any open
    ASSERT_TRUE(open_document(a, low));
    EXPECT_EQ(session.current_rate_hz, 8000.0);
    ASSERT_TRUE(open_document(b, high));
    EXPECT_EQ(session.current_rate_hz, 44100.0);
    EXPECT_EQ(other.current_rate_hz, 11025.0);
    ASSERT_TRUE(open_document(c, low));
    EXPECT_EQ(other.current_rate_hz, 8000.0);
    EXPECT_EQ(session.current_rate_hz, 44100.0);
}

TEST(Document, UnreadableFileIsReportedOnceAndNothingOpens) {
    DocFixture f;
    EXPECT_FALSE(open_document(*f.doc, f.dir.file("missing.wav")));
    EXPECT_EQ(f.prompts.count(Kind::OpenFailure), 1);
    EXPECT_EQ(f.doc->loaded, 0);
}

TEST(Document, CancelledGenericSelectionOpensNothingAndSaysNothingMore) {
    DocFixture f;
    test::write_file(f.dir.file("junk.bin"), std::vector<unsigned char>(40, 0x5A));
    f.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_FALSE(open_document(*f.doc, f.dir.file("junk.bin")));
    ASSERT_EQ(f.prompts.events.size(), 1u);
    EXPECT_EQ(f.prompts.events[0].kind, Kind::GenericFile);
    ASSERT_EQ(f.prompts.generic_presets.size(), 1u);
    EXPECT_EQ(f.prompts.generic_presets[0], GenericFileAnswers{});
    EXPECT_EQ(GenericFileAnswers{}.sample_rate_hz, 10000);
    EXPECT_EQ(f.doc->loaded, 0);
}

TEST(Document, SaveOfAForeignFileAsksForANameThenSavesInPlace) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "speech.wav", 4000);
    doc.set_modified(true);
    const std::string target = f.dir.file("speech.vxl");
    f.prompts.file_choices.push_back(target);
    ASSERT_TRUE(doc.save());
    ASSERT_EQ(f.prompts.file_requests.size(), 1u);
    const FileDialogRequest& req = f.prompts.file_requests[0];
    EXPECT_EQ(req.title, "Save file As");
    EXPECT_EQ(req.default_name, "Untitled");
    EXPECT_EQ(req.default_extension, "vxl");
    EXPECT_EQ(req.filter, "Voxtrel files (*.vxl)|*.vxl|");
    EXPECT_TRUE(req.confirm_overwrite);
    EXPECT_EQ(doc.path(), target);
    EXPECT_EQ(doc.title(), "speech.vxl");
    EXPECT_EQ(doc.foreign_format, 0);
    EXPECT_FALSE(doc.modified());

    // The second save goes straight to the file, without a dialog.
    doc.channels[0].samples[0] = 1234;
    doc.set_modified(true);
    ASSERT_TRUE(doc.save());
    EXPECT_EQ(f.prompts.file_requests.size(), 1u);
    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, target));
    EXPECT_EQ(test::audio_samples(back)[0], 1234);
}

TEST(Document, CancelledSaveAsChangesNothing) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "a.wav", 1000);
    doc.set_modified(true);
    f.prompts.file_choices.push_back(std::nullopt);
    EXPECT_FALSE(doc.save());
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.foreign_format, 1);
    EXPECT_EQ(f.prompts.messages().size(), 0u);
}

TEST(Document, FailedSaveBeepsReportsAndKeepsTheOldFileAndFlags) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "a.wav", 1000);
    doc.set_modified(true);
    f.prompts.file_choices.push_back(f.dir.file("no/such/folder/x.vxl"));
    EXPECT_FALSE(doc.save_as());
    EXPECT_EQ(f.prompts.count(Kind::Beep), 1);
    EXPECT_EQ(f.prompts.messages(), std::vector<std::string>{"Error in save operation."});
    EXPECT_EQ(doc.title(), "a.wav");
    EXPECT_TRUE(doc.modified());
}

TEST(Document, CancelledSaveLeavesThePreviousFileIntact) {
    // A long document written from its raw file reports progress per second;
    // a cancel mid-way must not damage the file already on disk.
    DocFixture f;
    fill(*f.doc, 11025 * 4);
    const std::string path = f.dir.file("keep.vxl");
    ASSERT_TRUE(f.doc->write_native(path));
    const auto before = test::read_file(path);

    CMarbeckDoc& doc = f.fresh();
    doc.options.long_file_minutes = 0;  // everything takes the disk path
    ASSERT_TRUE(open_document(doc, path));
    ASSERT_FALSE(doc.channels[0].samples.valid());
    doc.channels[0].name = "changed";
    f.progress.cancel_at_step = 2;
    EXPECT_FALSE(doc.write_native(path));
    EXPECT_EQ(test::read_file(path), before);
    for (const auto& e : std::filesystem::directory_iterator(f.dir.path()))
        EXPECT_NE(e.path().extension(), ".vxpart") << "partial file left behind: " << e.path();
}

struct DefaultNameCase {
    const char* title_prefix;
    bool (CMarbeckDoc::*command)();
    const char* dialog_title;
    const char* extension;
};

class DefaultNames : public ::testing::TestWithParam<DefaultNameCase> {};

TEST_P(DefaultNames, TitleFullStopsBecomeUnderscores) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "my.take.2.wav", 2000);
    doc.selection_active = 1;
    doc.channels[0].set_marker_from_ms(10.0);
    doc.channels[0].extend_selection_to_ms(30.0);
    f.prompts.file_choices.push_back(std::nullopt);
    EXPECT_FALSE((doc.*GetParam().command)());
    ASSERT_EQ(f.prompts.file_requests.size(), 1u);
    const FileDialogRequest& req = f.prompts.file_requests[0];
    EXPECT_EQ(req.default_name, std::string(GetParam().title_prefix) + "my_take_2_wav");
    EXPECT_EQ(req.title, GetParam().dialog_title);
    EXPECT_EQ(req.default_extension, GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(
    Document, DefaultNames,
    ::testing::Values(DefaultNameCase{"Copy of ", &CMarbeckDoc::save_copy_as, "Save a Copy As", "vxl"},
                      DefaultNameCase{"Selection of ", &CMarbeckDoc::save_selection_as, "Save Selection As", "vxl"},
                      DefaultNameCase{"Export ", &CMarbeckDoc::export_wave, "Save a Data Channel As", "wav"},
                      DefaultNameCase{"Export ", &CMarbeckDoc::export_selection_wave,
                                      "Save Selection of a Data Channel As", "wav"}));

TEST(Document, SaveSelectionWritesOnlyTheSelectionAndKeepsThePath) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "a.wav", 3000);
    const auto all = test::audio_samples(doc);
    doc.channels[0].set_marker_from_ms(90.0);
    doc.channels[0].extend_selection_to_ms(140.0);
    doc.selection_active = 1;
    doc.set_modified(true);
    const std::string out = f.dir.file("part.vxl");
    f.prompts.file_choices.push_back(out);
    ASSERT_TRUE(doc.save_selection_as());
    EXPECT_EQ(doc.title(), "a.wav");
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.selection_active, 1);
    const CMarbeckDoc::Range r = doc.sample_range(true);

    CMarbeckDoc& back = f.fresh();  // `doc` is gone from here on
    ASSERT_TRUE(open_document(back, out));
    EXPECT_EQ(test::audio_samples(back),
              std::vector<std::int16_t>(all.begin() + static_cast<long>(r.start),
                                        all.begin() + static_cast<long>(r.start + r.count)));
}

TEST(Document, SaveCopyKeepsTheSelectionFlagAndThePath) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "a.wav", 3000);
    doc.channels[0].set_marker_from_ms(1.0);
    doc.channels[0].extend_selection_to_ms(2.0);
    doc.selection_active = 1;
    const std::string out = f.dir.file("copy.vxl");
    f.prompts.file_choices.push_back(out);
    ASSERT_TRUE(doc.save_copy_as());
    EXPECT_EQ(doc.selection_active, 1);
    EXPECT_EQ(doc.title(), "a.wav");
    EXPECT_EQ(doc.foreign_format, 0);
    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, out));
    EXPECT_EQ(back.channels[0].sample_count, 3000.0);  // the whole document
}

TEST(Document, ExportOfOneSecondAt11025HzIsA16BitMonoWave) {
    DocFixture f;
    fill(*f.doc, 11025);
    const std::string out = f.dir.file("one.wav");
    f.prompts.file_choices.push_back(out);
    ASSERT_TRUE(f.doc->export_wave());
    const auto bytes = test::read_file(out);
    ASSERT_EQ(bytes.size(), 22094u);
    EXPECT_EQ(get_u32le(&bytes[4]), 22086u);
    EXPECT_EQ(get_u16le(&bytes[20]), 1u);   // PCM
    EXPECT_EQ(get_u16le(&bytes[22]), 1u);   // mono
    EXPECT_EQ(get_u32le(&bytes[24]), 11025u);
    EXPECT_EQ(get_u16le(&bytes[34]), 16u);
    EXPECT_EQ(get_u32le(&bytes[40]), 22050u);
    EXPECT_EQ(static_cast<std::int16_t>(get_u16le(&bytes[44 + 2 * 500])), f.doc->channels[0].samples[500]);
}

struct CloseCase {
    Answer answer;
    bool closes;
    bool still_modified;
};

class CloseWithChanges : public ::testing::TestWithParam<CloseCase> {};

TEST_P(CloseWithChanges, AnswersDecide) {
    DocFixture f;
    CMarbeckDoc& doc = open_wav(f, "a.wav", 1000);
    doc.set_modified(true);
    f.prompts.answers.push_back(GetParam().answer);
    f.prompts.file_choices.push_back(f.dir.file("saved.vxl"));  // used by Yes only
    EXPECT_EQ(doc.can_close(), GetParam().closes);
    ASSERT_EQ(f.prompts.events.at(0).kind, Kind::YesNoCancel);
    EXPECT_EQ(f.prompts.events[0].text, "Save Changes to 'a.wav' before closing ?");
    EXPECT_EQ(doc.modified(), GetParam().still_modified);
    EXPECT_EQ(std::filesystem::exists(f.dir.file("saved.vxl")), GetParam().answer == Answer::Yes);
}

INSTANTIATE_TEST_SUITE_P(Document, CloseWithChanges,
                         ::testing::Values(CloseCase{Answer::Yes, true, false}, CloseCase{Answer::No, true, false},
                                           CloseCase{Answer::Cancel, false, true}));

TEST(Document, UnmodifiedDocumentClosesWithoutAQuestion) {
    DocFixture f;
    EXPECT_TRUE(f.doc->can_close());
    EXPECT_TRUE(f.prompts.events.empty());
}

TEST(Document, RecordingsOfAtMostOneHundredBytesAreIgnored) {
    DocFixture f;
    const std::string raw = f.dir.file("rec.raw");
    test::write_file(raw, std::vector<unsigned char>(100, 1));
    f.doc->channels[0].sample_rate = 22050.0;
    EXPECT_FALSE(f.doc->accept_recording(raw));
    EXPECT_EQ(f.doc->loaded, 0);
    EXPECT_TRUE(std::filesystem::exists(raw));
}

TEST(Document, AcceptedRecordingBecomesAnUnsavedForeignDocument) {
    DocFixture f;
    const std::string raw = f.dir.file("rec.raw");
    Bytes b;
    for (int i = 0; i < 500; ++i) b.i16le(i * 11 - 2000);
    test::write_file(raw, b.data);
    f.doc->channels[0].sample_rate = 22050.0;
    ASSERT_TRUE(f.doc->accept_recording(raw));
    EXPECT_FALSE(std::filesystem::exists(raw));
    const CChannels& ch = f.doc->channels[0];
    EXPECT_EQ(ch.sample_count, 500.0);
    EXPECT_EQ(ch.sample_rate, 22050.0);
    EXPECT_EQ(ch.bandwidth_hz, 11025.0);
    EXPECT_EQ(f.doc->is_recording, 1);
    EXPECT_EQ(f.doc->foreign_format, 1);
    EXPECT_TRUE(f.doc->modified());
    const auto got = test::audio_samples(*f.doc);
    ASSERT_EQ(got.size(), 500u);
    EXPECT_EQ(got[0], -2000);
    EXPECT_EQ(got[499], 499 * 11 - 2000);
    const std::string work = f.doc->wav_work_path;
    EXPECT_NE(work.find("$$TempFile"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(work));
    f.doc.reset();
    EXPECT_FALSE(std::filesystem::exists(work));  // the document's working file goes with it
}

TEST(Document, LongFilesStayOnDiskAndReadBackExactly) {
    DocFixture f;
    fill(*f.doc, 30000);
    const auto expected = test::audio_samples(*f.doc);
    const std::string path = f.dir.file("long.wav");
    ASSERT_TRUE(f.doc->write_wave(path, false));
    CMarbeckDoc& doc = f.fresh();
    doc.options.long_file_minutes = 0;
    ASSERT_TRUE(open_document(doc, path));
    EXPECT_FALSE(doc.channels[0].samples.valid());
    ASSERT_TRUE(doc.samples_on_disk());
    EXPECT_EQ(test::audio_samples(doc), expected);
    std::vector<std::int16_t> part(10);
    ASSERT_TRUE(doc.read_audio(29990, 10, part.data()));
    EXPECT_EQ(part, std::vector<std::int16_t>(expected.end() - 10, expected.end()));
    EXPECT_FALSE(doc.read_audio(29995, 10, part.data()));  // never past the end

    // Every writer streams from the raw file.
    const std::string back_path = f.dir.file("back.wav");
    ASSERT_TRUE(doc.write_wave(back_path, false));
    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, back_path));
    EXPECT_EQ(test::audio_samples(back), expected);
    EXPECT_GT(f.progress.steps, 0);
    EXPECT_EQ(f.progress.captions, (std::vector<std::string>{doc_text::kReadingCaption, doc_text::kSavingCaption}));
    EXPECT_EQ(f.progress.opened, f.progress.closed);
}

}  // namespace
}  // namespace vox
