// The waveform window as a user drives it through the application: the
// wheel and the scroll bar during playback, the readouts after scrolling and
// Select All, the zoom and display options, a paste into a new document, and
// the unit model of the Record & Play options.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "core/document/marbeck_doc.h"
#include "core/platform/memory_wave.h"
#include "gui/app/child_frame.h"
#include "gui/audio/form_record_play.h"
#include "gui/audio/sound_devices.h"
#include "gui/grid/grid_control.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/option_dialogs.h"
#include "gui/views/waveform/zoom_option_dialog.h"
#include "tests/gui/gui_test_support.h"

namespace vox {
namespace {

using C = CommandId;

struct WaveApp : ::testing::Test {
    // The speaker outlives the application: a playback still running when
    // a test ends is stopped while the windows close.
    MemoryWaveOut speaker{1.0};
    test::AppFixture fx;
    CMarbeckDoc* doc = nullptr;
    CMarbeckView* view = nullptr;
    WaveApp() { fx.devices.install(&speaker, nullptr); }
    CMarbeckView* view_of(const CMarbeckDoc& d) {
        const auto frames = fx.frame->frames_of(d);
        return frames.empty() ? nullptr : qobject_cast<CMarbeckView*>(frames.front()->view());
    }
    void open(int frames, const char* name = "a.wav") {
        const std::string wav = fx.dir.file(name);
        test::write_wav(wav, 1, frames);
        doc = fx.frame->open_document(wav);
        ASSERT_NE(doc, nullptr);
        view = view_of(*doc);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    }
    void trigger(C id) {
        fx.frame->update_command_ui();
        QAction* a = fx.frame->action(id);
        ASSERT_TRUE(a->isEnabled()) << static_cast<int>(id);
        a->trigger();
    }
    bool enabled(C id) {
        fx.frame->update_command_ui();
        return fx.frame->action(id)->isEnabled();
    }
    void wheel(int delta, QPoint at = QPoint(300, 100)) {
        QWheelEvent e(QPointF(at), QPointF(view->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view, &e);
    }
    void hover(int x, int y = 100) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), view->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }
    double window_first() const { return doc->channels[0].window_first; }
};

enum class Scroller { WheelForward, WheelBackward, BarRightArrow, BarPageClick };

class ScrollDuringPlayback : public WaveApp, public ::testing::WithParamInterface<Scroller> {};

TEST_P(ScrollDuringPlayback, StopsThePlaybackAndMovesTheWindow) {
    open(3 * 11025);
    trigger(C::ZoomIn);
    trigger(C::ZoomIn);
    ASSERT_TRUE(view->is_zoomed());
    if (GetParam() == Scroller::WheelBackward) {
        for (int i = 0; i < 3; ++i) wheel(120);  // room to go back
    }
    const double before = window_first();
    trigger(C::PlayAll);
    ASSERT_TRUE(view->playing());
    QScrollBar* bar = view->scroll_bar();
    switch (GetParam()) {
    case Scroller::WheelForward: wheel(120); break;
    case Scroller::WheelBackward: wheel(-120); break;
    case Scroller::BarRightArrow:
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
        break;
    case Scroller::BarPageClick:
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() * 3 / 4, bar->height() / 2));
        break;
    }
    EXPECT_FALSE(view->playing());
    EXPECT_NE(window_first(), before);
    EXPECT_FALSE(speaker.played().open);
}

INSTANTIATE_TEST_SUITE_P(Ways, ScrollDuringPlayback,
                         ::testing::Values(Scroller::WheelForward, Scroller::WheelBackward, Scroller::BarRightArrow,
                                           Scroller::BarPageClick));

TEST_F(WaveApp, ReadoutsFollowAScrollAndSelectAllShowsTheDuration) {
    open(2 * 11025);
    trigger(C::ZoomIn);
    hover(300);
    const CChannels& ch = doc->channels[0];
    const double t0 = view->view_time_ms();
    EXPECT_NEAR(view->readout_text(CMarbeckView::CursorValue).trimmed().toDouble(), t0, 0.05);
    wheel(120);
    const double expected = ch.sample_to_ms(ch.pixel_to_sample(300 - 40));
    EXPECT_GT(expected, t0 + 1.0);
    EXPECT_NEAR(view->view_time_ms(), expected, 1e-9);
    EXPECT_NEAR(view->readout_text(CMarbeckView::CursorValue).trimmed().toDouble(), expected, 0.05);
    trigger(C::EditSelectAll);
    EXPECT_NEAR(view->readout_text(CMarbeckView::DurationValue).trimmed().toDouble(), ch.duration_ms, 0.05);
    EXPECT_NEAR(ch.duration_ms, 2000.0, 0.1);
}

struct ZoomCase {
    const char* typed;
    double stored;  // ms after OK
};
class ZoomOptionTyped : public WaveApp, public ::testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomOptionTyped, FromCursorNeverGivesAReversedWindow) {
    open(2 * 11025);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(400, 100));
    ASSERT_TRUE(view->has_cursor());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COptionZoom*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen = true;
        QLineEdit* edit = dlg->range_edit()->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, GetParam().typed);
        dlg->range_edit()->interpretText();
        dlg->accept();
    });
    trigger(C::OptionsZoom);
    ASSERT_TRUE(seen);
    EXPECT_EQ(doc->options.zoom_range_ms, GetParam().stored);
    trigger(C::ZoomFromCursor);
    const CChannels& ch = doc->channels[0];
    EXPECT_GT(ch.window_last, ch.window_first);
    EXPECT_NEAR(ch.window_last - ch.window_first, ch.sample_rate * GetParam().stored / 1000.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Values, ZoomOptionTyped,
                         ::testing::Values(ZoomCase{"-1000", 1000.0}, ZoomCase{"0", 1000.0}, ZoomCase{"250", 250.0}));

TEST_F(WaveApp, AvailableMemoryMinutesApplyToFilesOpenedAfterwards) {
    open(11025, "short.wav");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CDialogOptionDisplay*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen = true;
        QLineEdit* edit = dlg->minutes_edit()->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, "0.1");  // 6 s
        dlg->minutes_edit()->interpretText();
        dlg->accept();
    });
    trigger(C::OptionsDisplay);
    ASSERT_TRUE(seen);
    ASSERT_DOUBLE_EQ(doc->options.long_file_minutes, 0.1);
    // Seven seconds are at least 0.1 min: processed from file, not memory.
    const std::string wav = fx.dir.file("seven.wav");
    test::write_wav(wav, 1, 7 * 11025);
    CMarbeckDoc* later = fx.frame->open_document(wav);
    ASSERT_NE(later, nullptr);
    EXPECT_DOUBLE_EQ(later->options.long_file_minutes, 0.1);
    EXPECT_FALSE(later->channels[0].has_samples());
    EXPECT_TRUE(later->samples_on_disk());
    // Five seconds stay in memory.
    const std::string five = fx.dir.file("five.wav");
    test::write_wav(five, 1, 5 * 11025);
    CMarbeckDoc* small = fx.frame->open_document(five);
    ASSERT_NE(small, nullptr);
    EXPECT_TRUE(small->channels[0].has_samples());
}

TEST_F(WaveApp, APasteIntoANewDocumentCanBeUndone) {
    open(11025);
    trigger(C::EditSelectAll);
    trigger(C::EditCopy);
    trigger(C::FileNew);
    CMarbeckDoc* fresh = fx.frame->active_document();
    ASSERT_NE(fresh, doc);
    ASSERT_EQ(fresh->channel_count, 0);
    const double rate_before = fresh->channels[0].sample_rate;
    trigger(C::EditPaste);
    EXPECT_EQ(fresh->channel_count, 1);
    EXPECT_EQ(fresh->channels[0].sample_count, 11025.0);
    ASSERT_TRUE(enabled(C::EditUndo));
    trigger(C::EditUndo);
    EXPECT_EQ(fresh->channel_count, 0);
    EXPECT_EQ(fresh->loaded, 0);
    EXPECT_EQ(fresh->channels[0].sample_count, 0.0);
    EXPECT_EQ(fresh->channels[0].sample_rate, rate_before);
    EXPECT_FALSE(enabled(C::EditUndo));
    // And the clip pastes again.
    trigger(C::EditPaste);
    EXPECT_EQ(fresh->channels[0].sample_count, 11025.0);
}

TEST(UnitModel, TheOptionsWindowOffersTheNineInputModel) {
    RecordSettings settings;
    ScriptedPrompts prompts;
    CFormRecordPlay form(settings, prompts);
    form.show();
    const int model = 9;
    QComboBox* box = form.model_box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->currentText(), "5");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(settings.unit_model, model);
    EXPECT_EQ(form.channel_grid()->row_count(), model);
    EXPECT_EQ(settings.channels.size(), static_cast<std::size_t>(model));
    // The 9-input model runs the other inputs at half the unit's rate.
    EXPECT_EQ(form.channel_grid()->cell_choices(1, CFormRecordPlay::kChannelRateCol),
              (QStringList{"11000", "5500", "2750", "1375"}));
    EXPECT_EQ(form.channel_grid()->row_caption(8), "8");
    // Cancel puts the model back.
    QTest::mouseClick(form.cancel_button(), Qt::LeftButton);
    EXPECT_EQ(settings.unit_model, 5);
    EXPECT_EQ(form.channel_grid()->row_count(), 5);
    EXPECT_EQ(box->currentText(), "5");
}

}  // namespace
}  // namespace vox
