// Recording through the whole application: the rate comes from the record
// options wherever they were chosen, survives a restart, and the level of
// the speech is drawn where a person can see it while speaking.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>

#include "core/document/marbeck_doc.h"
#include "core/audio/sound_in.h"
#include "core/platform/memory_wave.h"
#include "gui/app/child_frame.h"
#include "gui/app/audio_windows.h"
#include "gui/audio/form_record_play.h"
#include "gui/audio/frame_record_play.h"
#include "gui/audio/option_record.h"
#include "gui/audio/sound_devices.h"
#include "gui/grid/grid_control.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox {
namespace {

using test::wait_until;
// A person speaking: a 180 Hz tone whose loudness rises and falls.
std::vector<std::int16_t> speech(std::size_t n, double rate) {
    std::vector<std::int16_t> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / rate;
        v[i] = static_cast<std::int16_t>(20000.0 * std::abs(std::sin(M_PI * t / 1.5)) * std::sin(2 * M_PI * 180.0 * t));
    }
    return v;
}

CMarbeckView* view_of(test::AppFixture& fx, const CMarbeckDoc& doc) {
    const auto frames = fx.frame->frames_of(doc);
    if (frames.empty()) return nullptr;
    return qobject_cast<CMarbeckView*>(frames.front()->view());
}

struct RecordApp : ::testing::Test {
    std::unique_ptr<test::AppFixture> fx = std::make_unique<test::AppFixture>();
    MemoryWaveOut speaker{1.0};
    std::unique_ptr<MemoryWaveIn> mic;
    void use_mic(double rate, double speed) {
        mic = std::make_unique<MemoryWaveIn>(speech(static_cast<std::size_t>(rate * 30), rate), speed);
        fx->devices.install(&speaker, mic.get());
    }
    ~RecordApp() override {
        fx.reset();
    }
    // An 8000 Hz file opened and closed: the configuration's last rate.
    void open_and_close_8000() {
        const std::string wav = fx->dir.file("low.wav");
        test::write_wav(wav, 1, 4000, 8000);
        CMarbeckDoc* doc = fx->frame->open_document(wav);
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(doc->channels[0].sample_rate, 8000.0);
        fx->frame->update_command_ui();
        fx->frame->action(CommandId::FileClose)->trigger();
        ASSERT_TRUE(wait_until([&] { return fx->frame->document_count() == 0; }));
    }
    CMarbeckDoc* new_empty_document() {
        fx->frame->update_command_ui();
        fx->frame->action(CommandId::FileNew)->trigger();
        return fx->frame->active_document();
    }
    QString rate_shown_while_recording;  // the Sample Rate readout
    // Record from the menu until `blocks` blocks arrived, then a left press.
    void record(CMarbeckDoc& doc, std::size_t blocks) {
        CMarbeckView* view = view_of(*fx, doc);
        ASSERT_NE(view, nullptr);
        fx->frame->update_command_ui();
        QAction* rec = fx->frame->action(CommandId::Record);
        ASSERT_TRUE(rec->isEnabled());
        rec->trigger();
        ASSERT_TRUE(wait_until([&] { return view->recording_sound(); }));
        rate_shown_while_recording = view->readout_text(CMarbeckView::SampleRateValue);
        ASSERT_TRUE(mic->wait_filled(blocks, 8000));
        ASSERT_TRUE(wait_until([&] { return view->recorded_blocks() >= static_cast<int>(blocks); }));
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
        ASSERT_FALSE(view->recording_sound());
    }
};

void choose_rate_in_window(test::AppFixture& fx, const QString& rate) {
    CGridControl& grid = *fx.frame->audio_windows()->record_play()->form()->parameter_grid();
    auto* combo = qobject_cast<QComboBox*>(grid.cellWidget(0, CFormRecordPlay::kRateCol));
    ASSERT_NE(combo, nullptr);
    const int i = combo->findText(rate);
    ASSERT_GE(i, 0);
    combo->setCurrentIndex(i);
    emit combo->activated(i);
}

void choose_rate_in_dialog(test::AppFixture& fx, const QString& rate) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COptionRecord*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen = true;
        dlg->rate_box()->setCurrentIndex(dlg->rate_box()->findText(rate));
        dlg->accept();
    });
    fx.frame->audio_windows()->record_option_action()->trigger();
    ASSERT_TRUE(seen);
}

struct RateCase {
    const char* rate;
    bool from_dialog;  // "Record Option..." rather than the options window
};
class RecordRate : public RecordApp, public ::testing::WithParamInterface<RateCase> {};

TEST_P(RecordRate, RecordsAtTheChosenRateAfterAnEightKilohertzFile) {
    const RateCase c = GetParam();
    open_and_close_8000();
    CMarbeckDoc* doc = new_empty_document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->channels[0].sample_rate, 8000.0);  // what the last file left behind
    if (c.from_dialog)
        choose_rate_in_dialog(*fx, c.rate);
    else
        choose_rate_in_window(*fx, c.rate);
    const double rate = QString(c.rate).toDouble();
    use_mic(rate, 8.0);
    record(*doc, 2);
    EXPECT_TRUE(fx->prompts.messages().empty()) << fx->prompts.messages().front();
    EXPECT_EQ(doc->channels[0].sample_rate, rate);
    EXPECT_GE(doc->channels[0].sample_count, 2.0 * CSoundIn::BlockSizeForRate(static_cast<int>(rate)));
    // The readout shows the rate being recorded, and the recording's after.
    EXPECT_EQ(rate_shown_while_recording.toStdString(), c.rate);
    EXPECT_EQ(view_of(*fx, *doc)->readout_text(CMarbeckView::SampleRateValue).toStdString(), c.rate);
}

INSTANTIATE_TEST_SUITE_P(Places, RecordRate,
                         ::testing::Values(RateCase{"44100", false}, RateCase{"11025", false},
                                           RateCase{"44100", true}, RateCase{"22050", true}));

class RecordLevel : public RecordApp, public ::testing::WithParamInterface<const char*> {};

TEST_P(RecordLevel, FiveSecondsOfSpeechFillHalfTheStripAsTheyArrive) {
    choose_rate_in_window(*fx, GetParam());
    const double rate = QString(GetParam()).toDouble();
    CMarbeckDoc* doc = new_empty_document();
    ASSERT_NE(doc, nullptr);
    CMarbeckView* view = view_of(*fx, *doc);
    ASSERT_NE(view, nullptr);
    use_mic(rate, 10.0);
    fx->frame->update_command_ui();
    fx->frame->action(CommandId::Record)->trigger();
    ASSERT_TRUE(wait_until([&] { return view->recording_sound(); }));
    const int block = CSoundIn::BlockSizeForRate(static_cast<int>(rate));
    const auto blocks = static_cast<std::size_t>(std::ceil(5.0 * rate / block));
    ASSERT_TRUE(wait_until([&] { return view->recorded_blocks() >= static_cast<int>(blocks); }));
    QTest::qWait(50);  // the blocks' levels reach the view's thread
    const QImage img = view->grab().toImage();
    const QRect strip = view->level_strip_rect();
    ASSERT_GT(strip.width(), 100);
    auto is_bar = [](QRgb c) { return qBlue(c) > 120 && qRed(c) < 90 && qGreen(c) < 110; };
    int covered = 0, tallest = 0;
    for (int x = strip.left(); x <= strip.right(); ++x) {
        int top = -1, bottom = -1;
        for (int y = strip.top(); y <= strip.bottom(); ++y)
            if (is_bar(img.pixel(x, y))) {
                if (top < 0) top = y;
                bottom = y;
            }
        if (top >= 0) {
            ++covered;
            tallest = std::max(tallest, bottom - top + 1);
        }
    }
    // About five of the sweep's ten seconds are drawn, not one pixel per block.
    const int recorded = view->recorded_blocks();
    const double sweep_blocks = std::ceil(10.0 * rate / block);
    const double expected = std::min(1.0, recorded / sweep_blocks) * strip.width();
    EXPECT_GT(covered, 0.85 * expected) << covered << " of " << strip.width();
    EXPECT_LT(covered, 1.05 * expected + 2);
    // The loudest blocks peak near 20000 of 32768: about 61 % of the strip's height.
    EXPECT_NEAR(double(tallest) / strip.height(), 20000.0 / 32768.0, 0.08);
    // The meter shows the last block's level.
    const QRect meter = view->level_meter_rect();
    int coloured = 0;
    for (int x = meter.left() + 1; x < meter.right(); ++x) {
        const QRgb c = img.pixel(x, meter.center().y());
        if (qGreen(c) > 140 && qRed(c) < 100) ++coloured;  // green: below -12 dB is not reached by loud speech
        if (qRed(c) > 200 && qBlue(c) < 60) ++coloured;    // yellow or red
    }
    EXPECT_GT(coloured, meter.width() / 2);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
    EXPECT_FALSE(view->recording_sound());
}

INSTANTIATE_TEST_SUITE_P(Rates, RecordLevel, ::testing::Values("11025", "44100"));

TEST_F(RecordApp, TheChosenRateIsKeptOverARestart) {
    choose_rate_in_dialog(*fx, "44100");
    // Exit and start again over the same folder and settings.
    AppEnvironment env = fx->app->env();
    fx->frame.reset();
    fx->app.reset();
    fx->app = std::make_unique<CVoxtrelApp>(env);
    ASSERT_TRUE(fx->app->init_instance());
    fx->frame = std::make_unique<CMainFrame>(*fx->app);
    fx->frame->show();
    EXPECT_EQ(fx->app->app_values().record_play_cell, 44100);
    EXPECT_EQ(fx->app->record_settings().sample_rate_hz, 44100);
    EXPECT_EQ(fx->frame->audio_windows()->record_play()->form()->parameter_grid()->cell_text(0, CFormRecordPlay::kRateCol),
              "44100");
}

}  // namespace
}  // namespace vox
