// In-memory wave devices with a clock of their own: each runs one thread
// that advances through the queued buffers at rate × speed samples per
// second in small steps.
#include "core/platform/memory_wave.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/platform/audio_event.h"

namespace vox {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::microseconds(500);

std::size_t samples_in(const WaveHeader& h) { return h.buffer_length / 2; }

}  // namespace

// --- output ------------------------------------------------------------------

MemoryWaveOut::MemoryWaveOut(double speed, int devices) : speed_(speed > 0 ? speed : 1.0), devices_(devices) {
    thread_ = std::thread([this] { run(); });
}

MemoryWaveOut::~MemoryWaveOut() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

int MemoryWaveOut::device_count() { return devices_; }

int MemoryWaveOut::get_caps(int device, WaveCaps& caps) {
    if (device < 0 || device >= devices_) return kWaveErrBadDevice;
    if (fail_caps != kWaveOk) return fail_caps;
    caps.name = "Memory output";
    caps.channels = 1;
    return kWaveOk;
}

int MemoryWaveOut::open(int device, const PcmFormat& format, AudioEvent* notify) {
    if (device < 0 || device >= devices_) return kWaveErrBadDevice;
    if (fail_open != kWaveOk) return fail_open;
    if (format.format_tag != 1 || format.bits_per_sample != 16 || format.channels != 1 || format.samples_per_sec == 0)
        return kWaveErrBadFormat;
    {
        std::lock_guard lock(mutex_);
        if (open_) return kWaveErrAllocated;
        open_ = true;
        paused_ = false;
        notify_ = notify;
        queue_.clear();
        front_pos_ = 0;
        log_.format = format;
        log_.open = true;
        log_.paused = false;
        ++log_.opens;
    }
    if (notify) notify->set();  // "device opened"
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveOut::prepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    if (!open_) return kWaveErrInvalidHandle;
    if (!h.data && h.buffer_length) return kWaveErrInvalParam;
    h.flags |= WaveHeader::kPrepared;
    return kWaveOk;
}

int MemoryWaveOut::unprepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    if (!open_) return kWaveErrInvalidHandle;
    if (h.flags & WaveHeader::kInQueue) return kWaveErrStillPlaying;
    h.flags &= ~static_cast<std::uint32_t>(WaveHeader::kPrepared);
    return kWaveOk;
}

int MemoryWaveOut::write(WaveHeader& h) {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        if (!(h.flags & WaveHeader::kPrepared)) return kWaveErrUnprepared;
        if (h.flags & WaveHeader::kInQueue) return kWaveErrStillPlaying;
        const int k = writes_++;
        if (k == fail_write_at) return kWaveErrNoMem;
        h.flags = (h.flags & ~static_cast<std::uint32_t>(WaveHeader::kDone)) | WaveHeader::kInQueue;
        log_.blocks.emplace_back(h.data, h.data + samples_in(h));
        queue_.push_back(&h);
    }
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveOut::pause() {
    std::lock_guard lock(mutex_);
    if (!open_) return kWaveErrInvalidHandle;
    paused_ = log_.paused = true;
    return kWaveOk;
}

int MemoryWaveOut::restart() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        paused_ = log_.paused = false;
    }
    cv_.notify_all();
    return kWaveOk;
}

// Marks the front buffer done and signals; the caller holds the lock.
void MemoryWaveOut::finish_front_locked() {
    WaveHeader* h = queue_.front();
    queue_.pop_front();
    front_pos_ = 0;
    h->flags = (h->flags & ~static_cast<std::uint32_t>(WaveHeader::kInQueue)) | WaveHeader::kDone;
    ++finished_;
    if (notify_) notify_->set();
}

int MemoryWaveOut::reset() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        while (!queue_.empty()) finish_front_locked();
    }
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveOut::close() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        if (!queue_.empty()) return kWaveErrStillPlaying;
        open_ = log_.open = false;
        notify_ = nullptr;
    }
    cv_.notify_all();
    return kWaveOk;
}

PlayedAudio MemoryWaveOut::played() const {
    std::lock_guard lock(mutex_);
    return log_;
}

std::size_t MemoryWaveOut::finished_buffers() const {
    std::lock_guard lock(mutex_);
    return finished_;
}

bool MemoryWaveOut::wait_finished(std::size_t n, int ms) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return finished_ >= n; });
}

void MemoryWaveOut::run() {
    std::unique_lock lock(mutex_);
    double owed = 0.0;  // fraction of a sample carried between steps
    auto last = Clock::now();
    bool idle = true;
    for (;;) {
        cv_.wait(lock, [this] { return closing_ || (open_ && !paused_ && !queue_.empty()); });
        if (closing_) return;
        if (idle) last = Clock::now();  // time spent waiting does not count
        idle = false;
        lock.unlock();
        std::this_thread::sleep_for(kTick);
        lock.lock();
        const auto now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - last).count();
        last = now;
        if (!open_ || paused_ || queue_.empty()) {
            owed = 0.0;
            idle = true;
            continue;
        }
        // Never more than one tick's worth after a long stall, so that a
        // paused or idle device does not rush ahead when it resumes.
        owed += std::min(elapsed, 0.05) * log_.format.samples_per_sec * speed_;
        while (owed >= 1.0 && !queue_.empty()) {
            WaveHeader* h = queue_.front();
            const std::size_t n = samples_in(*h);
            const std::size_t step = std::min<std::size_t>(n - front_pos_, static_cast<std::size_t>(owed));
            log_.samples.insert(log_.samples.end(), h->data + front_pos_, h->data + front_pos_ + step);
            on_played(h->data + front_pos_, step);
            front_pos_ += step;
            owed -= static_cast<double>(step);
            if (front_pos_ >= n) finish_front_locked();
        }
        // An empty buffer finishes at once.
        while (!queue_.empty() && samples_in(*queue_.front()) == 0) finish_front_locked();
        if (queue_.empty()) {
            owed = 0.0;
            idle = true;
        }
        cv_.notify_all();
    }
}

// --- input -------------------------------------------------------------------

MemoryWaveIn::MemoryWaveIn(std::vector<std::int16_t> source, double speed, int devices)
    : source_(std::move(source)), speed_(speed > 0 ? speed : 1.0), devices_(devices) {
    thread_ = std::thread([this] { run(); });
}

MemoryWaveIn::~MemoryWaveIn() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

int MemoryWaveIn::device_count() { return devices_; }

int MemoryWaveIn::get_caps(int device, WaveCaps& caps) {
    if (device < 0 || device >= devices_) return kWaveErrBadDevice;
    if (fail_caps != kWaveOk) return fail_caps;
    caps.name = "Memory input";
    caps.channels = 1;
    return kWaveOk;
}

int MemoryWaveIn::open(int device, const PcmFormat& format, AudioEvent* notify) {
    if (device < 0 || device >= devices_) return kWaveErrBadDevice;
    if (fail_open != kWaveOk) return fail_open;
    if (format.format_tag != 1 || format.bits_per_sample != 16 || format.channels != 1 || format.samples_per_sec == 0)
        return kWaveErrBadFormat;
    {
        std::lock_guard lock(mutex_);
        if (open_) return kWaveErrAllocated;
        open_ = true;
        started_ = false;
        notify_ = notify;
        rate_ = format.samples_per_sec;
        queue_.clear();
        front_pos_ = 0;
    }
    if (notify) notify->set();
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveIn::prepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    if (!open_) return kWaveErrInvalidHandle;
    if (!h.data && h.buffer_length) return kWaveErrInvalParam;
    h.flags |= WaveHeader::kPrepared;
    return kWaveOk;
}

int MemoryWaveIn::unprepare(WaveHeader& h) {
    std::lock_guard lock(mutex_);
    if (!open_) return kWaveErrInvalidHandle;
    if (h.flags & WaveHeader::kInQueue) return kWaveErrStillPlaying;
    h.flags &= ~static_cast<std::uint32_t>(WaveHeader::kPrepared);
    return kWaveOk;
}

int MemoryWaveIn::add_buffer(WaveHeader& h) {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        if (!(h.flags & WaveHeader::kPrepared)) return kWaveErrUnprepared;
        if (h.flags & WaveHeader::kInQueue) return kWaveErrStillPlaying;
        h.flags = (h.flags & ~static_cast<std::uint32_t>(WaveHeader::kDone)) | WaveHeader::kInQueue;
        h.bytes_recorded = 0;
        queue_.push_back(&h);
    }
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveIn::start() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        if (fail_start != kWaveOk) return fail_start;
        started_ = true;
    }
    cv_.notify_all();
    return kWaveOk;
}

void MemoryWaveIn::return_front_locked() {
    WaveHeader* h = queue_.front();
    queue_.pop_front();
    h->bytes_recorded = static_cast<std::uint32_t>(front_pos_ * 2);
    h->flags = (h->flags & ~static_cast<std::uint32_t>(WaveHeader::kInQueue)) | WaveHeader::kDone;
    front_pos_ = 0;
    if (notify_) notify_->set();
}

int MemoryWaveIn::stop() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        started_ = false;
        // The buffer being filled comes back with what it holds so far.
        if (!queue_.empty() && front_pos_ > 0) return_front_locked();
    }
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveIn::reset() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        started_ = false;
        while (!queue_.empty()) return_front_locked();
    }
    cv_.notify_all();
    return kWaveOk;
}

int MemoryWaveIn::close() {
    {
        std::lock_guard lock(mutex_);
        if (!open_) return kWaveErrInvalidHandle;
        if (!queue_.empty()) return kWaveErrStillPlaying;
        open_ = started_ = false;
        notify_ = nullptr;
    }
    cv_.notify_all();
    return kWaveOk;
}

std::size_t MemoryWaveIn::filled_buffers() const {
    std::lock_guard lock(mutex_);
    return filled_;
}

std::size_t MemoryWaveIn::position() const {
    std::lock_guard lock(mutex_);
    return position_;
}

bool MemoryWaveIn::is_open() const {
    std::lock_guard lock(mutex_);
    return open_;
}

bool MemoryWaveIn::wait_filled(std::size_t n, int ms) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return filled_ >= n; });
}

void MemoryWaveIn::run() {
    std::unique_lock lock(mutex_);
    double owed = 0.0;
    auto last = Clock::now();
    bool idle = true;
    for (;;) {
        cv_.wait(lock, [this] { return closing_ || (open_ && started_); });
        if (closing_) return;
        if (idle) last = Clock::now();  // time spent waiting does not count
        idle = false;
        lock.unlock();
        std::this_thread::sleep_for(kTick);
        lock.lock();
        const auto now = Clock::now();
        const double elapsed = std::chrono::duration<double>(now - last).count();
        last = now;
        if (!open_ || !started_) {
            owed = 0.0;
            idle = true;
            continue;
        }
        owed += std::min(elapsed, 0.05) * rate_ * speed_;
        while (owed >= 1.0) {
            const auto at = [this](std::size_t i) { return i < source_.size() ? source_[i] : std::int16_t{0}; };
            if (queue_.empty()) {
                // Nothing queued: what is spoken now is lost.
                position_ += static_cast<std::size_t>(owed);
                owed -= std::floor(owed);
                break;
            }
            WaveHeader* h = queue_.front();
            const std::size_t n = h->buffer_length / 2;
            const std::size_t step = std::min<std::size_t>(n - front_pos_, static_cast<std::size_t>(owed));
            for (std::size_t i = 0; i < step; ++i) h->data[front_pos_ + i] = at(position_ + i);
            position_ += step;
            front_pos_ += step;
            owed -= static_cast<double>(step);
            if (front_pos_ >= n) {
                ++filled_;
                return_front_locked();
            }
        }
        cv_.notify_all();
    }
}

}  // namespace vox
