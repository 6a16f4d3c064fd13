// Measurement-log entries of the spectrogram view: time and frequency at the
// cursor, the selection's duration, and the formants of the cursor's frame
// or of every frame in the selection.
#include <algorithm>

#include "core/annotation/measurement_log.h"
#include "core/document/marbeck_doc.h"
#include "gui/annotation/frame_log.h"
#include "gui/views/analysis/spectrogram_pane.h"
#include "gui/views/analysis/spectrogram_view.h"

namespace vox {

namespace {

void add_formants(LogEntry& e, const std::array<int, 5>& f) {
    for (int v : f) e.add(v);
}

}  // namespace

std::optional<bool> CSpectrogramView::log_command_enabled(CommandId id) const {
    const bool log = CFrameLog::current() != nullptr && pane_->computed();
    const SpectrogramColumns* c = pane_->columns();
    const bool formants = c && c->formants_found && !c->formants.empty();
    switch (id) {
    case CommandId::LogEnterAtMarker: return log && pane_->has_cursor();
    case CommandId::LogEnterDuration: return log && pane_->has_selection();
    case CommandId::LogEnterFormantsAtMarker: return log && formants && pane_->has_cursor();
    case CommandId::LogEnterFormantsSelection: return log && formants && pane_->has_selection();
    default: return std::nullopt;
    }
}

bool CSpectrogramView::log_handle_command(CommandId id) {
    const auto enabled = log_command_enabled(id);
    if (!enabled) return false;
    if (!*enabled) return true;
    const CSpectrogramPane& p = *pane_;
    const std::string file = doc_.path();
    switch (id) {
    case CommandId::LogEnterAtMarker: {
        LogEntry e(file, LogEntryKind::SpecMarker);
        e.add(p.cursor_ms());
        e.add(p.cursor_hz());
        CFrameLog::add_to_current(e);
        return true;
    }
    case CommandId::LogEnterDuration: {
        LogEntry e(file, LogEntryKind::SpecDuration);
        e.add(p.selection_start_ms());
        e.add(p.selection_end_ms());
        e.add(p.selection_end_ms() - p.selection_start_ms());
        CFrameLog::add_to_current(e);
        return true;
    }
    case CommandId::LogEnterFormantsAtMarker: {
        LogEntry e(file, LogEntryKind::SpecFormantsMarker);
        e.add(p.cursor_ms());
        add_formants(e, p.formants_at(p.cursor_ms()));
        CFrameLog::add_to_current(e);
        return true;
    }
    case CommandId::LogEnterFormantsSelection: {
        // One row per formant frame (image column) whose time lies in the selection.
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
            if (!CFrameLog::add_to_current(e)) break;
        }
        return true;
    }
    default:
        return false;
    }
}

}  // namespace vox
