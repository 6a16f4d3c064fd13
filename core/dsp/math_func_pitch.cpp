// CMathFunc: the per-frame cepstral pitch and the integer AMDF tracker.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "core/dsp/math_func.h"
#include "core/dsp/parallel.h"

namespace vox {

namespace {

double db_or_zero(double power) { return power == 0.0 ? 0.0 : 10.0 * std::log10(power); }

// Largest value of a natural-spline piece on [j, j+1]: a·Yl + b·Yh is at most
// max(Yl, Yh) and (t³ − t) ≥ −2/(3√3) for t in [0, 1].
constexpr double kCubicDip = 0.38490017945975052 / 6.0;

}  // namespace

// Stages: Hamming window over n samples (zero tail to nfft), FFT, log power
// in dB, FFT again, power cepstrum, quefrency gate [fs/fHigh, fs/fLow),
// natural spline at 0.1-sample steps, first largest positive peak.
double CMathFunc::CepstralPitch(const std::int16_t* samples, long long start, long long regionLength, double fs,
                                double fLow, double fHigh, int nfft, int n) {
    int m = 0;
    switch (nfft) {
        case 128: m = 7; break;
        case 256: m = 8; break;
        case 512: m = 9; break;
        case 1024: m = 10; break;
        case 2048: m = 11; break;
        case 4096: m = 12; break;
        default: return -1.0;
    }
    if (n > nfft) n = nfft;
    if (n <= 0 || fLow <= 0.0 || fHigh <= 0.0 || fs <= 0.0) return 0.0;

    double* re = re_.data();
    double* im = im_.data();
    const double* w = hamming(n);
    const long long avail = std::clamp<long long>(regionLength - start, 0, n);
    const std::int16_t* x = samples + start;
    for (long long i = 0; i < avail; ++i) re[i] = w[i] * x[i];
    std::fill(re + avail, re + nfft, 0.0);
    std::fill(im, im + nfft, 0.0);
    Fft(re, im, m);
    // The input is real, so the power spectrum is even: bins above nfft/2
    // mirror those below (equal to rounding), and only half the logarithms
    // are taken.
    const int halfN = nfft / 2;
    for (int k = 0; k <= halfN; ++k) re[k] = db_or_zero(re[k] * re[k] + im[k] * im[k]);
    for (int k = 1; k < halfN; ++k) re[nfft - k] = re[k];
    std::fill(im, im + nfft, 0.0);
    Fft(re, im, m);

    const int half = nfft / 2;
    const int qLow = static_cast<int>(fs / fHigh);
    const int qHigh = static_cast<int>(fs / fLow);
    const int len = qHigh - qLow;
    if (qLow < 0 || len < 2) return 0.0;
    if (static_cast<int>(sx_.size()) < len) {
        sx_.resize(len);
        sy_.resize(len);
        sy2_.resize(len);
    }
    double* X = sx_.data();
    double* Y = sy_.data();
    double* Y2 = sy2_.data();
    for (int j = 0; j < len; ++j) {
        const int q = qLow + j;
        X[j] = j;
        // Quefrencies past the transform's half are outside the cepstrum.
        Y[j] = q < half ? re[q] * re[q] + im[q] * im[q] : 0.0;
    }
    SplineSecondDerivatives(X, Y, len, 1e30, 1e30, Y2);

    const int z0 = static_cast<int>(10.0 * fs / fHigh);
    const int z1 = static_cast<int>(10.0 * fs / fLow);
    const int mcount = std::max(0, std::min(10 * len, z1 - z0));
    // Fine-table entries are the spline at m/10 (the table is 0 past 10·len).
    // Intervals whose bound lies below the largest knot value cannot hold the
    // peak and are not evaluated; the peak found is the same.
    double knot_max = 0.0;
    for (int j = 0; j < len && 10 * j < mcount; ++j) knot_max = std::max(knot_max, Y[j]);
    double best = 0.0;
    int peak = z1;
    const int last_interval = len - 2;
    int m_i = 0;
    while (m_i < mcount) {
        const int klo = std::min(m_i / 10, last_interval);
        const int m_end = klo == last_interval ? mcount : std::min(mcount, 10 * (klo + 1));
        bool skip = false;
        if (klo < last_interval || m_end <= 10 * (last_interval + 1)) {
            const double bound = std::max(Y[klo], Y[klo + 1]) +
                                 kCubicDip * (std::max(0.0, -Y2[klo]) + std::max(0.0, -Y2[klo + 1]));
            const double slack =
                1e-9 * (std::fabs(Y[klo]) + std::fabs(Y[klo + 1]) + std::fabs(Y2[klo]) + std::fabs(Y2[klo + 1])) + 1e-300;
            skip = bound + slack < knot_max || bound + slack <= best;
        }
        if (!skip) {
            const double xl = X[klo], xh = X[klo + 1];
            const double h = xh - xl;
            for (int mm = m_i; mm < m_end; ++mm) {
                const double xv = mm / 10.0;
                const double a = (xh - xv) / h;
                const double b = (xv - xl) / h;
                const double y =
                    a * Y[klo] + b * Y[klo + 1] + ((a * a * a - a) * Y2[klo] + (b * b * b - b) * Y2[klo + 1]) * (h * h) / 6.0;
                if (y > best) {
                    best = y;
                    peak = z0 + mm;
                }
            }
        }
        m_i = m_end;
    }
    if (peak == 0) peak = 1;
    const double f0 = fs / (peak / 10.0);
    if (f0 > fHigh || f0 < fLow) return 0.0;
    return f0;
}

void CMathFunc::ToAmdfBytes(const std::int16_t* x, std::size_t n, std::uint8_t* out) {
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(x[i] / 256 + 128);
}

bool CMathFunc::TrackPitchAmdf(const std::int16_t* samples, std::size_t count, int fs, int fLow, int fHigh,
                               int continuityPct, int voicingLevel, std::vector<double>& out) {
    if (count < 1100) return false;
    std::vector<std::uint8_t> bytes(count);
    ToAmdfBytes(samples, count, bytes.data());
    return TrackPitchAmdfBytes(bytes.data(), count, fs, fLow, fHigh, continuityPct, voicingLevel, out);
}

void CMathFunc::SmoothTrack(std::int32_t* v, int count, int passes) {
    for (int pass = 0; pass < passes; ++pass) {
        for (int k = count - 1; k >= 0; --k) {
            if (v[k] < 0) continue;
            std::int64_t sum = 3 * static_cast<std::int64_t>(v[k]);
            int w = 3;
            if (k >= 1 && v[k - 1] >= 0) {
                sum += 2 * static_cast<std::int64_t>(v[k - 1]);
                w = 5;
                if (k >= 2 && v[k - 2] >= 0) {
                    sum += v[k - 2];
                    w = 6;
                }
            }
            v[k] = static_cast<std::int32_t>((sum + w / 2) / w);
        }
        for (int k = 0; k < count; ++k) {
            if (v[k] < 0) continue;
            std::int64_t sum = 3 * static_cast<std::int64_t>(v[k]);
            int w = 3;
            if (k + 1 < count && v[k + 1] >= 0) {
                sum += 2 * static_cast<std::int64_t>(v[k + 1]);
                w = 5;
                if (k + 2 < count && v[k + 2] >= 0) {
                    sum += v[k + 2];
                    w = 6;
                }
            }
            v[k] = static_cast<std::int32_t>((sum + w / 2) / w);
        }
    }
}

void CMathFunc::ContinuityAndGaps(std::int32_t* W, int K, int continuityPct, std::int32_t* T) {
    // Runs with single-frame repairs; short runs rejected (−2), the last
    // frame of a kept run flagged.
    std::vector<char> flagged(K, 0);
    int k = 0;
    while (k < K) {
        if (W[k] == -1) {
            ++k;
            continue;
        }
        const int runStart = k;
        int cur = k;
        while (cur + 1 < K && W[cur + 1] != -1) {
            const std::int64_t b = W[cur], c = W[cur + 1];
            const std::int64_t d = b * continuityPct / 100;
            if (std::llabs(b - c) > d) {
                if (cur + 2 < K && W[cur + 2] != -1 && std::llabs(b - W[cur + 2]) <= d) {
                    W[cur + 1] = static_cast<std::int32_t>((b + W[cur + 2]) / 2);
                } else if (cur != runStart && W[cur - 1] != -1 && std::llabs(c - W[cur - 1]) <= d) {
                    W[cur] = static_cast<std::int32_t>((W[cur - 1] + c) / 2);
                } else {
                    break;
                }
            }
            ++cur;
        }
        if (cur - runStart + 1 < 5) {
            for (int i = runStart; i <= cur; ++i) W[i] = -2;
        } else {
            flagged[cur] = 1;
        }
        k = cur + 1;
    }
    for (int i = 0; i < K; ++i)
        if (flagged[i] && i + 1 < K && W[i + 1] >= 0) W[i] = -1;

    // Gap bridging over rejected stretches between two voiced frames.
    static constexpr std::array<int, 8> G{0, 0, 14, 17, 20, 22, 24, 26};
    std::copy(W, W + K, T);
    for (int i = 0; i < K;) {
        if (T[i] != -2) {
            ++i;
            continue;
        }
        int j = i;
        while (j < K && T[j] == -2) ++j;
        const int a = i - 1;
        bool bridged = false;
        if (a >= 0 && T[a] >= 0 && j < K && T[j] != -1 && j - a <= 7) {
            const std::int64_t b = T[a], c = T[j];
            if (std::llabs(b - c) <= (b + c) * G[j - a] * continuityPct / 2000) {
                for (int f = a + 1; f < j; ++f) T[f] = static_cast<std::int32_t>(b + (c - b) * (f - a) / (j - a));
                bridged = true;
            }
        }
        if (!bridged)
            for (int f = i; f < j; ++f) T[f] = -1;
        i = j;
    }

}

// Stages: 8-bit signal, 1 ms moving average, per 100-sample frame a coarse
// AMDF over a ~5 % lag table, a fine AMDF between the winner's neighbours,
// an octave check; energy smoothing and voicing; run continuity with
// repairs, short-run rejection, gap bridging; final smoothing.
bool CMathFunc::TrackPitchAmdfBytes(const std::uint8_t* bytes, std::size_t count, int fs, int fLow, int fHigh,
                                    int continuityPct, int voicingLevel, std::vector<double>& out) {
    if (count < 1100 || fs <= 0 || fLow <= 0 || fHigh <= 0) return false;
    const int minLag = fs / fHigh;
    const int maxLag = fs / fLow;
    const int msLen = fs / 1000;
    if (minLag < 2 || maxLag <= minLag || msLen < 1) return false;

    const int K = static_cast<int>(count / 100);
    std::vector<std::int32_t> pitch(K, -1), E2(K, -1);
    const long long M = (maxLag + msLen) / 2 + 155;
    const long long kFirst = M / 100 + 1;
    const long long kLast = static_cast<long long>(count) < M ? -1 : (static_cast<long long>(count) - M) / 100;

    // Moving average of msLen bytes; the value at c averages the msLen bytes
    // ending msLen/2 after c. Outside the signal the bytes count as silence
    // (128), and y carries a silent margin so that no lag reads outside it.
    constexpr long long kPad = 1024;
    std::vector<std::uint8_t> ybuf(count + 2 * kPad + static_cast<std::size_t>(maxLag), 128);
    std::uint8_t* y = ybuf.data() + kPad;
    {
        const long long n = static_cast<long long>(count);
        const long long half = msLen / 2;
        auto byte_at = [&](long long i) -> long long { return (i >= 0 && i < n) ? bytes[i] : 128; };
        dsp_detail::parallel_for(threads_, n, [&](int, long long b, long long e) {
            long long sum = 0;
            const long long end0 = b + half;  // window [end0 − msLen + 1, end0]
            for (long long j = end0 - msLen + 1; j <= end0; ++j) sum += byte_at(j);
            for (long long c = b; c < e; ++c) {
                y[c] = static_cast<std::uint8_t>(sum / msLen);
                const long long endc = c + half;
                sum += byte_at(endc + 1) - byte_at(endc + 1 - msLen);
            }
        });
    }

    // Lag table, ~5 % apart, with the sentinels minLag − 1 and maxLag + 1.
    std::vector<int> lags{minLag - 1, minLag};
    {
        long long v = static_cast<long long>(minLag) * 256;
        while (lags.back() != maxLag) {
            v = v * 105 / 100;
            const int e = static_cast<int>(std::min<long long>(v / 256, maxLag));
            if (e != lags.back()) lags.push_back(e);
        }
        lags.push_back(maxLag + 1);
    }
    const int lastCoarse = static_cast<int>(lags.size()) - 2;

    auto amdf = [&](long long s, int L, int points, int stride) {
        const std::uint8_t* p = y + (s - L / 2);
        int sum = 0;
        for (int t = 0; t < points; ++t) sum += std::abs(static_cast<int>(p[stride * t]) - static_cast<int>(p[stride * t + L]));
        return sum;
    };

    const long long kEnd = std::min<long long>(kLast, K - 1);
    if (kEnd >= kFirst) {
        dsp_detail::parallel_for(threads_, kEnd - kFirst + 1, [&](int, long long b, long long e) {
            for (long long k = kFirst + b; k < kFirst + e; ++k) {
                const long long s = 100 * k - 150;
                int esum = 0;
                for (int t = 0; t < 32; ++t) esum += std::abs(static_cast<int>(y[s + 10 * t]) - 128);
                E2[k] = 10 * esum / 31;

                int bestJ = 1;
                int bestSum = amdf(s, lags[1], 11, 30);
                for (int j = 2; j <= lastCoarse; ++j) {
                    const int v = amdf(s, lags[j], 11, 30);
                    if (v < bestSum) {
                        bestSum = v;
                        bestJ = j;
                    }
                }
                int f = -1, mval = 0;
                for (int L = lags[bestJ - 1] + 1; L < lags[bestJ + 1]; ++L) {
                    const int v = amdf(s, L, 25, 12);
                    if (f < 0 || v < mval) {
                        mval = v;
                        f = L;
                    }
                }
                if (f >= 2 * minLag && 2 * amdf(s, f / 2, 25, 12) < 3 * mval)
                    f = f / 2;
                else if (f >= 3 * minLag && 2 * amdf(s, f / 3, 25, 12) < 3 * mval)
                    f = f / 3;
                pitch[k] = (f == minLag || f == maxLag || f <= 0) ? -1 : 10 * fs / f;
            }
        });
    }

    SmoothTrack(E2.data(), K, 2);

    // Working pitch: voiced frames only.
    std::vector<std::int32_t> W(K, -1);
    for (int k = 0; k < K; ++k)
        if (E2[k] >= voicingLevel) W[k] = pitch[k];

    std::vector<std::int32_t> T(K, -1);
    ContinuityAndGaps(W.data(), K, continuityPct, T.data());

    SmoothTrack(T.data(), K, 4);
    out.resize(static_cast<std::size_t>(K));
    for (int i = 0; i < K; ++i) out[i] = T[i] / 10.0;
    return true;
}

}  // namespace vox
