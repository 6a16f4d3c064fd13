#pragma once
// An auto-reset event: set() releases one waiter (or the next one to wait)
// and the event falls back to unsignalled as that waiter leaves. Several
// set() calls before a wait release only one wait, as a device's buffer-done
// notification does.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace vox {

class AudioEvent {
public:
    explicit AudioEvent(std::string name = {}) : name_(std::move(name)) {}
    AudioEvent(const AudioEvent&) = delete;
    AudioEvent& operator=(const AudioEvent&) = delete;

    const std::string& name() const { return name_; }

    void set() {
        {
            std::lock_guard lock(mutex_);
            signalled_ = true;
        }
        cv_.notify_one();
    }
    void reset() {
        std::lock_guard lock(mutex_);
        signalled_ = false;
    }
    // Waits without a time-out; true once signalled (the signal is consumed).
    bool wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return signalled_; });
        signalled_ = false;
        return true;
    }
    // False when the time-out (ms) passed without a signal.
    bool wait_for(int ms) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return signalled_; })) return false;
        signalled_ = false;
        return true;
    }
    bool is_set() const {
        std::lock_guard lock(mutex_);
        return signalled_;
    }

private:
    std::string name_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool signalled_ = false;
};

}  // namespace vox
