#pragma once
// CSoundIn: records mono 16-bit audio from the first wave-input device into
// a raw sample file (signed 16-bit little-endian, no header, whole blocks
// only) through two alternating buffers. A worker thread wakes on the
// device's buffer-done event ("WaveInThreadEvent"), requeues the buffer and
// appends its samples to the file, and computes one column of a running
// level trace per block.
//
// Calling order: PrepareRecording, Start, StartCapture ... Halt,
// CloseDevice, TakeRecordingPath, destroy.

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

// One column of the level trace: a line from (x, mid) up to (x, mid - max)
// and on to (x, mid - min), in the trace area's pixels.
struct TraceColumn {
    int x = 0;
    int mid = 0;
    int max = 0;
    int min = 0;
    bool operator==(const TraceColumn&) const = default;
};

// The window that shows the level trace. draw_column is called on the
// capture thread: an implementation that may draw only on its own thread
// hands the column over to it.
class LevelTraceWindow {
public:
    virtual ~LevelTraceWindow() = default;
    virtual int trace_width() const = 0;   // client width (pixels)
    virtual int trace_height() const = 0;  // client height (pixels)
    virtual void draw_column(const TraceColumn& column) = 0;
};

class CSoundIn {
public:
    static constexpr int kBufferSamples = 65536;
    static constexpr int kMinRate = 10000;
    // (rate ÷ 10000) × 4096 samples, integer division: 4096 at 11025 and
    // 16000 Hz, 8192 at 22050 Hz, 16384 at 44100 and 48000 Hz.
    static int BlockSizeForRate(int rate);
    // The level-trace column of one block for a trace area of height h.
    static TraceColumn LevelColumn(const std::int16_t* samples, int n, int height, int x);

    CSoundIn(WaveInDevice& device, UserPrompts& prompts);
    virtual ~CSoundIn();
    CSoundIn(const CSoundIn&) = delete;
    CSoundIn& operator=(const CSoundIn&) = delete;

    // Sets the first 4096 samples of the current buffer to zero.
    virtual void ClearCurrentBuffer();
    // Consumes one completed block: appends it to the file and draws its
    // level column.
    virtual void ProcessBlock(const std::int16_t* samples);

    // Creates the recording file. Throws SoundAbort after its message when
    // the file cannot be created or the rate is under 10000 Hz.
    void PrepareRecording(const std::string& path, int rate, int bits, LevelTraceWindow* window);
    int Start();
    void StartCapture();
    // Stops capture: after it returns the worker writes no further block
    // and draws no further column.
    void Halt();
    // Ends the worker, then closes the device; the completion event lives
    // until the device no longer holds it.
    void CloseDevice();
    // The recording file's path (empty when there is none); closes the file.
    std::string TakeRecordingPath();

    void set_worker_message_sink(std::function<void(const std::string&)> sink);
    // The wait of CloseDevice before the device is closed (500 ms default).
    void set_close_sleep_ms(int ms) { close_sleep_ms_ = ms; }

    // --- state --------------------------------------------------------------
    int sample_rate() const { return sample_rate_; }
    int block_size() const { return block_size_; }
    int block_count() const { return block_count_.load(); }
    bool device_open() const { return device_open_.load(); }
    bool worker_running() const { return worker_.joinable(); }
    // Exit code of the worker: 0 normal end, -1 after a requeue failure.
    int worker_exit_code() const { return exit_code_.load(); }
    const PcmFormat& format() const { return format_; }

private:
    void say(const char* text, bool from_worker);
    void worker();
    bool RequeueBlock();
    int queue_first(int index);

    WaveInDevice& device_;
    UserPrompts& prompts_;
    std::mutex say_mutex_;   // one message at a time into the prompts
    std::mutex sink_mutex_;  // guards worker_sink_ only
    std::function<void(const std::string&)> worker_sink_;

    std::array<std::vector<std::int16_t>, 2> buffers_;
    // The block just filled, copied out before its buffer goes back to the
    // device: the device may fill that buffer again while the copy is
    // written and measured, however long that takes.
    std::vector<std::int16_t> filled_copy_;
    WaveCaps caps_;
    std::array<WaveHeader, 2> headers_{};
    PcmFormat format_;
    std::unique_ptr<AudioEvent> notify_;
    std::thread worker_;
    std::atomic<int> stop_{0};
    // Held by the worker from its look at the stop flag until the block it
    // woke for is requeued and written, and by Halt while it stops the
    // device: once Halt returns, no buffer is requeued, the device is not
    // started again and nothing more reaches the file or the trace window.
    std::mutex run_mutex_;
    int sample_rate_ = 11025;
    int block_size_ = 4096;
    int block_length_ = 0;
    int current_ = 0;
    LevelTraceWindow* window_ = nullptr;
    int trace_width_ = 0, trace_height_ = 0;
    int trace_column_ = 0;
    std::atomic<int> block_count_{0};
    std::FILE* file_ = nullptr;
    std::string path_;

    std::atomic<bool> device_open_{false};
    std::atomic<int> exit_code_{0};
    int close_sleep_ms_ = 500;
};

}  // namespace vox
