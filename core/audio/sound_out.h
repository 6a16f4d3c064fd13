#pragma once
// CSoundOut: plays a stretch of 16-bit mono samples through the first
// wave-output device. The samples come from a private copy of a channel's
// memory or from a raw 16-bit little-endian file. Stretches under 32768
// samples play as one buffer without a thread; longer ones stream through two
// alternating buffers refilled by a worker thread that wakes on the device's
// buffer-done event ("WaveOutThreadEvent").
//
// One engine serves one playback: prepare, Start, Restart ... Pause, Stop,
// destroy. The engine never reports the end of playback; the caller times it.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/audio_event.h"
#include "core/platform/user_prompts.h"
#include "core/platform/wave_device.h"

namespace vox {

class CSoundOut {
public:
    static constexpr int kBufferSamples = 32768;
    // Samples per refill by rate: 4096 at 16000/22050 Hz, 8192 at 44100/48000
    // Hz, 2048 for every other rate.
    static int BlockSizeForRate(std::uint32_t rate);

    CSoundOut(WaveOutDevice& device, UserPrompts& prompts);
    virtual ~CSoundOut();
    CSoundOut(const CSoundOut&) = delete;
    CSoundOut& operator=(const CSoundOut&) = delete;

    // Sets the first 2048 samples of both buffers to zero.
    virtual void ClearBuffers();
    // Called by the worker thread after each refill with the current index.
    virtual void OnBlockQueued(const std::int16_t* index) { (void)index; }

    // Copies samples[start, start + count) into a private block and fills
    // the buffers. On allocation failure shows "error in memory" and leaves
    // the engine unprepared (Start then plays nothing). `total` is the number
    // of samples `samples` holds; a stretch reaching past it is cut there.
    void PrepareFromMemory(const std::int16_t* samples, std::size_t total, int start, int count, std::uint32_t rate);
    // Opens the raw file at byte start × 2 and fills the buffers from it.
    // Throws SoundAbort when the file cannot be opened.
    void PrepareFromFile(const std::string& path, int start, int count, std::uint32_t rate);

    int Start();
    void Pause();
    void Restart();
    void Stop();

    // Where messages raised on the worker thread go (default: the prompts,
    // one at a time). A window system that may show dialogs only on its own
    // thread hands them over there.
    void set_worker_message_sink(std::function<void(const std::string&)> sink);
    // The two waits of Stop (100 ms each by default).
    void set_stop_sleep_ms(int ms) { stop_sleep_ms_ = ms; }
    // Stretches shorter than this play as one buffer (32768 samples by
    // default); tests lower it to watch the streaming order on short input.
    void set_single_buffer_limit(int samples) { single_limit_ = samples; }

    // --- state --------------------------------------------------------------
    bool prepared() const { return prepared_; }
    bool single_buffer() const { return single_buffer_ != 0; }
    int block_size() const { return block_size_; }
    int total() const { return total_; }
    std::uint32_t sample_rate() const { return sample_rate_; }
    bool device_open() const { return device_open_.load(); }
    bool worker_running() const { return worker_.joinable(); }
    const PcmFormat& format() const { return format_; }

private:
    void say(const char* text, bool from_worker);
    void fill_initial();
    void fill_block(std::int16_t* dst);
    void worker();
    void RefillBlock();
    int start_single();
    int start_streaming();
    int queue_first(int index, std::uint32_t bytes);
    void close_source();

    WaveOutDevice& device_;
    UserPrompts& prompts_;
    std::mutex say_mutex_;   // one message at a time into the prompts
    std::mutex sink_mutex_;  // guards worker_sink_ only
    std::function<void(const std::string&)> worker_sink_;

    std::array<std::vector<std::int16_t>, 2> buffers_;
    WaveCaps caps_;
    std::array<WaveHeader, 2> headers_{};
    PcmFormat format_;
    std::unique_ptr<AudioEvent> notify_;
    std::thread worker_;
    std::atomic<int> stop_{0};
    // Held by the worker from its look at the stop flag until the block it
    // woke for is refilled and written, and by Pause and Stop while they set
    // the flag and pause the device: once either returns, no further block
    // reaches the device.
    std::mutex run_mutex_;
    std::uint32_t sample_rate_ = 11025;
    int block_size_ = 2048;
    int block_length_ = 0;
    std::vector<std::int16_t> copy_;
    bool has_copy_ = false;
    int total_ = 0;
    int read_pos_ = 0;
    int single_buffer_ = 0;
    std::FILE* source_ = nullptr;
    std::int16_t current_ = 0;

    bool prepared_ = false;
    std::atomic<bool> device_open_{false};
    int stop_sleep_ms_ = 100;
    int single_limit_ = kBufferSamples;
};

}  // namespace vox
