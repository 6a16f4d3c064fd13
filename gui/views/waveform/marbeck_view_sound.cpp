// Record and play commands of the waveform view: Record with its save
// question, the start timer (1 ms), the level trace and the left press that
// stops it; Play All, Selection and Window with the play-cursor timer and
// the timer that ends playback 500 ms after the cursor's last step.
#include <QMetaObject>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/app/option_block.h"
#include "core/audio/record_settings.h"
#include "core/audio/sound_abort.h"
#include "core/audio/sound_in.h"
#include "core/audio/sound_out.h"
#include "core/audio/sound_texts.h"
#include "core/document/doc_playback.h"
#include "gui/audio/sound_devices.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/painters/level_painter.h"
#include "gui/views/waveform/painters/overlay_painter.h"

namespace vox {

namespace {

// Hands the capture thread's level columns and messages to the view's
// thread, which alone draws and shows message boxes.
class TraceBridge final : public LevelTraceWindow {
public:
    explicit TraceBridge(CMarbeckView* view) : view_(view) {}
    int width = 0, height = 0;
    int trace_width() const override { return width; }
    int trace_height() const override { return height; }
    void draw_column(const TraceColumn& c) override { post(c); }
    std::function<void(const TraceColumn&)> deliver;
    void post(const TraceColumn& c) {
        auto fn = deliver;
        QMetaObject::invokeMethod(view_, [fn, c] { fn(c); }, Qt::QueuedConnection);
    }

private:
    CMarbeckView* view_;
};

}  // namespace

struct ViewSound {
    // Declared first, so that it goes last: the capture engine draws into it
    // until it is halted.
    std::unique_ptr<TraceBridge> trace;
    std::unique_ptr<CSoundIn> in;
    std::unique_ptr<CSoundOut> out;
    RecordingLevelPainter levels;
    int record_rate_hz = 0;  // the rate the running recording captures at
    bool recording = false;
    double play_start = 0.0, play_end = 0.0, play_cursor = 0.0;
    bool cursor_shown = false;
    QTimer start_timer, cursor_timer, end_timer;  // timers 1, 3 and 4

    ViewSound() = default;
    ViewSound(const ViewSound&) = delete;
    ViewSound& operator=(const ViewSound&) = delete;
    // A view that goes while the engines run (the document was not asked,
    // as when the program is torn down): they stop before anything they use
    // goes, and an unfinished recording leaves no file behind.
    ~ViewSound() {
        if (out) {
            out->Pause();
            out->Stop();
        }
        if (in) {
            in->Halt();
            in->CloseDevice();
            const std::string path = in->TakeRecordingPath();
            if (!path.empty()) std::remove(path.c_str());
        }
    }
};

ViewSound& CMarbeckView::sound() const {
    if (!sound_) {
        auto s = std::make_shared<ViewSound>();
        auto* self = const_cast<CMarbeckView*>(this);
        for (QTimer* t : {&s->start_timer, &s->cursor_timer, &s->end_timer}) t->setSingleShot(true);
        QObject::connect(&s->start_timer, &QTimer::timeout, self, [self] { self->sound_start_recording(); });
        QObject::connect(&s->cursor_timer, &QTimer::timeout, self, [self] { self->sound_play_tick(); });
        QObject::connect(&s->end_timer, &QTimer::timeout, self, [self] { self->stop_playback(); });
        s->trace = std::make_unique<TraceBridge>(self);
        QPointer<CMarbeckView> guard(self);
        s->trace->deliver = [guard](const TraceColumn& c) {
            if (guard) guard->sound_draw_trace(c);
        };
        sound_ = std::move(s);
    }
    return *sound_;
}

bool CMarbeckView::recording_sound() const { return sound_ && sound_->recording; }
bool CMarbeckView::playing() const { return sound_ && sound_->out != nullptr; }
double CMarbeckView::play_cursor_ms() const { return sound_ ? sound_->play_cursor : 0.0; }
int CMarbeckView::recorded_blocks() const { return sound_ && sound_->in ? sound_->in->block_count() : 0; }

namespace {

std::function<void(const std::string&)> ui_message_sink(CMarbeckView* view, CMarbeckDoc& doc) {
    QPointer<CMarbeckView> guard(view);
    CMarbeckDoc* d = &doc;
    return [guard, d](const std::string& text) {
        QMetaObject::invokeMethod(
            guard.data(),
            [guard, d, text] {
                if (guard) d->prompts().message(text);
            },
            Qt::QueuedConnection);
    };
}

}  // namespace

void CMarbeckView::stop_playback() {
    if (!sound_) return;
    ViewSound& s = *sound_;
    s.cursor_timer.stop();
    s.end_timer.stop();
    if (s.out) {
        s.out->Pause();
        s.out->Stop();
        s.out.reset();
    }
    if (s.cursor_shown) {
        s.cursor_shown = false;
        update();
    }
}

// An empty document or one that holds an unsaved recording records.
bool CMarbeckView::record_available() const {
    return !recording_sound() && !(sound_ && sound_->start_timer.isActive()) &&
           (doc_.is_recording != 0 || doc_.loaded == 0);
}

void CMarbeckView::record_command() {
    // The question comes before the labels go, so that Cancel really
    // leaves everything as it was and Yes saves the labels too.
    if (doc_.loaded && doc_.modified()) {
        const std::string name = doc_.path().empty() ? doc_.title() : doc_.path();
        const Answer a = doc_.prompts().ask_yes_no_cancel(std::string(sound_text::kSaveBeforePrefix) + name +
                                                          sound_text::kSaveBeforeSuffix);
        if (a == Answer::Cancel) return;
        // A failed or cancelled save keeps the document as it is.
        if (a == Answer::Yes && !doc_.save()) return;
    }
    for (int t = 0; t < kTierCount; ++t) doc_.channels[0].clear_tier(t);
    sound().start_timer.start(1);
}

// Play All, Play Selection or Play Window.
void CMarbeckView::play_command(CommandId id) {
    if (!has_data()) return;
    stop_playback();
    ViewSound& s = sound();
    CChannels& ch = first();
    double first_sample = 0.0, count = 0.0;
    if (id == CommandId::PlayAll) {
        count = ch.sample_count;
        s.play_start = 0.0;
        s.play_end = ch.duration_ms;
    } else if (id == CommandId::PlaySelection) {
        const ViewRange r = range_selection();
        first_sample = r.first_sample;
        count = r.last_sample - r.first_sample;
        s.play_start = r.start_ms;
        s.play_end = r.end_ms;
    } else {
        const ViewRange r = range_window();
        const double d = ch.sample_count > 0 ? ch.duration_ms / ch.sample_count : 0.0;
        first_sample = r.first_sample;
        count = r.last_sample - r.first_sample;
        s.play_start = r.first_sample * d;
        s.play_end = r.last_sample * d;
    }
    const int first_i = static_cast<int>(first_sample);
    const int count_i = static_cast<int>(count);
    const auto rate = static_cast<std::uint32_t>(ch.sample_rate);
    s.out = std::make_unique<CSoundOut>(output_device(doc_), doc_.prompts());
    s.out->set_worker_message_sink(ui_message_sink(this, doc_));
    bool prepared = false;
    try {
        prepared = prepare_playback(doc_, *s.out, first_i, count_i, rate);
    } catch (const SoundAbort&) {
        prepared = false;
    }
    if (prepared) {
        s.out->Start();
        s.out->Restart();
    }
    s.play_cursor = s.play_start;
    s.cursor_timer.start(1);
}

void CMarbeckView::sound_play_tick() {
    ViewSound& s = sound();
    const double rate = first().sample_rate > 0 ? first().sample_rate : 11025.0;
    // The program's current rate: that of the recording opened last (this
    // recording's own for a document on its own).
    const SessionState* session = doc_.services().session;
    const int app_rate = static_cast<int>(session ? session->current_rate_hz : rate);
    const double step = (app_rate == 44100 || app_rate == 48000 ? 8192000.0 : 2048000.0) / rate;
    if (s.play_end - step >= s.play_cursor) {
        s.play_cursor += step;
        s.cursor_shown = true;
        view_time_ms_ = s.play_cursor;
        update_move_readouts();
        update();
        s.cursor_timer.start(static_cast<int>(step));
    } else {
        s.cursor_shown = false;
        update();
        s.end_timer.start(500);
    }
}

int CMarbeckView::recording_rate() const {
    // The rate chosen in the record options ("Record Option..." or the rate
    // cell of the Record & Play window), not the rate the empty document took
    // from the last closed file: an 8000 Hz file must not stop recording.
    if (const SessionState* session = doc_.services().session; session && session->record)
        return session->record->sample_rate_hz;
    return static_cast<int>(first().sample_rate);
}

void CMarbeckView::sound_start_recording() {
    ViewSound& s = sound();
    stop_playback();
    if (s.in) {
        s.in->Halt();
        s.in->CloseDevice();
        s.in.reset();
    }
    s.in = std::make_unique<CSoundIn>(input_device(doc_), doc_.prompts());
    s.in->set_worker_message_sink(ui_message_sink(this, doc_));
    // The engine measures each block in sample units (a height of 65536
    // gives min and max as samples); the view scales them to its strip.
    // Its column counter is not used: the view keeps its own cells.
    s.trace->width = std::max(1, width());
    s.trace->height = 65536;
    s.record_rate_hz = recording_rate();
    s.levels.reset(s.record_rate_hz, CSoundIn::BlockSizeForRate(s.record_rate_hz));
    const std::string path = doc_.services().temp_names.next();
    try {
        s.in->PrepareRecording(path, s.record_rate_hz, 16, s.trace.get());
    } catch (const SoundAbort&) {
        s.in.reset();
        return;
    }
    if (s.in->Start() != 0) {
        doc_.prompts().message(sound_text::kMicError);
        s.in->CloseDevice();
        const std::string p = s.in->TakeRecordingPath();
        if (!p.empty()) std::remove(p.c_str());
        s.in.reset();
        return;
    }
    s.in->StartCapture();
    s.recording = true;
    show_sample_rate();
    selection_ = cursor_ = false;
    doc_.selection_active = 0;
    doc_.loaded = 1;
    doc_.set_modified(true);
    if (doc_.channel_count > 0) zoom_command(CommandId::ZoomHome);
    redraw_needed_ = true;
    update();
}

void CMarbeckView::sound_mouse_press() {
    if (!sound_) return;
    stop_playback();
    stop_recording();
}

bool CMarbeckView::stop_recording() {
    if (!sound_) return false;
    sound_->start_timer.stop();  // a recording about to start does not
    if (!sound_->recording) return false;
    ViewSound& s = *sound_;
    s.recording = false;
    s.in->Halt();
    s.in->CloseDevice();
    const std::string path = s.in->TakeRecordingPath();
    // A recording shorter than one block leaves an empty file, which the
    // document ignores: its earlier content stays.
    // The samples are at the recording's rate, whatever rate the channel had.
    const double earlier_rate = doc_.channels[0].sample_rate;
    doc_.channels[0].sample_rate = s.record_rate_hz;
    if (!doc_.accept_recording(path)) {
        doc_.channels[0].sample_rate = earlier_rate;
        std::remove(path.c_str());
    }
    s.in.reset();
    selection_ = cursor_ = false;
    doc_.selection_active = 0;
    if (has_data() && doc_.options.display.always_analyse) compute_pitch(range_all());
    refresh();  // the recording prompt goes; new samples were announced by the document
    update();
    return true;
}

void CMarbeckView::sound_draw_trace(const TraceColumn& c) {
    if (!recording_sound()) return;
    sound_->levels.add(c.min, c.max);
    update();
}

QRect CMarbeckView::level_strip_rect() const {
    // Below the "Recording..." prompt and the meter, across the display's width.
    const int left = 40, right = std::max(left + 8, width() - 5);
    const int top = 70, bottom = std::max(top + 20, height() - 50);
    return QRect(left, top, right - left, bottom - top);
}

QRect CMarbeckView::level_meter_rect() const {
    const QRect strip = level_strip_rect();
    return QRect(strip.left(), 44, strip.width(), 16);
}

void CMarbeckView::sound_paint(QPainter& p) {
    if (recording_sound()) {
        sound_->levels.paint(p, level_strip_rect(), level_meter_rect());
        return;
    }
    if (!sound_ || !sound_->cursor_shown || !has_data()) return;
    const OverlayAxis a = overlay_axis();
    OverlayPainter::paint_play_cursor(p, a, a.x_of(sound_->play_cursor));
}

}  // namespace vox
