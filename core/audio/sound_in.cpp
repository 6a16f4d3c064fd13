// Capture engine: two alternating buffers over a wave-input device, the
// requeue order, whole blocks appended to the recording file.
#include "core/audio/sound_in.h"

#include <algorithm>
#include <chrono>

#include "core/audio/sound_abort.h"
#include "core/audio/sound_texts.h"

namespace vox {

int CSoundIn::BlockSizeForRate(int rate) { return (rate / 10000) * 4096; }

TraceColumn CSoundIn::LevelColumn(const std::int16_t* samples, int n, int height, int x) {
    TraceColumn c;
    c.x = x;
    c.mid = height / 2;
    int mx = -1000000, mn = 1000000;
    for (int i = 0; i < n; ++i) {
        // 64-bit product: a tall window times a full-scale sample.
        const int v = static_cast<int>(static_cast<std::int64_t>(samples[i]) * height / 65536);
        if (v > mx) mx = v;
        if (v < mn) mn = v;
        if (mx == mn) {
            ++mx;
            --mn;
        }
    }
    c.max = mx;
    c.min = mn;
    return c;
}

CSoundIn::CSoundIn(WaveInDevice& device, UserPrompts& prompts) : device_(device), prompts_(prompts) {
    for (auto& b : buffers_) b.assign(kBufferSamples, 0);
    filled_copy_.assign(kBufferSamples, 0);
    format_ = SetFormat(1, static_cast<std::uint32_t>(sample_rate_), 16);
}

CSoundIn::~CSoundIn() {
    if (device_open_ || worker_.joinable()) {
        Halt();
        CloseDevice();
    }
    if (file_) std::fclose(file_);
}

void CSoundIn::set_worker_message_sink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(sink_mutex_);
    worker_sink_ = std::move(sink);
}

void CSoundIn::say(const char* text, bool from_worker) {
    if (from_worker) {
        std::function<void(const std::string&)> sink;
        {
            std::lock_guard lock(sink_mutex_);
            sink = worker_sink_;
        }
        // The sink is called without a lock held: a modal message on the
        // user-interface thread must never keep the worker waiting.
        if (sink) {
            sink(text);
            return;
        }
    }
    std::lock_guard lock(say_mutex_);
    prompts_.message(text);
}

void CSoundIn::ClearCurrentBuffer() {
    auto& b = buffers_[static_cast<std::size_t>(current_)];
    std::fill(b.begin(), b.begin() + 4096, std::int16_t{0});
}

void CSoundIn::PrepareRecording(const std::string& path, int rate, int bits, LevelTraceWindow* window) {
    // Blocks are (rate ÷ 10000) × 4096 samples: a lower rate would record
    // blocks of nothing while the device runs.
    if (rate < kMinRate) {
        say(sound_text::kRateTooLow, false);
        throw SoundAbort(sound_text::kRateTooLow);
    }
    window_ = window;
    sample_rate_ = rate;
    block_size_ = BlockSizeForRate(rate);
    // A block never exceeds its buffer (rates above 159999 Hz would).
    block_size_ = std::min(block_size_, kBufferSamples);
    block_count_.store(0);
    trace_column_ = 0;
    current_ = 0;
    format_ = SetFormat(1, static_cast<std::uint32_t>(rate), bits);
    if (window_) {
        trace_width_ = window_->trace_width();
        trace_height_ = window_->trace_height();
    }
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    path_.clear();
    // A new file only ("x"): an existing name or a link under it is refused.
    file_ = std::fopen(path.c_str(), "wb+x");
    if (!file_) {
        say(sound_text::kTempFileError, false);
        throw SoundAbort(sound_text::kTempFileError);
    }
    std::fseek(file_, 0, SEEK_SET);
    path_ = path;
}

int CSoundIn::queue_first(int index) {
    WaveHeader& h = headers_[static_cast<std::size_t>(index)];
    h = WaveHeader{};
    h.data = buffers_[static_cast<std::size_t>(index)].data();
    h.buffer_length = static_cast<std::uint32_t>(block_size_) * 2;
    h.flags = 0;
    const int p = device_.prepare(h);
    if (p != kWaveOk || !(h.flags & WaveHeader::kPrepared)) {
        say(sound_text::kInPrepareError, false);
        return p != kWaveOk ? p : kWaveErrUnprepared;
    }
    if (const int a = device_.add_buffer(h); a != kWaveOk) {
        say(sound_text::kInAddError, false);
        return a;
    }
    return kWaveOk;
}

int CSoundIn::Start() {
    if (device_.device_count() <= 0) {
        say(sound_text::kNoSoundDevice, false);
        return 0;
    }
    if (device_.get_caps(0, caps_) != kWaveOk) say(sound_text::kInCapsError, false);
    notify_ = std::make_unique<AudioEvent>(sound_text::kInEventName);
    stop_.store(0);
    exit_code_.store(0);
    worker_ = std::thread([this] { worker(); });
    format_ = SetFormat(1, static_cast<std::uint32_t>(sample_rate_), 16);
    if (const int r = device_.open(0, format_, notify_.get()); r != kWaveOk) {
        say(sound_text::kInOpenError, false);
        return r;
    }
    device_open_ = true;
    if (const int r = queue_first(0); r != kWaveOk) return r;
    if (const int r = queue_first(1); r != kWaveOk) return r;
    current_ = 0;
    if (const int r = device_.start(); r != kWaveOk) {
        say(sound_text::kInStartError, false);
        return r;
    }
    return 0;
}

void CSoundIn::StartCapture() {
    if (device_open_) device_.start();
}

void CSoundIn::worker() {
    AudioEvent& ev = *notify_;
    ev.wait();  // the device-open notification
    while (!stop_.load()) {
        if (!ev.wait()) return;
        // The stop flag is read under the lock Halt takes, so that a Halt
        // that came while this thread was waking is either seen here or
        // waits until this block is requeued and written.
        std::lock_guard lock(run_mutex_);
        if (stop_.load()) return;
        // Every buffer the device has handed back, in queue order: when this
        // thread ran late, two completions arrive as one signal, and the
        // second buffer would otherwise never be requeued. A buffer still in
        // the device's queue ends the round (its signal was taken already).
        for (int round = 0; round < 2; ++round) {
            WaveHeader& h = headers_[static_cast<std::size_t>(current_)];
            if (!device_open_ || device_.unprepare(h) == kWaveErrStillPlaying) break;
            const auto& filled = buffers_[static_cast<std::size_t>(current_)];
            std::copy(filled.begin(), filled.begin() + block_size_, filled_copy_.begin());
            if (!RequeueBlock()) {
                exit_code_.store(-1);
                return;
            }
            ProcessBlock(filled_copy_.data());
        }
    }
}

bool CSoundIn::RequeueBlock() {
    if (!device_open_) return true;
    WaveHeader& h = headers_[static_cast<std::size_t>(current_)];
    if (device_.unprepare(h) != kWaveOk) {
        say(sound_text::kInUnprepareError, true);
        return false;
    }
    block_length_ = block_size_;
    h = WaveHeader{};
    h.data = buffers_[static_cast<std::size_t>(current_)].data();
    h.buffer_length = static_cast<std::uint32_t>(block_size_) * 2;
    h.flags = 0;
    if (device_.prepare(h) != kWaveOk || !(h.flags & WaveHeader::kPrepared)) {
        say(sound_text::kInPrepareError, true);
        return false;
    }
    if (device_.add_buffer(h) != kWaveOk) {
        say(sound_text::kInRequeueAddError, true);
        return false;
    }
    if (device_.start() != kWaveOk) {
        say(sound_text::kInRequeueStartError, true);
        return false;
    }
    current_ ^= 1;
    return true;
}

void CSoundIn::ProcessBlock(const std::int16_t* samples) {
    block_count_.fetch_add(1);
    if (file_) {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(block_size_) * 2);
        for (int i = 0; i < block_size_; ++i) {
            const auto u = static_cast<std::uint16_t>(samples[i]);
            bytes[2 * static_cast<std::size_t>(i)] = static_cast<unsigned char>(u & 0xFF);
            bytes[2 * static_cast<std::size_t>(i) + 1] = static_cast<unsigned char>(u >> 8);
        }
        std::fwrite(bytes.data(), 1, bytes.size(), file_);
    }
    if (window_) {
        window_->draw_column(LevelColumn(samples, block_size_, trace_height_, trace_column_));
        if (trace_column_ >= trace_width_) trace_column_ = 0;
        ++trace_column_;
    }
}

void CSoundIn::Halt() {
    std::lock_guard lock(run_mutex_);
    stop_.store(1);
    if (device_open_) {
        device_.stop();
        device_.reset();
    }
}

void CSoundIn::CloseDevice() {
    {
        std::lock_guard lock(run_mutex_);
        stop_.store(1);
    }
    if (notify_) notify_->set();  // wakes a worker still waiting
    if (close_sleep_ms_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(close_sleep_ms_));
    if (worker_.joinable()) {
        if (notify_) notify_->set();
        worker_.join();
    }
    if (device_open_) {
        // Resetting returns every buffer still queued, and the device
        // signals the event for each: the event must outlive the close.
        device_.reset();
        device_.stop();
        if (device_.close() != kWaveOk) return;  // the device still holds the event: keep it
        device_open_ = false;
    }
    notify_.reset();
}

std::string CSoundIn::TakeRecordingPath() {
    if (!file_) return {};
    std::fflush(file_);
    std::fclose(file_);
    file_ = nullptr;
    std::string p = path_;
    path_.clear();
    return p;
}

}  // namespace vox
