// The Record & Play options window, the record and calibration dialogs and
// the scope window, driven through their grids and rendered.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/audio/record_options.h"
#include "core/audio/usb_texts.h"
#include "core/document/marbeck_doc.h"
#include "gui/audio/audio_texts.h"
#include "gui/app/audio_windows.h"
#include "gui/audio/form_record_play.h"
#include "gui/audio/frame_record_play.h"
#include "gui/audio/option_calibration.h"
#include "gui/audio/option_record.h"
#include "gui/audio/scope_child_frame.h"
#include "gui/audio/scope_view.h"
#include "gui/grid/grid_control.h"
#include "platform/simulated_unit.h"
#include "tests/gui/gui_test_support.h"

namespace vox {
namespace {

// A user's pick in a choice cell.
void choose(CGridControl& grid, int row, int col, const QString& item) {
    auto* combo = qobject_cast<QComboBox*>(grid.cellWidget(row, col));
    ASSERT_NE(combo, nullptr) << row << "," << col;
    const int i = combo->findText(item);
    ASSERT_GE(i, 0) << item.toStdString() << " not offered";
    combo->setCurrentIndex(i);
    emit combo->activated(i);
}

struct FormFixture : ::testing::Test {
    RecordSettings settings;
    ScriptedPrompts prompts;
    std::unique_ptr<CFormRecordPlay> form;
    void SetUp() override { form = std::make_unique<CFormRecordPlay>(settings, prompts); }
    CGridControl& params() { return *form->parameter_grid(); }
    CGridControl& channels() { return *form->channel_grid(); }
};

TEST_F(FormFixture, GridsShowTheSettingsWithTheirChoiceLists) {
    ASSERT_EQ(params().row_count(), 1);
    EXPECT_EQ(params().cell_text(0, CFormRecordPlay::kRateCol), "22050");
    EXPECT_EQ(params().cell_choices(0, CFormRecordPlay::kRateCol), (QStringList{"44100", "22050", "11025"}));
    EXPECT_EQ(params().cell_choices(0, CFormRecordPlay::kInputCol), (QStringList{"Mic", "Line"}));
    EXPECT_EQ(params().cell_choices(0, CFormRecordPlay::kSourceCol), (QStringList{"External Hardware", "Computer"}));
    ASSERT_EQ(channels().row_count(), 5);
    EXPECT_EQ(channels().row_caption(0), "Audio");
    EXPECT_EQ(channels().row_caption(3), "3");
    EXPECT_EQ(channels().cell_choices(0, CFormRecordPlay::kGainCol).size(), 12);
    EXPECT_EQ(channels().cell_choices(1, CFormRecordPlay::kGainCol).size(), 17);
    EXPECT_EQ(channels().cell_choices(1, CFormRecordPlay::kFilterCol).front(), "4000");  // the 11000 Hz list
}

TEST_F(FormFixture, TheAudioRowCannotBeSwitchedOff) {
    EXPECT_FALSE(channels().item(0, 0)->flags() & Qt::ItemIsUserCheckable);
    channels().item(0, 0)->setCheckState(Qt::Unchecked);  // forced past the lock
    EXPECT_EQ(settings.channels[0].enabled, 1);
    EXPECT_TRUE(channels().cell_checked(0, 0));
    channels().item(2, 0)->setCheckState(Qt::Checked);
    EXPECT_EQ(settings.channels[2].enabled, 1);
}

TEST_F(FormFixture, SourceDecidesTheOfferedRates) {
    choose(params(), 0, CFormRecordPlay::kSourceCol, "External Hardware");
    EXPECT_EQ(settings.source, kRecordSourceExternal);
    EXPECT_EQ(params().cell_choices(0, CFormRecordPlay::kRateCol), (QStringList{"22000", "11000"}));
    EXPECT_EQ(settings.sample_rate_hz, 22000);
    choose(params(), 0, CFormRecordPlay::kSourceCol, "Computer");
    EXPECT_EQ(params().cell_choices(0, CFormRecordPlay::kRateCol), (QStringList{"44100", "22050", "11025"}));
    EXPECT_EQ(settings.sample_rate_hz, 44100);
    choose(params(), 0, CFormRecordPlay::kInputCol, "Line");
    EXPECT_EQ(settings.input, "Line");
}

TEST_F(FormFixture, TheUnitsRateResetsTheFiltersToItsDefaults) {
    choose(params(), 0, CFormRecordPlay::kSourceCol, "External Hardware");
    choose(params(), 0, CFormRecordPlay::kRateCol, "11000");
    EXPECT_EQ(settings.channels[0].sample_rate_hz, 11000);
    EXPECT_EQ(settings.channels[0].filter_cutoff_hz, default_filter_cutoff(11000));
    EXPECT_EQ(channels().cell_text(0, CFormRecordPlay::kFilterCol), QString::number(default_filter_cutoff(11000)));
    // Other inputs can no longer run faster than the unit.
    EXPECT_EQ(channels().cell_choices(1, CFormRecordPlay::kChannelRateCol),
              (QStringList{"11000", "5500", "2750", "1375"}));
    choose(channels(), 2, CFormRecordPlay::kChannelRateCol, "1375");
    EXPECT_EQ(settings.channels[2].sample_rate_hz, 1375);
    EXPECT_EQ(channels().cell_choices(2, CFormRecordPlay::kFilterCol).front(), "450");
}

TEST_F(FormFixture, CancelRestoresEveryRecordAndCloses) {
    const RecordSettings before = settings;
    bool closed = false;
    form->on_close = [&] { closed = true; };
    choose(params(), 0, CFormRecordPlay::kSourceCol, "External Hardware");
    choose(params(), 0, CFormRecordPlay::kInputCol, "Line");
    channels().item(1, 0)->setCheckState(Qt::Checked);
    choose(channels(), 1, CFormRecordPlay::kGainCol, "9");
    choose(channels(), 3, CFormRecordPlay::kFilterCol, "250");
    choose(channels(), 0, CFormRecordPlay::kGainCol, "225");
    ASSERT_NE(settings, before);
    QTest::mouseClick(form->cancel_button(), Qt::LeftButton);
    EXPECT_TRUE(closed);
    EXPECT_EQ(settings, before);
    EXPECT_EQ(params().cell_text(0, CFormRecordPlay::kSourceCol), "Computer");
    EXPECT_EQ(channels().cell_text(0, CFormRecordPlay::kGainCol), QString::number(before.channels[0].gain));
}

TEST(AudioWindows, RecordPlayCommandShowsTheWindowWithoutMovingAndStoresTheRate) {
    test::AppFixture fx;
    CAudioWindows* audio = fx.frame->audio_windows();
    ASSERT_NE(audio, nullptr);
    CFrameRecordPlay* rp = audio->record_play();
    ASSERT_NE(rp, nullptr);
    EXPECT_TRUE(rp->windowTitle().startsWith(audio_text::kRecordPlayTitle));
    EXPECT_TRUE(rp->isVisible());
    EXPECT_EQ(rp->size(), QSize(550, 550));
    rp->setGeometry(QRect(QPoint(70, 90), QSize(500, 520)));
    const QRect where = rp->geometry();
    // The menu command shows the window; it never hides a shown one.
    fx.frame->action(CommandId::OptionsRecordPlay)->trigger();
    EXPECT_TRUE(rp->isVisible());
    EXPECT_EQ(rp->geometry(), where);
    rp->hide();
    fx.frame->action(CommandId::OptionsRecordPlay)->trigger();
    EXPECT_TRUE(rp->isVisible());
    EXPECT_EQ(rp->geometry(), where);
    choose(*rp->form()->parameter_grid(), 0, CFormRecordPlay::kRateCol, "11025");
    EXPECT_EQ(fx.app->record_settings().sample_rate_hz, 11025);
    EXPECT_EQ(fx.app->app_values().record_play_cell, 11025);
}

TEST(AudioWindows, RecordOptionOffersTheSoundCardRates) {
    COptionRecord dlg(11025);
    EXPECT_EQ(dlg.windowTitle(), audio_text::kRecordOptionTitle);
    EXPECT_EQ(dlg.rate(), 11025);
    EXPECT_EQ(dlg.rate_box()->count(), 3);
    dlg.rate_box()->setCurrentIndex(0);
    EXPECT_EQ(dlg.rate(), 44100);
    COptionRecord odd(8000);  // not offered: the first rate
    EXPECT_EQ(odd.rate(), 44100);
}

TEST(AudioWindows, RecordOptionFromTheMenuSetsTheRateTheOptionsWindowShows) {
    test::AppFixture fx;
    CAudioWindows* audio = fx.frame->audio_windows();
    ASSERT_NE(audio, nullptr);
    ASSERT_NE(audio->record_option_action(), nullptr);
    bool seen = false;
    // The dialog is modal: answer it from the event loop once it shows.
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COptionRecord*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen = true;
        dlg->rate_box()->setCurrentIndex(dlg->rate_box()->findText("44100"));
        dlg->accept();
    });
    audio->record_option_action()->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(fx.app->record_settings().sample_rate_hz, 44100);
    EXPECT_EQ(audio->record_play()->form()->parameter_grid()->cell_text(0, CFormRecordPlay::kRateCol), "44100");
    // Cancel keeps the rate.
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COptionRecord*>(QApplication::activeModalWidget());
        if (!dlg) return;
        dlg->rate_box()->setCurrentIndex(dlg->rate_box()->findText("11025"));
        dlg->reject();
    });
    audio->record_option_action()->trigger();
    EXPECT_EQ(fx.app->record_settings().sample_rate_hz, 44100);
}

TEST(AudioWindows, CalibrationShowsAndReadsBackEveryChannel) {
    test::AppFixture fx;
    CMarbeckDoc* doc = fx.frame->new_document();
    ASSERT_NE(doc, nullptr);
    doc->channel_count = 3;
    doc->channels[1].name = "Flow";
    doc->channels[1].carried_d2 = 2.5;
    doc->channels[2].units = "cmH2O";
    COptionCalibration dlg(*doc, fx.prompts);
    CGridControl& g = *dlg.grid();
    ASSERT_EQ(g.row_count(), 3);
    EXPECT_EQ(g.row_caption(0), "Audio");
    EXPECT_EQ(g.row_caption(2), "2");
    EXPECT_EQ(g.cell_text(1, COptionCalibration::kNameCol), "Flow");
    EXPECT_EQ(g.cell_text(1, COptionCalibration::kValue1Col + 1), "   2.50000");
    EXPECT_EQ(g.cell_text(2, COptionCalibration::kUnitsCol), "cmH2O");
    g.set_cell_text(2, COptionCalibration::kValue1Col, "0.125");
    g.set_cell_text(0, COptionCalibration::kNameCol, "Speech");
    ASSERT_TRUE(dlg.read_back());
    EXPECT_DOUBLE_EQ(doc->channels[2].carried_d1, 0.125);
    EXPECT_EQ(doc->channels[0].name, "Speech");
    // A cell that is not a number: the message, and nothing changes.
    g.set_cell_text(1, COptionCalibration::kNameCol, "Pressure");
    g.set_cell_text(1, COptionCalibration::kValue1Col + 3, "abc");
    EXPECT_FALSE(dlg.read_back());
    EXPECT_EQ(fx.prompts.messages().back(), audio_text::kCalibrationReadError);
    EXPECT_EQ(doc->channels[1].name, "Flow");
}

RecordSettings external_settings() {
    RecordSettings s;
    s.source = kRecordSourceExternal;
    s.sample_rate_hz = 22000;
    s.channels = RecordSettings::default_channels(5);
    return s;
}

bool is_red(QRgb c) { return qRed(c) == 255 && qGreen(c) == 0 && qBlue(c) == 0; }
bool is_black(QRgb c) { return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) == 0; }

int black_pixels(const QImage& img, QRect r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += is_black(img.pixel(x, y));
    return n;
}

TEST(ScopeView, BandsOfTheEnabledInputsAndTheirTraces) {
    RecordSettings s = external_settings();
    ScriptedPrompts prompts;
    CScopeView view(s, std::make_unique<SimulatedUsbUnit>(), prompts);
    view.resize(400, 300);
    // Before the first acquisition: the frame of the audio band, no trace.
    QImage before = view.render(400, 300);
    EXPECT_TRUE(is_red(before.pixel(20, 20)));
    EXPECT_TRUE(is_red(before.pixel(394, 119)));
    EXPECT_FALSE(is_red(before.pixel(20, 125)));  // no second band
    EXPECT_EQ(black_pixels(before, QRect(60, 25, 330, 90)), 0);
    EXPECT_GT(black_pixels(before, QRect(0, 0, 400, 16)), 20);  // the heading

    ASSERT_TRUE(view.run_cycle());
    EXPECT_TRUE(view.running());  // armed again for the next cycle
    s.channels[2].enabled = 1;
    const QImage after = view.render(400, 300);
    EXPECT_TRUE(is_red(after.pixel(20, 125)));  // input 2's band below the audio band
    EXPECT_TRUE(is_red(after.pixel(20, 224)));
    // The trace starts at the band's left edge, near the centre line (y 70).
    EXPECT_GT(black_pixels(after, QRect(20, 62, 2, 17)), 0);
    EXPECT_GT(black_pixels(after, QRect(60, 25, 330, 90)), 100);
    // The centre line is dashed light grey where no trace covers it.
    int grey = 0;
    for (int x = 21; x < 394; ++x) grey += after.pixel(x, 175) == qRgb(200, 200, 200);
    EXPECT_GT(grey, 0);
    // Inputs that were off are demultiplexed all the same, so the newly
    // enabled band shows its trace at once.
    EXPECT_GT(black_pixels(after, QRect(60, 130, 330, 90)), 50);
    view.stop();
}

TEST(ScopeView, AFullScaleSampleReachesTheBandEdge) {
    // A unit whose every sample is -32768: the trace lies on the band's bottom.
    class Floor : public UsbTransport {
        bool open(std::string_view) override { return true; }
        long vendor_request(const VendorRequestBlock&, std::span<const std::uint8_t> d) override {
            return static_cast<long>(d.size());
        }
        long bulk_read(std::uint32_t, std::span<std::uint8_t> b) override {
            for (std::size_t i = 0; i + 1 < b.size(); i += 2) b[i] = 0x00, b[i + 1] = 0x80;
            return static_cast<long>(b.size());
        }
        void close() override {}
    };
    RecordSettings s = external_settings();
    ScriptedPrompts prompts;
    CScopeView view(s, std::make_unique<Floor>(), prompts);
    view.resize(300, 200);
    ASSERT_TRUE(view.run_cycle());
    view.stop();
    const QImage img = view.render(300, 200);
    EXPECT_GT(black_pixels(img, QRect(40, 119, 240, 2)), 200);  // bottom edge y = 120 (exclusive)
    EXPECT_EQ(black_pixels(img, QRect(60, 40, 220, 70)), 0);  // clear of the caption
}

// The --usb value given at start-up chooses the scope's transport and wins
// over the environment's; an unknown transport opens no scope and says so.
TEST(ScopeView, TheStartUpUsbChoiceWinsOverTheEnvironment) {
    test::AppFixture fx;
    qputenv("VOXTREL_USB", "no-such-transport");
    fx.app->record_settings() = external_settings();
    CAudioWindows* audio = fx.frame->audio_windows();
    audio->set_usb_option("simulated");
    QPointer<CScopeChildFrame> scope = audio->open_scope();
    EXPECT_FALSE(scope.isNull());
    EXPECT_TRUE(fx.prompts.messages().empty());
    if (scope) scope->close();
    for (int i = 0; i < 50 && !scope.isNull(); ++i) QTest::qWait(20);
    audio->set_usb_option("");
    EXPECT_EQ(audio->open_scope(), nullptr);
    qunsetenv("VOXTREL_USB");
    EXPECT_EQ(fx.prompts.messages(), std::vector<std::string>{audio_text::kCreateScopeFailed});
}

TEST(ScopeView, AFailedAcquisitionClosesTheScopeWindow) {
    test::AppFixture fx;
    qputenv("VOXTREL_USB", "simulated:short-read");
    fx.app->record_settings() = external_settings();
    CAudioWindows* audio = fx.frame->audio_windows();
    QPointer<CScopeChildFrame> scope = audio->open_scope();
    ASSERT_FALSE(scope.isNull());
    EXPECT_EQ(scope->windowTitle(), "Scope Window");
    EXPECT_FALSE(audio->scope_action()->isEnabled());
    EXPECT_EQ(audio->open_scope(), nullptr);  // one scope at a time
    for (int i = 0; i < 50 && !scope.isNull(); ++i) QTest::qWait(20);
    qunsetenv("VOXTREL_USB");
    EXPECT_TRUE(scope.isNull());
    EXPECT_EQ(fx.prompts.messages(), std::vector<std::string>{usb_text::kReadFailed});
    EXPECT_TRUE(audio->scope_action()->isEnabled());
}

TEST(ScopeView, RunsRepeatedlyOnTheSimulatedUnit) {
    test::AppFixture fx;
    qputenv("VOXTREL_USB", "simulated");
    fx.app->record_settings() = external_settings();
    QPointer<CScopeChildFrame> scope = fx.frame->audio_windows()->open_scope();
    qunsetenv("VOXTREL_USB");
    ASSERT_FALSE(scope.isNull());
    for (int i = 0; i < 100 && scope->view()->acquisition().runs() < 3; ++i) QTest::qWait(20);
    EXPECT_GE(scope->view()->acquisition().runs(), 3);
    EXPECT_TRUE(fx.prompts.messages().empty());
    scope->close();
}

}  // namespace
}  // namespace vox

namespace vox {
namespace {

TEST(ScopeView, RefusedInputStopsTheCycleUntilTheFormMendsIt) {
    test::AppFixture fx;
    qputenv("VOXTREL_USB", "simulated");
    RecordSettings& s = fx.app->record_settings();
    s = external_settings();
    s.input = "Aux";
    CAudioWindows* audio = fx.frame->audio_windows();
    QPointer<CScopeChildFrame> scope = audio->open_scope();
    qunsetenv("VOXTREL_USB");
    ASSERT_FALSE(scope.isNull());
    CScopeView* view = scope->view();
    for (int i = 0; i < 50 && !view->refused(); ++i) QTest::qWait(20);
    ASSERT_TRUE(view->refused());
    QTest::qWait(60);
    EXPECT_EQ(fx.prompts.messages(), std::vector<std::string>{usb_text::kWrongInput});  // shown once
    EXPECT_FALSE(scope.isNull());
    // Picking an input in the options form restarts the scope.
    choose(*audio->record_play()->form()->parameter_grid(), 0, CFormRecordPlay::kInputCol, "Mic");
    for (int i = 0; i < 50 && view->acquisition().runs() < 1; ++i) QTest::qWait(20);
    EXPECT_GE(view->acquisition().runs(), 1);
    // The scope's own Record/Play hides and shows the options window in place.
    CFrameRecordPlay* rp = audio->record_play();
    const QRect where = rp->geometry();
    QTest::mouseClick(scope->record_play_button(), Qt::LeftButton);
    EXPECT_FALSE(rp->isVisible());
    QTest::mouseClick(scope->record_play_button(), Qt::LeftButton);
    EXPECT_TRUE(rp->isVisible());
    EXPECT_EQ(rp->geometry(), where);
    scope->close();
}

}  // namespace
}  // namespace vox
