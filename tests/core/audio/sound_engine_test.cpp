// The playback and capture engines driven through the in-memory wave devices
// with real threads, at a multiple of real time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <numeric>
#include <thread>

#include "core/audio/sound_abort.h"
#include "core/audio/sound_in.h"
#include "core/audio/sound_out.h"
#include "core/audio/sound_texts.h"
#include "core/platform/memory_wave.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using namespace std::chrono_literals;

// Device seconds per wall-clock second: a 2048-sample block at 11025 Hz
// lasts about 12 ms.
constexpr double kSpeed = 16.0;

std::vector<std::int16_t> ramp(std::size_t n, int offset = 1) {
    std::vector<std::int16_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::int16_t>((static_cast<int>(i) * 7 + offset) % 30000 - 15000);
    return v;
}

bool eventually(const std::function<bool()>& pred, int ms = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (pred()) return true;
        std::this_thread::sleep_for(1ms);
    }
    return pred();
}

void write_raw(const std::string& path, const std::vector<std::int16_t>& s) {
    std::vector<unsigned char> b(s.size() * 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto u = static_cast<std::uint16_t>(s[i]);
        b[2 * i] = static_cast<unsigned char>(u & 0xFF);
        b[2 * i + 1] = static_cast<unsigned char>(u >> 8);
    }
    test::write_file(path, b);
}

std::vector<std::int16_t> read_raw(const std::string& path) {
    const auto b = test::read_file(path);
    std::vector<std::int16_t> s(b.size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(b[2 * i] | (b[2 * i + 1] << 8)));
    return s;
}

// --- block sizes ---------------------------------------------------------------

struct RateBlock {
    int rate, out_block, in_block;
};
class BlockSizeByRate : public ::testing::TestWithParam<RateBlock> {};

TEST_P(BlockSizeByRate, BothEngines) {
    const auto p = GetParam();
    EXPECT_EQ(CSoundOut::BlockSizeForRate(static_cast<std::uint32_t>(p.rate)), p.out_block);
    EXPECT_EQ(CSoundIn::BlockSizeForRate(p.rate), p.in_block);
}

INSTANTIATE_TEST_SUITE_P(Rates, BlockSizeByRate,
                         ::testing::Values(RateBlock{8000, 2048, 0}, RateBlock{10000, 2048, 4096},
                                           RateBlock{11025, 2048, 4096}, RateBlock{16000, 4096, 4096},
                                           RateBlock{22050, 4096, 8192}, RateBlock{44100, 8192, 16384},
                                           RateBlock{48000, 8192, 16384}));

// --- playback ------------------------------------------------------------------

struct OutFixture : ::testing::Test {
    ScriptedPrompts prompts;
    test::ScratchDir dir;
};

// Plays `source` through a fresh engine and device and returns what the
// device saw once nothing more is queued.
struct PlayResult {
    PlayedAudio played;
    bool single = false;
    bool thread_after_stop = true;
    bool open_after_stop = true;
};

enum class Source { Memory, File };

PlayResult play(ScriptedPrompts& prompts, const std::string& raw, Source src, const std::vector<std::int16_t>& all,
                int start, int count, std::uint32_t rate, int single_limit, std::size_t expect_blocks) {
    MemoryWaveOut dev(kSpeed);
    PlayResult r;
    {
        CSoundOut out(dev, prompts);
        out.set_stop_sleep_ms(5);
        out.set_single_buffer_limit(single_limit);
        if (src == Source::Memory) {
            out.PrepareFromMemory(all.data(), all.size(), start, count, rate);
        } else {
            write_raw(raw, all);
            out.PrepareFromFile(raw, start, count, rate);
        }
        r.single = out.single_buffer();
        EXPECT_EQ(out.Start(), 0);
        out.Restart();
        EXPECT_TRUE(dev.wait_finished(expect_blocks, 10000));
        // Long enough for any further (wrong) refill to show up.
        const double block_ms = 1000.0 * out.block_size() / rate / kSpeed;
        std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(4 * block_ms) + 20));
        out.Pause();
        out.Stop();
        r.thread_after_stop = out.worker_running();
        r.open_after_stop = out.device_open();
    }
    r.played = dev.played();
    return r;
}

TEST_F(OutFixture, ShortStretchPlaysAsOneBufferWithoutThread) {
    const auto s = ramp(32767);
    const auto r = play(prompts, dir.file("a.raw"), Source::Memory, s, 0, 32767, 11025, CSoundOut::kBufferSamples, 1);
    EXPECT_TRUE(r.single);
    ASSERT_EQ(r.played.blocks.size(), 1u);
    EXPECT_EQ(r.played.blocks[0], s);
    EXPECT_EQ(r.played.samples, s);
    EXPECT_FALSE(r.open_after_stop);
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(OutFixture, LimitStretchStreamsInBlocks) {
    const auto s = ramp(32768);
    const auto r = play(prompts, dir.file("a.raw"), Source::Memory, s, 0, 32768, 11025, CSoundOut::kBufferSamples, 17);
    EXPECT_FALSE(r.single);
    // 16 full blocks of 2048 and one of silence, since 32768 is a multiple.
    ASSERT_EQ(r.played.blocks.size(), 17u);
    for (const auto& b : r.played.blocks) EXPECT_EQ(b.size(), 2048u);
    std::vector<std::int16_t> expect = s;
    expect.resize(17 * 2048, 0);
    EXPECT_EQ(r.played.samples, expect);
    EXPECT_FALSE(r.thread_after_stop);
    EXPECT_FALSE(r.open_after_stop);
}

struct Sequence {
    Source source;
    std::uint32_t rate;
    int count;
    std::size_t blocks;   // blocks queued in all
    int block;            // samples per block
};
class StreamSequence : public OutFixture, public ::testing::WithParamInterface<Sequence> {};

// The refill order on short stretches (streaming forced by lowering the
// single-buffer limit): full blocks, one part-filled block padded with zeros
// or, for an exact multiple, one block of silence, then nothing more.
TEST_P(StreamSequence, QueuesExpectedBlocks) {
    const auto p = GetParam();
    const auto s = ramp(static_cast<std::size_t>(p.count) + 5000, 3);
    const int start = 1234;
    const auto r = play(prompts, dir.file("seq.raw"), p.source, s, start, p.count, p.rate, 0, p.blocks);
    ASSERT_EQ(r.played.blocks.size(), p.blocks);
    for (const auto& b : r.played.blocks) EXPECT_EQ(b.size(), static_cast<std::size_t>(p.block));
    std::vector<std::int16_t> expect(s.begin() + start, s.begin() + start + p.count);
    expect.resize(p.blocks * static_cast<std::size_t>(p.block), 0);
    EXPECT_EQ(r.played.samples, expect);
    EXPECT_EQ(r.played.format, SetFormat(1, p.rate, 16));
    EXPECT_FALSE(r.thread_after_stop);
    EXPECT_TRUE(prompts.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Stretches, StreamSequence,
    ::testing::Values(Sequence{Source::Memory, 11025, 10000, 5, 2048}, Sequence{Source::File, 11025, 10000, 5, 2048},
                      Sequence{Source::Memory, 11025, 8192, 5, 2048}, Sequence{Source::File, 11025, 8192, 5, 2048},
                      Sequence{Source::Memory, 22050, 9000, 3, 4096}, Sequence{Source::Memory, 48000, 20000, 3, 8192},
                      Sequence{Source::Memory, 8000, 2049, 2, 2048}));

TEST_F(OutFixture, SelectionOfLongChannelPlaysExactlyItsSamples) {
    const auto s = ramp(200000);
    const int start = 70001, count = 40000;
    const auto r = play(prompts, dir.file("sel.raw"), Source::File, s, start, count, 44100, CSoundOut::kBufferSamples,
                        5);
    // 40000 samples at 8192 per block: four full blocks and one of 7232 + zeros.
    ASSERT_EQ(r.played.blocks.size(), 5u);
    std::vector<std::int16_t> expect(s.begin() + start, s.begin() + start + count);
    expect.resize(5 * 8192, 0);
    EXPECT_EQ(r.played.samples, expect);
}

TEST_F(OutFixture, StretchPastTheChannelIsCutToIt) {
    const auto s = ramp(1000);
    const auto r = play(prompts, dir.file("x.raw"), Source::Memory, s, 900, 500, 11025, CSoundOut::kBufferSamples, 1);
    ASSERT_EQ(r.played.blocks.size(), 1u);
    EXPECT_EQ(r.played.blocks[0], std::vector<std::int16_t>(s.begin() + 900, s.end()));
}

TEST_F(OutFixture, NoDeviceShowsMessageAndLaterCallsAreHarmless) {
    NoWaveOut none;
    const auto s = ramp(40000);
    CSoundOut out(none, prompts);
    out.set_stop_sleep_ms(1);
    out.PrepareFromMemory(s.data(), s.size(), 0, 40000, 11025);
    EXPECT_EQ(out.Start(), 0);
    out.Restart();
    out.Pause();
    out.Stop();
    out.Stop();
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{sound_text::kNoOutputDevice});
    EXPECT_FALSE(out.device_open());
    EXPECT_FALSE(out.worker_running());
}

// Stop while paused, or twice, leaves neither device nor thread behind.
class StopVariants : public OutFixture, public ::testing::WithParamInterface<int> {};
TEST_P(StopVariants, LeavesNothingOpen) {
    MemoryWaveOut dev(kSpeed);
    const auto s = ramp(100000);
    {
        CSoundOut out(dev, prompts);
        out.set_stop_sleep_ms(5);
        out.PrepareFromMemory(s.data(), s.size(), 0, 100000, 11025);
        ASSERT_EQ(out.Start(), 0);
        out.Restart();
        ASSERT_TRUE(dev.wait_finished(2, 5000));
        if (GetParam() == 0) {
            out.Pause();
            out.Stop();
        } else if (GetParam() == 1) {
            out.Stop();
            out.Stop();
        } else {
            out.Pause();
            out.Stop();
            out.Pause();
            out.Stop();
        }
        EXPECT_FALSE(out.worker_running());
        EXPECT_FALSE(out.device_open());
        EXPECT_FALSE(dev.played().open);
        EXPECT_EQ(dev.played().opens, 1);
    }
    // Nothing is played once stopped.
    const auto before = dev.played().samples.size();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(dev.played().samples.size(), before);
    EXPECT_LT(before, s.size());
}
INSTANTIATE_TEST_SUITE_P(Orders, StopVariants, ::testing::Values(0, 1, 2));

struct OutFailure {
    int fail_open, fail_write_at, fail_caps;
    bool streaming;
    std::vector<std::string> messages;
    bool start_fails;
};
class OutFailures : public OutFixture, public ::testing::WithParamInterface<OutFailure> {};
TEST_P(OutFailures, ShowTheirMessage) {
    const auto p = GetParam();
    MemoryWaveOut dev(kSpeed);
    dev.fail_open = p.fail_open;
    dev.fail_write_at = p.fail_write_at;
    dev.fail_caps = p.fail_caps;
    const auto s = ramp(p.streaming ? 40000 : 1000);
    CSoundOut out(dev, prompts);
    out.set_stop_sleep_ms(2);
    out.PrepareFromMemory(s.data(), s.size(), 0, static_cast<int>(s.size()), 11025);
    const int r = out.Start();
    EXPECT_EQ(r != 0, p.start_fails);
    // Let the first refills run.
    if (!p.start_fails && p.streaming) {
        EXPECT_TRUE(dev.wait_finished(2, 5000));
    }
    out.Pause();
    out.Stop();
    EXPECT_EQ(prompts.messages(), p.messages);
    EXPECT_FALSE(out.worker_running());
    EXPECT_FALSE(dev.played().open);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, OutFailures,
    ::testing::Values(OutFailure{kWaveErrAllocated, -1, 0, true, {sound_text::kOutOpenError}, true},
                      OutFailure{kWaveErrAllocated, -1, 0, false, {sound_text::kOutOpenError}, true},
                      OutFailure{0, 0, 0, false, {sound_text::kOutStartWriteError}, true},
                      OutFailure{0, 1, 0, true, {sound_text::kOutStartWriteError}, true},
                      OutFailure{0, 2, 0, true, {sound_text::kOutAddError}, false},
                      OutFailure{0, -1, kWaveErrNoDriver, false, {sound_text::kOutCapsError}, false}));

// Messages raised on the worker thread go to the sink, not to the prompts.
TEST_F(OutFixture, WorkerMessagesGoToTheSink) {
    MemoryWaveOut dev(kSpeed);
    dev.fail_write_at = 2;  // the first refill
    const auto s = ramp(40000);
    std::mutex m;
    std::vector<std::string> sunk;
    {
        CSoundOut out(dev, prompts);
        out.set_stop_sleep_ms(2);
        out.set_worker_message_sink([&](const std::string& t) {
            std::lock_guard lock(m);
            sunk.push_back(t);
        });
        out.PrepareFromMemory(s.data(), s.size(), 0, 40000, 11025);
        ASSERT_EQ(out.Start(), 0);
        // Until the first refill has run (on a busy machine the worker may
        // come after two blocks have finished, and a stop before it would
        // leave nothing to report).
        EXPECT_TRUE(eventually([&] {
            std::lock_guard lock(m);
            return !sunk.empty();
        }));
        out.Pause();
        out.Stop();
    }
    EXPECT_TRUE(prompts.messages().empty());
    std::lock_guard lock(m);
    ASSERT_FALSE(sunk.empty());
    EXPECT_EQ(sunk.front(), sound_text::kOutAddError);
}

TEST_F(OutFixture, MissingSourceFileAborts) {
    MemoryWaveOut dev(kSpeed);
    CSoundOut out(dev, prompts);
    EXPECT_THROW(out.PrepareFromFile(dir.file("none.raw"), 0, 100, 11025), SoundAbort);
    EXPECT_FALSE(out.prepared());
    EXPECT_EQ(out.Start(), 0);
    EXPECT_EQ(dev.played().opens, 0);
}

// --- capture -------------------------------------------------------------------

struct InFixture : ::testing::Test {
    ScriptedPrompts prompts;
    test::ScratchDir dir;
};

struct RecordingTrace : LevelTraceWindow {
    int w = 50, h = 100;
    std::mutex m;
    std::vector<TraceColumn> cols;
    int trace_width() const override { return w; }
    int trace_height() const override { return h; }
    void draw_column(const TraceColumn& c) override {
        std::lock_guard lock(m);
        cols.push_back(c);
    }
};

TEST_F(InFixture, RecordingIsTheSpokenSamplesInWholeBlocks) {
    // Three seconds at 11025 Hz: eight whole blocks of 4096 and a part.
    const auto src = ramp(33075, 11);
    MemoryWaveIn mic(src, kSpeed);
    RecordingTrace trace;
    const std::string path = dir.file("rec.raw");
    CSoundIn in(mic, prompts);
    in.set_close_sleep_ms(5);
    in.PrepareRecording(path, 11025, 16, &trace);
    ASSERT_EQ(in.Start(), 0);
    in.StartCapture();
    ASSERT_TRUE(eventually([&] { return in.block_count() >= 8; }));
    in.Halt();
    in.CloseDevice();
    EXPECT_FALSE(in.worker_running());
    EXPECT_FALSE(mic.is_open());
    EXPECT_EQ(in.TakeRecordingPath(), path);
    const auto got = read_raw(path);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(in.block_count()) * 4096);
    ASSERT_GE(got.size(), 8u * 4096);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 8 * 4096, src.begin()));
    EXPECT_EQ(std::filesystem::file_size(path) % 8192, 0u);
    std::lock_guard lock(trace.m);
    ASSERT_EQ(trace.cols.size(), static_cast<std::size_t>(in.block_count()));
    for (std::size_t i = 0; i < trace.cols.size(); ++i) EXPECT_EQ(trace.cols[i].x, static_cast<int>(i));
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(InFixture, HaltAfterOneAndAHalfBlocksKeepsOne) {
    MemoryWaveIn mic(ramp(200000), kSpeed);
    const std::string path = dir.file("rec.raw");
    CSoundIn in(mic, prompts);
    in.set_close_sleep_ms(5);
    in.PrepareRecording(path, 44100, 16, nullptr);
    ASSERT_EQ(in.block_size(), 16384);
    ASSERT_EQ(in.Start(), 0);
    in.StartCapture();
    ASSERT_TRUE(eventually([&] { return in.block_count() >= 1; }));
    // Half a block: 16384 / 44100 / 2 s of device time.
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(1000.0 * 16384 / 44100 / 2 / kSpeed)));
    in.Halt();
    in.CloseDevice();
    EXPECT_EQ(in.TakeRecordingPath(), path);
    EXPECT_EQ(std::filesystem::file_size(path), 32768u);
    EXPECT_EQ(in.block_count(), 1);
}

TEST_F(InFixture, HaltBeforeFirstBlockLeavesEmptyFile) {
    MemoryWaveIn mic(ramp(200000), kSpeed);
    const std::string path = dir.file("rec.raw");
    CSoundIn in(mic, prompts);
    in.set_close_sleep_ms(1);
    in.PrepareRecording(path, 11025, 16, nullptr);
    ASSERT_EQ(in.Start(), 0);
    in.StartCapture();
    in.Halt();
    in.CloseDevice();
    EXPECT_EQ(in.TakeRecordingPath(), path);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(InFixture, NoDeviceRecordsNothing) {
    NoWaveIn none;
    const std::string path = dir.file("rec.raw");
    CSoundIn in(none, prompts);
    in.set_close_sleep_ms(1);
    in.PrepareRecording(path, 11025, 16, nullptr);
    EXPECT_EQ(in.Start(), 0);
    in.StartCapture();
    in.Halt();
    in.CloseDevice();
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{sound_text::kNoSoundDevice});
    EXPECT_EQ(in.TakeRecordingPath(), path);
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    EXPECT_EQ(in.TakeRecordingPath(), "");
}

TEST_F(InFixture, RateBelowTenThousandIsRefused) {
    MemoryWaveIn mic({}, kSpeed);
    CSoundIn in(mic, prompts);
    EXPECT_THROW(in.PrepareRecording(dir.file("r.raw"), 8000, 16, nullptr), SoundAbort);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{sound_text::kRateTooLow});
    EXPECT_FALSE(std::filesystem::exists(dir.file("r.raw")));
    EXPECT_EQ(in.TakeRecordingPath(), "");
}

TEST_F(InFixture, UncreatableFileIsRefused) {
    MemoryWaveIn mic({}, kSpeed);
    CSoundIn in(mic, prompts);
    EXPECT_THROW(in.PrepareRecording(dir.file("no/such/dir/r.raw"), 11025, 16, nullptr), SoundAbort);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{sound_text::kTempFileError});
}

struct InFailure {
    int fail_open, fail_start, fail_caps;
    std::vector<std::string> messages;
    bool start_fails;
};
class InFailures : public InFixture, public ::testing::WithParamInterface<InFailure> {};
TEST_P(InFailures, ShowTheirMessage) {
    const auto p = GetParam();
    MemoryWaveIn mic(ramp(1000), kSpeed);
    mic.fail_open = p.fail_open;
    mic.fail_start = p.fail_start;
    mic.fail_caps = p.fail_caps;
    CSoundIn in(mic, prompts);
    in.set_close_sleep_ms(1);
    in.PrepareRecording(dir.file("r.raw"), 11025, 16, nullptr);
    EXPECT_EQ(in.Start() != 0, p.start_fails);
    in.Halt();
    in.CloseDevice();
    EXPECT_EQ(prompts.messages(), p.messages);
    EXPECT_FALSE(in.worker_running());
    EXPECT_FALSE(mic.is_open());
}
INSTANTIATE_TEST_SUITE_P(Cases, InFailures,
                         ::testing::Values(InFailure{kWaveErrAllocated, 0, 0, {sound_text::kInOpenError}, true},
                                           InFailure{0, kWaveErrGeneric, 0, {sound_text::kInStartError}, true},
                                           InFailure{0, 0, kWaveErrNoDriver, {sound_text::kInCapsError}, false}));

struct LevelCase {
    std::vector<std::int16_t> samples;
    int height;
    int max, min;
};
class LevelColumns : public ::testing::TestWithParam<LevelCase> {};
TEST_P(LevelColumns, MinMaxRule) {
    const auto p = GetParam();
    const auto c = CSoundIn::LevelColumn(p.samples.data(), static_cast<int>(p.samples.size()), p.height, 7);
    EXPECT_EQ(c.x, 7);
    EXPECT_EQ(c.mid, p.height / 2);
    EXPECT_EQ(c.max, p.max);
    EXPECT_EQ(c.min, p.min);
}
INSTANTIATE_TEST_SUITE_P(
    Blocks, LevelColumns,
    ::testing::Values(LevelCase{std::vector<std::int16_t>(4096, 0), 100, 1, -1},        // silence: 3 pixels
                      LevelCase{{32767, -32768, 0}, 100, 50, -50},                       // full scale
                      LevelCase{{0, 32767, -32768}, 200, 99, -100},
                      LevelCase{{1000, 1000, 1000}, 655, 10, 8},                         // constant non-zero
                      LevelCase{{-700, 300}, 655, 2, -7}));

}  // namespace
}  // namespace vox
