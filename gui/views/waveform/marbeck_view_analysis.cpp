// Commands of the waveform view that open the spectrogram and FFT/LPC views
// and edit their options.
#include <algorithm>

#include "gui/views/analysis/analysis_options.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/marbeck_view.h"

namespace vox {

void CMarbeckView::open_spectrogram(const ViewRange& r) {
    OpenSpectrogram(*this, SpectrogramStretch{r.first_sample, r.last_sample, r.start_ms, r.end_ms});
}

// "FFT/LPC" at the cursor or "FFT/LPC Selection".
void CMarbeckView::open_fft_lpc(bool selection) {
    auto sample = [this](double s) {
        return static_cast<std::uint64_t>(std::clamp(s, 0.0, std::max(0.0, first().sample_count - 1.0)));
    };
    FftLpcStretch st;
    if (selection) {
        st.selection = true;
        st.sel_start = sample(first().sel_lo_sample);
        st.sel_end = sample(first().sel_hi_sample);
    } else {
        st.frame_start = sample(first().marker_sample);
    }
    OpenFftLpc(doc_, AreaOf(this), st);
}

void CMarbeckView::do_spectrogram_options() {
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : first().sample_rate;
    COptionSpectrogram dlg(doc_.options.spectrogram, rate, doc_.prompts(), this);
    if (dlg.exec() != QDialog::Accepted) return;
    doc_.options.spectrogram = dlg.options();
    doc_.options.spectrogram_chosen = spectrogram_choices(dlg.options(), rate);
    emit configPatchRequested(ConfigGroup::Spectrogram);
}

void CMarbeckView::do_fft_lpc_options() {
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : first().sample_rate;
    COptionFFTLPC dlg(doc_.options.fft_lpc, rate, doc_.prompts(), this);
    if (dlg.exec() != QDialog::Accepted) return;
    doc_.options.fft_lpc = dlg.options();
    doc_.options.fft_lpc_chosen = fft_lpc_choices(dlg.options(), rate);
    emit configPatchRequested(ConfigGroup::FftLpc);
}

}  // namespace vox
