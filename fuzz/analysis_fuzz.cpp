// Whatever the open chain accepts is analysed as the views and the CLI
// analyse it: pitch by both methods, intensity, an FFT/LPC slice and its
// selection average, and spectrogram columns with formants, each with the
// options a new document takes for the file's rate.
#include <algorithm>

#include "core/document/channel_analysis.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/intensity.h"
#include "core/dsp/pitch_tracker.h"
#include "core/dsp/spectrogram.h"
#include "core/platform/progress.h"
#include "fuzz/fuzz_support.h"

namespace {

void analyse(vox::CMarbeckDoc& doc) {
    using namespace vox;
    CChannels& ch = doc.channels[0];
    const double fs = ch.sample_rate;
    const double count = ch.sample_count;
    // The open chain takes rates of 1 Hz … 1 MHz; keep each run short.
    if (!(fs >= 1.0 && fs <= 1e6) || !(count >= 1.0) || count > 400000.0) return;
    NullProgress progress;
    const auto n = static_cast<std::uint64_t>(count);

    for (int method : {1, 0}) {
        PitchOptions po = doc.options.pitch;
        po.cepstral = method;
        // At low rates a 10 ms step is a sample or two: bound the frames by
        // tracking at most two seconds (and at least 2000 samples).
        const std::uint64_t span = std::min<std::uint64_t>(n, std::max<std::uint64_t>(2000, static_cast<std::uint64_t>(2.0 * fs)));
        ComputePitch(doc, 0, 0, span, po, progress, 1);
    }
    ComputeChannelIntensity(doc, 0, doc.options.intensity, progress, 1);

    SampleSource src = channel_source(doc, 0);
    SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = n / 2;
    rq.out_points = 32;
    rq.options = doc.options.fft_lpc;
    ComputeFftLpcSlice(src, rq, &doc.prompts());
    rq.selection = true;
    rq.sel_start = 0;
    rq.sel_end = std::min<std::uint64_t>(n, static_cast<std::uint64_t>(0.05 * fs) + 1);
    ComputeFftLpcSlice(src, rq, &doc.prompts());

    const SpectrogramOptions& so = doc.options.spectrogram;
    if (check_spectrogram_setup(fs, so.frequency_range_hz, so.formant_lpc_coefficients)) return;
    SpectrogramSetup su;
    su.total = count;
    su.rate = fs;
    su.last = count;
    su.end_ms = ch.duration_ms;
    su.window = so.analysis_points;
    su.dynamic_range = so.dynamic_range_db;
    su.pre_emphasis = so.pre_emphasis;
    su.frequency_range = so.frequency_range_hz;
    su.formants = true;
    // At most order 100: the rate's own order reaches 400 near 1 MHz, whose
    // 0.4 s LPC frames would outlast the run's time limit without finding
    // anything a lower order does not.
    su.lpc_order = std::min(so.formant_lpc_coefficients, 100);
    su.columns = 8;
    su.rows = 16;
    ComputeSpectrogram(src, su, progress, &doc.prompts(), 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vox::fuzz::open_bytes(data, size, nullptr, analyse);
    return 0;
}
