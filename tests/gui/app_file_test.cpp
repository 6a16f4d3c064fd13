// The File menu through the main frame: open through the reader chain with
// scripted answers, the save flows, the close question and the recent files.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMimeData>
#include <QDropEvent>
#include <QUrl>
#include <QMdiSubWindow>
#include <cstdlib>
#include <filesystem>

#include "core/document/marbeck_doc.h"
#include "gui/app/child_frame.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;
using Ev = ScriptedPrompts::Event;
namespace fs = std::filesystem;

TEST(AppFile, OpenUsesTheThirteenFiltersAndRemembersTheChosenOne) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("speech.wav");
    write_wav(wav, 1, 3000);
    fx.prompts.file_choices.push_back(wav);
    ASSERT_TRUE(f.run_command(C::FileOpen));
    ASSERT_EQ(fx.prompts.file_requests.size(), 1u);
    const FileDialogRequest& req = fx.prompts.file_requests[0];
    // The thirteen format filters follow the one for every supported
    // recording; the decoder's formats come last.
    EXPECT_EQ(req.filter,
              std::string(CMainFrame::kAllSupportedFilter) + doc_text::kOpenFilters + CMainFrame::kDecodedFilter);
    EXPECT_EQ(std::count(req.filter.begin(), req.filter.end(), '|'), 30);
    ASSERT_EQ(f.document_count(), 1);
    EXPECT_EQ(f.active_document()->format_name(), "WAV");
    EXPECT_EQ(f.active_child()->windowTitle(), "speech.wav");

}

// File > Open on a stereo FLAC: the channel question, then a window titled
// by the channel, holding the samples sox decodes from that channel.
TEST(AppFile, OpenReadsAFlacThroughTheDecoder) {
    if (!have_program("sox")) GTEST_SKIP() << "sox is not installed";
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string flac = fx.dir.file("reading.flac");
    const std::string ref = fx.dir.file("ref.raw");
    ASSERT_TRUE(run_command("sox -D -R -n -r 16000 -b 16 -c 2 '" + flac +
                            "' synth 0.8 sine 180 sine 900 synth whitenoise amod 0.05 gain -3"));
    ASSERT_TRUE(run_command("sox -D '" + flac + "' -t raw -e signed -b 16 -L '" + ref + "' remix 2"));
    const auto ref_bytes = read_file(ref);
    fx.prompts.file_choices.push_back(flac);
    fx.prompts.channel_choices.push_back(1);
    f.action(C::FileOpen)->trigger();
    ASSERT_EQ(f.document_count(), 1);
    CMarbeckDoc* doc = f.active_document();
    EXPECT_EQ(doc->format_name().rfind("FLAC", 0), 0u) << doc->format_name();
    EXPECT_EQ(f.active_child()->windowTitle(), "reading.flac::Channel 2");
    EXPECT_EQ(fx.prompts.channel_requests.at(0).first, 2);
    const auto got = audio_samples(*doc);
    ASSERT_EQ(got.size() * 2, ref_bytes.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i], static_cast<std::int16_t>(ref_bytes[2 * i] | (ref_bytes[2 * i + 1] << 8))) << i;
    EXPECT_TRUE(fx.prompts.messages().empty());
    // Save As offers the native format for it, as for any foreign file.
    EXPECT_EQ(doc->foreign_format, 1);
    if (const char* dir = std::getenv("VOXTREL_VIEW_PNG_DIR")) f.grab().save(QString::fromLatin1(dir) + "/flac_open.png");
}

TEST(AppFile, AFailedOpenLeavesNoWindow) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    EXPECT_EQ(f.open_document(fx.dir.file("missing.wav")), nullptr);
    EXPECT_EQ(fx.prompts.count(Ev::OpenFailure), 1);
    EXPECT_EQ(f.document_count(), 0);
    EXPECT_TRUE(f.mdi_area()->subWindowList().isEmpty());
}

TEST(AppFile, CancelledGenericSelectionOpensNothingAndSaysNothingAfter) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string junk = fx.dir.file("junk.bin");
    write_file(junk, std::vector<unsigned char>(37, 0x5A));
    fx.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_EQ(f.open_document(junk), nullptr);
    ASSERT_FALSE(fx.prompts.events.empty());
    EXPECT_EQ(fx.prompts.events.back().kind, Ev::GenericFile);
    ASSERT_EQ(fx.prompts.generic_presets.size(), 1u);
    EXPECT_EQ(fx.prompts.generic_presets[0], GenericFileAnswers{});
    EXPECT_EQ(f.document_count(), 0);
}

TEST(AppFile, MultichannelWaveOffersItsChannelsAndOpensTheChosenOne) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("stereo.wav");
    write_wav(wav, 3, 1500);
    fx.prompts.channel_choices.push_back(1);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(fx.prompts.channel_requests.size(), 1u);
    EXPECT_EQ(fx.prompts.channel_requests[0].first, 3);
    EXPECT_EQ(f.active_child()->windowTitle(), "stereo.wav::Channel 2");
    EXPECT_EQ(doc->channels[0].samples[0], 1000);  // channel 2 of the ramp
}

TEST(AppFile, SaveOnAWaveDocumentAsksForANameThenSavesInPlace) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("talk.wav");
    write_wav(wav, 1, 4000);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    doc->set_modified(true);
    f.update_command_ui();
    const std::string vxl = fx.dir.file("talk.vxl");
    fx.prompts.file_choices.push_back(vxl);
    ASSERT_TRUE(f.run_command(C::FileSave));
    ASSERT_EQ(fx.prompts.file_requests.size(), 1u);
    EXPECT_EQ(fx.prompts.file_requests[0].title, doc_text::kSaveAsTitle);
    EXPECT_EQ(fx.prompts.file_requests[0].default_extension, "vxl");
    EXPECT_TRUE(fs::exists(vxl));
    EXPECT_EQ(doc->path(), vxl);
    EXPECT_EQ(f.active_child()->windowTitle(), "talk.vxl");
    EXPECT_EQ(fx.app->recent().entries().front(), vxl);

    // Now a native document: Save writes in place without a dialog.
    doc->set_modified(true);
    f.update_command_ui();
    fs::remove(vxl);
    ASSERT_TRUE(f.run_command(C::FileSave));
    EXPECT_EQ(fx.prompts.file_requests.size(), 1u);
    EXPECT_TRUE(fs::exists(vxl));
    EXPECT_FALSE(doc->modified());
}

TEST(AppFile, CopySelectionAndExportKeepThePathAndOfferTheirDefaultNames) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("my.take.wav");
    write_wav(wav, 1, 4000);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    CChannels& ch = doc->channels[0];
    ch.sel_lo_sample = 100;
    ch.sel_hi_sample = 600;
    doc->selection_active = 1;
    f.update_command_ui();

    struct Case {
        C command;
        const char* title;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {C::FileSaveCopyAs, doc_text::kSaveCopyTitle, "Copy of my_take_wav", "vxl"},
        {C::FileSaveSelectionAs, doc_text::kSaveSelectionTitle, "Selection of my_take_wav", "vxl"},
        {C::FileExportWave, doc_text::kExportTitle, "Export my_take_wav", "wav"},
        {C::FileExportSelectionWave, doc_text::kExportSelectionTitle, "Export my_take_wav", "wav"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string out = fx.dir.file("out" + std::to_string(n++) + "." + c.ext);
        fx.prompts.file_choices.push_back(out);
        fx.prompts.file_requests.clear();
        ASSERT_TRUE(f.run_command(c.command)) << c.title;
        ASSERT_EQ(fx.prompts.file_requests.size(), 1u);
        EXPECT_EQ(fx.prompts.file_requests[0].title, c.title);
        EXPECT_EQ(fx.prompts.file_requests[0].default_name, c.name);
        EXPECT_EQ(fx.prompts.file_requests[0].default_extension, c.ext);
        EXPECT_TRUE(fs::exists(out)) << c.title;
        EXPECT_EQ(doc->path(), wav) << c.title;
        EXPECT_EQ(f.active_child()->windowTitle(), "my.take.wav");
    }
    // The selection export holds 500 samples: 44 header bytes + 1000.
    EXPECT_EQ(fs::file_size(fx.dir.file("out3.wav")), 44u + 1000u);
}

TEST(AppFile, AFailedSaveBeepsAndSaysSo) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 1000);
    ASSERT_NE(f.open_document(wav), nullptr);
    fx.prompts.file_choices.push_back(fx.dir.file("no/such/folder/x.vxl"));
    ASSERT_TRUE(f.run_command(C::FileSaveAs));
    EXPECT_EQ(fx.prompts.count(Ev::Beep), 1);
    const auto msgs = fx.prompts.messages();
    ASSERT_FALSE(msgs.empty());
    EXPECT_EQ(msgs.back(), doc_text::kSaveError);
    EXPECT_EQ(f.active_document()->path(), wav);
}

struct CloseCase {
    Answer answer;
    bool closes;
    bool saved;
};
class AppClose : public ::testing::TestWithParam<CloseCase> {};

TEST_P(AppClose, ModifiedDocumentAsksBeforeClosing) {
    const CloseCase c = GetParam();
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 1000);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    doc->set_modified(true);
    fx.prompts.answers.push_back(c.answer);
    const std::string vxl = fx.dir.file("a.vxl");
    fx.prompts.file_choices.push_back(vxl);  // Yes saves through Save As (WAV-born)
    ASSERT_TRUE(f.run_command(C::FileClose));
    QCoreApplication::processEvents();
    ASSERT_EQ(fx.prompts.count(Ev::YesNoCancel), 1);
    for (const auto& e : fx.prompts.events)
        if (e.kind == Ev::YesNoCancel) {
            EXPECT_EQ(e.text, "Save Changes to 'a.wav' before closing ?");
        }
    EXPECT_EQ(f.document_count(), c.closes ? 0 : 1);
    EXPECT_EQ(fs::exists(vxl), c.saved);
}

INSTANTIATE_TEST_SUITE_P(Answers, AppClose,
                         ::testing::Values(CloseCase{Answer::No, true, false}, CloseCase{Answer::Cancel, false, false},
                                           CloseCase{Answer::Yes, true, true}));

TEST(AppFile, ClosingTheMainWindowAsksEveryModifiedDocument) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    for (const char* name : {"a.wav", "b.wav"}) {
        write_wav(fx.dir.file(name), 1, 1000);
        CMarbeckDoc* d = f.open_document(fx.dir.file(name));
        ASSERT_NE(d, nullptr);
        d->set_modified(true);
    }
    fx.prompts.answers = {Answer::No, Answer::Cancel};
    EXPECT_FALSE(f.close());
    EXPECT_EQ(f.document_count(), 2);
    fx.prompts.answers = {Answer::No, Answer::No};
    EXPECT_TRUE(f.close());
    EXPECT_EQ(f.document_count(), 0);
}

TEST(AppFile, RecentFilesKeepFiveNewestFirstAndReopen) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    std::vector<std::string> paths;
    for (int i = 0; i < 6; ++i) {
        paths.push_back(fx.dir.file("r" + std::to_string(i) + ".wav"));
        write_wav(paths.back(), 1, 500);
        ASSERT_NE(f.open_document(paths.back()), nullptr);
    }
    const auto& e = fx.app->recent().entries();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e.front(), paths[5]);
    EXPECT_EQ(e.back(), paths[1]);
    // Entries survive in the settings: a new list reads them back.
    CRecentFileList again(fx.settings, CVoxtrelApp::kCompany);
    again.load();
    EXPECT_EQ(again.entries(), e);

    fx.prompts.answers.clear();
    ASSERT_TRUE(f.close_all_documents());
    ASSERT_GE(f.recent_actions().size(), 5u);
    f.recent_actions()[2]->trigger();  // r3.wav
    ASSERT_EQ(f.document_count(), 1);
    EXPECT_EQ(f.active_document()->path(), paths[3]);
}

TEST(AppFile, NewWindowShowsTheSameDocumentNumbered) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    write_wav(fx.dir.file("a.wav"), 1, 800);
    CMarbeckDoc* doc = f.open_document(fx.dir.file("a.wav"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(f.run_command(C::WindowNew));
    const auto frames = f.frames_of(*doc);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->windowTitle(), "a.wav:1");
    EXPECT_EQ(frames[1]->windowTitle(), "a.wav:2");
    // Closing one of two windows asks nothing, even when modified.
    doc->set_modified(true);
    EXPECT_TRUE(frames[1]->close());
    EXPECT_EQ(fx.prompts.count(Ev::YesNoCancel), 0);
    EXPECT_EQ(f.document_count(), 1);
    doc->set_modified(false);
}

TEST(AppFile, DroppedFilesOpenAndFileCloseOfTwoWindowsAsksOnce) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    write_wav(fx.dir.file("d.wav"), 1, 900);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(fx.dir.file("d.wav")))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &drop);
    ASSERT_EQ(f.document_count(), 1);
    CMarbeckDoc* doc = f.active_document();
    ASSERT_TRUE(f.run_command(C::WindowNew));
    doc->set_modified(true);
    fx.prompts.answers = {Answer::Cancel};
    ASSERT_TRUE(f.run_command(C::FileClose));
    EXPECT_EQ(f.frames_of(*doc).size(), 2u);  // Cancel keeps both windows
    fx.prompts.answers = {Answer::No};
    ASSERT_TRUE(f.run_command(C::FileClose));
    QCoreApplication::processEvents();
    EXPECT_EQ(f.document_count(), 0);
    EXPECT_EQ(fx.prompts.count(Ev::YesNoCancel), 2);
}

}  // namespace
}  // namespace vox::test
