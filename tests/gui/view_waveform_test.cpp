// The waveform view driven with real mouse events: marker and selection
// state, readouts, and the pixels of the rendered images.

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

#include "gui/plot/plot_printer.h"
#include <QLabel>

#include <cstdio>
#include <QMouseEvent>

#include "gui/plot/plot_draw.h"
#include "gui/views/waveform/painters/plot_page.h"
#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

using View = CMarbeckView;

struct WaveformView : ViewFixture {
    // A drag with the left button from x0 to x1 at height y, in steps.
    void drag(int x0, int x1, int y = 100) {
        QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
        const int step = x1 >= x0 ? 1 : -1;
        for (int x = x0; x != x1; x += step) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x + step, y), view->mapToGlobal(QPointF(x + step, y)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.get(), &move);
        }
        QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    }
    void hover(int x, int y = 100) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), view->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
    }
    QString readout(View::Readout r) const { return view->readout_text(r).trimmed(); }
    // Time (ms) at a client x for the unzoomed 1 s test signal.
    double ms_at(int x) const {
        const CChannels& ch = doc->channels[0];
        return ch.sample_to_ms(ch.pixel_to_sample(x - 40));
    }
};

bool dark(QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; }

// --- the mouse model -------------------------------------------------------------

struct DragCase {
    int from, to;
    bool selection;
};
class DragWidth : public WaveformView, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragWidth, LeavesCursorOrSelection) {
    load_sine();
    show();
    const DragCase c = GetParam();
    drag(c.from, c.to);
    const CChannels& ch = doc->channels[0];
    EXPECT_EQ(view->has_selection(), c.selection);
    EXPECT_EQ(doc->selection_active != 0, c.selection);
    EXPECT_EQ(view->has_cursor(), !c.selection);
    EXPECT_NEAR(ch.marker_ms, ms_at(c.from), 1e-9);
    if (c.selection) {
        EXPECT_NEAR(ch.sel_lo_ms, ms_at(std::min(c.from, c.to)), 1e-9);
        EXPECT_NEAR(ch.sel_hi_ms, ms_at(std::max(c.from, c.to)), 1e-9);
        EXPECT_EQ(readout(View::DurationValue), QString::asprintf("%.1f", ch.sel_length_ms));
    } else {
        EXPECT_EQ(readout(View::DurationValue), "0.0");
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, DragWidth,
                         ::testing::Values(DragCase{200, 200, false}, DragCase{200, 205, false},
                                           DragCase{300, 295, false}, DragCase{200, 206, true},
                                           DragCase{400, 250, true}, DragCase{100, 700, true}));

TEST_F(WaveformView, PressOutsideTheClientAreaDoesNothing) {
    load_sine();
    show();
    drag(200, 300);
    ASSERT_TRUE(view->has_selection());
    const double lo = doc->channels[0].sel_lo_ms;
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(-10, 50));
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(-10, 50));
    EXPECT_TRUE(view->has_selection());
    EXPECT_EQ(doc->channels[0].sel_lo_ms, lo);
}

TEST_F(WaveformView, DocumentWithoutDataShowsBackgroundAndIgnoresMouse) {
    show();
    drag(200, 300);
    EXPECT_FALSE(view->has_selection());
    EXPECT_FALSE(view->has_cursor());
    const QImage& img = view->screen_image();
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7) ASSERT_EQ(img.pixel(x, y), qRgb(255, 255, 255)) << x << "," << y;
}

TEST_F(WaveformView, SecondsModeCaptionsAndValues) {
    load_sine();
    doc->options.display.msec = 0;
    show();
    EXPECT_EQ(view->readout_text(View::CursorCaption), "Cursor(sec)= ");
    EXPECT_EQ(view->readout_text(View::DurationCaption), "Duration(sec)= ");
    drag(200, 500);
    EXPECT_EQ(readout(View::DurationValue), QString::asprintf("%.1f", doc->channels[0].sel_length_ms / 1000.0));
    hover(420);
    EXPECT_EQ(readout(View::CursorValue), QString::asprintf("%.1f", ms_at(420) / 1000.0));
}

TEST_F(WaveformView, MillisecondReadoutsAndSampleRate) {
    load_sine();
    show();
    EXPECT_EQ(view->readout_text(View::CursorCaption), "Cursor(ms)= ");
    EXPECT_EQ(readout(View::SampleRateValue), "11025");
    hover(420);
    EXPECT_EQ(readout(View::CursorValue), QString::asprintf("%.1f", ms_at(420)));
    EXPECT_EQ(view->readout_text(View::CursorValue).size(), 12);  // "%12.1f"
}

TEST_F(WaveformView, MouseMovesNeverRerender) {
    load_sine();
    show();
    view->screen_image();
    const int renders = view->render_count();
    for (int x = 50; x < 700; x += 3) hover(x);
    drag(100, 400);
    drag(500, 480);
    QApplication::processEvents();
    view->repaint();
    EXPECT_EQ(view->render_count(), renders);
}

TEST_F(WaveformView, PitchAndIntensityReadoutsFollowTheContours) {
    load_sine();
    // Intensity: two frames, 40 dB over the first half, 60 dB over the rest
    // (frames of count − half samples every half samples; the second wins
    // where they overlap).
    CChannels& ch = doc->channels[0];
    const std::uint64_t half = ch.count() / 2;
    ch.intensity.assign({40.0, 60.0}, static_cast<int>(ch.count() - half), static_cast<double>(half), ch.count(), false,
                        ch.sample_rate);
    ASSERT_EQ(ch.intensity[half - 1], 40.0);
    ASSERT_EQ(ch.intensity[half], 60.0);
    ASSERT_EQ(ch.intensity[ch.count() - 1], 60.0);
    ch.intensity_count = static_cast<std::int64_t>(ch.count());
    ch.intensity_min = ch.intensity.min();
    ch.intensity_max = ch.intensity.max();
    ASSERT_EQ(ch.intensity_min, 40.0);
    ASSERT_EQ(ch.intensity_max, 60.0);
    ch.intensity_valid = 1;
    show();
    // Pitch only over 200..600 ms, 10 frames of 40 ms whose values belong to
    // their centres (220, 260, … 580 ms), frames 3 and 4 unvoiced. A time
    // reads the frame nearest to it, up to half a step past either end.
    PitchTrack track;
    track.sample_rate = ch.sample_rate;
    track.first_ms = 220.0;
    track.step_ms = 40.0;
    track.f0 = {100, 110, 120, 0, 0, 150, 160, 170, 180, 190};
    view->set_pitch_track(track, ViewRange{ch.ms_to_sample(200), ch.ms_to_sample(600), 200.0, 600.0});
    struct Probe {
        double ms;
        double pitch;
        double intensity;
    };
    for (const Probe& p : {Probe{100, 0, 40}, Probe{210, 100, 40}, Probe{330, 0, 40}, Probe{590, 190, 60},
                           Probe{700, 0, 60}}) {
        const int x = view->display_rect().left + int(std::ceil(p.ms / 1000.0 * (view->display_rect().right - 40)));
        hover(x);
        const double t = view->view_time_ms();
        EXPECT_EQ(readout(View::PitchValue), QString::asprintf("%.1f", view->pitch_at(t))) << p.ms;
        EXPECT_DOUBLE_EQ(view->pitch_at(t), p.pitch) << p.ms;
        EXPECT_DOUBLE_EQ(view->intensity_at(t), p.intensity) << p.ms;
    }
    // Average over a selection of the whole contour ignores the unvoiced frames.
    view->handle_command(CommandId::EditSelectAll);
    EXPECT_DOUBLE_EQ(view->mean_pitch(0, 1000), (100 + 110 + 120 + 150 + 160 + 170 + 180 + 190) / 8.0);
    EXPECT_DOUBLE_EQ(view->mean_pitch(315, 355), 0.0);  // only unvoiced frames inside
    drag(45, 780);
    EXPECT_EQ(readout(View::AveragePitchValue), QString::asprintf("%.1f", 1180 / 8.0))
        << ch.sel_lo_ms << " " << ch.sel_hi_ms;
    snapshot("contours");
}

TEST_F(WaveformView, SelectAllAndSelectWindow) {
    load_sine();
    show();
    EXPECT_TRUE(view->command_enabled(CommandId::EditSelectAll));
    EXPECT_FALSE(view->command_enabled(CommandId::PitchSelection));
    EXPECT_FALSE(view->command_enabled(CommandId::ZoomOut));  // the whole recording is in view
    ASSERT_TRUE(view->handle_command(CommandId::EditSelectAll));
    const CChannels& ch = doc->channels[0];
    EXPECT_TRUE(view->has_selection());
    EXPECT_FALSE(view->has_cursor());
    EXPECT_EQ(ch.sel_lo_sample, 0.0);
    EXPECT_EQ(ch.sel_hi_sample, ch.sample_count);
    EXPECT_DOUBLE_EQ(ch.sel_hi_ms, ch.duration_ms);
    drag(300, 300);
    EXPECT_FALSE(view->has_selection());
    ASSERT_TRUE(view->handle_command(CommandId::EditSelectWindow));
    EXPECT_EQ(doc->selection_active, 1);
    EXPECT_EQ(ch.sel_hi_sample, ch.window_last);
}

TEST_F(WaveformView, CommandsNeedData) {
    show();
    for (CommandId id : {CommandId::EditSelectAll, CommandId::EditSelectWindow, CommandId::FilePrint,
                         CommandId::FileSaveBmp, CommandId::OptionsDisplay}) {
        EXPECT_FALSE(view->command_enabled(id));
        EXPECT_FALSE(view->handle_command(id));
    }
}


TEST_F(WaveformView, PitchAllTracksAVoicedSignalAndShowsIntensity) {
    // 150 Hz with ten harmonics, 1 s at 11025 Hz.
    fill_audio(*doc, 11025.0, 11025, [](std::size_t i) {
        double v = 0.0;
        for (int h = 1; h <= 10; ++h) v += std::sin(2 * M_PI * 150.0 * h * double(i) / 11025.0) / h;
        return 9000.0 * v;
    });
    show();
    EXPECT_FALSE(view->command_enabled(CommandId::PitchSelection));
    ASSERT_TRUE(view->handle_command(CommandId::PitchAll));
    ASSERT_FALSE(view->pitch_contour().empty());
    EXPECT_NEAR(view->pitch_at(500.0), 150.0, 3.0);
    EXPECT_NEAR(view->mean_pitch(100.0, 900.0), 150.0, 3.0);
    EXPECT_TRUE(doc->channels[0].intensity_valid);
    EXPECT_FALSE(view->intensity_strip().empty());
    EXPECT_GT(view->intensity_at(500.0), 60.0);
    snapshot("pitch_all");
}


// What a picture of the window waits for: the first display says when its
// automatic analyses are done, and not while they run.
TEST(FirstDisplay, SaysWhenItsAutomaticAnalysesAreDone) {
    app();
    struct Watch : Progress {
        const CMarbeckView* view = nullptr;
        int steps_while_running = 0;
        void begin(std::string_view, long long) override {}
        void step() override {
            if (view && !view->first_display_finished()) ++steps_while_running;
        }
        bool cancelled() override { return false; }
        void end() override {}
    } watch;
    ScriptedPrompts prompts;
    TempNames names{std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp")};
    DocServices services{prompts, watch, names};
    CMarbeckDoc doc(services);
    doc.options.display.always_analyse = 1;
    fill_audio(doc, 16000.0, 16000, [](std::size_t i) { return 12000.0 * std::sin(2 * M_PI * 150.0 * double(i) / 16000.0); });
    CMarbeckView view(doc);
    watch.view = &view;
    EXPECT_TRUE(view.first_display_finished()) << "a view never shown waits for nothing";
    view.resize(800, 400);
    view.show();
    EXPECT_FALSE(view.first_display_finished());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.first_display_finished(); }, 20000));
    EXPECT_FALSE(view.pitch_contour().empty());
    EXPECT_TRUE(doc.channels[0].intensity_valid);
    EXPECT_GT(watch.steps_while_running, 0);
}

// --- bitmap output -----------------------------------------------------------------------

TEST_F(WaveformView, SaveAsBmpWritesThePageAndReportsFailures) {
    load_sine();
    show();
    const std::string path = QDir::tempPath().toStdString() + "/vox_view_saveas.bmp";
    prompts.file_choices.push_back(path);
    ASSERT_TRUE(view->handle_command(CommandId::FileSaveBmp));
    ASSERT_EQ(prompts.file_requests.size(), 1u);
    EXPECT_EQ(prompts.file_requests[0].title, "Save As bmp");
    EXPECT_EQ(prompts.file_requests[0].filter, "Bitmap files (*.bmp)|*.bmp||");
    QImage back(QString::fromStdString(path));
    ASSERT_FALSE(back.isNull());
    // 6 × 4 inches at 96 pixels per inch plus a one-inch margin on each side.
    EXPECT_EQ(back.size(), QSize(8 * 96, 6 * 96));
    int dark_pixels = 0;
    for (int y = 96; y < 5 * 96; ++y)
        for (int x = 96; x < 7 * 96; ++x)
            if (dark(back.pixel(x, y))) ++dark_pixels;
    EXPECT_GT(dark_pixels, 2000);  // frame, strips and waveform
    if (const char* dir = std::getenv("VOXTREL_VIEW_PNG_DIR")) back.save(QString::fromLatin1(dir) + "/bitmap.png");
    std::remove(path.c_str());

    prompts.file_choices.push_back(std::string("/nonexistent-folder/x.bmp"));
    view->handle_command(CommandId::FileSaveBmp);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], "Error in saving the bitmap file.");
    EXPECT_EQ(prompts.count(ScriptedPrompts::Event::Beep), 1);

    prompts.file_choices.push_back(std::nullopt);  // cancelled: nothing written, nothing shown
    view->handle_command(CommandId::FileSaveBmp);
    EXPECT_EQ(prompts.messages().size(), 1u);
}


TEST_F(WaveformView, PrintsThePlotOntoAPrinterPage) {
    load_sine();
    show();
    const QString path = QDir::tempPath() + "/vox_view_print.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    int calls = 0;
    plot::PlotTarget seen;
    plot::PrintPlot(printer, view->page().setup(), "Untitled", [&](QPainter& p, const plot::PlotTarget& t) {
        ++calls;
        seen = t;
        view->page().render(p, t);
    });
    EXPECT_EQ(calls, 1);
    // The box is 6 × 4 inches at the printer's resolution, one inch from the corner.
    const int dpi = printer.logicalDpiX();
    EXPECT_EQ(seen.area.left, dpi);
    EXPECT_EQ(seen.area.right - seen.area.left, 6 * dpi);
    EXPECT_NEAR(seen.scale, dpi / 96.0, 1e-9);
    EXPECT_GT(QFileInfo(path).size(), 1000);
    QFile::remove(path);
}

// --- pixels ----------------------------------------------------------------------------

TEST_F(WaveformView, SineFillsItsShareOfTheAudioStrip) {
    load_sine(16000.0, 50.0);
    show();
    const QImage& img = view->screen_image();
    const auto strip = view->audio_strip();
    const int h = strip.bottom - strip.top;
    const int y0 = strip.bottom - h / 2;
    const int amp = int(16000.0 * h / 65536.0);
    // Over the whole band the strokes reach exactly ±amp around the zero line.
    int top = img.height(), bottom = -1;
    for (int x = 41; x < view->display_rect().right - 1; ++x)
        for (int y = strip.top + 1; y < strip.bottom - 1; ++y)
            if (dark(img.pixel(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    EXPECT_EQ(top, y0 - amp);
    EXPECT_NEAR(bottom, y0 + amp, 1);
}

TEST_F(WaveformView, NothingIsDrawnPastTheLastSample) {
    load_sine();
    CChannels& ch = doc->channels[0];
    ch.window_last = 2 * ch.sample_count;  // a window reaching beyond the samples
    show();
    const QImage& img = view->screen_image();
    const auto strip = view->audio_strip();
    const Rect d = view->display_rect();
    const int half = d.left + (d.right - d.left) / 2;
    int left_dark = 0;
    for (int x = d.left + 2; x < d.right - 2; ++x)
        for (int y = strip.top + 2; y < strip.bottom - 2; ++y) {
            if (!dark(img.pixel(x, y))) continue;
            if (x <= half + 1) ++left_dark;
            else ADD_FAILURE() << "stroke past the samples at " << x << "," << y;
        }
    EXPECT_GT(left_dark, 100);
}

TEST_F(WaveformView, SelectionIsTintedByMultiplicationAndCursorLineDrawn) {
    load_sine();
    doc->options.display.add_time_grid = 0;
    doc->options.pitch.add_frequency_grid = 0;
    show();
    drag(200, 400);
    const QImage& img = view->screen_image();
    const QRgb tint = plot::to_qcolor(doc->options.colors.selection).rgb();
    const auto pitch = view->pitch_strip();
    const int y = (pitch.top + pitch.bottom) / 2 + 3;
    // Ground inside the selection takes the tint; outside stays white.
    int tinted = 0;
    for (int x = 205; x < 395; ++x)
        if (img.pixel(x, y) == tint) ++tinted;
    EXPECT_GT(tinted, 150);
    EXPECT_EQ(img.pixel(150, y), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(450, y), qRgb(255, 255, 255));
    // A black stroke of the waveform inside the selection stays black.
    const auto audio = view->audio_strip();
    bool stroke_kept = false;
    for (int yy = audio.top + 2; yy < audio.bottom - 2; ++yy)
        if (img.pixel(300, yy) == qRgb(0, 0, 0)) stroke_kept = true;
    EXPECT_TRUE(stroke_kept);
    snapshot("selection");

    // A click leaves a black cursor line from the top to the display bottom.
    drag(600, 600);
    const QImage& after = view->screen_image();
    EXPECT_EQ(after.pixel(300, y), qRgb(255, 255, 255));  // the old tint is gone
    EXPECT_EQ(after.pixel(600, y), qRgb(0, 0, 0));
    EXPECT_EQ(after.pixel(600, 1), qRgb(0, 0, 0));
    EXPECT_EQ(after.pixel(600, view->display_rect().bottom + 5), qRgb(255, 255, 255));
}

TEST_F(WaveformView, TierBandsAndLabelsAreDrawn) {
    load_sine();
    CChannels& ch = doc->channels[0];
    ch.tiers[0].name = "words";
    ch.tiers[0].in_use = 1;
    ch.tiers[0].height = 24;
    LABEL l;
    l.set_text("hello");
    l.time_ms = 500.0;
    l.align = 1;
    l.add_line = true;
    l.color = make_rgb(0, 128, 0);
    l.font.height = -14;
    ch.tiers[0].labels.push_back(l);
    show();
    const QImage& img = view->screen_image();
    EXPECT_EQ(view->audio_strip().top, 24);
    EXPECT_EQ(ch.tiers[0].band.bottom, 24);
    // The label's line runs at its time through the strips below the band.
    const int x = 40 + int((view->display_rect().right - 40) / 1000.0 * 500.0);
    EXPECT_EQ(img.pixel(x, view->pitch_strip().top + 10), qRgb(0, 128, 0));
    EXPECT_LT(ch.tiers[0].labels[0].rect.left, x);
    EXPECT_GT(ch.tiers[0].labels[0].rect.right, x);
    snapshot("tiers");
}

}  // namespace
}  // namespace vox::viewtest
