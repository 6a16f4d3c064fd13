// The measurement log window: opening, saving and closing flows through the
// main frame, and the rows the waveform view's entry commands add.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>

#include <fstream>
#include <sstream>

#include "core/annotation/log_texts.h"
#include "gui/annotation/form_log.h"
#include "gui/annotation/frame_log.h"
#include "gui/annotation/option_log.h"
#include "gui/grid/grid_control.h"
#include "tests/core/dsp/synth.h"
#include "tests/gui/gui_test_support.h"
#include "tests/gui/view_fixture.h"

namespace vox {
namespace {

using C = CommandId;

std::string read_all(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string close_question(const std::string& title) {
    return std::string(log_text::kCloseQuestionStart) + title + log_text::kCloseQuestionEnd;
}

LogEntry sample_entry() {
    LogEntry e("/rec/a.wav", LogEntryKind::Duration);
    e.add(10.0);
    e.add(20.0);
    e.add(10.0);
    return e;
}

// --- the window through the main frame ------------------------------------------------

TEST(LogWindow, NewOpensOneUntitledWindowAtTheDefaultRectangle) {
    test::AppFixture fx;
    CMainFrame& f = *fx.frame;
    EXPECT_EQ(fx.app->log_window().current(), nullptr);
    EXPECT_TRUE(f.command_enabled(C::LogOpen));
    EXPECT_FALSE(f.command_enabled(C::LogSave));
    ASSERT_TRUE(f.run_command(C::LogNew));
    CFrameLog* log = fx.app->log_window().current();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle(), log_text::kUntitled);
    EXPECT_EQ(log->geometry(), QRect(20, 20, 480, 280));
    CGridControl* g = log->form()->grid();
    ASSERT_EQ(g->column_count(), 3);
    EXPECT_EQ(g->caption(0), log_text::kFileNameCaption);
    EXPECT_EQ(g->caption(1), log_text::kDefinitionCaption);
    EXPECT_EQ(g->caption(2), log_text::kCommentsCaption);

    // A second New brings the same window up; Open is refused while it exists.
    ASSERT_TRUE(f.run_command(C::LogNew));
    EXPECT_EQ(fx.app->log_window().current(), log);
    EXPECT_EQ(f.mdi_area()->subWindowList().size(), 1);
    EXPECT_FALSE(f.command_enabled(C::LogOpen));
    EXPECT_TRUE(f.command_enabled(C::LogSave));
    // Moving it is remembered as left, top, right, bottom.
    log->setGeometry(30, 40, 300, 200);
    EXPECT_EQ(fx.app->app_values().log_window, (WindowRect{30, 40, 330, 240}));
}

TEST(LogWindow, SaveAsWritesTheFileAndRetitlesTheWindow) {
    test::AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.run_command(C::LogNew);
    CFrameLog* log = fx.app->log_window().current();
    ASSERT_TRUE(log->form()->add_entry(sample_entry()));
    EXPECT_TRUE(log->form()->modified());
    EXPECT_EQ(log->form()->grid()->column_count(), 6);
    EXPECT_EQ(log->form()->grid()->cell_text(0, 3), "20.0");

    const std::string path = fx.dir.file("m.txt");
    fx.prompts.file_choices.push_back(path);
    ASSERT_TRUE(f.run_command(C::LogSave));  // untitled: Save asks for a name
    ASSERT_EQ(fx.prompts.file_requests.size(), 1u);
    EXPECT_EQ(fx.prompts.file_requests[0].title, log_text::kSaveAsTextTitle);
    EXPECT_EQ(fx.prompts.file_requests[0].filter, log_text::kTextFilter);
    EXPECT_EQ(read_all(path),
              "File Name\tEntry definition and order\tEntry 1\tEntry 2\tEntry 3\tComments\t\r\n"
              "/rec/a.wav\tDuration Entry: start, end, duration\t10.0\t20.0\t10.0\t\t\r\n");
    EXPECT_FALSE(log->form()->modified());
    EXPECT_EQ(log->windowTitle().toStdString(), path);

    // A comment typed into the grid is part of the log again.
    log->form()->grid()->item(0, 5)->setText("vowel");
    EXPECT_TRUE(log->form()->modified());
    ASSERT_TRUE(f.run_command(C::LogSave));  // now without a dialog
    EXPECT_EQ(fx.prompts.file_requests.size(), 1u);
    EXPECT_NE(read_all(path).find("\t10.0\tvowel\t\r\n"), std::string::npos);
}

TEST(LogWindow, OpenShowsTheFileAndRefusesAnInvalidOne) {
    test::AppFixture fx;
    CMainFrame& f = *fx.frame;
    const std::string bad = fx.dir.file("bad.txt");
    std::ofstream(bad, std::ios::binary) << "abc\r\n";
    fx.prompts.file_choices.push_back(bad);
    f.run_command(C::LogOpen);
    EXPECT_EQ(fx.app->log_window().current(), nullptr);  // no empty window stays
    EXPECT_EQ(fx.prompts.messages(), std::vector<std::string>{log_text::kNotValid});
    EXPECT_EQ(fx.prompts.file_requests.back().title, log_text::kOpenTitle);

    const std::string good = fx.dir.file("good.txt");
    std::ofstream(good, std::ios::binary) << "A\tB\tC\t\r\nx\t1.5\t\t\r\n\r\ny\t\t\t\r\n";
    fx.prompts.file_choices.push_back(good);
    f.run_command(C::LogOpen);
    CFrameLog* log = fx.app->log_window().current();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->windowTitle().toStdString(), good);
    CGridControl* g = log->form()->grid();
    ASSERT_EQ(g->column_count(), 3);
    EXPECT_EQ(g->caption(2), "C");
    EXPECT_EQ(g->columnWidth(1), CFormLog::kOpenedColumnWidth);
    ASSERT_EQ(g->row_count(), 2);
    EXPECT_EQ(g->cell_text(0, 1), "1.5");
    EXPECT_EQ(g->cell_text(1, 0), "y");
    EXPECT_FALSE(log->form()->modified());
}

struct CloseCase {
    const char* name;
    Answer answer;
    bool give_file;
    bool closes;
    bool written;
};

class LogWindowClose : public ::testing::TestWithParam<CloseCase> {};

TEST_P(LogWindowClose, ModifiedLogAsksBeforeClosing) {
    const CloseCase& c = GetParam();
    test::AppFixture fx;
    fx.frame->run_command(C::LogNew);
    CFrameLog* log = fx.app->log_window().current();
    log->form()->add_entry(sample_entry());
    const std::string path = fx.dir.file("c.txt");
    fx.prompts.answers.push_back(c.answer);
    if (c.give_file) fx.prompts.file_choices.push_back(path);
    else fx.prompts.file_choices.push_back(std::nullopt);
    log->close();
    QCoreApplication::processEvents();
    ASSERT_EQ(fx.prompts.count(ScriptedPrompts::Event::YesNo), 1);
    EXPECT_EQ(fx.prompts.events[0].text, close_question(log_text::kUntitled));
    EXPECT_EQ(fx.app->log_window().current() == nullptr, c.closes);
    EXPECT_EQ(std::ifstream(path).good(), c.written);
}

INSTANTIATE_TEST_SUITE_P(Answers, LogWindowClose,
                         ::testing::Values(CloseCase{"No", Answer::No, false, true, false},
                                           CloseCase{"YesSaves", Answer::Yes, true, true, true},
                                           CloseCase{"YesButNoFileKeepsTheWindow", Answer::Yes, false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogWindow, UnmodifiedLogClosesWithoutQuestionAndExitAsksAboutAModifiedOne) {
    test::AppFixture fx;
    fx.frame->run_command(C::LogNew);
    fx.app->log_window().current()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(fx.app->log_window().current(), nullptr);
    EXPECT_EQ(fx.prompts.count(ScriptedPrompts::Event::YesNo), 0);

    fx.frame->run_command(C::LogNew);
    fx.app->log_window().current()->form()->add_entry(sample_entry());
    fx.prompts.answers.push_back(Answer::Yes);
    fx.prompts.file_choices.push_back(std::nullopt);  // the save is cancelled: the program stays
    EXPECT_FALSE(fx.frame->close());
    EXPECT_NE(fx.app->log_window().current(), nullptr);
    fx.prompts.answers.push_back(Answer::No);
    EXPECT_TRUE(fx.frame->close());
    EXPECT_EQ(fx.app->log_window().current(), nullptr);
}

TEST(LogOption, AcceptsOneTo5000AndRefusesOtherValues) {
    viewtest::app();
    ScriptedPrompts prompts;
    COptionLog dlg(10, prompts);
    for (const char* bad : {"0", "5001", "-3", "abc", ""}) {
        dlg.step_edit()->setText(bad);
        EXPECT_FALSE(dlg.try_accept()) << bad;
    }
    EXPECT_EQ(prompts.messages().size(), 5u);
    EXPECT_EQ(prompts.messages()[0], "Please enter an integer between 1 and 5000.");
    EXPECT_EQ(dlg.step_hz(), 10);
    for (int good : {1, 250, 5000}) {
        dlg.step_edit()->setText(QString::number(good));
        EXPECT_TRUE(dlg.try_accept());
        EXPECT_EQ(dlg.step_hz(), good);
    }
}

// --- entries of the waveform view --------------------------------------------------------

struct LogEntries : viewtest::ViewFixture {
    WindowRect placement;
    LogWindowSlot slot{prompts, placement};
    std::unique_ptr<CFrameLog> log;

    LogEntries() { join_session(nullptr, &slot); }

    // A 2 s, 200 Hz impulse train at 10 kHz.
    void load_pulses() {
        const auto x = test::impulse_train(20000, 50, 10000);
        viewtest::fill_audio(*doc, 10000.0, x.size(), [&](std::size_t i) { return x[i]; });
    }
    void open_log() {
        log = std::make_unique<CFrameLog>(slot, prompts, placement);
        log->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    CGridControl& grid() { return *log->form()->grid(); }
    std::string cell(int r, int c) { return grid().cell_text(r, c).toStdString(); }
    void drag(int x0, int x1, int y = 150) {
        QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
        for (int x = x0; x != x1; ++x) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x + 1, y), view->mapToGlobal(QPointF(x + 1, y)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.get(), &move);
        }
        QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    }
    void click(int x, int y = 150) {
        QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }
    ~LogEntries() override { log.reset(); }
};

TEST_F(LogEntries, CommandsNeedTheLogWindowAndWhatTheyMeasure) {
    load_pulses();
    show();
    click(300);
    for (C id : {C::LogEnterPitchAtMarker, C::LogEnterPitchAll, C::LogEnterDuration}) EXPECT_FALSE(view->command_enabled(id));
    open_log();
    EXPECT_TRUE(view->command_enabled(C::LogEnterPitchAtMarker));
    EXPECT_TRUE(view->command_enabled(C::LogEnterPitchAll));
    EXPECT_FALSE(view->command_enabled(C::LogEnterDuration));  // a cursor, no selection
    EXPECT_FALSE(view->command_enabled(C::LogEnterPitchSelection));
    EXPECT_FALSE(view->command_enabled(C::LogEnterLabelsAll));  // no labels
    // The analysis views' entries are not the waveform view's.
    EXPECT_FALSE(view->command_enabled(C::LogEnterAtMarker));
    EXPECT_FALSE(view->command_enabled(C::LogEnterFormantsBandwidths));
    drag(200, 400);
    EXPECT_TRUE(view->command_enabled(C::LogEnterDuration));
    EXPECT_TRUE(view->command_enabled(C::LogEnterPitchSelection));
    EXPECT_TRUE(view->command_enabled(C::LogEnterLabelsSelection));
    EXPECT_FALSE(view->command_enabled(C::LogEnterPitchAtMarker));
    log.reset();
    EXPECT_FALSE(view->command_enabled(C::LogEnterDuration));
}

TEST_F(LogEntries, PitchAllOfAn200HzImpulseTrainGivesOneRowPerFrame) {
    load_pulses();
    show();
    open_log();
    ASSERT_TRUE(view->handle_command(C::LogEnterPitchAll));
    // 10 ms frames over 2 s, each timed at the centre of its 55 ms window
    // (27.5, 37.5, … ms); the last two frames' centres lie past the end of the
    // recording and have no row. The first frame is unvoiced.
    ASSERT_EQ(grid().row_count(), 198);
    EXPECT_EQ(grid().column_count(), 6);
    EXPECT_EQ(cell(0, 1), log_text::kPitchAll);
    for (int r = 0; r < 198; ++r) {
        EXPECT_EQ(cell(r, 2), FormatLogValue(27.5 + 10.0 * r)) << r;
        EXPECT_EQ(cell(r, 3), r == 0 ? "0.0" : "200.0") << r;
        EXPECT_EQ(cell(r, 4), "") << r;  // no intensity contour shown
    }
    EXPECT_TRUE(view->pitch_contour().empty());  // the display keeps what it had
    EXPECT_TRUE(log->form()->modified());
}

TEST_F(LogEntries, PitchSelectionAndMarkerReadTheShownContourWithIntensity) {
    load_pulses();
    show();
    ASSERT_TRUE(view->handle_command(C::PitchAll));
    ASSERT_FALSE(view->intensity_strip().empty());
    open_log();
    drag(200, 400);
    const CChannels& ch = doc->channels[0];
    const double lo = ch.sel_lo_ms, hi = ch.sel_hi_ms;
    ASSERT_TRUE(view->handle_command(C::LogEnterPitchSelection));
    int expected = 0;
    for (int i = 0; i < 200; ++i) expected += (27.5 + 10.0 * i >= lo && 27.5 + 10.0 * i <= hi);
    ASSERT_GT(expected, 20);
    ASSERT_EQ(grid().row_count(), expected);
    for (int r = 0; r < expected; ++r) {
        const double t = grid().cell_number(r, 2).value();
        EXPECT_GE(t, lo - 0.05);
        EXPECT_LE(t, hi + 0.05);
        EXPECT_EQ(cell(r, 3), "200.0");
        EXPECT_EQ(cell(r, 4), FormatLogValue(view->intensity_at(t)));
        EXPECT_NE(cell(r, 4), "");
    }
    ASSERT_TRUE(view->handle_command(C::LogEnterDuration));
    const int d = grid().row_count() - 1;
    EXPECT_EQ(cell(d, 1), log_text::kDuration);
    EXPECT_EQ(cell(d, 2), FormatLogValue(lo));
    EXPECT_EQ(cell(d, 3), FormatLogValue(hi));
    EXPECT_EQ(cell(d, 4), FormatLogValue(hi - lo));

    click(500);
    ASSERT_TRUE(view->handle_command(C::LogEnterPitchAtMarker));
    const int m = grid().row_count() - 1;
    EXPECT_EQ(cell(m, 1), log_text::kPitchMarker);
    EXPECT_EQ(cell(m, 2), FormatLogValue(ch.marker_ms));
    EXPECT_EQ(cell(m, 3), "200.0");
    EXPECT_EQ(cell(m, 4), FormatLogValue(view->intensity_at(ch.marker_ms)));
}

TEST_F(LogEntries, LabelRowsCarryTierTextTimePitchAndIntensity) {
    load_pulses();
    Tier& t0 = doc->channels[0].tiers[0];
    t0.in_use = 1;
    t0.name = "words";
    for (double ms : {100.0, 1000.0, 1900.0}) {
        LABEL l;
        l.set_text("w" + std::to_string(int(ms)));
        l.time_ms = ms;
        t0.labels.push_back(l);
    }
    show();
    ASSERT_TRUE(view->handle_command(C::PitchAll));
    open_log();
    ASSERT_TRUE(view->handle_command(C::LogEnterLabelsAll));
    ASSERT_EQ(grid().row_count(), 3);
    EXPECT_EQ(grid().column_count(), 8);  // five values
    EXPECT_EQ(cell(1, 1), log_text::kLabelsAll);
    EXPECT_EQ(cell(1, 2), "words");
    EXPECT_EQ(cell(1, 3), "w1000");
    EXPECT_EQ(cell(1, 4), "1000.0");
    EXPECT_EQ(cell(1, 5), "200.0");
    EXPECT_EQ(cell(1, 6), FormatLogValue(view->intensity_at(1000.0)));

    // Only the label inside the selection (about 760 .. 1260 ms).
    drag(340, 560);
    ASSERT_TRUE(view->handle_command(C::LogEnterLabelsSelection));
    ASSERT_EQ(grid().row_count(), 4);
    EXPECT_EQ(cell(3, 1), log_text::kLabelsSelection);
    EXPECT_EQ(cell(3, 3), "w1000");
}

}  // namespace
}  // namespace vox
