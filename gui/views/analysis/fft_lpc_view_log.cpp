// Measurement-log entries of the FFT/LPC view: the levels at the frequency
// cursor, the formants with their bandwidths, and marker rows over the whole
// frequency range at the log option's step.
#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

#include <algorithm>

#include "core/annotation/log_target.h"
#include "core/annotation/measurement_log.h"
#include "core/document/marbeck_doc.h"
#include "gui/views/analysis/fft_lpc_view.h"

namespace vox {

namespace {

// Notes a left-button press anywhere in the application while a long entry
// runs; the loop polls it before every row.
class LeftPressWatch : public QObject {
public:
    LeftPressWatch() { QCoreApplication::instance()->installEventFilter(this); }
    ~LeftPressWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool pressed() {
        QCoreApplication::processEvents();
        return pressed_;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
            pressed_ = true;
            return true;  // the press only stops the entry
        }
        return QObject::eventFilter(o, e);
    }

private:
    bool pressed_ = false;
};

}  // namespace

bool CFFTLPCView::log_open_with_fft() const {
    return open_log(doc_.services().session) != nullptr && result_ && !result_->fft.empty();
}

bool CFFTLPCView::add_marker_row(double hz, int index, bool lpc_drawn, double from_ms, double to_ms) {
    LogEntry e(doc_.path(), lpc_drawn ? LogEntryKind::FftLpcMarkerLpc : LogEntryKind::FftLpcMarker);
    e.add(hz);
    e.add(level_at(index));
    if (lpc_drawn) e.add(lpc_level_at(index));
    e.add(from_ms);
    e.add(to_ms);
    return add_to_log(doc_.services().session, e);
}

// A marker row at the cursor, each value as the plot draws it and the
// read-out shows it.
void CFFTLPCView::log_at_marker() {
    add_marker_row(frequency_at(cursor_index_), cursor_index_, options_.draw_lpc != 0 && !result_->lpc.empty(),
                   slice_start_ms(), slice_end_ms());
}

void CFFTLPCView::log_formants_bandwidths() {
    const SliceResult& r = *result_;
    LogEntry e(doc_.path(), LogEntryKind::FftLpcFormants);
    for (double f : r.F) e.add(f);
    for (double b : r.B) e.add(b);
    e.add(slice_start_ms());
    e.add(slice_end_ms());
    add_to_log(doc_.services().session, e);
}

// A marker row every log step (Hz) over the frequency range; a left press
// stops the entry.
void CFFTLPCView::log_all_frame() {
    // Copies: the loop lets events through, and a resize of the plot
    // recomputes the view's result meanwhile.
    const SliceResult r = *result_;
    const FftLpcOptions o = options_;
    const bool lpc_drawn = o.draw_lpc != 0 && !r.lpc.empty();
    const double from_ms = slice_start_ms(), to_ms = slice_end_ms();
    const double range = o.frequency_range_hz;
    const double bin = range / double(r.fft.size());
    const int step = std::max(1, doc_.options.log_step_hz);
    if (!(bin > 0.0)) return;
    LeftPressWatch watch;
    for (long long k = 0;; ++k) {
        const double f = double(k) * step;
        if (f >= range) break;
        if (watch.pressed()) break;
        if (!add_marker_row(f, static_cast<int>(f / bin), lpc_drawn, from_ms, to_ms)) break;
    }
}

}  // namespace vox
