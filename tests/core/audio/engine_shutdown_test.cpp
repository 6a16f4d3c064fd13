// Shutdown of the capture and playback engines while their workers run:
// a stop that meets a worker in the middle of a requeue, a close straight
// after a failed start, and many stops, closes and window destructions at
// random moments with the in-memory devices running fast. The sanitizer
// builds run these too (a freed completion event or a data race shows there).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

#include "core/audio/sound_in.h"
#include "core/audio/sound_out.h"
#include "core/platform/memory_wave.h"
#include "core/platform/scripted_prompts.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using namespace std::chrono_literals;

std::vector<std::int16_t> noise(std::size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::uniform_int_distribution<int> d(-20000, 20000);
    std::vector<std::int16_t> v(n);
    for (auto& s : v) s = static_cast<std::int16_t>(d(g));
    return v;
}

// Holds one kind of device call (the first one after arm()) until release():
// the test can then act while the engine's worker is inside that call.
class Gate {
public:
    // Only calls from another thread than the arming one are held (the
    // engine's worker, not the test thread starting the engine).
    void arm() {
        std::lock_guard lock(m_);
        armed_ = true;
        armer_ = std::this_thread::get_id();
    }
    // Called from the device method; blocks while armed.
    void pass() {
        std::unique_lock lock(m_);
        if (!armed_ || std::this_thread::get_id() == armer_) return;
        armed_ = false;
        reached_ = true;
        cv_.notify_all();
        cv_.wait(lock, [this] { return released_; });
    }
    bool wait_reached(int ms) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return reached_; });
    }
    void release() {
        {
            std::lock_guard lock(m_);
            released_ = true;
        }
        cv_.notify_all();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool armed_ = false, reached_ = false, released_ = false;
    std::thread::id armer_;
};

// An input device that forwards to an in-memory microphone and can hold the
// worker inside its requeue (add_buffer comes after the worker's stop check).
class GatedWaveIn final : public WaveInDevice {
public:
    explicit GatedWaveIn(MemoryWaveIn& inner) : inner_(inner) {}
    Gate add_gate;
    int device_count() override { return inner_.device_count(); }
    int get_caps(int d, WaveCaps& c) override { return inner_.get_caps(d, c); }
    int open(int d, const PcmFormat& f, AudioEvent* e) override { return inner_.open(d, f, e); }
    int prepare(WaveHeader& h) override { return inner_.prepare(h); }
    int unprepare(WaveHeader& h) override { return inner_.unprepare(h); }
    int add_buffer(WaveHeader& h) override {
        add_gate.pass();
        return inner_.add_buffer(h);
    }
    int start() override { return inner_.start(); }
    int stop() override { return inner_.stop(); }
    int reset() override { return inner_.reset(); }
    int close() override { return inner_.close(); }

private:
    MemoryWaveIn& inner_;
};

class GatedWaveOut final : public WaveOutDevice {
public:
    explicit GatedWaveOut(MemoryWaveOut& inner) : inner_(inner) {}
    Gate write_gate;
    int device_count() override { return inner_.device_count(); }
    int get_caps(int d, WaveCaps& c) override { return inner_.get_caps(d, c); }
    int open(int d, const PcmFormat& f, AudioEvent* e) override { return inner_.open(d, f, e); }
    int prepare(WaveHeader& h) override { return inner_.prepare(h); }
    int unprepare(WaveHeader& h) override { return inner_.unprepare(h); }
    int write(WaveHeader& h) override {
        write_gate.pass();
        return inner_.write(h);
    }
    int pause() override { return inner_.pause(); }
    int restart() override { return inner_.restart(); }
    int reset() override { return inner_.reset(); }
    int close() override { return inner_.close(); }

private:
    MemoryWaveOut& inner_;
};

bool eventually(const std::function<bool()>& pred, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (pred()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return pred();
}

// A level-trace window that knows when it has been "closed": any column
// drawn after that is counted (the real window would be gone by then).
struct WatchedTrace : LevelTraceWindow {
    std::atomic<bool> closed{false};
    std::atomic<int> columns{0};
    std::atomic<int> late_columns{0};
    int trace_width() const override { return 64; }
    int trace_height() const override { return 100; }
    void draw_column(const TraceColumn&) override {
        if (closed.load()) late_columns.fetch_add(1);
        columns.fetch_add(1);
    }
};

struct ShutdownFixture : ::testing::Test {
    ScriptedPrompts prompts;
    test::ScratchDir dir;
};

// A Halt that comes while the worker is past its stop check: once Halt has
// returned the device stays stopped and neither the file nor the trace gets
// another block.
TEST_F(ShutdownFixture, HaltWaitsForAWorkerInsideItsRequeue) {
    MemoryWaveIn mic(noise(400000, 1), 16.0);
    GatedWaveIn dev(mic);
    WatchedTrace trace;
    const std::string path = dir.file("rec.raw");
    CSoundIn in(dev, prompts);
    in.set_close_sleep_ms(1);
    in.PrepareRecording(path, 11025, 16, &trace);
    ASSERT_EQ(in.Start(), 0);
    in.StartCapture();
    ASSERT_TRUE(eventually([&] { return in.block_count() >= 1; }));
    dev.add_gate.arm();
    ASSERT_TRUE(dev.add_gate.wait_reached(5000));
    std::atomic<int> blocks_at_halt{-1};
    std::thread halter([&] {
        in.Halt();
        trace.closed = true;
        blocks_at_halt = in.block_count();
    });
    std::this_thread::sleep_for(30ms);
    dev.add_gate.release();
    halter.join();
    // Long enough for several blocks of device time (a block is 23 ms here).
    std::this_thread::sleep_for(20ms);
    const std::size_t pos = mic.position();
    std::this_thread::sleep_for(120ms);
    EXPECT_EQ(mic.position(), pos) << "capture was started again after Halt";
    EXPECT_EQ(in.block_count(), blocks_at_halt.load());
    EXPECT_EQ(trace.late_columns.load(), 0);
    in.CloseDevice();
    EXPECT_FALSE(mic.is_open());
    EXPECT_EQ(in.TakeRecordingPath(), path);
    EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(blocks_at_halt.load()) * 8192u);
}

// The same for playback: once Pause has returned no block reaches the device.
TEST_F(ShutdownFixture, PauseWaitsForAWorkerInsideItsRefill) {
    // Blocks of 2048 samples last 93 ms: the worker is waiting long before
    // the first one comes back.
    MemoryWaveOut speaker(2.0);
    GatedWaveOut dev(speaker);
    const auto s = noise(200000, 2);
    CSoundOut out(dev, prompts);
    out.set_stop_sleep_ms(1);
    out.PrepareFromMemory(s.data(), s.size(), 0, static_cast<int>(s.size()), 11025);
    dev.write_gate.arm();  // holds the first refill
    ASSERT_EQ(out.Start(), 0);
    out.Restart();
    ASSERT_TRUE(dev.write_gate.wait_reached(5000));
    std::atomic<std::size_t> written_at_pause{0};
    std::thread pauser([&] {
        out.Pause();
        written_at_pause = speaker.played().blocks.size();
    });
    std::this_thread::sleep_for(30ms);
    dev.write_gate.release();
    pauser.join();
    out.Stop();
    EXPECT_EQ(speaker.played().blocks.size(), written_at_pause.load());
    EXPECT_FALSE(out.worker_running());
    EXPECT_FALSE(speaker.played().open);
}

// A start that fails with both buffers queued, closed the way the Record
// command does (no Halt): the queued buffers come back through the event,
// which must still exist then.
struct FailedStart {
    int fail_start;
    bool halt_first;
};
class CloseAfterFailedStart : public ShutdownFixture, public ::testing::WithParamInterface<FailedStart> {};
TEST_P(CloseAfterFailedStart, LeavesNoDeviceNorWorker) {
    MemoryWaveIn mic(noise(10000, 3), 16.0);
    mic.fail_start = GetParam().fail_start;
    CSoundIn in(mic, prompts);
    in.set_close_sleep_ms(1);
    in.PrepareRecording(dir.file("r.raw"), 11025, 16, nullptr);
    EXPECT_NE(in.Start(), 0);
    if (GetParam().halt_first) in.Halt();
    in.CloseDevice();
    EXPECT_FALSE(in.worker_running());
    EXPECT_FALSE(in.device_open());
    EXPECT_FALSE(mic.is_open());
    EXPECT_EQ(in.block_count(), 0);
}
INSTANTIATE_TEST_SUITE_P(Ways, CloseAfterFailedStart,
                         ::testing::Values(FailedStart{kWaveErrGeneric, false}, FailedStart{kWaveErrGeneric, true},
                                           FailedStart{kWaveErrNoMem, false}));

// --- stress --------------------------------------------------------------------

// How a run ends.
enum class InEnd { HaltThenClose, CloseOnly, DestroyOnly, HaltFromOtherThread };
enum class OutEnd { PauseThenStop, StopOnly, DestroyOnly, PauseFromOtherThread };

struct StressTally {
    int runs = 0;
    int failures = 0;
};

// One recording stopped after `wait` by `how`, the trace window destroyed
// right after; returns false when an invariant broke.
bool one_recording(const std::string& path, const std::vector<std::int16_t>& spoken, unsigned seed, InEnd how,
                   std::chrono::microseconds wait, std::string& why) {
    ScriptedPrompts prompts;
    MemoryWaveIn mic(spoken, 64.0);
    auto trace = std::make_unique<WatchedTrace>();
    int blocks = 0;
    {
        auto in = std::make_unique<CSoundIn>(mic, prompts);
        in->set_close_sleep_ms(0);
        in->PrepareRecording(path, seed % 2 ? 11025 : 22050, 16, trace.get());
        const int block_bytes = in->block_size() * 2;
        if (in->Start() != 0) {
            why = "start failed";
            return false;
        }
        in->StartCapture();
        std::this_thread::sleep_for(wait);
        if (seed % 3 != 0) {
            // The moment a buffer comes back: the worker is waking up.
            const std::size_t filled = mic.filled_buffers();
            mic.wait_filled(filled + 1, 1000);
        }
        switch (how) {
        case InEnd::HaltThenClose:
            in->Halt();
            trace->closed = true;
            in->CloseDevice();
            break;
        case InEnd::CloseOnly:
            in->CloseDevice();
            trace->closed = true;
            break;
        case InEnd::DestroyOnly:
            blocks = -1;
            in.reset();
            trace->closed = true;
            break;
        case InEnd::HaltFromOtherThread: {
            std::thread t([&] { in->Halt(); });
            t.join();
            trace->closed = true;
            in->CloseDevice();
            break;
        }
        }
        if (in) {
            if (in->worker_running() || in->device_open()) {
                why = "worker or device left running";
                return false;
            }
            blocks = in->block_count();
            if (in->TakeRecordingPath() != path) {
                why = "no recording file";
                return false;
            }
            const auto size = std::filesystem::file_size(path);
            if (size != static_cast<std::uintmax_t>(blocks) * static_cast<std::uintmax_t>(block_bytes)) {
                why = "file of " + std::to_string(size) + " bytes after " + std::to_string(blocks) + " blocks";
                return false;
            }
        }
    }
    // The window goes now, as a closing view's would.
    const int late = trace->late_columns.load();
    trace.reset();
    if (mic.is_open()) {
        why = "device left open";
        return false;
    }
    if (late != 0) {
        why = std::to_string(late) + " trace columns after the stop";
        return false;
    }
    return true;
}

bool one_playback(const std::vector<std::int16_t>& all, unsigned seed, OutEnd how, std::chrono::microseconds wait,
                  std::string& why) {
    ScriptedPrompts prompts;
    MemoryWaveOut speaker(64.0);
    const std::vector<std::int16_t> s(all.begin(), all.begin() + 40000 + seed % 5000);
    std::size_t written = 0;
    {
        auto out = std::make_unique<CSoundOut>(speaker, prompts);
        out->set_stop_sleep_ms(0);
        out->PrepareFromMemory(s.data(), s.size(), 0, static_cast<int>(s.size()), seed % 2 ? 11025 : 22050);
        if (out->Start() != 0) {
            why = "start failed";
            return false;
        }
        out->Restart();
        std::this_thread::sleep_for(wait);
        if (seed % 3 != 0) {
            // The moment a buffer comes back: the worker is waking up.
            speaker.wait_finished(speaker.finished_buffers() + 1, 1000);
        }
        switch (how) {
        case OutEnd::PauseThenStop:
            out->Pause();
            written = speaker.played().blocks.size();
            out->Stop();
            break;
        case OutEnd::StopOnly:
            out->Stop();
            written = speaker.played().blocks.size();
            break;
        case OutEnd::DestroyOnly:
            out.reset();
            written = speaker.played().blocks.size();
            break;
        case OutEnd::PauseFromOtherThread: {
            std::thread t([&] { out->Pause(); });
            t.join();
            written = speaker.played().blocks.size();
            out->Stop();
            break;
        }
        }
        if (out && (out->worker_running() || out->device_open())) {
            why = "worker or device left running";
            return false;
        }
    }
    const PlayedAudio p = speaker.played();
    if (p.open) {
        why = "device left open";
        return false;
    }
    if (p.blocks.size() != written) {
        why = std::to_string(p.blocks.size() - written) + " blocks written after the stop";
        return false;
    }
    return true;
}

// Many short recordings and playbacks with the device at 64 times real
// speed (a block every 3 to 6 ms), each stopped at a random moment in one
// of four ways: at least 8 of each, then more while under 3 s of wall time.
TEST(EngineStress, StopsAtRandomMomentsLeaveNothingBehind) {
    test::ScratchDir dir;
    const auto spoken = noise(50000, 5);
    std::mt19937 g(20261208);
    std::uniform_int_distribution<int> wait_us(0, 25000);
    StressTally in_tally, out_tally;
    std::vector<std::string> failures;
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    for (int run = 0; run < 48 && (run < 8 || std::chrono::steady_clock::now() < deadline); ++run) {
        std::string why;
        const auto in_how = static_cast<InEnd>(run % 4);
        ++in_tally.runs;
        if (!one_recording(dir.file("r" + std::to_string(run) + ".raw"), spoken, static_cast<unsigned>(run + 1), in_how,
                           std::chrono::microseconds(wait_us(g)), why)) {
            ++in_tally.failures;
            failures.push_back("recording " + std::to_string(run) + ": " + why);
        }
        const auto out_how = static_cast<OutEnd>((run / 4) % 4);
        ++out_tally.runs;
        if (!one_playback(spoken, static_cast<unsigned>(run + 7), out_how, std::chrono::microseconds(wait_us(g)), why)) {
            ++out_tally.failures;
            failures.push_back("playback " + std::to_string(run) + ": " + why);
        }
    }
    RecordProperty("recording_runs", in_tally.runs);
    RecordProperty("playback_runs", out_tally.runs);
    std::printf("[ stress   ] %d recordings, %d playbacks; %d and %d failed\n", in_tally.runs, out_tally.runs,
                in_tally.failures, out_tally.failures);
    EXPECT_EQ(in_tally.failures, 0);
    EXPECT_EQ(out_tally.failures, 0);
    for (const auto& f : failures) ADD_FAILURE() << f;
}

}  // namespace
}  // namespace vox
