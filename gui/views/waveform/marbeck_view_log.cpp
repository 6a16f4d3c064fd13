// Measurement-log entry commands of the waveform view and its "Log Option"
// dialog. Each entry command is enabled only while the log window exists
// and what it measures is there (a selection, a cursor, labels).
#include <algorithm>
#include <cmath>

#include "core/annotation/measurement_log.h"
#include "core/dsp/math_func.h"
#include "core/dsp/pitch_tracker.h"
#include "gui/annotation/frame_log.h"
#include "gui/annotation/option_log.h"
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

namespace {

bool any_label(const CChannels& ch) {
    return std::any_of(ch.tiers.begin(), ch.tiers.end(), [](const Tier& t) { return !t.labels.empty(); });
}

}  // namespace

std::optional<bool> CMarbeckView::log_command_enabled(CommandId id) const {
    const bool data = has_data();
    const bool log = data && CFrameLog::current() != nullptr;
    switch (id) {
    case CommandId::OptionsLog: return data;
    case CommandId::LogEnterDuration:
    case CommandId::LogEnterPitchSelection:
    case CommandId::LogEnterLabelsSelection:
        return log && selection_;
    case CommandId::LogEnterPitchAtMarker: return log && cursor_;
    case CommandId::LogEnterPitchAll: return log;
    case CommandId::LogEnterLabelsAll: return log && any_label(first());
    default: return std::nullopt;
    }
}

bool CMarbeckView::log_handle_command(CommandId id) {
    const auto enabled = log_command_enabled(id);
    if (!enabled) return false;
    if (!*enabled) return true;
    const std::string file = doc_.path();
    const CChannels& ch = first();
    // The intensity cell is filled only while the contour is shown.
    const bool show_int = !intensity_.empty();
    auto add_pitch_values = [&](LogEntry& e, double ms, double hz) {
        e.add(ms);
        e.add(hz);
        if (show_int) e.add(intensity_at(ms));
        else e.add_text("");
    };

    switch (id) {
    case CommandId::OptionsLog: {
        COptionLog dlg(doc_.options.log_step_hz, doc_.prompts(), this);
        if (dlg.exec() != QDialog::Accepted) return true;
        doc_.options.log_step_hz = dlg.step_hz();
        emit configPatchRequested(ConfigGroup::Log);
        return true;
    }
    case CommandId::LogEnterDuration: {
        LogEntry e(file, LogEntryKind::Duration);
        e.add(ch.sel_lo_ms);
        e.add(ch.sel_hi_ms);
        e.add(ch.sel_length_ms);
        CFrameLog::add_to_current(e);
        return true;
    }
    case CommandId::LogEnterPitchAtMarker: {
        LogEntry e(file, LogEntryKind::PitchMarker);
        add_pitch_values(e, ch.marker_ms, pitch_at(ch.marker_ms));
        CFrameLog::add_to_current(e);
        return true;
    }
    case CommandId::LogEnterPitchSelection:
    case CommandId::LogEnterPitchAll: {
        const bool all = id == CommandId::LogEnterPitchAll;
        const ViewRange want = all ? range_all() : range_selection();
        // The view's own contour when it covers the range, else one
        // computed for the range alone (the display keeps its contour).
        PitchTrack track = pitch_;
        const bool covers =
            !pitch_.empty() && pitch_range_.start_ms <= want.start_ms && pitch_range_.end_ms >= want.end_ms;
        if (!covers) {
            track = PitchTrack{};
            const double first_sample = std::max(0.0, std::floor(want.first_sample));
            const double count = std::max(0.0, std::floor(want.last_sample - first_sample));
            if (count <= 0.0) return true;
            try {
                PitchOutcome out = ComputePitch(doc_, 0, static_cast<std::uint64_t>(first_sample),
                                                static_cast<std::uint64_t>(count), doc_.options.pitch,
                                                doc_.progress());
                if (!out.track) {
                    if (out.failure == PitchFailure::BadRange)
                        doc_.prompts().message(dsp_text::kBadParameters, MessageIcon::Error);
                    return true;
                }
                track = std::move(*out.track);
            } catch (const AnalysisAbandoned&) {
                return true;
            } catch (const std::bad_alloc&) {
                return true;
            }
        }
        const auto [first, last] = track.indices_between(want.start_ms, want.end_ms);
        for (std::size_t i = first; i < last; ++i) {
            const double t = track.time_ms(i);
            LogEntry e(file, all ? LogEntryKind::PitchAll : LogEntryKind::PitchSelection);
            add_pitch_values(e, t, track.f0[i] > 0.0 ? track.f0[i] : 0.0);  // unvoiced frames read 0
            if (!CFrameLog::add_to_current(e)) break;
        }
        return true;
    }
    case CommandId::LogEnterLabelsSelection:
    case CommandId::LogEnterLabelsAll: {
        const bool all = id == CommandId::LogEnterLabelsAll;
        for (const Tier& tier : ch.tiers)
            for (const LABEL& l : tier.labels) {
                if (!all && (l.time_ms < ch.sel_lo_ms || l.time_ms > ch.sel_hi_ms)) continue;
                LogEntry e(file, all ? LogEntryKind::LabelsAll : LogEntryKind::LabelsSelection);
                e.add_text(tier.name);
                e.add_text(l.text_string());
                add_pitch_values(e, l.time_ms, pitch_at(l.time_ms));
                if (!CFrameLog::add_to_current(e)) return true;
            }
        return true;
    }
    default:
        return false;
    }
}

}  // namespace vox
