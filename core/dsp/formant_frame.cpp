// Formants of one frame: pre-emphasis, resampling to the analysis rate,
// Hamming-windowed LPC and the predictor's roots.

#include "core/dsp/formant_frame.h"

#include <algorithm>
#include <cmath>

#include "core/dsp/math_func.h"

namespace vox {

int lpc_frame_samples(double fs, int p) {
    return std::max(static_cast<int>(fs / 1000.0 * p), static_cast<int>(kMinLpcFrameMs * fs / 1000.0));
}

int spectrogram_lpc_frame_samples(double fs, int p) {
    return std::max(static_cast<int>(fs / 1000.0) * p, static_cast<int>(kMinLpcFrameMs * fs / 1000.0));
}

double formant_preemphasis(double fs) { return fs > 0.0 ? std::exp(-kDspTwoPi * 50.0 / fs) : 0.0; }

double formant_analysis_rate(double fs) { return fs > kFormantAnalysisRate ? kFormantAnalysisRate : fs; }

int formant_analysis_order(double fs, int p) {
    const double fa = formant_analysis_rate(fs);
    if (fa >= fs) return p;
    // Pairs of poles in proportion to the band kept, rounded down (a spare
    // pair splits a formant in two); 0.1 of a pair is forgiven so that the
    // "Defaults" order of every rate above 11025 Hz keeps 6 pairs.
    return std::max(4, static_cast<int>(std::floor(p * fa / fs / 2.0 + 0.1)) * 2);
}

std::vector<double> resample_down(const double* x, int n, double fs, double fa) {
    if (n <= 0 || fa <= 0.0 || fa >= fs) return std::vector<double>(x, x + std::max(n, 0));
    const double ratio = fs / fa;
    const double fc = 0.45 * fa / fs;  // cut-off in cycles per input sample
    const int half = static_cast<int>(std::ceil(8.0 * ratio));
    const std::size_t m = static_cast<std::size_t>(n / ratio);
    std::vector<double> y(m, 0.0);
    for (std::size_t k = 0; k < m; ++k) {
        const double c = static_cast<double>(k) * ratio;
        const long centre = static_cast<long>(std::floor(c));
        double s = 0.0;
        for (long j = std::max(0L, centre - half); j <= std::min(static_cast<long>(n) - 1, centre + half); ++j) {
            const double t = static_cast<double>(j) - c;
            const double w = 0.5 + 0.5 * std::cos(kDspPi * t / (half + 1));
            const double h = t == 0.0 ? 2.0 * fc : std::sin(kDspTwoPi * fc * t) / (kDspPi * t);
            s += x[j] * h * w;
        }
        y[k] = s;
    }
    return y;
}

const FormantResult* FormantsOfFrame(CMathFunc& mf, const double* x, int n, double fs, int p, double mu) {
    if (n < 2 || p < 1 || !(fs > 0.0)) return nullptr;
    std::vector<double> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) y[i] = mu > 0.0 ? x[i + 1] - mu * x[i] : x[i];
    const double fa = formant_analysis_rate(fs);
    const int order = formant_analysis_order(fs, p);
    std::vector<double> frame = fa < fs ? resample_down(y.data(), n, fs, fa) : std::move(y);
    const int m = static_cast<int>(frame.size());
    if (m < 2) return nullptr;
    frame.resize(frame.size() + 1, 0.0);
    return mf.LpcSpectrumDb(frame.data(), order, m, 0.0, 1, false, 0, fa / 2.0, fa, true, true);
}

}  // namespace vox
