// PortAudio streams behind the wave-device seams.
#include "platform/portaudio_wave.h"

#include <portaudio.h>

#include <algorithm>
#include <cstring>

#include "core/platform/audio_event.h"

namespace vox {

namespace {

constexpr std::uint32_t kPrep = WaveHeader::kPrepared, kQueued = WaveHeader::kInQueue, kDone = WaveHeader::kDone;

int map_error(PaError e) {
    switch (e) {
    case paNoError: return kWaveOk;
    case paInvalidDevice:
    case paDeviceUnavailable: return kWaveErrBadDevice;
    case paInsufficientMemory: return kWaveErrNoMem;
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paInvalidChannelCount: return kWaveErrBadFormat;
    default: return kWaveErrGeneric;
    }
}

int out_callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                 PaStreamCallbackFlags, void* user) {
    static_cast<PortAudioWaveOut*>(user)->fill(static_cast<std::int16_t*>(output), frames);
    return paContinue;
}

int in_callback(const void* input, void*, unsigned long frames, const PaStreamCallbackTimeInfo*,
                PaStreamCallbackFlags, void* user) {
    static_cast<PortAudioWaveIn*>(user)->take(static_cast<const std::int16_t*>(input), frames);
    return paContinue;
}

int prepare_header(WaveHeader& h, bool open) {
    if (!open) return kWaveErrInvalidHandle;
    if (!h.data && h.buffer_length) return kWaveErrInvalParam;
    h.flags |= kPrep;
    return kWaveOk;
}

int unprepare_header(WaveHeader& h, bool open) {
    if (!open) return kWaveErrInvalidHandle;
    if (h.flags & kQueued) return kWaveErrStillPlaying;
    h.flags &= ~kPrep;
    return kWaveOk;
}

// Name and channel count of the default device of one direction.
int default_device_caps(bool input, WaveCaps& caps) {
    const PaDeviceIndex d = input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = d == paNoDevice ? nullptr : Pa_GetDeviceInfo(d);
    if (!info) return kWaveErrBadDevice;
    caps.name = info->name ? info->name : "";
    caps.channels = input ? info->maxInputChannels : info->maxOutputChannels;
    return kWaveOk;
}

// Opens a mono 16-bit PCM stream on the default device of one direction;
// the stream is not started yet.
int open_default_mono(bool input, const PcmFormat& format, PaStreamCallback* callback, void* user, PaStream*& s) {
    if (format.format_tag != 1 || format.bits_per_sample != 16 || format.channels != 1) return kWaveErrBadFormat;
    s = nullptr;
    return map_error(Pa_OpenDefaultStream(&s, input ? 1 : 0, input ? 0 : 1, paInt16, format.samples_per_sec,
                                          paFramesPerBufferUnspecified, callback, user));
}

// Starts an opened stream; on failure closes it and clears `stream`.
int start_or_close(PaStream*& stream) {
    const PaError e = Pa_StartStream(stream);
    if (e == paNoError) return kWaveOk;
    Pa_CloseStream(stream);
    stream = nullptr;
    return map_error(e);
}

}  // namespace

// --- output ------------------------------------------------------------------

PortAudioWaveOut::PortAudioWaveOut() { initialised_ = Pa_Initialize() == paNoError; }
PortAudioWaveOut::~PortAudioWaveOut() {
    if (stream_) {
        reset();
        close();
    }
    if (initialised_) Pa_Terminate();
}

int PortAudioWaveOut::device_count() {
    if (!initialised_) return 0;
    return Pa_GetDefaultOutputDevice() == paNoDevice ? 0 : 1;
}

int PortAudioWaveOut::get_caps(int device, WaveCaps& caps) {
    if (!initialised_ || device != 0) return kWaveErrBadDevice;
    return default_device_caps(false, caps);
}

int PortAudioWaveOut::open(int device, const PcmFormat& format, AudioEvent* notify) {
    if (!initialised_ || device != 0) return kWaveErrBadDevice;
    if (stream_) return kWaveErrAllocated;
    PaStream* s = nullptr;
    if (const int r = open_default_mono(false, format, out_callback, this, s); r != kWaveOk) return r;
    {
        std::lock_guard lock(mutex_);
        notify_ = notify;
        queue_.clear();
        front_pos_ = 0;
        paused_ = false;
    }
    stream_ = s;
    if (const int r = start_or_close(stream_); r != kWaveOk) {
        // Not opened: the caller may release its event at once.
        std::lock_guard lock(mutex_);
        notify_ = nullptr;
        return r;
    }
    if (notify) notify->set();
    return kWaveOk;
}

int PortAudioWaveOut::prepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    return prepare_header(h, stream_ != nullptr);
}
int PortAudioWaveOut::unprepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    return unprepare_header(h, stream_ != nullptr);
}

int PortAudioWaveOut::write(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    if (!(h.flags & kPrep)) return kWaveErrUnprepared;
    if (h.flags & kQueued) return kWaveErrStillPlaying;
    h.flags = (h.flags & ~kDone) | kQueued;
    queue_.push_back(&h);
    return kWaveOk;
}

int PortAudioWaveOut::pause() {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    paused_ = true;
    return kWaveOk;
}
int PortAudioWaveOut::restart() {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    paused_ = false;
    return kWaveOk;
}

void PortAudioWaveOut::finish_front_locked() {
    WaveHeader* h = queue_.front();
    queue_.pop_front();
    front_pos_ = 0;
    h->flags = (h->flags & ~kQueued) | kDone;
    if (notify_) notify_->set();
}

int PortAudioWaveOut::reset() {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    while (!queue_.empty()) finish_front_locked();
    return kWaveOk;
}

int PortAudioWaveOut::close() {
    if (!stream_) return kWaveErrInvalidHandle;
    {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) return kWaveErrStillPlaying;
    }
    auto* s = static_cast<PaStream*>(stream_);
    Pa_StopStream(s);
    Pa_CloseStream(s);
    std::lock_guard lock(mutex_);
    stream_ = nullptr;
    notify_ = nullptr;
    return kWaveOk;
}

void PortAudioWaveOut::fill(std::int16_t* out, unsigned long frames) {
    std::lock_guard lock(mutex_);
    unsigned long done = 0;
    while (!paused_ && done < frames && !queue_.empty()) {
        WaveHeader* h = queue_.front();
        const std::size_t n = h->buffer_length / 2;
        const std::size_t step = std::min<std::size_t>(n - front_pos_, frames - done);
        std::memcpy(out + done, h->data + front_pos_, step * 2);
        done += static_cast<unsigned long>(step);
        front_pos_ += step;
        if (front_pos_ >= n) finish_front_locked();
    }
    std::fill(out + done, out + frames, std::int16_t{0});
}

// --- input -------------------------------------------------------------------

PortAudioWaveIn::PortAudioWaveIn() { initialised_ = Pa_Initialize() == paNoError; }
PortAudioWaveIn::~PortAudioWaveIn() {
    if (stream_) {
        reset();
        close();
    }
    if (initialised_) Pa_Terminate();
}

int PortAudioWaveIn::device_count() {
    if (!initialised_) return 0;
    return Pa_GetDefaultInputDevice() == paNoDevice ? 0 : 1;
}

int PortAudioWaveIn::get_caps(int device, WaveCaps& caps) {
    if (!initialised_ || device != 0) return kWaveErrBadDevice;
    return default_device_caps(true, caps);
}

int PortAudioWaveIn::open(int device, const PcmFormat& format, AudioEvent* notify) {
    if (!initialised_ || device != 0) return kWaveErrBadDevice;
    if (stream_) return kWaveErrAllocated;
    PaStream* s = nullptr;
    if (const int r = open_default_mono(true, format, in_callback, this, s); r != kWaveOk) return r;
    {
        std::lock_guard lock(mutex_);
        notify_ = notify;
        queue_.clear();
        front_pos_ = 0;
        started_ = false;
    }
    stream_ = s;
    if (const int r = start_or_close(stream_); r != kWaveOk) {
        // Not opened: the caller may release its event at once.
        std::lock_guard lock(mutex_);
        notify_ = nullptr;
        return r;
    }
    if (notify) notify->set();
    return kWaveOk;
}

int PortAudioWaveIn::prepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    return prepare_header(h, stream_ != nullptr);
}
int PortAudioWaveIn::unprepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    return unprepare_header(h, stream_ != nullptr);
}

int PortAudioWaveIn::add_buffer(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    if (!(h.flags & kPrep)) return kWaveErrUnprepared;
    if (h.flags & kQueued) return kWaveErrStillPlaying;
    h.flags = (h.flags & ~kDone) | kQueued;
    h.bytes_recorded = 0;
    queue_.push_back(&h);
    return kWaveOk;
}

int PortAudioWaveIn::start() {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    started_ = true;
    return kWaveOk;
}

void PortAudioWaveIn::return_front_locked() {
    WaveHeader* h = queue_.front();
    queue_.pop_front();
    h->bytes_recorded = static_cast<std::uint32_t>(front_pos_ * 2);
    h->flags = (h->flags & ~kQueued) | kDone;
    front_pos_ = 0;
    if (notify_) notify_->set();
}

int PortAudioWaveIn::stop() {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    started_ = false;
    if (!queue_.empty() && front_pos_ > 0) return_front_locked();
    return kWaveOk;
}

int PortAudioWaveIn::reset() {
    std::lock_guard lock(mutex_);
    if (!stream_) return kWaveErrInvalidHandle;
    started_ = false;
    while (!queue_.empty()) return_front_locked();
    return kWaveOk;
}

int PortAudioWaveIn::close() {
    if (!stream_) return kWaveErrInvalidHandle;
    {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) return kWaveErrStillPlaying;
    }
    auto* s = static_cast<PaStream*>(stream_);
    Pa_StopStream(s);
    Pa_CloseStream(s);
    std::lock_guard lock(mutex_);
    stream_ = nullptr;
    notify_ = nullptr;
    return kWaveOk;
}

void PortAudioWaveIn::take(const std::int16_t* in, unsigned long frames) {
    std::lock_guard lock(mutex_);
    if (!started_ || !in) return;
    unsigned long done = 0;
    while (done < frames && !queue_.empty()) {
        WaveHeader* h = queue_.front();
        const std::size_t n = h->buffer_length / 2;
        const std::size_t step = std::min<std::size_t>(n - front_pos_, frames - done);
        std::memcpy(h->data + front_pos_, in + done, step * 2);
        done += static_cast<unsigned long>(step);
        front_pos_ += step;
        if (front_pos_ >= n) {
            h->bytes_recorded = static_cast<std::uint32_t>(n * 2);
            return_front_locked();
        }
    }
}

}  // namespace vox
