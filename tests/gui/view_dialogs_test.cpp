// The option dialogs of the waveform view: the pitch checks in order, the
// method's own deviation and threshold, and what an accepted dialog changes.

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>

#include "core/dsp/pitch_options.h"
#include "gui/views/waveform/option_dialogs.h"
#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

struct PitchCheck {
    double calc_low, calc_high;
    int disp_low, disp_high;
    const char* message;  // null: accepted
};
class PitchDialogChecks : public ViewFixture, public ::testing::WithParamInterface<PitchCheck> {};

TEST_P(PitchDialogChecks, FirstFailingRuleIsShown) {
    const auto c = GetParam();
    PitchOptions o;
    o.calc_low_hz = c.calc_low;
    o.calc_high_hz = c.calc_high;
    o.display_low_hz = c.disp_low;
    o.display_high_hz = c.disp_high;
    COptionPitch dlg(o, prompts);
    EXPECT_EQ(dlg.try_accept(), c.message == nullptr);
    if (c.message) {
        ASSERT_EQ(prompts.messages().size(), 1u);
        EXPECT_EQ(prompts.messages()[0], c.message);
    } else {
        EXPECT_TRUE(prompts.messages().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Order, PitchDialogChecks,
    ::testing::Values(PitchCheck{50, 250, 50, 250, nullptr}, PitchCheck{49, 100, 10, 20, pitch_text::kCalcLowTooLow},
                      PitchCheck{60, 259, 10, 20, pitch_text::kCalcHighTooLow},
                      PitchCheck{60, 260, 49, 20, pitch_text::kDisplayLowTooLow},
                      PitchCheck{60, 260, 60, 259, pitch_text::kDisplayHighTooLow}));

TEST_F(ViewFixture, PitchDialogKeepsEachMethodsPair) {
    PitchOptions o;
    o.cepstral = 1;
    o.cepstral_deviation_hz = 80;
    o.amdf_deviation = 30;
    COptionPitch dlg(o, prompts);
    EXPECT_EQ(dlg.deviation_edit()->value(), 80);
    EXPECT_TRUE(dlg.window_edit()->isEnabled());
    dlg.select_method(0);
    EXPECT_EQ(dlg.deviation_edit()->value(), 30);
    EXPECT_FALSE(dlg.window_edit()->isEnabled());
    dlg.deviation_edit()->setValue(40);
    dlg.press_defaults();
    EXPECT_EQ(dlg.deviation_edit()->value(), 100);
    ASSERT_TRUE(dlg.try_accept());
    EXPECT_EQ(dlg.options().cepstral, 0);
    EXPECT_EQ(dlg.options().amdf_deviation, 100);
    EXPECT_EQ(dlg.options().cepstral_deviation_hz, 80);
}

TEST_F(ViewFixture, DisplayDialogGridEditFollowsItsBox) {
    DisplayOptions d;
    d.add_time_grid = 0;
    CDialogOptionDisplay dlg(d, 30.0);
    EXPECT_FALSE(dlg.time_grid_edit()->isEnabled());
    dlg.time_grid_box()->setChecked(true);
    EXPECT_TRUE(dlg.time_grid_edit()->isEnabled());
    dlg.seconds_button()->setChecked(true);
    EXPECT_EQ(dlg.display().msec, 0);
    EXPECT_EQ(dlg.display().add_time_grid, 1);
}

TEST_F(ViewFixture, AcceptedDisplayOptionsRelayoutAndPatchTheConfiguration) {
    load_sine();
    show();
    QSignalSpy patch(view.get(), &CMarbeckView::configPatchRequested);
    DisplayOptions d = doc->options.display;
    d.msec = 0;
    d.audio_height = 120;
    view->apply_display_options(d, 12.0);
    ASSERT_EQ(patch.count(), 1);
    EXPECT_EQ(patch[0][0].value<ConfigGroup>(), ConfigGroup::Display);
    EXPECT_EQ(view->readout_text(CMarbeckView::CursorCaption), "Cursor(sec)= ");
    EXPECT_EQ(view->audio_strip().bottom - view->audio_strip().top, 120);
    EXPECT_TRUE(doc->modified());
    EXPECT_EQ(doc->options.long_file_minutes, 12.0);
}

}  // namespace
}  // namespace vox::viewtest
