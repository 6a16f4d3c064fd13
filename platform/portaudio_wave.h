#pragma once
// The sound card through PortAudio (ALSA, PulseAudio or PipeWire, whichever
// the desktop runs). Device 0 is the default device of each direction. A
// stream runs from open to close; its callback moves samples between the
// audio and the queued buffers, marks each finished buffer done and signals
// the completion event.

#include <deque>
#include <mutex>

#include "core/platform/wave_device.h"

namespace vox {

class PortAudioWaveOut final : public WaveOutDevice {
public:
    PortAudioWaveOut();
    ~PortAudioWaveOut() override;
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

    // The stream callback's work: fills `frames` samples of out.
    void fill(std::int16_t* out, unsigned long frames);

private:
    void finish_front_locked();
    bool initialised_ = false;
    void* stream_ = nullptr;
    std::mutex mutex_;
    std::deque<WaveHeader*> queue_;
    std::size_t front_pos_ = 0;
    AudioEvent* notify_ = nullptr;
    bool paused_ = false;
};

class PortAudioWaveIn final : public WaveInDevice {
public:
    PortAudioWaveIn();
    ~PortAudioWaveIn() override;
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

    // The stream callback's work: takes `frames` samples of in.
    void take(const std::int16_t* in, unsigned long frames);

private:
    void return_front_locked();
    bool initialised_ = false;
    void* stream_ = nullptr;
    std::mutex mutex_;
    std::deque<WaveHeader*> queue_;
    std::size_t front_pos_ = 0;
    AudioEvent* notify_ = nullptr;
    bool started_ = false;
};

}  // namespace vox
