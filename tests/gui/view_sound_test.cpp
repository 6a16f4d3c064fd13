// Record and play commands of the waveform view through the in-memory wave
// devices, with the view's own timers.
#include <QElapsedTimer>

#include <filesystem>
#include <chrono>
#include <functional>
#include <thread>

#include "core/app/option_block.h"
#include "core/audio/sound_texts.h"
#include "core/formats/open_document.h"
#include "core/platform/memory_wave.h"
#include "gui/audio/sound_devices.h"
#include "gui/views/waveform/view_sound.h"
#include "tests/gui/gui_test_support.h"
#include "tests/gui/view_fixture.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using viewtest::ViewFixture;

using test::wait_until;
std::vector<std::int16_t> channel(const CMarbeckDoc& doc) {
    return test::audio_samples(doc);
}

struct SoundView : ViewFixture {
    MemoryWaveOut speaker{1.0};
    std::unique_ptr<MemoryWaveIn> mic;
    test::ScratchDir scratch;  // recordings and working files of this test only
    SoundDevices devices;
    SoundView() {
        temp_names.set_folder(scratch.path().string());
        devices.install(&speaker, nullptr);
        join_session(&devices);
    }
    ~SoundView() override {
        view.reset();
        doc.reset();  // before the devices its session plays through
    }
    void use_mic(std::vector<std::int16_t> src, double speed) {
        mic = std::make_unique<MemoryWaveIn>(std::move(src), speed);
        devices.install(&speaker, mic.get());
    }
    void drag(int x0, int x1, int y = 150) {
        QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x0, y));
        for (int x = x0; x <= x1; x += 10) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, y), view->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.get(), &move);
        }
        QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x1, y));
    }
};

TEST_F(SoundView, PlayAllPlaysEverySampleAndEndsAfterTheCursor) {
    load_sine(12000.0, 200.0, 11025.0, 3300);  // about 0.3 s
    show();
    ASSERT_TRUE(view->command_enabled(CommandId::PlayAll));
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(view->handle_command(CommandId::PlayAll));
    EXPECT_TRUE(view->playing());
    ASSERT_TRUE(wait_until([&] { return view->play_cursor_ms() > 0.0; }));
    EXPECT_NEAR(view->play_cursor_ms(), 2048000.0 / 11025.0, 1e-9);
    ASSERT_TRUE(wait_until([&] { return !view->playing(); }));
    // One cursor step of 185 ms, then the 500 ms timer.
    EXPECT_GE(t.elapsed(), 650);
    const auto played = speaker.played();
    EXPECT_EQ(played.samples.size(), channel(*doc).size());
    EXPECT_EQ(played.samples, channel(*doc));
    EXPECT_FALSE(played.open);
}

TEST_F(SoundView, PlaySelectionPlaysExactlyItsSamples) {
    load_sine(12000.0, 150.0, 11025.0, 11025);
    show();
    drag(200, 400);
    ASSERT_TRUE(view->has_selection());
    ASSERT_TRUE(view->command_enabled(CommandId::PlaySelection));
    const ViewRange r = view->range_selection();
    ASSERT_TRUE(view->handle_command(CommandId::PlaySelection));
    ASSERT_TRUE(wait_until([&] { return !view->playing(); }));
    const auto all = channel(*doc);
    const auto first = static_cast<std::size_t>(r.first_sample);
    const auto count = static_cast<std::size_t>(r.last_sample - r.first_sample);
    ASSERT_GT(count, 100u);
    EXPECT_EQ(speaker.played().samples,
              std::vector<std::int16_t>(all.begin() + static_cast<long>(first), all.begin() + static_cast<long>(first + count)));
}

struct StepCase {
    double rate;
    double app_rate;
    double step_ms;
};
class PlayCursorStep : public SoundView, public ::testing::WithParamInterface<StepCase> {};
TEST_P(PlayCursorStep, FollowsTheRateRule) {
    const auto p = GetParam();
    load_sine(8000.0, 100.0, p.rate, static_cast<std::size_t>(p.rate));
    session.current_rate_hz = p.app_rate;
    show();
    ASSERT_TRUE(view->handle_command(CommandId::PlayAll));
    // The cursor moves in whole steps from the play start (a busy machine
    // may let more than one step pass between two looks).
    auto whole_steps = [&](double ms) {
        const double k = ms / p.step_ms;
        EXPECT_NEAR(k, std::round(k), 1e-6) << ms;
        return std::lround(k);
    };
    ASSERT_TRUE(wait_until([&] { return view->play_cursor_ms() > 0.0; }));
    const long first_seen = whole_steps(view->play_cursor_ms());
    EXPECT_GE(first_seen, 1);
    ASSERT_TRUE(wait_until([&] { return view->play_cursor_ms() > p.step_ms * (first_seen + 0.5); }));
    EXPECT_GT(whole_steps(view->play_cursor_ms()), first_seen);
    view->stop_playback();
}
INSTANTIATE_TEST_SUITE_P(Rates, PlayCursorStep,
                         ::testing::Values(StepCase{11025, 11025, 2048000.0 / 11025}, StepCase{22050, 22050, 2048000.0 / 22050},
                                           StepCase{44100, 44100, 8192000.0 / 44100},
                                           StepCase{48000, 48000, 8192000.0 / 48000},
                                           StepCase{44100, 11025, 2048000.0 / 44100}));

// A left press, or any other command, stops the sound at once.
class PlaybackInterrupted : public SoundView, public ::testing::WithParamInterface<int> {};
TEST_P(PlaybackInterrupted, StopsImmediately) {
    load_sine(12000.0, 150.0, 11025.0, 3 * 11025);
    show();
    ASSERT_TRUE(view->handle_command(CommandId::PlayAll));
    ASSERT_TRUE(speaker.wait_finished(1, 3000));
    if (GetParam() == 0)
        QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 150));
    else
        view->handle_command(CommandId::ZoomIn);
    EXPECT_FALSE(view->playing());
    const auto played = speaker.played();
    EXPECT_FALSE(played.open);
    EXPECT_LT(played.samples.size(), 3u * 11025u);
    QTest::qWait(100);
    EXPECT_EQ(speaker.played().samples.size(), played.samples.size());
}
INSTANTIATE_TEST_SUITE_P(By, PlaybackInterrupted, ::testing::Values(0, 1));

TEST_F(SoundView, WithoutOutputDeviceTheCursorStillEndsPlayback) {
    NoWaveOut none;
    devices.install(&none, nullptr);
    load_sine(12000.0, 150.0, 11025.0, 2000);
    show();
    ASSERT_TRUE(view->handle_command(CommandId::PlayAll));
    ASSERT_TRUE(wait_until([&] { return !view->playing(); }));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{sound_text::kNoOutputDevice});
}

TEST_F(SoundView, RecordingBecomesTheAudioChannelInWholeBlocks) {
    std::vector<std::int16_t> src(3 * 11025);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::int16_t>(9000 * std::sin(0.07 * double(i)) + (i % 3));
    use_mic(src, 4.0);
    doc->channels[0].sample_rate = 11025.0;
    show();
    ASSERT_TRUE(view->command_enabled(CommandId::Record));
    ASSERT_TRUE(view->handle_command(CommandId::Record));
    ASSERT_TRUE(wait_until([&] { return view->recording_sound(); }));
    EXPECT_FALSE(view->command_enabled(CommandId::PlayAll));
    EXPECT_FALSE(view->command_enabled(CommandId::ZoomIn));
    EXPECT_FALSE(view->command_enabled(CommandId::TiersSetModify));
    ASSERT_TRUE(wait_until([&] { return view->recorded_blocks() >= 3; }));
    QTest::qWait(20);
    // The level strip: one bar per block, drawn on the view's thread,
    // spanning the sine's ±9000 around the middle of the strip.
    {
        const QImage img = view->grab().toImage();
        const QRect strip = view->level_strip_rect();
        const int mid = strip.top() + strip.height() / 2, reach = 9000 * strip.height() / 65536;
        const QColor bar(30, 60, 160);
        EXPECT_EQ(img.pixelColor(strip.left() + 2, mid - reach / 2), bar);
        EXPECT_EQ(img.pixelColor(strip.left() + 3, mid + reach / 2), bar);
        EXPECT_NE(img.pixelColor(strip.left() + 2, mid - reach - 10), bar);
    }
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 150));
    EXPECT_FALSE(view->recording_sound());
    EXPECT_TRUE(prompts.messages().empty()) << prompts.messages().front();
    ASSERT_EQ(doc->loaded, 1);
    EXPECT_EQ(doc->is_recording, 1);
    EXPECT_TRUE(doc->modified());
    const auto got = test::audio_samples(*doc);
    ASSERT_GE(got.size(), 3u * 4096u);
    EXPECT_EQ(got.size() % 4096, 0u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), src.begin()));
    EXPECT_TRUE(view->command_enabled(CommandId::PlayAll));
    // While the capture runs nothing may edit or label the channel; once the
    // document holds the unsaved recording, editing and labelling it is allowed.
    EXPECT_TRUE(view->command_enabled(CommandId::ZoomIn));
    EXPECT_TRUE(view->command_enabled(CommandId::TiersSetModify));
}

TEST_F(SoundView, RecordAsksFirstAndCancelKeepsLabels) {
    load_sine();
    doc->is_recording = 1;
    doc->set_modified(true);
    LABEL l;
    l.set_text("ba");
    l.time_ms = 200.0;
    doc->channels[0].tiers[0].labels.push_back(l);
    show();
    ASSERT_TRUE(view->command_enabled(CommandId::Record));
    prompts.answers.push_back(Answer::Cancel);
    ASSERT_TRUE(view->handle_command(CommandId::Record));
    ASSERT_EQ(prompts.count(ScriptedPrompts::Event::YesNoCancel), 1);
    EXPECT_EQ(prompts.events.back().text,
              std::string(sound_text::kSaveBeforePrefix) + doc->title() + sound_text::kSaveBeforeSuffix);
    QTest::qWait(50);
    EXPECT_FALSE(view->recording_sound());
    EXPECT_EQ(doc->channels[0].tiers[0].label_count(), 1);
}

// A long recording is played from the document's raw file.
TEST_F(SoundView, PlayWindowOfARawFileRecording) {
    const std::size_t n = 6000;
    std::vector<unsigned char> bytes(n * 2);
    std::vector<std::int16_t> want(n);
    for (std::size_t i = 0; i < n; ++i) {
        want[i] = static_cast<std::int16_t>(7000 * std::sin(0.05 * double(i)));
        bytes[2 * i] = static_cast<unsigned char>(static_cast<std::uint16_t>(want[i]) & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(static_cast<std::uint16_t>(want[i]) >> 8);
    }
    const std::string raw = scratch.file("long.raw");
    test::write_file(raw, bytes);
    CChannels& ch = doc->channels[0];
    ch.set_foreign_audio(11025.0, double(n));
    ch.samples.reset();
    doc->adopt_sample_file(raw);
    doc->channel_count = 1;
    doc->loaded = 1;
    show();
    ASSERT_TRUE(view->command_enabled(CommandId::PlayWindow));
    ASSERT_TRUE(view->handle_command(CommandId::PlayWindow));
    ASSERT_TRUE(wait_until([&] { return !view->playing(); }));
    EXPECT_EQ(speaker.played().samples, want);
}

// Yes to the question saves the document with its labels before they go.
TEST_F(SoundView, RecordSavesWithLabelsBeforeClearingThem) {
    use_mic(std::vector<std::int16_t>(11025, 100), 4.0);
    load_sine();
    doc->is_recording = 1;
    doc->set_modified(true);
    LABEL l;
    l.set_text("ka");
    l.time_ms = 300.0;
    doc->channels[0].tiers[0].labels.push_back(l);
    doc->channels[0].tiers[0].in_use = 1;
    show();
    const std::string saved = scratch.file("before.vxl");
    prompts.answers.push_back(Answer::Yes);
    prompts.file_choices.push_back(saved);
    ASSERT_TRUE(view->handle_command(CommandId::Record));
    EXPECT_EQ(doc->channels[0].tiers[0].label_count(), 0);
    ASSERT_TRUE(wait_until([&] { return view->recording_sound(); }));
    QTest::mouseClick(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 150));
    test::DocFixture other;
    ASSERT_TRUE(open_document(*other.doc, saved));
    ASSERT_EQ(other.doc->channels[0].tiers[0].label_count(), 1);
    EXPECT_EQ(other.doc->channels[0].tiers[0].labels[0].text_string(), "ka");
}

TEST_F(SoundView, RecordIsOnlyForEmptyOrRecordedDocuments) {
    load_sine();
    show();
    EXPECT_FALSE(view->command_enabled(CommandId::Record));  // an opened file
    doc->is_recording = 1;
    EXPECT_TRUE(view->command_enabled(CommandId::Record));
}


// --- the view's sound on its own ---------------------------------------------------------

// A ViewSound over the fixture's document, without a view: what it asks its
// view to do is recorded.
struct SoundAlone : SoundView {
    QObject context;
    std::vector<double> cursor;  // where the play cursor was shown, in turn
    int repaints = 0, started = 0, stopped = 0;
    std::unique_ptr<ViewSound> sound;

    void make() {
        ViewSound::Hooks h;
        h.cursor_moved = [this](double ms) { cursor.push_back(ms); };
        h.repaint = [this] { ++repaints; };
        h.recording_started = [this] { ++started; };
        h.recording_stopped = [this] { ++stopped; };
        h.trace_width = [] { return 700; };
        sound = std::make_unique<ViewSound>(*doc, &context, std::move(h));
    }
    ~SoundAlone() override { sound.reset(); }
    std::size_t files_in_scratch() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(scratch.path()),
                                                      std::filesystem::directory_iterator()));
    }
};

struct CursorCase {
    double rate;
    double lo_ms, hi_ms;       // the selection played
    std::vector<double> seen;  // lo + k · step for every k ≥ 1 that stays inside it
};
class PlayCursorPath : public SoundAlone, public ::testing::WithParamInterface<CursorCase> {};

// The cursor steps 2048000 / rate ms from the start of the played range and
// is never shown past its end; after the last step it goes, and playback
// ends 500 ms later.
TEST_P(PlayCursorPath, StepsThroughThePlayedRangeAndNeverPastItsEnd) {
    const CursorCase c = GetParam();
    load_sine(8000.0, 120.0, c.rate, static_cast<std::size_t>(c.rate));
    session.current_rate_hz = c.rate;
    CChannels& ch = doc->channels[0];
    ch.set_marker_from_ms(c.lo_ms);
    ch.extend_selection_to_ms(c.hi_ms);
    make();
    sound->play(CommandId::PlaySelection);
    ASSERT_TRUE(sound->playing());
    ASSERT_TRUE(wait_until([&] { return !sound->playing(); }));
    ASSERT_EQ(cursor.size(), c.seen.size());
    for (std::size_t k = 0; k < cursor.size(); ++k) EXPECT_NEAR(cursor[k], c.seen[k], 0.01) << k;
    EXPECT_FALSE(sound->cursor_shown());
    EXPECT_GE(repaints, 1);  // the cursor went
    const auto first = static_cast<std::size_t>(ch.sel_lo_sample);
    const auto n = static_cast<std::size_t>(ch.sel_hi_sample - ch.sel_lo_sample);
    EXPECT_EQ(speaker.played().samples.size(), n);
    EXPECT_EQ(speaker.played().samples.front(), channel(*doc)[first]);
}

INSTANTIATE_TEST_SUITE_P(Ranges, PlayCursorPath,
                         ::testing::Values(CursorCase{11025.0, 200.0, 700.0, {385.76, 571.52}},
                                           CursorCase{22050.0, 100.0, 400.0, {192.88, 285.76, 378.64}},
                                           CursorCase{11025.0, 300.0, 450.0, {}}));  // shorter than one step

// Stopped, the capture's whole blocks become the document's channel; a
// sound that goes while it still records takes its unfinished file with it.
TEST_F(SoundAlone, RecordingHandsItsBlocksOverOrLeavesNoFileBehind) {
    std::vector<std::int16_t> src(2 * 11025);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::int16_t>(5000 * std::sin(0.05 * double(i)));
    use_mic(src, 4.0);
    doc->channels[0].sample_rate = 11025.0;
    make();
    ASSERT_TRUE(sound->record_available());
    sound->record();
    EXPECT_FALSE(sound->record_available());  // about to start
    ASSERT_TRUE(wait_until([&] { return sound->recording(); }));
    EXPECT_EQ(started, 1);
    EXPECT_EQ(doc->loaded, 1);
    EXPECT_TRUE(doc->modified());
    ASSERT_TRUE(wait_until([&] { return sound->recorded_blocks() >= 2; }));
    EXPECT_TRUE(sound->stop_recording());
    EXPECT_EQ(stopped, 1);
    EXPECT_FALSE(sound->stop_recording());  // none runs now
    const auto got = channel(*doc);
    ASSERT_GE(got.size(), 2u * 4096u);
    EXPECT_EQ(got.size() % 4096, 0u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), src.begin()));

    // Again, and the sound goes while capturing.
    const std::size_t before = files_in_scratch();
    use_mic(src, 4.0);
    prompts.answers.push_back(Answer::No);  // the unsaved recording need not be saved first
    sound->record();
    ASSERT_TRUE(wait_until([&] { return sound->recording() && sound->recorded_blocks() >= 1; }));
    EXPECT_EQ(files_in_scratch(), before + 1);  // the recording's file
    // Level blocks the capture posts meanwhile wait in the context's queue;
    // when they arrive the sound is gone and they are dropped.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    sound.reset();
    EXPECT_EQ(files_in_scratch(), before);
    const int repaints_then = repaints;
    QTest::qWait(50);
    EXPECT_EQ(repaints, repaints_then);
    EXPECT_EQ(stopped, 1);
}

}  // namespace
}  // namespace vox
