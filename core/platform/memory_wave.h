#pragma once
// Wave devices that live in memory, standard C++ only: an output that
// consumes queued buffers at the format's rate times a speed factor and keeps
// everything it played, and an input that delivers a prepared sample vector
// as if it were spoken into a microphone (silence once it runs out). The
// virtual backend builds on them (WAV file in, WAV file out), and the engine
// tests drive the engines through them with real threads.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "core/platform/wave_device.h"

namespace vox {

// What the output device has seen; a copy taken under its lock.
struct PlayedAudio {
    std::vector<std::int16_t> samples;              // everything played, in order
    std::vector<std::vector<std::int16_t>> blocks;  // each written buffer as it was written
    PcmFormat format;
    int opens = 0;
    bool open = false;
    bool paused = false;
};

class MemoryWaveOut : public WaveOutDevice {
public:
    // speed: device seconds per wall-clock second (1 = real time).
    explicit MemoryWaveOut(double speed = 1.0, int devices = 1);
    ~MemoryWaveOut() override;

    int device_count() override;
    int get_caps(int device, WaveCaps& caps) override;
    int open(int device, const PcmFormat& format, AudioEvent* notify) override;
    int prepare(WaveHeader& h) override;
    int unprepare(WaveHeader& h) override;
    int write(WaveHeader& h) override;
    int pause() override;
    int restart() override;
    int reset() override;
    int close() override;

    PlayedAudio played() const;
    // Buffers played to their end (or returned by reset) so far.
    std::size_t finished_buffers() const;
    // Blocks until n buffers were finished or ms passed; true when reached.
    bool wait_finished(std::size_t n, int ms) const;

    // Failure injection: the result open / the k-th write (0-based) returns.
    int fail_open = kWaveOk;
    int fail_write_at = -1;
    int fail_caps = kWaveOk;

protected:
    // Called with each finished buffer's samples, on the device thread.
    virtual void on_played(const std::int16_t* samples, std::size_t n) { (void)samples; (void)n; }

private:
    void run();
    void finish_front_locked();

    const double speed_;
    const int devices_;
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    std::thread thread_;
    std::deque<WaveHeader*> queue_;
    std::size_t front_pos_ = 0;  // samples of the front buffer already played
    AudioEvent* notify_ = nullptr;
    bool open_ = false, paused_ = false, closing_ = false;
    int writes_ = 0;
    std::size_t finished_ = 0;
    PlayedAudio log_;
};

class MemoryWaveIn : public WaveInDevice {
public:
    explicit MemoryWaveIn(std::vector<std::int16_t> source, double speed = 1.0, int devices = 1);
    ~MemoryWaveIn() override;

    int device_count() override;
    int get_caps(int device, WaveCaps& caps) override;
    int open(int device, const PcmFormat& format, AudioEvent* notify) override;
    int prepare(WaveHeader& h) override;
    int unprepare(WaveHeader& h) override;
    int add_buffer(WaveHeader& h) override;
    int start() override;
    int stop() override;
    int reset() override;
    int close() override;

    // Buffers filled completely so far, and source samples consumed
    // (delivered or lost while no buffer was queued).
    std::size_t filled_buffers() const;
    std::size_t position() const;
    bool is_open() const;
    // Blocks until n buffers were filled or ms passed; true when reached.
    bool wait_filled(std::size_t n, int ms) const;

    int fail_open = kWaveOk;
    int fail_start = kWaveOk;
    int fail_caps = kWaveOk;

private:
    void run();
    void return_front_locked();

    std::vector<std::int16_t> source_;
    const double speed_;
    const int devices_;
    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    std::thread thread_;
    std::deque<WaveHeader*> queue_;
    std::size_t front_pos_ = 0;  // samples written into the front buffer
    std::size_t position_ = 0;   // next source sample
    std::uint32_t rate_ = 11025;
    AudioEvent* notify_ = nullptr;
    bool open_ = false, started_ = false, closing_ = false;
    std::size_t filled_ = 0;
};

}  // namespace vox
