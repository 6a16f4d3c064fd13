// Measurement-log entry commands of the waveform view and its "Log Option"
// dialog. Each entry command is enabled only while the log window exists
// and what it measures is there (a selection, a cursor, labels).
#include <algorithm>
#include <cmath>

#include "core/annotation/log_target.h"
#include "core/annotation/measurement_log.h"
#include "core/document/channel_analysis.h"
#include "core/dsp/math_func.h"
#include "core/dsp/pitch_tracker.h"
#include "gui/annotation/option_log.h"
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

bool CMarbeckView::has_labels() const {
    const CChannels& ch = first();
    return std::any_of(ch.tiers.begin(), ch.tiers.end(), [](const Tier& t) { return !t.labels.empty(); });
}

void CMarbeckView::add_pitch_cells(LogEntry& e, double ms, double hz, bool intensity) const {
    e.add(ms);
    e.add(hz);
    if (intensity) e.add(intensity_at(ms));
    else e.add_text("");
}

void CMarbeckView::do_log_option() {
    COptionLog dlg(doc_.options.log_step_hz, doc_.prompts(), this);
    if (dlg.exec() != QDialog::Accepted) return;
    doc_.options.log_step_hz = dlg.step_hz();
    emit configPatchRequested(ConfigGroup::Log);
}

void CMarbeckView::log_duration() {
    const CChannels& ch = first();
    LogEntry e(doc_.path(), LogEntryKind::Duration);
    e.add(ch.sel_lo_ms);
    e.add(ch.sel_hi_ms);
    e.add(ch.sel_length_ms);
    add_to_log(doc_.services().session, e);
}

void CMarbeckView::log_pitch_at_marker() {
    const CChannels& ch = first();
    LogEntry e(doc_.path(), LogEntryKind::PitchMarker);
    add_pitch_cells(e, ch.marker_ms, pitch_at(ch.marker_ms), !intensity_.empty());
    add_to_log(doc_.services().session, e);
}

// "Enter Pitch All" or "Enter Pitch Selection": one row per pitch frame.
void CMarbeckView::log_pitch(bool all) {
    const bool show_int = !intensity_.empty();
    const ViewRange want = all ? range_all() : range_selection();
    // The view's own contour when it covers the range, else one
    // computed for the range alone (the display keeps its contour).
    PitchTrack track = pitch_;
    const bool covers = !pitch_.empty() && pitch_range_.start_ms <= want.start_ms && pitch_range_.end_ms >= want.end_ms;
    if (!covers) {
        track = PitchTrack{};
        const double first_sample = std::max(0.0, std::floor(want.first_sample));
        const double count = std::max(0.0, std::floor(want.last_sample - first_sample));
        if (count <= 0.0) return;
        try {
            PitchOutcome out = ComputePitch(doc_, 0, static_cast<std::uint64_t>(first_sample),
                                            static_cast<std::uint64_t>(count), doc_.options.pitch, doc_.progress());
            if (!out.track) {
                if (out.failure == PitchFailure::BadRange)
                    doc_.prompts().message(dsp_text::kBadParameters, MessageIcon::Error);
                return;
            }
            track = std::move(*out.track);
        } catch (const AnalysisAbandoned&) {
            return;
        } catch (const std::bad_alloc&) {
            return;
        }
    }
    const std::string file = doc_.path();
    const auto [first, last] = track.indices_between(want.start_ms, want.end_ms);
    for (std::size_t i = first; i < last; ++i) {
        const double t = track.time_ms(i);
        LogEntry e(file, all ? LogEntryKind::PitchAll : LogEntryKind::PitchSelection);
        add_pitch_cells(e, t, track.f0[i] > 0.0 ? track.f0[i] : 0.0, show_int);  // unvoiced frames read 0
        if (!add_to_log(doc_.services().session, e)) break;
    }
}

// "Enter Labels All" or "Enter Labels Selection": one row per label.
void CMarbeckView::log_labels(bool all) {
    const bool show_int = !intensity_.empty();
    const CChannels& ch = first();
    const std::string file = doc_.path();
    for (const Tier& tier : ch.tiers)
        for (const LABEL& l : tier.labels) {
            if (!all && (l.time_ms < ch.sel_lo_ms || l.time_ms > ch.sel_hi_ms)) continue;
            LogEntry e(file, all ? LogEntryKind::LabelsAll : LogEntryKind::LabelsSelection);
            e.add_text(tier.name);
            e.add_text(l.text_string());
            add_pitch_cells(e, l.time_ms, pitch_at(l.time_ms), show_int);
            if (!add_to_log(doc_.services().session, e)) return;
        }
}

}  // namespace vox
