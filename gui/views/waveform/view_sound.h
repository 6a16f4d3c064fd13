#pragma once
// The record and play commands of one waveform view and their bookkeeping:
// Record with its save question, the start timer (1 ms), the capture with
// its level trace and the stop that hands the captured blocks to the
// document; Play All, Selection and Window with the play cursor that steps
// along the played range and the timer that ends playback 500 ms after the
// cursor's last step. The view says how it follows through hooks (the
// readouts and the overlays are its own) and draws the level trace and the
// play cursor this keeps.

#include <QTimer>

#include <functional>
#include <memory>

#include "core/app/command_ids.h"
#include "gui/views/waveform/painters/level_painter.h"

class QObject;

namespace vox {

class CMarbeckDoc;
class CSoundIn;
class CSoundOut;
class TraceBridge;

// Milliseconds the play cursor moves per step for a recording at `rate_hz`
// while the program's current rate is `app_rate_hz`: 2048000 / rate, or
// 8192000 / rate when the current rate is 44100 or 48000 Hz.
double PlayCursorStepMs(double rate_hz, int app_rate_hz);

class ViewSound {
public:
    struct Hooks {
        std::function<void(double ms)> cursor_moved;  // the play cursor stepped to ms
        std::function<void()> repaint;                // the play cursor went or a level block came
        std::function<void()> recording_started;      // the capture runs; the document is marked loaded
        std::function<void()> recording_stopped;      // the document took what was captured
        std::function<int()> trace_width;             // pixels the level trace spans
    };

    // Messages of the engines' threads and level blocks reach `context`'s
    // thread; the document and the context must outlive this.
    ViewSound(CMarbeckDoc& doc, QObject* context, Hooks hooks);
    ViewSound(const ViewSound&) = delete;
    ViewSound& operator=(const ViewSound&) = delete;
    // Running engines stop, and an unfinished recording leaves no file.
    ~ViewSound();

    bool recording() const { return recording_; }
    bool playing() const { return out_ != nullptr; }
    double play_cursor_ms() const { return play_cursor_; }
    bool cursor_shown() const { return cursor_shown_; }
    int recorded_blocks() const;
    const RecordingLevelPainter& levels() const { return levels_; }
    // Sample rate (Hz) the next recording is made at.
    int recording_rate() const;

    // An empty document or one that holds an unsaved recording records
    // (not while one runs or is about to start).
    bool record_available() const;
    // The save question for a modified document (Cancel or a failed save
    // leave everything as it was), then the labels go and the capture
    // starts on the next turn of the event loop.
    void record();
    // Play All, Play Selection or Play Window of the first channel.
    void play(CommandId id);
    // Pauses, stops and releases a running playback.
    void stop_playback();
    // Ends a recording in progress: the captured blocks become the
    // document's audio channel. A recording about to start does not.
    // False when none ran.
    bool stop_recording();

private:
    void start_recording();
    void play_tick();
    void add_level(int lo, int hi);

    CMarbeckDoc& doc_;
    QObject* context_;
    Hooks hooks_;
    // Expires with this: level blocks still queued for the context see it.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    // Declared first, so that it goes last: the capture engine draws into it
    // until it is halted.
    std::unique_ptr<TraceBridge> trace_;
    std::unique_ptr<CSoundIn> in_;
    std::unique_ptr<CSoundOut> out_;
    RecordingLevelPainter levels_;
    int record_rate_hz_ = 0;  // the rate the running recording captures at
    bool recording_ = false;
    double play_start_ = 0.0, play_end_ = 0.0, play_cursor_ = 0.0;
    bool cursor_shown_ = false;
    QTimer start_timer_, cursor_timer_, end_timer_;
};

}  // namespace vox
