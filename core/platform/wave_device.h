#pragma once
// The wave-audio seams of the sound engines: the first input and output
// device of the machine, opened with a PCM format and an auto-reset
// completion event, fed with buffers described by headers.
//
// What every implementation must do:
// - open() with a notify event signals it once ("device opened"), and again
//   every time a queued buffer is finished (played, or filled by capture);
//   finished buffers come back in the order they were queued, marked done.
// - A header must be prepared before it is queued and cannot be unprepared
//   while it sits in the queue.
// - Output plays queued buffers as soon as they are written unless paused.
//   Input fills queued buffers only between start() and stop().
// - reset() returns every queued buffer at once, marked done.
// - Results are 0 on success, else one of the WaveError codes.

#include <cstdint>
#include <string>

namespace vox {

class AudioEvent;

enum WaveError : int {
    kWaveOk = 0,
    kWaveErrGeneric = 1,
    kWaveErrBadDevice = 2,
    kWaveErrAllocated = 4,
    kWaveErrNoDriver = 6,
    kWaveErrNoMem = 7,
    kWaveErrInvalidHandle = 5,
    kWaveErrInvalParam = 11,
    kWaveErrBadFormat = 32,
    kWaveErrStillPlaying = 33,
    kWaveErrUnprepared = 34,
};

// PCM format record: tag 1, channels, rate (Hz), bits per sample.
struct PcmFormat {
    std::uint16_t format_tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t samples_per_sec = 11025;
    std::uint32_t avg_bytes_per_sec = 22050;
    std::uint16_t block_align = 2;
    std::uint16_t bits_per_sample = 16;
    std::uint16_t extra_size = 0;

    bool operator==(const PcmFormat&) const = default;
};

// block align = channels × bits / 8; bytes per second = channels × bits × rate / 8.
inline PcmFormat SetFormat(int channels, std::uint32_t rate, int bits) {
    PcmFormat f;
    f.format_tag = 1;
    f.channels = static_cast<std::uint16_t>(channels);
    f.samples_per_sec = rate;
    f.bits_per_sample = static_cast<std::uint16_t>(bits);
    f.block_align = static_cast<std::uint16_t>(channels * bits / 8);
    f.avg_bytes_per_sec = static_cast<std::uint32_t>(static_cast<std::uint64_t>(channels) * bits * rate / 8);
    f.extra_size = 0;
    return f;
}

// One buffer handed to a device. The device owns it (reads or writes data,
// sets bytes_recorded and the done flag) from write/add until it comes back.
struct WaveHeader {
    enum Flags : std::uint32_t { kDone = 0x1, kPrepared = 0x2, kInQueue = 0x10 };
    std::int16_t* data = nullptr;
    std::uint32_t buffer_length = 0;   // bytes
    std::uint32_t bytes_recorded = 0;  // input: bytes captured into the buffer
    std::uint32_t flags = 0;
    std::uint32_t loops = 0;
};

struct WaveCaps {
    std::string name;
    int channels = 1;
};

class WaveOutDevice {
public:
    virtual ~WaveOutDevice() = default;
    virtual int device_count() = 0;
    virtual int get_caps(int device, WaveCaps& caps) = 0;
    // notify null: no notification (single-buffer playback).
    virtual int open(int device, const PcmFormat& format, AudioEvent* notify) = 0;
    virtual int prepare(WaveHeader& h) = 0;
    virtual int unprepare(WaveHeader& h) = 0;
    virtual int write(WaveHeader& h) = 0;
    virtual int pause() = 0;
    virtual int restart() = 0;
    virtual int reset() = 0;
    virtual int close() = 0;
};

class WaveInDevice {
public:
    virtual ~WaveInDevice() = default;
    virtual int device_count() = 0;
    virtual int get_caps(int device, WaveCaps& caps) = 0;
    virtual int open(int device, const PcmFormat& format, AudioEvent* notify) = 0;
    virtual int prepare(WaveHeader& h) = 0;
    virtual int unprepare(WaveHeader& h) = 0;
    virtual int add_buffer(WaveHeader& h) = 0;
    virtual int start() = 0;
    virtual int stop() = 0;
    virtual int reset() = 0;
    virtual int close() = 0;
};

// A machine without sound devices: counts 0, every call fails.
class NoWaveOut final : public WaveOutDevice {
public:
    int device_count() override { return 0; }
    int get_caps(int, WaveCaps&) override { return kWaveErrBadDevice; }
    int open(int, const PcmFormat&, AudioEvent*) override { return kWaveErrBadDevice; }
    int prepare(WaveHeader&) override { return kWaveErrInvalidHandle; }
    int unprepare(WaveHeader&) override { return kWaveErrInvalidHandle; }
    int write(WaveHeader&) override { return kWaveErrInvalidHandle; }
    int pause() override { return kWaveErrInvalidHandle; }
    int restart() override { return kWaveErrInvalidHandle; }
    int reset() override { return kWaveErrInvalidHandle; }
    int close() override { return kWaveErrInvalidHandle; }
};

class NoWaveIn final : public WaveInDevice {
public:
    int device_count() override { return 0; }
    int get_caps(int, WaveCaps&) override { return kWaveErrBadDevice; }
    int open(int, const PcmFormat&, AudioEvent*) override { return kWaveErrBadDevice; }
    int prepare(WaveHeader&) override { return kWaveErrInvalidHandle; }
    int unprepare(WaveHeader&) override { return kWaveErrInvalidHandle; }
    int add_buffer(WaveHeader&) override { return kWaveErrInvalidHandle; }
    int start() override { return kWaveErrInvalidHandle; }
    int stop() override { return kWaveErrInvalidHandle; }
    int reset() override { return kWaveErrInvalidHandle; }
    int close() override { return kWaveErrInvalidHandle; }
};

// The output and input devices a program's windows play and record through,
// chosen by whoever runs the program (possibly when first asked for).
class WaveDevices {
public:
    virtual ~WaveDevices() = default;
    virtual WaveOutDevice& out() = 0;
    virtual WaveInDevice& in() = 0;
};

}  // namespace vox
