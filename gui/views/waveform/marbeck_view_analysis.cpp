// Commands of the waveform view that open the spectrogram and FFT/LPC views
// and edit their options.
#include <algorithm>

#include "gui/views/analysis/analysis_options.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

std::optional<bool> CMarbeckView::analysis_command_enabled(CommandId id) const {
    const bool data = has_data();
    switch (id) {
    case CommandId::SpectrogramAll:
    case CommandId::SpectrogramWindow:
    case CommandId::OptionsSpectrogram:
    case CommandId::OptionsFftLpc:
        return data;
    case CommandId::SpectrogramSelection:
    case CommandId::FftLpcSelection:
        return data && selection_;
    case CommandId::FftLpc:
        return data && cursor_;
    default:
        return std::nullopt;
    }
}

bool CMarbeckView::analysis_handle_command(CommandId id) {
    const auto enabled = analysis_command_enabled(id);
    if (!enabled || !*enabled) return false;
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : first().sample_rate;
    auto stretch_of = [](const ViewRange& r) {
        return SpectrogramStretch{r.first_sample, r.last_sample, r.start_ms, r.end_ms};
    };
    auto sample = [this](double s) {
        return static_cast<std::uint64_t>(std::clamp(s, 0.0, std::max(0.0, first().sample_count - 1.0)));
    };
    switch (id) {
    case CommandId::SpectrogramAll: OpenSpectrogram(*this, stretch_of(range_all())); return true;
    case CommandId::SpectrogramSelection: OpenSpectrogram(*this, stretch_of(range_selection())); return true;
    case CommandId::SpectrogramWindow: OpenSpectrogram(*this, stretch_of(range_window())); return true;
    case CommandId::FftLpc: {
        FftLpcStretch st;
        st.frame_start = sample(first().marker_sample);
        OpenFftLpc(doc_, AreaOf(this), st);
        return true;
    }
    case CommandId::FftLpcSelection: {
        FftLpcStretch st;
        st.selection = true;
        st.sel_start = sample(first().sel_lo_sample);
        st.sel_end = sample(first().sel_hi_sample);
        OpenFftLpc(doc_, AreaOf(this), st);
        return true;
    }
    case CommandId::OptionsSpectrogram: {
        COptionSpectrogram dlg(doc_.options.spectrogram, rate, doc_.prompts(), this);
        if (dlg.exec() != QDialog::Accepted) return true;
        doc_.options.spectrogram = dlg.options();
        doc_.options.spectrogram_chosen = spectrogram_choices(dlg.options(), rate);
        emit configPatchRequested(ConfigGroup::Spectrogram);
        return true;
    }
    case CommandId::OptionsFftLpc: {
        COptionFFTLPC dlg(doc_.options.fft_lpc, rate, doc_.prompts(), this);
        if (dlg.exec() != QDialog::Accepted) return true;
        doc_.options.fft_lpc = dlg.options();
        doc_.options.fft_lpc_chosen = fft_lpc_choices(dlg.options(), rate);
        emit configPatchRequested(ConfigGroup::FftLpc);
        return true;
    }
    default:
        return false;
    }
}

}  // namespace vox
