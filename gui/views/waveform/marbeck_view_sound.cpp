// Record and play in the waveform view: what the view does when the sound
// (view_sound.h) starts, steps or stops, and the level trace and the play
// cursor drawn over the screen.
#include <QPainter>

#include <algorithm>

#include "core/document/marbeck_doc.h"
#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/painters/overlay_painter.h"
#include "gui/views/waveform/view_sound.h"

namespace vox {

std::unique_ptr<ViewSound> CMarbeckView::make_sound() {
    ViewSound::Hooks h;
    h.cursor_moved = [this](double ms) {
        view_time_ms_ = ms;
        update_move_readouts();
        update();
    };
    h.repaint = [this] { update(); };
    h.recording_started = [this] {
        show_sample_rate();
        selection_ = cursor_ = false;
        if (doc_.channel_count > 0) zoom_command(CommandId::ZoomHome);
        redraw_needed_ = true;
        update();
    };
    h.recording_stopped = [this] {
        selection_ = cursor_ = false;
        if (has_data() && doc_.options.display.always_analyse) compute_pitch(range_all());
        refresh();  // the recording prompt goes; new samples were announced by the document
        update();
    };
    h.trace_width = [this] { return width(); };
    return std::make_unique<ViewSound>(doc_, this, std::move(h));
}

bool CMarbeckView::recording_sound() const { return sound_ && sound_->recording(); }
bool CMarbeckView::playing() const { return sound_->playing(); }
double CMarbeckView::play_cursor_ms() const { return sound_->play_cursor_ms(); }
int CMarbeckView::recorded_blocks() const { return sound_->recorded_blocks(); }
int CMarbeckView::recording_rate() const { return sound_->recording_rate(); }
void CMarbeckView::stop_playback() { sound_->stop_playback(); }
bool CMarbeckView::stop_recording() { return sound_->stop_recording(); }

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
        sound_->levels().paint(p, level_strip_rect(), level_meter_rect());
        return;
    }
    if (!sound_->cursor_shown() || !has_data()) return;
    const OverlayAxis a = overlay_axis();
    OverlayPainter::paint_play_cursor(p, a, a.x_of(sound_->play_cursor_ms()));
}

}  // namespace vox
