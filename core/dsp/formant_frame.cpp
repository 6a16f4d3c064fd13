// Formants of one frame: pre-emphasis, resampling to the analysis rate,
// Hamming-windowed LPC, the predictor's roots and the peaks of its envelope.

#include "core/dsp/formant_frame.h"

#include <algorithm>
#include <cmath>
#include <complex>

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
    // The sinc's sine and the Hann window's cosine advance by a fixed angle
    // a tap (t grows by 1): each is rotated from the first tap of an output
    // instead of evaluated at every tap (the values agree to 1e−13).
    const double a_sinc = kDspTwoPi * fc, a_hann = kDspPi / (half + 1);
    const double cs = std::cos(a_sinc), ss = std::sin(a_sinc), ch = std::cos(a_hann), sh = std::sin(a_hann);
    std::vector<double> y(m, 0.0);
    for (std::size_t k = 0; k < m; ++k) {
        const double c = static_cast<double>(k) * ratio;
        const long centre = static_cast<long>(std::floor(c));
        const long first = std::max(0L, centre - half), last = std::min(static_cast<long>(n) - 1, centre + half);
        const double t0 = static_cast<double>(first) - c;
        double sin_s = std::sin(a_sinc * t0), cos_s = std::cos(a_sinc * t0);
        double sin_h = std::sin(a_hann * t0), cos_h = std::cos(a_hann * t0);
        double s = 0.0;
        for (long j = first; j <= last; ++j) {
            const double t = static_cast<double>(j) - c;
            const double w = 0.5 + 0.5 * cos_h;
            // Near t = 0 the rotated sine's rounding would be divided by a
            // tiny t: the tap nearest the output is evaluated directly.
            const double h = t == 0.0 ? 2.0 * fc
                             : std::fabs(t) < 0.5 ? std::sin(a_sinc * t) / (kDspPi * t)
                                                  : sin_s / (kDspPi * t);
            s += x[j] * h * w;
            const double next_s = sin_s * cs + cos_s * ss;
            cos_s = cos_s * cs - sin_s * ss;
            sin_s = next_s;
            const double next_h = sin_h * ch + cos_h * sh;
            cos_h = cos_h * ch - sin_h * sh;
            sin_h = next_h;
        }
        y[k] = s;
    }
    return y;
}

namespace {

// A root this narrow (Hz) is a formant by itself.
constexpr double kNarrowBandwidth = 600.0;
// Grid of the envelope's peak search over 0 … fs/2 (about 11 Hz a step at
// 11025 Hz).
constexpr int kEnvelopeSteps = 512;

// Frequencies (Hz) of the local maxima of the all-pole envelope
// 1/|A(e^jω)|² of a[0..p] at rate fs, 0 Hz and fs/2 excluded; only those
// between f_from and f_to (Hz) when given.
std::vector<double> envelope_peaks(const double* a, int p, double fs, double f_from = 0.0, double f_to = 1e300) {
    static const std::vector<std::complex<double>> zinv = [] {  // e^(−jω) on the grid
        std::vector<std::complex<double>> z(kEnvelopeSteps + 1);
        for (int k = 0; k <= kEnvelopeSteps; ++k) z[static_cast<std::size_t>(k)] = std::polar(1.0, -kDspPi * k / kEnvelopeSteps);
        return z;
    }();
    // Grid steps k0 … k1 cover the interval with one step to spare each side.
    const double step_hz = fs / 2.0 / kEnvelopeSteps;
    const int k0 = std::max(0, static_cast<int>(std::floor(f_from / step_hz)) - 1);
    const int k1 = std::min(kEnvelopeSteps, static_cast<int>(std::min(std::ceil(f_to / step_hz), 1e9)) + 1);
    std::vector<double> inverse(kEnvelopeSteps + 1);  // |A|², low at a peak
    for (int k = k0; k <= k1; ++k) {
        const double wr = zinv[static_cast<std::size_t>(k)].real(), wi = zinv[static_cast<std::size_t>(k)].imag();
        double vr = a[p], vi = 0.0;  // Horner's rule in z^−1
        for (int i = p - 1; i >= 0; --i) {
            const double r = vr * wr - vi * wi + a[i];
            vi = vr * wi + vi * wr;
            vr = r;
        }
        inverse[static_cast<std::size_t>(k)] = vr * vr + vi * vi;
    }
    std::vector<double> peaks;
    for (int k = std::max(1, k0 + 1); k < std::min(kEnvelopeSteps, k1); ++k)
        if (inverse[k] < inverse[k - 1] && inverse[k] <= inverse[k + 1]) peaks.push_back(k * step_hz);
    return peaks;
}

}  // namespace

bool formant_slot_accepted(double f, double b, bool lowest_at_peak) {
    return (b + 0.5) * 2.0 <= f + 0.5 || (lowest_at_peak && f > 0.0 && b <= f);
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
    const FormantResult* fr = mf.LpcSpectrumDb(frame.data(), order, m, 0.0, 1, false, 0, fa / 2.0, fa, true, true);
    if (!fr) return nullptr;
    // A root wider than 600 Hz is still a formant when it makes a peak of
    // the envelope (it is the root nearest that peak): noise lifts the floor
    // around a weak formant (an F3 40 dB under F1, in noise 30 dB down) and
    // widens its root to 500–800 Hz while the envelope still peaks there; the
    // wide roots that only shape the tilt make no peak of their own. This
    // holds while the order leaves no poles to spare, at most a pair per kHz
    // of band and a pair for the source (12 at 11025 Hz): spare poles settle
    // on ripples of the noise and make small peaks of their own (order 12 at
    // 8 kHz), so a wide root is then no evidence of a formant.
    const int count = fr->factor_count;
    std::vector<double> freq(static_cast<std::size_t>(count)), bw(static_cast<std::size_t>(count));
    std::vector<bool> keep(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < freq.size(); ++i) {
        const QuadraticFactor& q = fr->factors[i];
        const FormantValue fv = CMathFunc::QuadraticToFormant(q.c1, q.c0, fa);
        freq[i] = fv.frequency;
        bw[i] = fv.bandwidth;
        keep[i] = fv.bandwidth <= kNarrowBandwidth;
    }
    // Each peak of the envelope belongs to the root nearest it. The peaks
    // are wanted for the wide roots of a low order, and for the lowest root
    // kept when it is wider than half its frequency (formant_slot_accepted
    // takes it only at a peak); otherwise they are not computed (they would
    // add a sixth to a spectrogram's time at 8 kHz).
    const LpcResult& lpc = mf.last_lpc();
    const bool low_order = lpc.order <= fa / 1000.0 + 2.0;
    auto lowest_kept = [&] {  // freq.size() when none is kept
        std::size_t low = freq.size();
        for (std::size_t i = 0; i < freq.size(); ++i)
            if (keep[i] && (low == freq.size() || freq[i] < freq[low])) low = i;
        return low;
    };
    std::size_t lowest = lowest_kept();
    const bool wide_lowest = lowest < freq.size() && !formant_slot_accepted(freq[lowest], bw[lowest], false);
    std::vector<bool> at_peak(freq.size(), false);
    if (low_order || wide_lowest) {
        // For the lowest root alone, only the peaks nearer it than any other
        // root can belong to it: the envelope is searched between the
        // midpoints to its neighbours.
        double f_from = 0.0, f_to = 1e300;
        if (!low_order) {
            for (std::size_t i = 0; i < freq.size(); ++i) {
                if (i == lowest) continue;
                const double mid = (freq[i] + freq[lowest]) / 2.0;
                if (freq[i] <= freq[lowest]) f_from = std::max(f_from, mid);
                else f_to = std::min(f_to, mid);
            }
        }
        for (double peak : envelope_peaks(lpc.a.data(), lpc.order, fa, f_from, f_to)) {
            std::size_t nearest = freq.size();
            for (std::size_t i = 0; i < freq.size(); ++i)
                if (nearest == freq.size() || std::fabs(freq[i] - peak) < std::fabs(freq[nearest] - peak)) nearest = i;
            if (nearest < freq.size()) at_peak[nearest] = true;
        }
    }
    if (low_order) {
        for (std::size_t i = 0; i < freq.size(); ++i) keep[i] = keep[i] || at_peak[i];
        lowest = lowest_kept();
    }
    return mf.KeepFormants(keep, fa, lowest < freq.size() && at_peak[lowest]);
}

}  // namespace vox
