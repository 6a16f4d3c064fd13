// Closing windows and the program while something is unfinished: a window
// closed while it records (its close button, Ctrl+F4, File > Close) and
// File > Exit or the main window's close with a modified log and documents.
#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <functional>
#include <random>

#include "core/annotation/measurement_log.h"
#include "core/platform/memory_wave.h"
#include "gui/annotation/form_log.h"
#include "gui/annotation/frame_log.h"
#include "gui/app/child_frame.h"
#include "gui/audio/sound_devices.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;
using Ev = ScriptedPrompts::Event;
namespace fs = std::filesystem;

// Recording and working files left anywhere under the folder.
std::vector<std::string> temp_files_under(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && e.path().filename().string().rfind("$$TempFile", 0) == 0)
            found.push_back(e.path().string());
    return found;
}

int questions_containing(const ScriptedPrompts& p, Ev::Kind kind, const std::string& part) {
    int n = 0;
    for (const auto& e : p.events) n += e.kind == kind && e.text.find(part) != std::string::npos;
    return n;
}

// --- closing a window while it records ------------------------------------------------------

enum class CloseBy { Window, CtrlF4, FileClose };
struct RecordCloseCase {
    const char* name;
    CloseBy by;
    Answer answer;
};

class CloseWhileRecording : public ::testing::TestWithParam<RecordCloseCase> {
protected:
    AppFixture fx;
    MemoryWaveOut speaker{1.0};
    std::vector<std::int16_t> spoken;
    std::unique_ptr<MemoryWaveIn> mic;

    CloseWhileRecording() {
        spoken.resize(5 * 11025);
        for (std::size_t i = 0; i < spoken.size(); ++i)
            spoken[i] = static_cast<std::int16_t>(8000 * std::sin(0.05 * double(i)) + double(i % 7));
        mic = std::make_unique<MemoryWaveIn>(spoken, 8.0);
        fx.devices.install(&speaker, mic.get());
    }
    ~CloseWhileRecording() override {
        fx.prompts.answers = {Answer::No};
        fx.frame->close_all_documents();
        fx.devices.install(nullptr, nullptr);
    }
};

TEST_P(CloseWhileRecording, StopsTheRecordingThenAsksAboutTheDocument) {
    const auto p = GetParam();
    CMainFrame& f = *fx.frame;
    CMarbeckDoc* doc = f.new_document();
    ASSERT_NE(doc, nullptr);
    CChildFrame* child = f.active_child();
    ASSERT_NE(child, nullptr);
    auto* view = qobject_cast<CMarbeckView*>(child->view());
    ASSERT_NE(view, nullptr);
    f.update_command_ui();
    ASSERT_TRUE(f.action(C::Record)->isEnabled());
    f.action(C::Record)->trigger();
    ASSERT_TRUE(wait_until([&] { return view->recording_sound(); }));
    ASSERT_TRUE(wait_until([&] { return view->recorded_blocks() >= 2; }));

    fx.prompts.answers.push_back(p.answer);
    const std::string saved = fx.dir.file("take.vxl");
    if (p.answer == Answer::Yes) fx.prompts.file_choices.push_back(saved);
    QPointer<CChildFrame> guard(child);
    switch (p.by) {
    case CloseBy::Window: child->close(); break;
    case CloseBy::CtrlF4:
        f.mdi_area()->setActiveSubWindow(child);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F4, Qt::ControlModifier);
        break;
    case CloseBy::FileClose: f.action(C::FileClose)->trigger(); break;
    }
    QTest::qWait(20);
    EXPECT_EQ(questions_containing(fx.prompts, Ev::YesNoCancel, "before closing"), 1);

    if (p.answer == Answer::Cancel) {
        // The window stays, no longer recording, with what was captured.
        ASSERT_FALSE(guard.isNull());
        EXPECT_FALSE(view->recording_sound());
        EXPECT_EQ(doc->loaded, 1);
        EXPECT_TRUE(doc->modified());
        const auto got = audio_samples(*doc);
        ASSERT_GE(got.size(), 2u * 4096u);
        EXPECT_EQ(got.size() % 4096, 0u);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), spoken.begin()));
        return;
    }
    ASSERT_TRUE(wait_until([&] { return guard.isNull() && f.document_count() == 0; }));
    EXPECT_TRUE(f.mdi_area()->subWindowList().isEmpty());
    // The capture has ended: the device is closed and nothing is left over.
    EXPECT_FALSE(mic->is_open());
    EXPECT_EQ(temp_files_under(fx.dir.path()), std::vector<std::string>{});
    if (p.answer == Answer::Yes) {
        // The recording was saved: it opens again with the spoken samples.
        ASSERT_TRUE(fs::exists(saved));
        CMarbeckDoc* again = f.open_document(saved);
        ASSERT_NE(again, nullptr);
        const auto got = audio_samples(*again);
        ASSERT_GE(got.size(), 2u * 4096u);
        EXPECT_EQ(got.size() % 4096, 0u);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), spoken.begin()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CloseWhileRecording,
    ::testing::Values(RecordCloseCase{"WindowNo", CloseBy::Window, Answer::No},
                      RecordCloseCase{"WindowYesSaves", CloseBy::Window, Answer::Yes},
                      RecordCloseCase{"WindowCancelKeeps", CloseBy::Window, Answer::Cancel},
                      RecordCloseCase{"CtrlF4No", CloseBy::CtrlF4, Answer::No},
                      RecordCloseCase{"CtrlF4YesSaves", CloseBy::CtrlF4, Answer::Yes},
                      RecordCloseCase{"FileCloseNo", CloseBy::FileClose, Answer::No},
                      RecordCloseCase{"FileCloseCancelKeeps", CloseBy::FileClose, Answer::Cancel}),
    [](const auto& info) { return std::string(info.param.name); });

// Exit while a window records: the recording ends and is offered for saving.
TEST(ExitWhileRecording, OffersTheCapturedAudio) {
    AppFixture fx;
    MemoryWaveOut speaker(1.0);
    std::vector<std::int16_t> spoken(4 * 11025, 1234);
    MemoryWaveIn mic(spoken, 8.0);
    fx.devices.install(&speaker, &mic);
    CMainFrame& f = *fx.frame;
    CMarbeckDoc* doc = f.new_document();
    auto* view = qobject_cast<CMarbeckView*>(f.active_child()->view());
    f.update_command_ui();
    f.action(C::Record)->trigger();
    ASSERT_TRUE(wait_until([&] { return view->recorded_blocks() >= 1; }));
    fx.prompts.answers.push_back(Answer::Cancel);
    f.action(C::FileExit)->trigger();
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(view->recording_sound());
    EXPECT_EQ(doc->loaded, 1);
    EXPECT_GE(audio_samples(*doc).size(), 4096u);
    fx.prompts.answers.push_back(Answer::No);
    f.action(C::FileExit)->trigger();
    EXPECT_FALSE(f.isVisible());
    fx.devices.install(nullptr, nullptr);
}

// Windows that go while recording, at random moments and in random ways
// (closed and answered No, or destroyed outright as at teardown): the
// capture ends before the view it draws into, and no file is left over.
TEST(RecordingWindowsGo, AtRandomMomentsLeaveNothingBehind) {
    AppFixture fx;
    MemoryWaveOut speaker(1.0);
    std::vector<std::int16_t> spoken(20 * 11025, 500);
    MemoryWaveIn mic(spoken, 32.0);
    fx.devices.install(&speaker, &mic);
    CMainFrame& f = *fx.frame;
    std::mt19937 g(8122026);
    for (int run = 0; run < 8; ++run) {
        SCOPED_TRACE(run);
        const int docs_before = f.document_count();
        f.new_document();
        CChildFrame* child = f.active_child();
        auto* view = qobject_cast<CMarbeckView*>(child->view());
        f.update_command_ui();
        f.action(C::Record)->trigger();
        ASSERT_TRUE(wait_until([&] { return view->recording_sound(); }));
        QTest::qWait(static_cast<int>(g() % 40));
        if (run % 2 == 0) {
            fx.prompts.answers.push_back(Answer::No);
            child->close();
        } else {
            delete child;
        }
        // A closed window takes its document along; a destroyed one leaves it.
        if (run % 2 == 0) {
            ASSERT_TRUE(wait_until([&] { return f.document_count() == docs_before; }));
        }
        EXPECT_FALSE(mic.is_open());
    }
    EXPECT_TRUE(fx.prompts.answers.empty());
    fx.prompts.answers.assign(8, Answer::No);
    EXPECT_TRUE(fx.frame->close_all_documents());
    QTest::qWait(10);
    EXPECT_EQ(temp_files_under(fx.dir.path()), std::vector<std::string>{});
    fx.devices.install(nullptr, nullptr);
}

// --- exit with a modified log -------------------------------------------------------------------

LogEntry one_entry() {
    LogEntry e("/rec/a.wav", LogEntryKind::Duration);
    e.add(10.0);
    e.add(20.0);
    e.add(10.0);
    return e;
}

enum class ExitBy { FileExit, MainWindowClose };
class ExitWithLog : public ::testing::TestWithParam<ExitBy> {};

// Every question is asked before anything closes: No for the log and then
// Cancel at a document leaves the log window and its rows in place.
TEST_P(ExitWithLog, CancelAtADocumentKeepsTheLog) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string wav = fx.dir.file("a.wav");
    write_wav(wav, 1, 3000);
    CMarbeckDoc* doc = f.open_document(wav);
    ASSERT_NE(doc, nullptr);
    doc->set_modified(true);
    f.run_command(C::LogNew);
    ASSERT_NE(fx.app->log_window().current(), nullptr);
    ASSERT_TRUE(fx.app->log_window().current()->form()->add_entry(one_entry()));
    const auto exit = [&] {
        if (GetParam() == ExitBy::FileExit) {
            f.update_command_ui();
            f.action(C::FileExit)->trigger();
        } else {
            f.close();
        }
        QCoreApplication::processEvents();
    };

    fx.prompts.answers = {Answer::No, Answer::Cancel};
    exit();
    EXPECT_TRUE(fx.prompts.answers.empty());
    EXPECT_TRUE(f.isVisible());
    ASSERT_NE(fx.app->log_window().current(), nullptr);
    EXPECT_EQ(fx.app->log_window().current()->form()->log().row_count(), 1u);
    EXPECT_EQ(f.document_count(), 1);
    // The log's question came first, then the document's.
    ASSERT_EQ(fx.prompts.events.size(), 2u);
    EXPECT_EQ(fx.prompts.events[0].kind, Ev::YesNo);
    EXPECT_EQ(fx.prompts.events[1].kind, Ev::YesNoCancel);

    // Asked again (the log is still unsaved), both answered No: all goes.
    fx.prompts.answers = {Answer::No, Answer::No};
    exit();
    EXPECT_TRUE(fx.prompts.answers.empty());
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(fx.app->log_window().current(), nullptr);
    EXPECT_EQ(f.document_count(), 0);
}
INSTANTIATE_TEST_SUITE_P(Ways, ExitWithLog, ::testing::Values(ExitBy::FileExit, ExitBy::MainWindowClose));

}  // namespace
}  // namespace vox::test
