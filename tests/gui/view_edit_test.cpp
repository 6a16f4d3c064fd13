// Zoom, scrolling and editing of the waveform view: the window after each
// zoom command, the 0…30000 scroll bar, the wheel and the auto-scroll of a
// drag, and Cut/Copy/Paste/Undo and the sample commands with scripted answers.

#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QWheelEvent>

#include "core/document/doc_edit.h"
#include "core/document/undo_file.h"
#include "core/io/binary_file.h"
#include "gui/views/waveform/reference_gain_dialog.h"
#include "gui/views/waveform/zoom_option_dialog.h"
#include "tests/gui/view_fixture.h"
#include "tests/support/test_support.h"

namespace vox::viewtest {
namespace {

constexpr double kN = 11025.0;  // the fixture's one second at 11025 Hz

struct EditView : ViewFixture {
    test::ScratchDir dir;
    EditView() { temp_names.set_folder(dir.path().string()); }

    void drag(CMarbeckView& v, int x0, int x1, int y = 100) {
        QTest::mousePress(&v, Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
        const int step = x1 >= x0 ? 1 : -1;
        for (int x = x0; x != x1; x += step) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x + step, y), v.mapToGlobal(QPointF(x + step, y)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&v, &move);
        }
        QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    }
    void click(CMarbeckView& v, int x, int y = 100) {
        QTest::mousePress(&v, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }
    const CChannels& ch() const { return doc->channels[0]; }
    // A selection of exactly [a, b) samples in every channel, with the
    // view's selection flags set as Select Window sets them.
    void select_samples(double a, double b) {
        view->select_window();
        for (int c = 0; c < doc->channel_count; ++c) {
            CChannels& k = doc->channels[static_cast<std::size_t>(c)];
            k.sel_start_sample = k.sel_lo_sample = a;
            k.sel_end_sample = k.sel_hi_sample = b;
            k.sel_start_ms = k.sel_lo_ms = a * k.duration_ms / k.sample_count;
            k.sel_end_ms = k.sel_hi_ms = b * k.duration_ms / k.sample_count;
            k.sel_length_samples = b - a;
            k.sel_length_ms = k.sel_hi_ms - k.sel_lo_ms;
        }
    }
    std::vector<std::int16_t> samples() const { return test::audio_samples(*doc); }
};

// --- zoom ---------------------------------------------------------------------------

TEST_F(EditView, ZoomInHalvesAboutTheCentreAndOutDoublesClampedAtAnEdge) {
    load_sine();
    show();
    EXPECT_FALSE(view->command_enabled(CommandId::ZoomOut));
    ASSERT_TRUE(view->handle_command(CommandId::ZoomIn));
    EXPECT_DOUBLE_EQ(ch().window_first, kN / 4);
    EXPECT_DOUBLE_EQ(ch().window_last, 3 * kN / 4);
    EXPECT_TRUE(view->is_zoomed());
    ASSERT_TRUE(view->handle_command(CommandId::ZoomIn));
    EXPECT_DOUBLE_EQ(ch().window_last - ch().window_first, kN / 4);
    EXPECT_DOUBLE_EQ((ch().window_last + ch().window_first) / 2, kN / 2);
    EXPECT_DOUBLE_EQ(ch().prev_window_first, kN / 4);

    // From a window starting at 0, Out adds half the span at the end only.
    doc->channels[0].window_first = 0;
    doc->channels[0].window_last = 1000;
    ASSERT_TRUE(view->handle_command(CommandId::ZoomOut));
    EXPECT_EQ(ch().window_first, 0.0);
    EXPECT_EQ(ch().window_last, 1500.0);
}

TEST_F(EditView, HomeThenUnZoomReturnsAndASecondUnZoomStays) {
    load_sine();
    show();
    select_samples(1000, 3000);
    ASSERT_TRUE(view->handle_command(CommandId::ZoomSelection));
    EXPECT_EQ(ch().window_first, 1000.0);
    EXPECT_EQ(ch().window_last, 3000.0);
    ASSERT_TRUE(view->handle_command(CommandId::ZoomHome));
    EXPECT_EQ(ch().window_last, kN);
    EXPECT_FALSE(view->is_zoomed());
    EXPECT_EQ(view->scroll_bar()->pageStep(), 30001);
    ASSERT_TRUE(view->handle_command(CommandId::ZoomUnZoom));
    EXPECT_EQ(ch().window_first, 1000.0);
    EXPECT_EQ(ch().window_last, 3000.0);
    ASSERT_TRUE(view->handle_command(CommandId::ZoomUnZoom));
    EXPECT_EQ(ch().window_first, 1000.0);
    EXPECT_EQ(ch().window_last, 3000.0);
}

TEST_F(EditView, FromCursorReachesPastTheEndAndDrawsNothingBeyondTheLastSample) {
    load_sine(16000.0, 100.0);
    doc->options.zoom_range_ms = 1000.0;
    show();
    click(*view, 700);
    ASSERT_TRUE(view->command_enabled(CommandId::ZoomFromCursor));
    const double cursor = ch().marker_sample;
    ASSERT_TRUE(view->handle_command(CommandId::ZoomFromCursor));
    EXPECT_DOUBLE_EQ(ch().window_first, cursor);
    EXPECT_DOUBLE_EQ(ch().window_last, cursor + kN);
    const QImage& img = view->composed_image();
    const Rect d = view->display_rect();
    // The last sample lies near the left of the window: the right half of the
    // audio strip holds no waveform.
    const auto strip = view->audio_strip();
    int dark = 0;
    for (int x = (d.left + d.right) / 2; x < d.right - 2; ++x)
        for (int y = strip.top + 2; y < strip.bottom - 2; ++y)
            if (qRed(img.pixel(x, y)) < 100 && qBlue(img.pixel(x, y)) < 100) ++dark;
    EXPECT_EQ(dark, 0);
    int drawn = 0;  // the samples before the end are drawn
    for (int x = d.left + 2; x < d.left + 80; ++x)
        for (int y = strip.top + 2; y < strip.bottom - 2; ++y)
            if (qRed(img.pixel(x, y)) < 100 && qBlue(img.pixel(x, y)) < 100) ++drawn;
    EXPECT_GT(drawn, 0);
}

TEST_F(EditView, ScrollBarFollowsTheWindowAndLineRequestsMoveATenthOfThePage) {
    load_sine();
    show();
    ASSERT_TRUE(view->handle_command(CommandId::ZoomIn));
    QScrollBar* bar = view->scroll_bar();
    EXPECT_EQ(bar->value(), 7500);
    EXPECT_EQ(bar->pageStep(), 15000);
    view->scroll_request(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(bar->value(), 9000);
    EXPECT_DOUBLE_EQ(ch().window_first, kN / 30000 * 9000);
    EXPECT_DOUBLE_EQ(ch().window_last, kN / 30000 * (9000 + 15000));
    EXPECT_DOUBLE_EQ(ch().window_start_ms, ch().window_start_in_ms());
    view->scroll_request(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(bar->value(), 15001) << "the bar keeps the page inside its range";
    EXPECT_DOUBLE_EQ(ch().window_last, kN / 30000 * 30001);

    // A backward wheel turn is a line to the left.
    QWheelEvent wheel(QPointF(300, 100), view->mapToGlobal(QPointF(300, 100)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &wheel);
    EXPECT_EQ(bar->value(), 13501);
}

TEST_F(EditView, ADragPastTheRightEdgeScrollsOnlyAZoomedWindow) {
    load_sine();
    show();
    drag(*view, 600, 799);
    QApplication::processEvents();
    EXPECT_EQ(ch().window_first, 0.0) << "the whole recording does not scroll";
    ASSERT_TRUE(view->handle_command(CommandId::ZoomIn));
    const int before = view->scroll_bar()->value();
    drag(*view, 600, 799);
    QApplication::processEvents();
    EXPECT_GT(view->scroll_bar()->value(), before);
    EXPECT_GT(ch().window_first, kN / 4);
    EXPECT_GT(ch().sel_hi_sample, kN * 3 / 4) << "the selection reaches beyond the old window";
}

TEST_F(EditView, ZoomOptionShowsAWholeNumberAndPatchesTheConfiguration) {
    load_sine();
    doc->options.zoom_range_ms = 250.7;
    show();
    COptionZoom dlg(static_cast<int>(doc->options.zoom_range_ms));
    EXPECT_EQ(dlg.windowTitle(), zoom_text::kCaption);
    EXPECT_EQ(dlg.range_edit()->value(), 250);
    QSignalSpy spy(view.get(), &CMarbeckView::configPatchRequested);
    view->apply_zoom_option(-40);  // no range check
    EXPECT_EQ(doc->options.zoom_range_ms, -40.0);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy[0][0].value<ConfigGroup>(), ConfigGroup::Zoom);
}

// --- edit commands --------------------------------------------------------------------

LABEL word(const char* text, double ms) {
    LABEL l;
    l.set_text(text);
    l.time_ms = ms;
    return l;
}

TEST_F(EditView, CutAStretchPasteItIntoAnotherRecordingUndoAndLabelsStay) {
    load_sine();
    CChannels& a = doc->channels[0];
    a.tiers[1].in_use = 1;
    a.append_label(1, word("vowel", 300.0));
    a.append_label(1, word("cough", 500.0));
    a.append_label(1, word("end", 900.0));
    show();
    const std::vector<std::int16_t> original = samples();
    select_samples(4410, 6615);  // 400 … 600 ms
    ASSERT_TRUE(view->command_enabled(CommandId::EditCut));
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    EXPECT_EQ(a.sample_count, kN - 2205);
    EXPECT_EQ(a.tiers[1].label_count(), 2);
    EXPECT_DOUBLE_EQ(a.tiers[1].labels[1].time_ms, 900.0 - 200.0);
    EXPECT_FALSE(view->has_selection());
    EXPECT_EQ(doc->selection_active, 0);
    EXPECT_TRUE(doc->modified());
    EXPECT_EQ(a.window_last, a.sample_count) << "the window is rebuilt over the shorter recording";
    EXPECT_TRUE(view->command_enabled(CommandId::EditUndo));

    // A second recording of the same rate takes the cough at its cursor.
    CMarbeckDoc other(services);
    fill_audio(other, 11025.0, 4000, [](std::size_t) { return 7; });
    other.channels[0].tiers[1].in_use = 1;
    CMarbeckView second(other);
    second.resize(800, 400);
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    ASSERT_TRUE(second.command_enabled(CommandId::EditPaste));
    click(second, 40);  // the cursor at sample 0
    ASSERT_TRUE(second.handle_command(CommandId::EditPaste));
    const std::vector<std::int16_t> pasted = test::audio_samples(other);
    ASSERT_EQ(pasted.size(), 4000u + 2205u);
    EXPECT_TRUE(std::equal(pasted.begin(), pasted.begin() + 2205, original.begin() + 4410));
    ASSERT_EQ(other.channels[0].tiers[1].label_count(), 1);
    EXPECT_NEAR(other.channels[0].tiers[1].labels[0].time_ms, 100.0, 0.1);

    // Undo in the first recording brings back every sample and label.
    ASSERT_TRUE(view->handle_command(CommandId::EditUndo));
    EXPECT_EQ(samples(), original);
    EXPECT_EQ(a.tiers[1].label_count(), 3);
    EXPECT_DOUBLE_EQ(a.tiers[1].labels[2].time_ms, 900.0);
    EXPECT_FALSE(view->command_enabled(CommandId::EditUndo)) << "one level only";
    EXPECT_TRUE(prompts.events.empty());
}

TEST_F(EditView, CuttingEverySampleLeavesAnEmptyRecordingThatDrawsAndTakesAPaste) {
    load_sine();
    show();
    select_samples(0, kN);
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    EXPECT_EQ(ch().sample_count, 0.0);
    EXPECT_EQ(ch().samples.size(), 0u);
    const QImage& img = view->screen_image();
    EXPECT_FALSE(img.isNull());
    click(*view, 300);
    EXPECT_EQ(ch().marker_sample, 0.0);
    EXPECT_FALSE(view->command_enabled(CommandId::EditCut));
    ASSERT_TRUE(view->handle_command(CommandId::EditPaste));
    EXPECT_EQ(ch().sample_count, kN);
    ASSERT_TRUE(view->handle_command(CommandId::EditUndo));
    EXPECT_EQ(ch().sample_count, 0.0) << "the undo copy is the empty recording before the paste";
}

TEST_F(EditView, FinishingAnEditRecomputesPitchAndIntensityWhenThatOptionIsSet) {
    load_sine(12000.0, 150.0);
    doc->options.display.always_analyse = 1;
    show();
    select_samples(2000, 4000);
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    EXPECT_EQ(view->pitch_range().last_sample, kN - 2000);
    EXPECT_FALSE(view->pitch_contour().empty());
    EXPECT_EQ(view->intensity_range().last_sample, kN - 2000);
    EXPECT_FALSE(view->has_cursor());
    EXPECT_FALSE(view->has_selection());
}

TEST_F(EditView, ALongRecordingIsCopiedButNeitherCutNorPastedInto) {
    load_sine();
    const std::vector<std::int16_t> all = samples();
    std::vector<unsigned char> bytes(all.size() * 2);
    for (std::size_t i = 0; i < all.size(); ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(all[i]));
    test::write_file(dir.file("long.raw"), bytes);
    doc->adopt_sample_file(dir.file("long.raw"));
    doc->channels[0].samples.reset();
    show();
    select_samples(100, 300);
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{edit_text::kCutLong});
    EXPECT_EQ(prompts.count(ScriptedPrompts::Event::YesNo), 0);
    EXPECT_FALSE(view->command_enabled(CommandId::EditUndo));
    EXPECT_EQ(ch().sample_count, kN);
    ASSERT_TRUE(view->command_enabled(CommandId::EditPaste));
    ASSERT_TRUE(view->handle_command(CommandId::EditPaste));
    EXPECT_EQ(prompts.messages().back(), edit_text::kPasteLong);
    EXPECT_EQ(samples(), all);
}

struct NoUndoCase {
    Answer answer;
    bool cut;
};

class CutWithoutUndo : public EditView, public ::testing::WithParamInterface<NoUndoCase> {};

TEST_P(CutWithoutUndo, AsksWhetherToGoOn) {
    const NoUndoCase c = GetParam();
    temp_names.set_folder(dir.file("missing/folder"));
    load_sine();
    show();
    select_samples(100, 200);
    prompts.answers.push_back(c.answer);
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    const auto m = prompts.messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0], undo_text::kCreateError);
    ASSERT_EQ(prompts.count(ScriptedPrompts::Event::YesNo), 1);
    EXPECT_EQ(prompts.events.back().text, undo_text::kContinueQuestion);
    EXPECT_EQ(prompts.count(ScriptedPrompts::Event::Beep), 1);
    EXPECT_EQ(ch().sample_count, c.cut ? kN - 100 : kN);
    EXPECT_FALSE(view->command_enabled(CommandId::EditUndo));
}

INSTANTIATE_TEST_SUITE_P(Edit, CutWithoutUndo,
                         ::testing::Values(NoUndoCase{Answer::No, false}, NoUndoCase{Answer::Yes, true}));

TEST_F(EditView, PasteIntoAnEmptyDocumentGivesItDataAndUndoEmptiesItAgain) {
    load_sine();
    show();
    select_samples(0, 500);
    ASSERT_TRUE(view->handle_command(CommandId::EditCopy));
    CMarbeckDoc empty(services);
    CMarbeckView v(empty);
    v.resize(600, 300);
    v.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
    EXPECT_FALSE(v.command_enabled(CommandId::EditCut));
    ASSERT_TRUE(v.command_enabled(CommandId::EditPaste));
    ASSERT_TRUE(v.handle_command(CommandId::EditPaste));
    EXPECT_EQ(empty.loaded, 1);
    EXPECT_EQ(empty.channels[0].sample_count, 500.0);
    EXPECT_EQ(empty.channels[0].window_last, 500.0);
    EXPECT_TRUE(v.command_enabled(CommandId::ZoomIn));
    ASSERT_TRUE(v.command_enabled(CommandId::EditUndo));
    ASSERT_TRUE(v.handle_command(CommandId::EditUndo));
    EXPECT_EQ(empty.loaded, 0);
    EXPECT_EQ(empty.channel_count, 0);
    EXPECT_FALSE(v.command_enabled(CommandId::EditUndo));
}

TEST_F(EditView, UndoOfAMultichannelDocumentIsRefused) {
    load_sine();
    doc->channels[1] = doc->channels[0];
    doc->channels[1].channel_type = 0;
    doc->channel_count = 2;
    show();
    select_samples(0, 100);
    ASSERT_TRUE(view->handle_command(CommandId::EditCut));
    ASSERT_TRUE(view->command_enabled(CommandId::EditUndo));
    ASSERT_TRUE(view->handle_command(CommandId::EditUndo));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{undo_text::kWrongChannels});
    EXPECT_EQ(ch().sample_count, kN - 100);
}

TEST_F(EditView, ClearToReferenceFlattensTheSelection) {
    load_sine();
    doc->channels[0].reference = 25.0;
    show();
    select_samples(1000, 1100);
    ASSERT_TRUE(view->handle_command(CommandId::EditClearToReference));
    const auto s = samples();
    EXPECT_EQ(std::count(s.begin() + 1000, s.begin() + 1100, 25), 100);
    EXPECT_NE(s[1100], 25);
    EXPECT_TRUE(doc->modified());
    EXPECT_TRUE(view->command_enabled(CommandId::EditUndo));
}

struct GainFlow {
    const char* name;
    int gain, reference;
    Answer answer;
    bool changed;
};

class ReferenceGainFlow : public EditView, public ::testing::WithParamInterface<GainFlow> {};

TEST_P(ReferenceGainFlow, StoresTheAnswersThenAsksBeforeChangingTheSamples) {
    const GainFlow g = GetParam();
    load_sine(1000.0);
    show();
    const auto before = samples();
    prompts.answers.push_back(g.answer);
    QSignalSpy spy(view.get(), &CMarbeckView::configPatchRequested);
    const bool done = view->apply_reference_gain_answer(g.gain, g.reference);
    EXPECT_EQ(done, g.answer != Answer::Cancel);
    EXPECT_EQ(doc->options.gain_percent, g.gain);
    EXPECT_EQ(doc->options.reference, g.reference);
    EXPECT_EQ(spy.count(), 1);
    ASSERT_EQ(prompts.count(ScriptedPrompts::Event::YesNoCancel), 1);
    EXPECT_EQ(prompts.events[0].text, std::string(edit_text::kPermanentQuestion) + "Save 'Untitled' before proceeding ?");
    const auto after = samples();
    if (g.changed) {
        for (std::size_t i : {std::size_t(10), std::size_t(500)})
            EXPECT_EQ(after[i], reference_gain_sample(before[i], g.reference, g.gain));
    } else {
        EXPECT_EQ(after, before);
    }
}

INSTANTIATE_TEST_SUITE_P(Edit, ReferenceGainFlow,
                         ::testing::Values(GainFlow{"Cancelled", 50, 10, Answer::Cancel, false},
                                           GainFlow{"Neutral", 0, 0, Answer::No, false},
                                           GainFlow{"Applied", 50, 10, Answer::No, true}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(EditView, ReferenceGainDialogShowsWholeNumbers) {
    CDialogReferenceGain dlg(150, -12);
    EXPECT_EQ(dlg.windowTitle(), edit_text::kGainCaption);
    EXPECT_EQ(dlg.gain_edit()->value(), 150);
    dlg.reference_edit()->setValue(40);
    EXPECT_EQ(dlg.reference(), 40);
}

TEST_F(EditView, SmoothAsksFirstAndCancelChangesNothing) {
    load_sine();
    doc->channels[0].smooth_on = 1;
    doc->channels[0].smooth_points = 9;
    show();
    const auto before = samples();
    prompts.answers.push_back(Answer::Cancel);
    ASSERT_TRUE(view->handle_command(CommandId::Smooth));
    EXPECT_EQ(samples(), before);
    prompts.answers.push_back(Answer::No);
    ASSERT_TRUE(view->handle_command(CommandId::Smooth));
    EXPECT_NE(samples(), before);
    EXPECT_EQ(prompts.events.back().text, edit_text::kSmoothQuestion);
    EXPECT_TRUE(view->command_enabled(CommandId::EditUndo));
}

}  // namespace
}  // namespace vox::viewtest
