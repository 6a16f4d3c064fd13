// Playback engine: single-buffer and streaming modes over a wave-output
// device, with the refill order of two alternating buffers.
#include "core/audio/sound_out.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "core/audio/sound_abort.h"
#include "core/audio/sound_texts.h"

namespace vox {

namespace {

void sleep_ms(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Reads up to n 16-bit little-endian samples; the rest of dst is zeroed.
void read_le_samples(std::FILE* f, std::int16_t* dst, std::size_t n) {
    std::vector<unsigned char> bytes(n * 2);
    const std::size_t got = f ? std::fread(bytes.data(), 2, n, f) : 0;
    for (std::size_t i = 0; i < got; ++i)
        dst[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
    std::fill(dst + got, dst + n, std::int16_t{0});
}

}  // namespace

int CSoundOut::BlockSizeForRate(std::uint32_t rate) {
    switch (rate) {
    case 16000:
    case 22050: return 4096;
    case 44100:
    case 48000: return 8192;
    default: return 2048;
    }
}

CSoundOut::CSoundOut(WaveOutDevice& device, UserPrompts& prompts) : device_(device), prompts_(prompts) {
    for (auto& b : buffers_) b.assign(kBufferSamples, 0);
    format_ = SetFormat(1, sample_rate_, 16);
}

CSoundOut::~CSoundOut() {
    // A caller that forgot Stop must not leave a worker waiting or a device
    // playing from buffers that are about to go away.
    if (device_open_ || worker_.joinable()) Stop();
    close_source();
}

void CSoundOut::ClearBuffers() {
    for (auto& b : buffers_) std::fill(b.begin(), b.begin() + 2048, std::int16_t{0});
}

void CSoundOut::set_worker_message_sink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(sink_mutex_);
    worker_sink_ = std::move(sink);
}

void CSoundOut::say(const char* text, bool from_worker) {
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

void CSoundOut::close_source() {
    if (source_) {
        std::fclose(source_);
        source_ = nullptr;
    }
}

// Block size samples of the stretch into dst: the sample at the read
// position while it is below total, else 0; one read-position step per slot.
void CSoundOut::fill_block(std::int16_t* dst) {
    const int n = block_size_;
    if (source_) {
        const int avail = std::clamp(total_ - read_pos_, 0, n);
        read_le_samples(source_, dst, static_cast<std::size_t>(avail));
        std::fill(dst + avail, dst + n, std::int16_t{0});
    } else {
        for (int i = 0; i < n; ++i) {
            const int p = read_pos_ + i;
            dst[i] = (p < total_ && has_copy_) ? copy_[static_cast<std::size_t>(p)] : std::int16_t{0};
        }
    }
    read_pos_ += n;
}

void CSoundOut::fill_initial() {
    for (auto& b : buffers_) std::fill(b.begin(), b.end(), std::int16_t{0});
    if (single_buffer_) {
        if (source_) {
            read_le_samples(source_, buffers_[0].data(), static_cast<std::size_t>(total_));
        } else if (has_copy_) {
            std::copy(copy_.begin(), copy_.begin() + total_, buffers_[0].begin());
        }
        return;
    }
    read_pos_ = 0;
    fill_block(buffers_[0].data());
    fill_block(buffers_[1].data());
}

void CSoundOut::PrepareFromMemory(const std::int16_t* samples, std::size_t total, int start, int count,
                                  std::uint32_t rate) {
    prepared_ = false;
    close_source();
    // The stretch is cut to what the channel holds, so that a stale range can
    // never read past its samples.
    const std::size_t first = std::min<std::size_t>(static_cast<std::size_t>(std::max(start, 0)), total);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), total - first);
    total_ = static_cast<int>(n);
    sample_rate_ = rate;
    block_size_ = BlockSizeForRate(rate);
    single_buffer_ = total_ < single_limit_ ? 1 : 0;
    copy_.clear();
    copy_.shrink_to_fit();
    has_copy_ = false;
    try {
        copy_.assign(n, 0);
    } catch (const std::bad_alloc&) {
        say(sound_text::kMemoryError, false);
        return;
    }
    if (n) std::memcpy(copy_.data(), samples + first, n * sizeof(std::int16_t));
    has_copy_ = true;
    fill_initial();
    prepared_ = true;
}

void CSoundOut::PrepareFromFile(const std::string& path, int start, int count, std::uint32_t rate) {
    prepared_ = false;
    total_ = std::max(count, 0);
    sample_rate_ = rate;
    block_size_ = BlockSizeForRate(rate);
    single_buffer_ = total_ < single_limit_ ? 1 : 0;
    copy_.clear();
    has_copy_ = false;
    close_source();
    source_ = std::fopen(path.c_str(), "rb");
    if (!source_) {
        say(sound_text::kSourceFileError, false);
        throw SoundAbort(sound_text::kSourceFileError);
    }
    if (std::fseek(source_, static_cast<long>(std::max(start, 0)) * 2L, SEEK_SET) != 0) {
        close_source();
        say(sound_text::kSourceFileError, false);
        throw SoundAbort(sound_text::kSourceFileError);
    }
    fill_initial();
    prepared_ = true;
}

int CSoundOut::Start() {
    if (device_.device_count() <= 0) {
        say(sound_text::kNoOutputDevice, false);
        return 0;
    }
    if (device_.get_caps(0, caps_) != kWaveOk) say(sound_text::kOutCapsError, false);
    // A failed preparation plays nothing.
    if (!prepared_) return 0;
    return single_buffer_ ? start_single() : start_streaming();
}

int CSoundOut::start_single() {
    format_ = SetFormat(1, sample_rate_, 16);
    if (const int r = device_.open(0, format_, nullptr); r != kWaveOk) {
        say(sound_text::kOutOpenError, false);
        return r;
    }
    device_open_ = true;
    current_ = 0;
    return queue_first(0, static_cast<std::uint32_t>(total_) * 2);
}

int CSoundOut::queue_first(int index, std::uint32_t bytes) {
    WaveHeader& h = headers_[static_cast<std::size_t>(index)];
    h = WaveHeader{};
    h.data = buffers_[static_cast<std::size_t>(index)].data();
    h.buffer_length = bytes;
    h.flags = 0;
    const int p = device_.prepare(h);
    if (p != kWaveOk || !(h.flags & WaveHeader::kPrepared)) {
        say(sound_text::kOutStartPrepareError, false);
        return p != kWaveOk ? p : kWaveErrUnprepared;
    }
    if (const int w = device_.write(h); w != kWaveOk) {
        say(sound_text::kOutStartWriteError, false);
        return w;
    }
    return kWaveOk;
}

int CSoundOut::start_streaming() {
    stop_.store(0);
    notify_ = std::make_unique<AudioEvent>(sound_text::kOutEventName);
    format_ = SetFormat(1, sample_rate_, 16);
    if (const int r = device_.open(0, format_, notify_.get()); r != kWaveOk) {
        say(sound_text::kOutOpenError, false);
        notify_.reset();
        return r;
    }
    device_open_ = true;
    const auto bytes = static_cast<std::uint32_t>(block_size_) * 2;
    current_ = 0;
    if (const int r = queue_first(0, bytes); r != kWaveOk) return r;
    current_ = 1;
    if (const int r = queue_first(1, bytes); r != kWaveOk) return r;
    // The worker is started only now, which is where a suspended thread
    // would have been resumed.
    worker_ = std::thread([this] { worker(); });
    return 0;
}

void CSoundOut::worker() {
    AudioEvent& ev = *notify_;
    ev.wait();  // the device-open notification
    std::unique_lock lock(run_mutex_);
    if (stop_.load()) {
        OnBlockQueued(&current_);
        return;
    }
    for (;;) {
        // Every buffer the device has finished, in queue order: when this
        // thread ran late (it starts after both blocks are queued), several
        // completions arrive as one signal, and a buffer left unrefilled
        // would end playback early. A buffer still queued ends the round.
        for (int round = 0; round < 2; ++round) {
            if (read_pos_ > total_) break;  // run out: the queue drains
            if (device_.unprepare(headers_[static_cast<std::size_t>(current_ ^ 1)]) == kWaveErrStillPlaying) break;
            RefillBlock();
            OnBlockQueued(&current_);
            if (stop_.load()) {
                OnBlockQueued(&current_);
                return;
            }
        }
        lock.unlock();
        if (!ev.wait()) return;
        // The stop flag is read under the lock Pause and Stop take: a stop
        // that came while this thread was waking is either seen here or
        // waits until this refill is written.
        lock.lock();
        if (stop_.load()) return;
    }
}

void CSoundOut::RefillBlock() {
    if (read_pos_ > total_) return;  // run out: the queue drains
    current_ = static_cast<std::int16_t>(current_ ^ 1);
    WaveHeader& h = headers_[static_cast<std::size_t>(current_)];
    if (device_.unprepare(h) != kWaveOk) {
        say(sound_text::kOutUnprepareError, true);
        return;
    }
    fill_block(buffers_[static_cast<std::size_t>(current_)].data());
    block_length_ = block_size_;
    h = WaveHeader{};
    h.data = buffers_[static_cast<std::size_t>(current_)].data();
    h.buffer_length = static_cast<std::uint32_t>(block_size_) * 2;
    h.loops = 0;
    h.flags = 0;
    if (device_.prepare(h) != kWaveOk || !(h.flags & WaveHeader::kPrepared)) say(sound_text::kOutPrepareError, true);
    if (device_.write(h) != kWaveOk) say(sound_text::kOutAddError, true);
}

void CSoundOut::Pause() {
    std::lock_guard lock(run_mutex_);
    stop_.store(1);
    if (device_open_) device_.pause();
}

void CSoundOut::Restart() {
    if (device_open_) device_.restart();
}

void CSoundOut::Stop() {
    {
        std::lock_guard lock(run_mutex_);
        stop_.store(1);
        if (device_open_) device_.pause();
    }
    sleep_ms(stop_sleep_ms_);
    if (notify_) notify_->set();
    sleep_ms(stop_sleep_ms_);
    // The worker has seen the stop flag by now (it reads it after every
    // wake-up); joining makes sure no thread outlives the buffers.
    if (worker_.joinable()) {
        if (notify_) notify_->set();
        worker_.join();
    }
    if (device_open_) {
        // Resetting returns every queued buffer and signals the event for
        // each: the event is released only once the device is closed.
        device_.reset();
        if (device_.close() != kWaveOk) {
            close_source();
            return;  // the device still holds the event: keep it
        }
        device_open_ = false;
    }
    notify_.reset();
    close_source();
}

}  // namespace vox
