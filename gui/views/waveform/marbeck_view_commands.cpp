// The waveform view's commands: each command's enable test beside its
// handler. The handlers live with their group (marbeck_view_<group>.cpp).
#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/view_sound.h"

#include "core/annotation/log_target.h"

namespace vox {

CommandTable CMarbeckView::make_commands() {
    using C = CommandId;
    // Most commands need samples; edits, labels and playback also wait for
    // a recording to end.
    const auto data = [this] { return has_data(); };
    const auto data_sel = [this] { return has_data() && selection_; };
    const auto data_cur = [this] { return has_data() && cursor_; };
    const auto idle = [this] { return has_data() && !recording_sound(); };
    const auto idle_sel = [this] { return has_data() && !recording_sound() && selection_; };
    const auto idle_cur = [this] { return has_data() && !recording_sound() && cursor_; };
    // The log entries need the log window too.
    const auto log = [this] { return has_data() && open_log(doc_.services().session) != nullptr; };
    const auto log_sel = [this] { return has_data() && open_log(doc_.services().session) != nullptr && selection_; };

    CommandTable t = {
        // File: bitmaps and printing
        {C::FileSaveBmp, data, [this] { do_save_bitmap(); }},
        {C::FileSaveScreenBmp, data, [this] { do_save_screen_bitmap(); }},
        {C::FilePrint, data, [this] { do_print(false); }},
        {C::FilePrintPreview, data, [this] { do_print(true); }},
        // Edit
        {C::EditUndo, [idle, this] { return idle() && undo_available(); }, [this] { edit_undo(); }},
        {C::EditCut, idle_sel, [this] { edit_cut(); }},
        {C::EditCopy, idle_sel, [this] { edit_copy(); }},
        {C::EditPaste, [this] { return paste_available(); }, [this] { edit_paste(); }},
        {C::EditClearToReference, idle_sel, [this] { edit_clear_to_reference(); }},
        {C::EditSelectWindow, data, [this] { select_window(); }},
        {C::EditSelectAll, data, [this] { select_all(); }},
        // Zoom
        {C::ZoomUnZoom, idle, [this] { zoom_command(C::ZoomUnZoom); }},
        {C::ZoomIn, idle, [this] { zoom_command(C::ZoomIn); }},
        {C::ZoomOut, [idle, this] { return idle() && zoomed_; }, [this] { zoom_command(C::ZoomOut); }},
        {C::ZoomSelection, idle_sel, [this] { zoom_command(C::ZoomSelection); }},
        {C::ZoomFromCursor, idle_cur, [this] { zoom_command(C::ZoomFromCursor); }},
        {C::ZoomHome, idle, [this] { zoom_command(C::ZoomHome); }},
        // Reference/Gain
        {C::ReferenceGain, idle, [this] { do_reference_gain(); }},
        {C::SetReferenceAll, idle_cur, [this] { set_reference_all(false); }},
        // Record/Play
        {C::Record, [this] { return sound_->record_available(); }, [this] { sound_->record(); }},
        {C::PlayAll, idle, [this] { sound_->play(C::PlayAll); }},
        {C::PlaySelection, idle_sel, [this] { sound_->play(C::PlaySelection); }},
        {C::PlayWindow, idle, [this] { sound_->play(C::PlayWindow); }},
        // Analysis
        {C::FftLpc, data_cur, [this] { open_fft_lpc(false); }},
        {C::FftLpcSelection, data_sel, [this] { open_fft_lpc(true); }},
        {C::SpectrogramAll, data, [this] { open_spectrogram(range_all()); }},
        {C::SpectrogramSelection, data_sel, [this] { open_spectrogram(range_selection()); }},
        {C::SpectrogramWindow, data, [this] { open_spectrogram(range_window()); }},
        {C::PitchAll, data, [this] { compute_pitch(range_all()); }},
        {C::PitchSelection, data_sel, [this] { compute_pitch(range_selection()); }},
        {C::PitchWindow, data, [this] { compute_pitch(range_window()); }},
        {C::Intensity, data, [this] { compute_intensity(); }},
        {C::Smooth, idle, [this] { do_smooth(); }},
        // Tiers/Labels
        {C::TiersSetModify, idle, [this] { do_tiers_option(); }},
        {C::TiersImportLabels, idle, [this] { do_import_labels(); }},
        {C::TiersViewLabels, idle, [this] { open_label_table(); }},
        {C::TiersImportTextGrid, idle, [this] { do_import_textgrid(); }},
        {C::TiersExportTextGrid, [idle, this] { return idle() && has_labels(); }, [this] { do_export_textgrid(); }},
        // Log entries
        {C::LogEnterDuration, log_sel, [this] { log_duration(); }},
        {C::LogEnterPitchAtMarker, [log, this] { return log() && cursor_; }, [this] { log_pitch_at_marker(); }},
        {C::LogEnterPitchSelection, log_sel, [this] { log_pitch(false); }},
        {C::LogEnterPitchAll, log, [this] { log_pitch(true); }},
        {C::LogEnterLabelsSelection, log_sel, [this] { log_labels(false); }},
        {C::LogEnterLabelsAll, [log, this] { return log() && has_labels(); }, [this] { log_labels(true); }},
        // Options
        {C::OptionsDisplay, data, [this] { do_display_options(); }},
        {C::OptionsZoom, idle, [this] { do_zoom_option(); }},
        {C::OptionsFftLpc, data, [this] { do_fft_lpc_options(); }},
        {C::OptionsSpectrogram, data, [this] { do_spectrogram_options(); }},
        {C::OptionsPitch, data, [this] { do_pitch_options(); }},
        {C::OptionsIntensity, data, [this] { do_intensity_options(); }},
        {C::OptionsLog, data, [this] { do_log_option(); }},
    };
    // Every command but recording and playing ends a playback first.
    for (Command& c : t)
        if (c.id != C::Record && c.id != C::PlayAll && c.id != C::PlaySelection && c.id != C::PlayWindow)
            c.run = [this, run = std::move(c.run)] {
                stop_playback();
                run();
            };
    return t;
}

}  // namespace vox
