// CMathFunc: FFT, window and pre-emphasis, power and LPC spectra, LPC
// analysis, splines and frame energies. Formant factoring lives in
// math_func_formants.cpp, the pitch routines in math_func_pitch.cpp.

#include "core/dsp/math_func.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <new>

#include "core/platform/user_prompts.h"

namespace vox {

namespace {

constexpr int kFftCapacity = CMathFunc::kMaxFftPoints + CMathFunc::kFftSpare;

double db_or_zero(double power) { return power == 0.0 ? 0.0 : 10.0 * std::log10(power); }

}  // namespace

CMathFunc::CMathFunc(std::ostream* console, UserPrompts* prompts)
    : console_(console), prompts_(prompts),
      re_(kFftCapacity, 0.0), im_(kFftCapacity, 0.0), win_(kFftCapacity, 0.0),
      tw_re_(kMaxFftPoints, 0.0), tw_im_(kMaxFftPoints, 0.0),
      acf_(kMaxLpcOrder + 2, 0.0), gen_e_(kMaxLpcOrder + 2, 0.0), gen_f_(kMaxLpcOrder + 2, 0.0),
      poly_(kMaxLpcOrder + 2, 0.0), poly_out_(kMaxLpcOrder + 2, 0.0) {
    // Stage with half-span h uses u_k = cos(πk/h) − i·sin(πk/h), k < h; the
    // table of that stage starts at h − 1.
    for (int h = 1; h <= kMaxFftPoints / 2; h *= 2) {
        for (int k = 0; k < h; ++k) {
            tw_re_[h - 1 + k] = std::cos(kDspPi * k / h);
            tw_im_[h - 1 + k] = -std::sin(kDspPi * k / h);
        }
    }
}

void CMathFunc::report_bad_parameters() {
    if (prompts_) {
        prompts_->beep();
        prompts_->message(dsp_text::kBadParameters);
    }
    throw AnalysisAbandoned(dsp_text::kBadParameters);
}

// ---------------------------------------------------------------------------
// FFT

void CMathFunc::Fft(double* re, double* im, int m) {
    if (m < 1 || m > 13) return;
    const int n = 1 << m;
    // Bit-reversal permutation.
    int j = 0;
    for (int i = 0; i < n - 1; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
    // First stage: the only twiddle is 1.
    for (int p = 0; p < n; p += 2) {
        const double tr = re[p + 1], ti = im[p + 1];
        re[p + 1] = re[p] - tr;
        im[p + 1] = im[p] - ti;
        re[p] += tr;
        im[p] += ti;
    }
    for (int h = 2; h < n; h *= 2) {
        const int span = 2 * h;
        const double* wr = tw_re_.data() + (h - 1);
        const double* wi = tw_im_.data() + (h - 1);
        for (int p0 = 0; p0 < n; p0 += span) {
            double* ar = re + p0;
            double* ai = im + p0;
            double* br = re + p0 + h;
            double* bi = im + p0 + h;
            for (int k = 0; k < h; ++k) {
                const double tr = wr[k] * br[k] - wi[k] * bi[k];
                const double ti = wr[k] * bi[k] + wi[k] * br[k];
                br[k] = ar[k] - tr;
                bi[k] = ai[k] - ti;
                ar[k] += tr;
                ai[k] += ti;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Window and pre-emphasis

const double* CMathFunc::hamming(int n) {
    if (n != win_n_) {
        // The window is as long as the frame (an LPC frame of p ms may be far
        // longer than the largest FFT).
        if (win_.size() < static_cast<std::size_t>(n)) win_.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) win_[i] = 0.54 - 0.46 * std::cos(kDspTwoPi * i / n);
        win_n_ = n;
    }
    return win_.data();
}

void CMathFunc::WindowAndPreemphasis(const double* x, int n, double mu, int windowKind, double* y) {
    if (n <= 0) return;
    const double* w = windowKind == 1 ? hamming(n) : nullptr;
    if (mu > 0.0) {
        for (int i = 0; i < n; ++i) {
            const double v = x[i + 1] - mu * x[i];
            y[i] = w ? v * w[i] : v;
        }
    } else {
        for (int i = 0; i < n; ++i) y[i] = w ? x[i] * w[i] : x[i];
    }
}

// ---------------------------------------------------------------------------
// Power spectrum

void CMathFunc::PowerSpectrumDb(double* x, int n, double mu, int windowKind, bool resample, int outCount, double fMax,
                                double fs) {
    if (n <= 0 || n > kMaxFftPoints) report_bad_parameters();
    int nfft = 2, m = 1;
    while (nfft < n) {
        nfft *= 2;
        ++m;
    }
    double* re = re_.data();
    double* im = im_.data();
    WindowAndPreemphasis(x, n, mu, windowKind, re);
    std::fill(re + n, re + nfft, 0.0);
    std::fill(im, im + nfft, 0.0);
    Fft(re, im, m);
    const int half = n / 2;
    for (int k = 0; k < half; ++k) x[k] = db_or_zero(re[k] * re[k] + im[k] * im[k]);
    if (!resample || outCount <= 0) return;

    if (half < 2) {
        // A single bin: the curve is flat at its level.
        const double v = half == 1 ? x[0] : 0.0;
        for (int i = 0; i < outCount; ++i) x[i] = v;
        return;
    }
    ResampleBySpline(x, half, outCount, fMax, fs);
}

// Replaces x[0 … outCount) by a natural cubic spline through the `half`
// bins x[0 … half) (bin j at j), sampled from 0 to fMax Hz of a spectrum
// whose bins span 0 … fs/2.
void CMathFunc::ResampleBySpline(double* x, int half, int outCount, double fMax, double fs) {
    sx_.resize(half);
    sy_.resize(half);
    sy2_.resize(half);
    for (int j = 0; j < half; ++j) {
        sx_[j] = j;
        sy_[j] = x[j];
    }
    SplineSecondDerivatives(sx_.data(), sy_.data(), half, 1e30, 1e30, sy2_.data());
    const double step = half * (fMax / (fs / 2.0)) / outCount;
    for (int i = 0; i < outCount; ++i) {
        double v;
        if (SplineEvaluate(sx_.data(), sy_.data(), sy2_.data(), half, i * step, v) == 0) x[i] = v;
    }
}

// ---------------------------------------------------------------------------
// LPC

const LpcResult* CMathFunc::LpcAnalysis(const double* x, int n, int p) {
    if (p > kMaxLpcOrder) {
        std::ostream& out = console_ ? *console_ : std::cerr;
        out << dsp_text::kLpcOrderTooLarge;
        p = kMaxLpcOrder;
    }
    if (p < 1) p = 1;
    lpc_ = LpcResult{};
    lpc_.order = p;
    double* r = acf_.data();
    for (int k = 0; k <= p; ++k) {
        double s = 0.0;
        for (int j = 0; j + k < n; ++j) s += x[j] * x[j + k];
        r[k] = s;
    }
    // Schur recursion on the generator pair (E, F).
    double* E = gen_e_.data();
    double* F = gen_f_.data();
    for (int i = 0; i < p; ++i) {
        E[i] = r[i];
        F[i] = r[i + 1];
    }
    auto& kc = lpc_.k;
    kc[1] = -F[0] / E[0];
    E[0] += kc[1] * F[0];
    for (int l = 0; l <= p - 2; ++l) {
        const double kappa = kc[l + 1];
        F[p - 1] += kappa * E[p - 1 - l];
        for (int j = l + 1; j <= p - 2; ++j) {
            const double fj = F[j];
            const double ej = E[j - l];
            F[j] = fj + kappa * ej;
            E[j - l] = ej + kappa * fj;
        }
        kc[l + 2] = -F[l + 1] / E[0];
        E[0] += kc[l + 2] * F[l + 1];
    }
    lpc_.residual = E[0];
    // Step-up to the predictor coefficients.
    auto& a = lpc_.a;
    a[0] = 1.0;
    a[1] = kc[1];
    for (int l = 1; l <= p - 1; ++l) {
        const double kn = kc[l + 1];
        for (int j = 1, jj = l; j <= jj; ++j, --jj) {
            const double aj = a[j];
            const double ajj = a[jj];
            if (j == jj) {
                a[j] = aj + kn * aj;
            } else {
                a[j] = aj + kn * ajj;
                a[jj] = ajj + kn * aj;
            }
        }
        a[l + 1] = kn;
    }
    return &lpc_;
}

const FormantResult* CMathFunc::LpcSpectrumDb(double* x, int p, int n, double mu, int windowKind, bool resample,
                                              int outPoints, double fMax, double fs, bool wantFormants,
                                              bool formantsOnly) {
    if (n <= 0) throw AnalysisAbandoned(dsp_text::kLpcRoutineError);
    if (static_cast<int>(frame_.size()) < n) frame_.resize(n);
    WindowAndPreemphasis(x, n, mu, windowKind, frame_.data());
    LpcAnalysis(frame_.data(), n, p);
    const int order = lpc_.order;
    // A frame without energy has no predictor (r0 = 0 divides by zero).
    bool finite = acf_[0] > 0.0;
    for (int i = 0; finite && i <= order; ++i) finite = std::isfinite(lpc_.a[i]);
    if (!finite) throw AnalysisAbandoned(dsp_text::kLpcRoutineError);

    const FormantResult* result = nullptr;
    if (wantFormants) {
        std::fill(poly_.begin(), poly_.end(), 0.0);
        std::copy(lpc_.a.begin(), lpc_.a.begin() + order + 1, poly_.begin());
        result = FindFormants(order, 600.0, poly_.data(), fs);
        if (formantsOnly) return result;
    }

    double* re = re_.data();
    double* im = im_.data();
    std::fill(re, re + kLpcSpectrumPoints, 0.0);
    std::fill(im, im + kLpcSpectrumPoints, 0.0);
    // Orders of 256 and more fold onto the 256-point grid, which samples the
    // same polynomial on the unit circle.
    for (int i = 0; i <= order; ++i) re[i % kLpcSpectrumPoints] += lpc_.a[i];
    Fft(re, im, 8);
    const int half = kLpcSpectrumPoints / 2;
    for (int k = 0; k < half; ++k) x[k] = db_or_zero(re[k] * re[k] + im[k] * im[k]);
    if (resample && outPoints > 0) ResampleBySpline(x, half, outPoints, fMax, fs);
    return result;
}

// ---------------------------------------------------------------------------
// Cubic spline

void CMathFunc::SplineSecondDerivatives(const double* X, const double* Y, int n, double d1, double dn, double* Y2) {
    if (n < 2) {
        if (n == 1) Y2[0] = 0.0;
        return;
    }
    try {
        swork_.resize(static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        report_bad_parameters();
    }
    double* u = swork_.data();
    if (d1 > 0.99e30) {
        Y2[0] = 0.0;
        u[0] = 0.0;
    } else {
        Y2[0] = -0.5;
        u[0] = (3.0 / (X[1] - X[0])) * ((Y[1] - Y[0]) / (X[1] - X[0]) - d1);
    }
    for (int i = 1; i < n - 1; ++i) {
        const double sig = (X[i] - X[i - 1]) / (X[i + 1] - X[i - 1]);
        const double p = sig * Y2[i - 1] + 2.0;
        Y2[i] = (sig - 1.0) / p;
        double ui = (Y[i + 1] - Y[i]) / (X[i + 1] - X[i]) - (Y[i] - Y[i - 1]) / (X[i] - X[i - 1]);
        u[i] = (6.0 * ui / (X[i + 1] - X[i - 1]) - sig * u[i - 1]) / p;
    }
    double qn, un;
    if (dn > 0.99e30) {
        qn = 0.0;
        un = 0.0;
    } else {
        qn = 0.5;
        un = (3.0 / (X[n - 1] - X[n - 2])) * (dn - (Y[n - 1] - Y[n - 2]) / (X[n - 1] - X[n - 2]));
    }
    Y2[n - 1] = (un - qn * u[n - 2]) / (qn * Y2[n - 2] + 1.0);
    for (int k = n - 2; k >= 0; --k) Y2[k] = Y2[k] * Y2[k + 1] + u[k];
}

void CMathFunc::UnitSplineSecondDerivatives(const double* Y, int n, double* Y2) {
    if (n < 3) {
        // One or two knots: a straight line, no curvature.
        for (int j = 0; j < n; ++j) Y2[j] = 0.0;
        return;
    }
    if (static_cast<int>(unit_pivot_.size()) != n) {
        // With unit spacing sig = 1/2 at every knot; the pivots p and the
        // factors (sig − 1)/p follow from the natural start alone.
        unit_pivot_.assign(static_cast<std::size_t>(n), 0.0);
        unit_back_.assign(static_cast<std::size_t>(n), 0.0);
        double prev = 0.0;
        for (int i = 1; i < n - 1; ++i) {
            const double p = 0.5 * prev + 2.0;
            unit_pivot_[static_cast<std::size_t>(i)] = p;
            unit_back_[static_cast<std::size_t>(i)] = prev = (0.5 - 1.0) / p;
        }
    }
    swork_.resize(std::max<std::size_t>(swork_.size(), static_cast<std::size_t>(n)));
    double* u = swork_.data();
    const double* pivot = unit_pivot_.data();
    u[0] = 0.0;
    for (int i = 1; i < n - 1; ++i) {
        const double ui = (Y[i + 1] - Y[i]) / 1.0 - (Y[i] - Y[i - 1]) / 1.0;
        u[i] = (6.0 * ui / 2.0 - 0.5 * u[i - 1]) / pivot[i];
    }
    Y2[n - 1] = 0.0;
    for (int k = n - 2; k >= 1; --k) Y2[k] = unit_back_[static_cast<std::size_t>(k)] * Y2[k + 1] + u[k];
    Y2[0] = 0.0 * Y2[1] + u[0];
}

int CMathFunc::SplineEvaluate(const double* X, const double* Y, const double* Y2, int n, double x, double& y) {
    if (n < 2) {
        if (n == 1) {
            y = Y[0];
            return 0;
        }
        return 1;
    }
    int klo = 0, khi = n - 1;
    while (khi - klo > 1) {
        const int k = (khi + klo) >> 1;
        if (X[k] > x)
            khi = k;
        else
            klo = k;
    }
    const double h = X[khi] - X[klo];
    if (h == 0.0) return 1;
    const double a = (X[khi] - x) / h;
    const double b = (x - X[klo]) / h;
    y = a * Y[klo] + b * Y[khi] + ((a * a * a - a) * Y2[klo] + (b * b * b - b) * Y2[khi]) * (h * h) / 6.0;
    return 0;
}

// ---------------------------------------------------------------------------
// Energies

namespace {

// Σ (x[j] − offset)², j < n, four partial sums.
double sum_squares(const std::int16_t* x, int n, double offset) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        const double a = x[j] - offset, b = x[j + 1] - offset, c = x[j + 2] - offset, d = x[j + 3] - offset;
        s0 += a * a;
        s1 += b * b;
        s2 += c * c;
        s3 += d * d;
    }
    for (; j < n; ++j) {
        const double a = x[j] - offset;
        s0 += a * a;
    }
    return (s0 + s1) + (s2 + s3);
}

double frame_measure(double ms, bool linear) {
    if (ms < 1.0) return 0.0;
    return linear ? ms : 10.0 * std::log10(ms);
}

}  // namespace

EnergyRange CMathFunc::FrameEnergy(const std::int16_t* x, std::size_t available, double* out, double offset,
                                   double start, int n, double step, int count, bool relative, bool linear) {
    EnergyRange range;
    if (count <= 0) return range;
    double lo = 0.0, hi = 0.0;
    for (int i = 0; i < count; ++i) {
        const long long t = static_cast<long long>(start + i * step);
        double v = 0.0;
        if (n > 0 && t >= 0 && static_cast<std::size_t>(t) < available) {
            const long long have = std::min<long long>(n, static_cast<long long>(available) - t);
            v = frame_measure(sum_squares(x + t, static_cast<int>(have), offset) / n, linear);
        }
        out[i] = v;
        if (i == 0 || v < lo) lo = v;
        if (i == 0 || v > hi) hi = v;
    }
    if (relative) {
        for (int i = 0; i < count; ++i) out[i] -= lo;
        range.min = 0.0;
        range.max = hi - lo;
    } else {
        range.min = lo;
        range.max = hi;
    }
    return range;
}

EnergyRange CMathFunc::SampleEnergy(const std::int16_t* x, double* out, double offset, double start, int n,
                                    double step, std::size_t total, bool relative, bool dB) {
    EnergyRange range;
    if (total == 0) return range;
    // Frames i < (total − n)/step whose n samples lie inside total.
    std::vector<double> values;
    std::vector<std::size_t> starts;
    if (n > 0 && step > 0.0 && static_cast<double>(total) > n) {
        const double limit = (static_cast<double>(total) - n) / step;
        for (long long i = 0; i < limit; ++i) {
            const double pos = start + i * step;
            const std::size_t t = static_cast<std::size_t>(pos);
            if (pos < 0.0 || t + static_cast<std::size_t>(n) > total) break;
            starts.push_back(t);
            values.push_back(frame_measure(sum_squares(x + t, n, offset) / n, !dB));
        }
    }
    return SpreadFrameValues(starts.data(), values.data(), starts.size(), n, total, relative, out);
}

double CMathFunc::FrameMeasure(const std::int16_t* x, int n, double offset, bool linear) {
    return frame_measure(sum_squares(x, n, offset) / n, linear);
}

EnergyRange CMathFunc::SpreadFrameValues(const std::size_t* starts, const double* values, std::size_t frames, int n,
                                         std::size_t total, bool relative, double* out) {
    EnergyRange range;
    if (total == 0) return range;
    // Each sample takes the value of the last frame covering it; samples no
    // frame covers are 0.
    bool any_zero = false;
    double lo = 0.0, hi = 0.0;
    bool first = true;
    auto see = [&](double v) {
        if (first || v < lo) lo = v;
        if (first || v > hi) hi = v;
        first = false;
    };
    if (frames == 0 || starts[0] > 0) any_zero = true;
    for (std::size_t i = 0; i < frames; ++i) {
        const std::size_t end = starts[i] + n;
        const std::size_t next = i + 1 < frames ? starts[i + 1] : total;
        if (next > starts[i]) see(values[i]);
        if (end < next) any_zero = true;
    }
    if (any_zero) see(0.0);
    const double shift = relative ? lo : 0.0;
    std::size_t pos = 0;
    auto fill = [&](std::size_t to, double v) {
        if (to > total) to = total;
        for (; pos < to; ++pos) out[pos] = v - shift;
    };
    for (std::size_t i = 0; i < frames; ++i) {
        fill(starts[i], 0.0);
        const std::size_t next = i + 1 < frames ? starts[i + 1] : total;
        fill(std::min(next, starts[i] + n), values[i]);
    }
    fill(total, 0.0);
    if (relative) {
        range.min = 0.0;
        range.max = hi - lo;
    } else {
        range.min = lo;
        range.max = hi;
    }
    return range;
}

}  // namespace vox
