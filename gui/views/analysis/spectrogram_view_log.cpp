// Measurement-log entries of the spectrogram view: time and frequency at the
// cursor, the selection's duration, and the formants of the cursor's frame
// or of every frame in the selection.
#include <algorithm>

#include "core/annotation/log_target.h"
#include "core/annotation/measurement_log.h"
#include "core/document/marbeck_doc.h"
#include "gui/views/analysis/spectrogram_pane.h"
#include "gui/views/analysis/spectrogram_view.h"

namespace vox {

namespace {

void add_formants(LogEntry& e, const std::array<int, 5>& f) {
    for (int v : f) e.add(v);
}

}  // namespace

bool CSpectrogramView::formants_found() const {
    const SpectrogramColumns* c = pane_->columns();
    return c && c->formants_found && !c->formants.empty();
}

void CSpectrogramView::log_at_marker() {
    LogEntry e(doc_.path(), LogEntryKind::SpecMarker);
    e.add(pane_->cursor_ms());
    e.add(pane_->cursor_hz());
    add_to_log(doc_.services().session, e);
}

void CSpectrogramView::log_duration() {
    const CSpectrogramPane& p = *pane_;
    LogEntry e(doc_.path(), LogEntryKind::SpecDuration);
    e.add(p.selection_start_ms());
    e.add(p.selection_end_ms());
    e.add(p.selection_end_ms() - p.selection_start_ms());
    add_to_log(doc_.services().session, e);
}

void CSpectrogramView::log_formants_at_marker() {
    const CSpectrogramPane& p = *pane_;
    LogEntry e(doc_.path(), LogEntryKind::SpecFormantsMarker);
    e.add(p.cursor_ms());
    add_formants(e, p.formants_at(p.cursor_ms()));
    add_to_log(doc_.services().session, e);
}

// One row per formant frame (image column) whose time lies in the selection.
void CSpectrogramView::log_formants_selection() {
    const CSpectrogramPane& p = *pane_;
    const std::string file = doc_.path();
    const SpectrogramColumns& c = *p.columns();
    const double start = p.stretch().start_ms, span = p.stretch().end_ms - start;
    const std::size_t n = c.formants.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double t = start + double(i) * span / double(n);
        if (t < p.selection_start_ms() || t > p.selection_end_ms()) continue;
        LogEntry e(file, LogEntryKind::SpecFormantsDuration);
        e.add(t);
        std::array<int, 5> f{};
        for (int j = 0; j < 5; ++j) f[j] = c.formants[i][j];
        add_formants(e, f);
        if (!add_to_log(doc_.services().session, e)) break;
    }
}

}  // namespace vox
