#include "gui/views/waveform/view_sound.h"

#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <cstdio>

#include "core/app/option_block.h"
#include "core/audio/record_settings.h"
#include "core/audio/sound_abort.h"
#include "core/audio/sound_in.h"
#include "core/audio/sound_out.h"
#include "core/audio/sound_texts.h"
#include "core/document/doc_playback.h"
#include "core/document/marbeck_doc.h"
#include "gui/audio/sound_devices.h"

namespace vox {

// Hands the capture thread's level columns to the context's thread, which
// alone draws.
class TraceBridge final : public LevelTraceWindow {
public:
    explicit TraceBridge(QObject* context) : context_(context) {}
    int width = 0, height = 0;
    int trace_width() const override { return width; }
    int trace_height() const override { return height; }
    void draw_column(const TraceColumn& c) override {
        auto fn = deliver;
        QMetaObject::invokeMethod(context_, [fn, c] { fn(c); }, Qt::QueuedConnection);
    }
    std::function<void(const TraceColumn&)> deliver;

private:
    QObject* context_;
};

namespace {

// An engine thread's message, shown on the context's thread while it lives.
std::function<void(const std::string&)> ui_message_sink(QObject* context, CMarbeckDoc& doc) {
    QPointer<QObject> guard(context);
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

double PlayCursorStepMs(double rate_hz, int app_rate_hz) {
    return (app_rate_hz == 44100 || app_rate_hz == 48000 ? 8192000.0 : 2048000.0) / rate_hz;
}

ViewSound::ViewSound(CMarbeckDoc& doc, QObject* context, Hooks hooks)
    : doc_(doc), context_(context), hooks_(std::move(hooks)), trace_(std::make_unique<TraceBridge>(context)) {
    for (QTimer* t : {&start_timer_, &cursor_timer_, &end_timer_}) t->setSingleShot(true);
    QObject::connect(&start_timer_, &QTimer::timeout, context, [this] { start_recording(); });
    QObject::connect(&cursor_timer_, &QTimer::timeout, context, [this] { play_tick(); });
    QObject::connect(&end_timer_, &QTimer::timeout, context, [this] { stop_playback(); });
    // A block posted before this went (while its context lives on) is dropped.
    trace_->deliver = [alive = std::weak_ptr<int>(alive_), this](const TraceColumn& c) {
        if (alive.lock()) add_level(c.min, c.max);
    };
}

ViewSound::~ViewSound() {
    if (out_) end_playback(*out_);
    if (in_) {
        in_->Halt();
        in_->CloseDevice();
        const std::string path = in_->TakeRecordingPath();
        if (!path.empty()) std::remove(path.c_str());
    }
}

int ViewSound::recorded_blocks() const { return in_ ? in_->block_count() : 0; }

int ViewSound::recording_rate() const {
    // The rate chosen in the record options ("Record Option..." or the rate
    // cell of the Record & Play window), not the rate the empty document took
    // from the last closed file: an 8000 Hz file must not stop recording.
    if (const SessionState* session = doc_.services().session; session && session->record)
        return session->record->sample_rate_hz;
    return static_cast<int>(doc_.channels[0].sample_rate);
}

void ViewSound::stop_playback() {
    cursor_timer_.stop();
    end_timer_.stop();
    if (out_) {
        end_playback(*out_);
        out_.reset();
    }
    if (cursor_shown_) {
        cursor_shown_ = false;
        hooks_.repaint();
    }
}

bool ViewSound::record_available() const {
    return !recording_ && !start_timer_.isActive() && (doc_.is_recording != 0 || doc_.loaded == 0);
}

void ViewSound::record() {
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
    start_timer_.start(1);
}

void ViewSound::play(CommandId id) {
    if (doc_.loaded == 0 || doc_.channel_count <= 0) return;
    stop_playback();
    const CChannels& ch = doc_.channels[0];
    double first_sample = 0.0, count = 0.0;
    if (id == CommandId::PlayAll) {
        count = ch.sample_count;
        play_start_ = 0.0;
        play_end_ = ch.duration_ms;
    } else if (id == CommandId::PlaySelection) {
        first_sample = ch.sel_lo_sample;
        count = ch.sel_hi_sample - ch.sel_lo_sample;
        play_start_ = ch.sel_lo_ms;
        play_end_ = ch.sel_hi_ms;
    } else {
        const double d = ch.sample_count > 0 ? ch.duration_ms / ch.sample_count : 0.0;
        first_sample = ch.window_first;
        count = ch.window_last - ch.window_first;
        play_start_ = ch.window_first * d;
        play_end_ = ch.window_last * d;
    }
    const int first_i = static_cast<int>(first_sample);
    const int count_i = static_cast<int>(count);
    const auto rate = static_cast<std::uint32_t>(ch.sample_rate);
    out_ = std::make_unique<CSoundOut>(output_device(doc_), doc_.prompts());
    out_->set_worker_message_sink(ui_message_sink(context_, doc_));
    start_playback(doc_, *out_, first_i, count_i, rate);
    play_cursor_ = play_start_;
    cursor_timer_.start(1);
}

void ViewSound::play_tick() {
    const double rate = doc_.channels[0].sample_rate > 0 ? doc_.channels[0].sample_rate : 11025.0;
    // The program's current rate: that of the recording opened last (this
    // recording's own for a document on its own).
    const SessionState* session = doc_.services().session;
    const int app_rate = static_cast<int>(session ? session->current_rate_hz : rate);
    const double step = PlayCursorStepMs(rate, app_rate);
    if (play_end_ - step >= play_cursor_) {
        play_cursor_ += step;
        cursor_shown_ = true;
        hooks_.cursor_moved(play_cursor_);
        cursor_timer_.start(static_cast<int>(step));
    } else {
        cursor_shown_ = false;
        hooks_.repaint();
        end_timer_.start(500);
    }
}

void ViewSound::start_recording() {
    stop_playback();
    if (in_) {
        in_->Halt();
        in_->CloseDevice();
        in_.reset();
    }
    in_ = std::make_unique<CSoundIn>(input_device(doc_), doc_.prompts());
    in_->set_worker_message_sink(ui_message_sink(context_, doc_));
    // The engine measures each block in sample units (a height of 65536
    // gives min and max as samples); the view scales them to its strip.
    // Its column counter is not used: the levels keep their own slots.
    trace_->width = std::max(1, hooks_.trace_width());
    trace_->height = 65536;
    record_rate_hz_ = recording_rate();
    levels_.reset(record_rate_hz_, CSoundIn::BlockSizeForRate(record_rate_hz_));
    const std::string path = doc_.services().temp_names.next();
    try {
        in_->PrepareRecording(path, record_rate_hz_, 16, trace_.get());
    } catch (const SoundAbort&) {
        in_.reset();
        return;
    }
    if (in_->Start() != 0) {
        doc_.prompts().message(sound_text::kMicError);
        in_->CloseDevice();
        const std::string p = in_->TakeRecordingPath();
        if (!p.empty()) std::remove(p.c_str());
        in_.reset();
        return;
    }
    in_->StartCapture();
    recording_ = true;
    doc_.selection_active = 0;
    doc_.loaded = 1;
    doc_.set_modified(true);
    hooks_.recording_started();
}

bool ViewSound::stop_recording() {
    start_timer_.stop();  // a recording about to start does not
    if (!recording_) return false;
    recording_ = false;
    in_->Halt();
    in_->CloseDevice();
    const std::string path = in_->TakeRecordingPath();
    // A recording shorter than one block leaves an empty file, which the
    // document ignores: its earlier content stays.
    // The samples are at the recording's rate, whatever rate the channel had.
    const double earlier_rate = doc_.channels[0].sample_rate;
    doc_.channels[0].sample_rate = record_rate_hz_;
    if (!doc_.accept_recording(path)) {
        doc_.channels[0].sample_rate = earlier_rate;
        std::remove(path.c_str());
    }
    in_.reset();
    doc_.selection_active = 0;
    hooks_.recording_stopped();
    return true;
}

void ViewSound::add_level(int lo, int hi) {
    if (!recording_) return;
    levels_.add(lo, hi);
    hooks_.repaint();
}

}  // namespace vox
