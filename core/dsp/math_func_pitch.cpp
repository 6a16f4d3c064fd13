// CMathFunc: the per-frame cepstral pitch and the integer AMDF tracker.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "core/dsp/amdf_reader.h"
#include "core/dsp/fft.h"
#include "core/dsp/math_func.h"
#include "core/dsp/parallel.h"

namespace vox {

// The two transforms of a cepstral frame: the real one of the nfft-point
// windowed frame and the even one of the L-point mirrored log spectrum.
struct CepstralPlan {
    CepstralPlan(int nfft_, int L_) : nfft(nfft_), L(L_), first(nfft_), second(L_ / 2) {}
    int nfft, L;
    RealFft first;
    EvenRealFft second;
};

namespace {

// The log spectrum is floored this far below its strongest bin: the deep
// nulls between the Hamming window's side lobes (and bins of a silent or
// band-limited stretch) would otherwise dominate the log spectrum and put a
// cepstral peak at quefrency nfft − n (and nfft − 2n) whatever the voice.
constexpr double kSpectrumFloorDb = 60.0;

// The cepstrum is taken over the log spectrum below about this frequency
// (between it and twice it, by halving the transform).
constexpr double kVoiceBandHz = 4000.0;

// A peak at half or a third of the quefrency of the strongest one (twice or
// three times its F0) is taken instead when its power cepstrum reaches this
// share of the strongest: a periodic voice has rahmonics at every multiple
// of its period, noise and the spectral envelope have none at a fraction of
// it.
constexpr double kOctaveShare = 0.25;

// The share of a frame's power (over the cepstrum's band) below this
// frequency tells a voice (most of its power in the first harmonics and
// formant) from a voiceless fricative's hiss.
constexpr double kLowBandHz = 1000.0;

// Knots of the peak-picking spline beyond each end of the period range.
constexpr int kKnotMargin = 3;

// Natural-spline value at x (knot spacing 1) in the interval [j, j + 1].
inline double spline_at(const double* Y, const double* Y2, int j, double x) {
    const double b = x - j, a = 1.0 - b;
    return a * Y[j] + b * Y[j + 1] + ((a * a * a - a) * Y2[j] + (b * b * b - b) * Y2[j + 1]) / 6.0;
}

// The plan of one pair of sizes, made on first use and kept for the
// process (a few sizes at most); the last one found is remembered per thread.
const CepstralPlan& cepstral_plan(int nfft, int L) {
    thread_local const CepstralPlan* last = nullptr;
    if (last && last->nfft == nfft && last->L == L) return *last;
    static std::mutex lock;
    static std::vector<std::unique_ptr<CepstralPlan>> plans;
    std::lock_guard<std::mutex> guard(lock);
    for (const auto& p : plans)
        if (p->nfft == nfft && p->L == L) return *(last = p.get());
    plans.push_back(std::make_unique<CepstralPlan>(nfft, L));
    return *(last = plans.back().get());
}

}  // namespace

// Stages: Hamming window over n samples (zero tail to nfft), FFT, log power
// in dB floored kSpectrumFloorDb below the strongest bin over the voice band,
// FFT again, power cepstrum, natural spline through the quefrencies a few
// units either side of [fs/fHigh, fs/fLow], peak picking at 0.1-unit steps
// among the spline's local maxima, octave check, F0 = fs / quefrency when
// inside [fLow, fHigh].
double CMathFunc::CepstralPitch(const std::int16_t* samples, long long start, long long regionLength, double fs,
                                double fLow, double fHigh, int nfft, int n) {
    switch (nfft) {
        case 128: case 256: case 512: case 1024: case 2048: case 4096: case 8192: break;
        default: return -1.0;
    }
    candidate_count_ = 0;
    cepstral_background_ = 0.0;
    low_band_share_ = 0.0;
    if (n > nfft) n = nfft;
    if (n <= 0 || !(fLow > 0.0) || !(fHigh > 0.0) || !(fs > 0.0) || fHigh < fLow) return 0.0;

    // Only the band below kVoiceBandHz (at least) enters the cepstrum: above
    // it a voice's harmonics are weak and at high rates noise would fill
    // most of the log spectrum. Bins 0 … L/2 of the nfft-point spectrum,
    // mirrored, form an L-point log spectrum whose cepstrum is in units of
    // u = nfft/L samples: the analysis of the frame at the rate fs/u.
    int L = nfft;
    while (L > 256 && fs * (L / 2) / nfft >= 2.0 * kVoiceBandHz) L /= 2;
    const int half = L / 2;
    const CepstralPlan& plan = cepstral_plan(nfft, L);
    const std::size_t need = static_cast<std::size_t>(2 * (nfft / 2 + 1) + 2 * (half + 1) + 3 * plan.second.work_size());
    if (cep_work_.size() < need) cep_work_.resize(need);
    double* sre = cep_work_.data();             // spectrum, bins 0 … nfft/2
    double* sim = sre + (nfft / 2 + 1);
    double* logp = sim + (nfft / 2 + 1);        // log spectrum, bins 0 … half
    double* cep = logp + (half + 1);            // cepstrum, quefrencies 0 … half
    double* work = cep + (half + 1);

    // The Hamming-windowed frame, zero beyond the samples there are.
    const double* w = hamming(n);
    const long long avail = std::clamp<long long>(regionLength - start, 0, n);
    plan.first.forward_product(samples + start, w, static_cast<int>(avail), sre, sim, half);
    const double u = static_cast<double>(nfft) / L;
    double pmax = 0.0;
    const int kLow = std::min(half, static_cast<int>(kLowBandHz * nfft / fs));
    double plow = 0.0, ptotal = 0.0;
    for (int k = 0; k <= half; ++k) {
        logp[k] = sre[k] * sre[k] + sim[k] * sim[k];
        pmax = std::max(pmax, logp[k]);
        ptotal += logp[k];
        if (k <= kLow) plow += logp[k];
    }
    low_band_share_ = ptotal > 0.0 ? plow / ptotal : 0.0;
    if (!(pmax > 0.0)) return 0.0;  // a silent frame has no pitch
    const double floor_power = pmax * std::pow(10.0, -kSpectrumFloorDb / 10.0);
    // 10·log10 as a multiple of the natural log (the same to rounding, and
    // the cheaper call).
    constexpr double kDbPerNeper = 4.3429448190325182765;  // 10 / ln 10
    for (int k = 0; k <= half; ++k) logp[k] = kDbPerNeper * std::log(std::max(logp[k], floor_power));
    // The mirrored log spectrum is real and even, so is its transform.
    plan.second.forward(logp, cep, work);
    const double fsU = fs / u;  // rate of the quefrency unit

    // Knots at whole quefrencies qa … qb, a few beyond each end of the
    // period range: a peak exactly at fs/fHigh or fs/fLow is then a local
    // maximum of the spline, not bent by its natural end, and a peak just
    // outside is seen to be outside.
    const double qMin = fsU / fHigh, qMax = fsU / fLow;
    const int qa = std::max(1, static_cast<int>(std::floor(qMin)) - kKnotMargin);
    const int qb = std::min(half - 1, static_cast<int>(std::ceil(qMax)) + kKnotMargin);
    const int len = qb - qa + 1;
    if (len < 3) return 0.0;
    if (static_cast<int>(sx_.size()) < len) {
        sx_.resize(len);
        sy_.resize(len);
        sy2_.resize(len);
    }
    double* X = sx_.data();
    double* Y = sy_.data();
    double* Y2 = sy2_.data();
    for (int j = 0; j < len; ++j) {
        const int q = qa + j;
        X[j] = j;
        Y[j] = cep[q] * cep[q];
    }
    UnitSplineSecondDerivatives(Y, len, Y2);
    {
        double sum = 0.0;
        int cnt = 0;
        for (int j = 0; j < len; ++j) {
            const double q = qa + j;
            if (q < qMin || q > qMax) continue;
            sum += Y[j];
            ++cnt;
        }
        cepstral_background_ = cnt > 0 ? sum / cnt : 0.0;
    }

    // The best fine local maximum (in tenths of a sample from qa) within
    // knot intervals [j0, j1]; its value goes to `value`, −1 when none.
    auto fine_peak = [&](int j0, int j1, double& value) {
        j0 = std::max(j0, 0);
        j1 = std::min(j1, len - 1);
        int best = -1;
        value = 0.0;
        double prev2 = 0.0, prev = 0.0;
        for (int t = 10 * j0; t <= 10 * j1; ++t) {
            const int j = std::min(t / 10, len - 2);
            const double v = spline_at(Y, Y2, j, t / 10.0);
            if (t >= 10 * j0 + 2 && prev >= prev2 && prev > v && prev > value) {
                value = prev;
                best = t - 1;
            }
            prev2 = prev;
            prev = v;
        }
        return best;
    };

    // Knot peaks, strongest first; the fine search runs around the strongest
    // few (a spline peak lies next to a knot peak, and close rivals can swap
    // after interpolation).
    constexpr int kKnotPeaks = kMaxPitchCandidates + 1;
    int knots[kKnotPeaks];
    std::fill(knots, knots + kKnotPeaks, -1);
    for (int j = 1; j + 1 < len; ++j) {
        if (!(Y[j] >= Y[j - 1] && Y[j] >= Y[j + 1] && Y[j] > 0.0)) continue;
        for (int c = 0; c < kKnotPeaks; ++c) {
            if (knots[c] < 0 || Y[j] > Y[knots[c]]) {
                for (int d = kKnotPeaks - 1; d > c; --d) knots[d] = knots[d - 1];
                knots[c] = j;
                break;
            }
        }
    }
    int fine[kKnotPeaks];
    double value[kKnotPeaks];
    int found = 0;
    for (int c : knots) {
        if (c < 0) break;
        double v = 0.0;
        const int t = fine_peak(c - 1, c + 1, v);
        if (t < 0) continue;
        // Sorted by fine value, strongest first.
        int at = found++;
        while (at > 0 && value[at - 1] < v) {
            value[at] = value[at - 1];
            fine[at] = fine[at - 1];
            --at;
        }
        value[at] = v;
        fine[at] = t;
    }
    if (found == 0) return 0.0;
    int peak = fine[0];
    double best = value[0];

    // Octave check: a clear peak near half or a third of the quefrency
    // (twice or three times the F0) wins over the subharmonic; repeated while
    // one applies. A third matters as much as a half: a periodic voice has
    // rahmonics at every multiple of its period, and the one at three periods
    // can be the strongest (a steady 247 Hz sawtooth at 44.1 kHz, whose
    // aliased harmonics fall between the true ones, peaks at 82.3 Hz). The
    // fraction must lie inside the period range.
    for (bool moved = true; moved;) {
        moved = false;
        for (int k = 2; k <= 3 && !moved; ++k) {
            const double qPart = (qa + peak / 10.0) / k;
            if (qPart < qMin) break;
            const double tol = std::max(1.0, 0.03 * qPart);
            const int j0 = static_cast<int>(std::floor(qPart - tol)) - qa;
            const int j1 = static_cast<int>(std::ceil(qPart + tol)) - qa;
            if (j1 < 1) break;
            double v = 0.0;
            const int t = fine_peak(j0, j1, v);
            // The period must shrink at every step (at short periods the
            // search window around a fraction of it can reach the old peak
            // again).
            if (t < 0 || t >= peak || v < kOctaveShare * best || qa + t / 10.0 < qMin) continue;
            peak = t;
            best = v;
            moved = true;
        }
    }

    // The answer and, for a tracker that weighs continuity, the other peaks
    // inside the range at least 3 % away from those already listed.
    auto f0_of = [&](int t) { return fsU / (qa + t / 10.0); };
    candidate_count_ = 0;
    const double f0 = f0_of(peak);
    if (f0 > fHigh || f0 < fLow) return 0.0;
    candidates_[candidate_count_++] = PitchCandidate{f0, best};
    for (int c = 0; c < found && candidate_count_ < kMaxPitchCandidates; ++c) {
        const double f = f0_of(fine[c]);
        if (f > fHigh || f < fLow) continue;
        bool near = false;
        for (int k = 0; k < candidate_count_; ++k) near = near || std::fabs(f / candidates_[k].f0 - 1.0) < 0.03;
        if (!near) candidates_[candidate_count_++] = PitchCandidate{f, value[c]};
    }
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

void CMathFunc::SmoothTrack(std::int32_t* v, int count, int passes, int maxStepPct) {
    // A neighbour further than maxStepPct % from the value is not averaged
    // in (an octave jump is not blended).
    auto near = [&](std::int64_t a, std::int64_t b) {
        return maxStepPct <= 0 || 100 * std::llabs(a - b) <= static_cast<std::int64_t>(maxStepPct) * b;
    };
    for (int pass = 0; pass < passes; ++pass) {
        for (int k = count - 1; k >= 0; --k) {
            if (v[k] < 0) continue;
            std::int64_t sum = 3 * static_cast<std::int64_t>(v[k]);
            int w = 3;
            if (k >= 1 && v[k - 1] >= 0 && near(v[k - 1], v[k])) {
                sum += 2 * static_cast<std::int64_t>(v[k - 1]);
                w = 5;
                if (k >= 2 && v[k - 2] >= 0 && near(v[k - 2], v[k])) {
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
            if (k + 1 < count && v[k + 1] >= 0 && near(v[k + 1], v[k])) {
                sum += 2 * static_cast<std::int64_t>(v[k + 1]);
                w = 5;
                if (k + 2 < count && v[k + 2] >= 0 && near(v[k + 2], v[k])) {
                    sum += v[k + 2];
                    w = 6;
                }
            }
            v[k] = static_cast<std::int32_t>((sum + w / 2) / w);
        }
    }
}

void CMathFunc::ContinuityAndGaps(std::int32_t* W, int K, int continuityPct, std::int32_t* T) {
    // Values more than 3:2 apart are never continuous, whatever the
    // deviation allows (100 % would let an octave jump through).
    auto close = [](std::int64_t a, std::int64_t b) { return 2 * a <= 3 * b && 2 * b <= 3 * a; };
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
            if (std::llabs(b - c) > d || !close(b, c)) {
                if (cur + 2 < K && W[cur + 2] != -1 && std::llabs(b - W[cur + 2]) <= d && close(b, W[cur + 2])) {
                    W[cur + 1] = static_cast<std::int32_t>((b + W[cur + 2]) / 2);
                } else if (cur != runStart && W[cur - 1] != -1 && std::llabs(c - W[cur - 1]) <= d &&
                           close(c, W[cur - 1])) {
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
            if (std::llabs(b - c) <= (b + c) * G[j - a] * continuityPct / 2000 && close(b, c)) {
                for (int f = a + 1; f < j; ++f) T[f] = static_cast<std::int32_t>(b + (c - b) * (f - a) / (j - a));
                bridged = true;
            }
        }
        if (!bridged)
            for (int f = i; f < j; ++f) T[f] = -1;
        i = j;
    }

}

// Neighbours further apart than this (percent) are not blended by the final
// smoothing of the AMDF track.
constexpr int kAmdfSmoothStepPct = 20;

// Stages: 8-bit signal, 1 ms moving average, per 100-sample frame a coarse
// AMDF over a ~5 % lag table, a fine AMDF between the winner's neighbours,
// an octave check; energy smoothing and voicing; run continuity with
// repairs, short-run rejection, gap bridging; final smoothing.
bool CMathFunc::TrackPitchAmdfBytes(const std::uint8_t* bytes, std::size_t count, int fs, int fLow, int fHigh,
                                    int continuityPct, int voicingLevel, std::vector<double>& out) {
    const AmdfByteReader copy = [bytes](std::uint64_t first, std::size_t n, std::uint8_t* to) {
        std::memcpy(to, bytes + first, n);
        return true;
    };
    return TrackPitchAmdfFromReader(copy, count, fs, fLow, fHigh, continuityPct, voicingLevel, threads_, out);
}

bool TrackPitchAmdfFromReader(const AmdfByteReader& read, std::size_t count, int fs, int fLow, int fHigh,
                              int continuityPct, int voicingLevel, int threads, std::vector<double>& out,
                              std::size_t piece) {
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
    const std::size_t ysize = count + 2 * kPad + static_cast<std::size_t>(maxLag);
    // Not initialised: every entry is written below (margins 128, the rest
    // the average), so a long recording costs no pass of zeros.
    std::unique_ptr<std::uint8_t[]> ybuf(new std::uint8_t[ysize]);
    std::uint8_t* y = ybuf.get() + kPad;
    std::fill(ybuf.get(), y, std::uint8_t{128});
    std::fill(y + count, ybuf.get() + ysize, std::uint8_t{128});
    {
        // Chunk by chunk from the reader: the bytes a chunk's averages need
        // (msLen before it to half a window after it), silence outside.
        const long long kChunk = static_cast<long long>(std::max<std::size_t>(piece, 1));
        const long long n = static_cast<long long>(count);
        const long long half = msLen / 2;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(kChunk + msLen + 2));
        // sum / msLen for sums of at most 255·msLen: below 2^16 (rates up
        // to 257 kHz) by a multiplication, exact for every such sum.
        const std::uint64_t recip = ((std::uint64_t{1} << 24) + static_cast<std::uint64_t>(msLen) - 1) /
                                    static_cast<std::uint64_t>(msLen);
        const bool by_recip = 255LL * msLen < (1LL << 16);
        auto divide = [&](long long sum) -> long long {
            return by_recip ? static_cast<long long>((static_cast<std::uint64_t>(sum) * recip) >> 24) : sum / msLen;
        };
        for (long long c0 = 0; c0 < n; c0 += kChunk) {
            const long long c1 = std::min(n, c0 + kChunk);
            const long long lo = c0 + half - msLen + 1, hi = c1 + half + 1;  // bytes [lo, hi]
            const long long a = std::max(lo, 0LL), b = std::min(hi + 1, n);
            // Silence outside the signal only: the reader writes [a, b).
            const auto at = [&](long long i) { return bytes.begin() + static_cast<std::ptrdiff_t>(i - lo); };
            if (b > a) {
                std::fill(at(lo), at(a), std::uint8_t{128});
                std::fill(at(b), at(hi + 1), std::uint8_t{128});
                if (!read(static_cast<std::uint64_t>(a), static_cast<std::size_t>(b - a), bytes.data() + (a - lo)))
                    return false;
            } else {
                std::fill(at(lo), at(hi + 1), std::uint8_t{128});
            }
            // Each thread takes a share of the piece and starts its own sum.
            const std::uint8_t* bp = bytes.data() - lo;  // bp[i] is byte i
            dsp_detail::parallel_for(threads, c1 - c0, [&](int, long long b, long long e) {
                long long sum = 0;
                for (long long j = c0 + b + half - msLen + 1; j <= c0 + b + half; ++j) sum += bp[j];
                for (long long c = c0 + b; c < c0 + e; ++c) {
                    y[c] = static_cast<std::uint8_t>(divide(sum));
                    const long long endc = c + half;
                    if (c + 1 < c0 + e) sum += bp[endc + 1] - bp[endc + 1 - msLen];
                }
            });
        }
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
        dsp_detail::parallel_for(threads, kEnd - kFirst + 1, [&](int, long long b, long long e) {
            for (long long k = kFirst + b; k < kFirst + e; ++k) {
                const long long s = 100 * k - 150;
                int esum = 0;
                for (int t = 0; t < 32; ++t) esum += std::abs(static_cast<int>(y[s + 10 * t]) - 128);
                E2[k] = 10 * esum / 31;

                int bestJ = 1;
                int bestSum = amdf(s, lags[1], 11, 30);
                long long coarseTotal = bestSum;
                for (int j = 2; j <= lastCoarse; ++j) {
                    const int v = amdf(s, lags[j], 11, 30);
                    coarseTotal += v;
                    if (v < bestSum) {
                        bestSum = v;
                        bestJ = j;
                    }
                }
                // The frame's typical AMDF level in 25-point sums.
                const long long level = coarseTotal * 25 / (11LL * lastCoarse);
                int f = -1, mval = 0;
                for (int L = lags[bestJ - 1] + 1; L < lags[bestJ + 1]; ++L) {
                    const int v = amdf(s, L, 25, 12);
                    if (f < 0 || v < mval) {
                        mval = v;
                        f = L;
                    }
                }
                // Octave check: on a periodic signal every multiple of the
                // period is a minimum, often with m near 0, so a divisor
                // f/2 (else f/3) wins when its AMDF, at the best of the lags
                // next to it, is at most 1.5·m plus a sixteenth of the
                // frame's typical level, and a dip: under half that level
                // (a quiet, noisy onset has a flat AMDF whose every lag
                // passes the first test, and the chain of divisors ran down
                // to the period of the first formant's ringing: a 66 Hz
                // voice read at 260-410 Hz); repeated while it applies.
                for (bool again = true; again;) {
                    again = false;
                    for (int d = 2; d <= 3 && !again; ++d) {
                        if (f < d * minLag) continue;
                        int bestL = -1, bestA = 0;
                        for (int L = f / d - 1; L <= f / d + 1; ++L) {
                            if (L <= minLag || L >= maxLag) continue;
                            const int a = amdf(s, L, 25, 12);
                            if (bestL < 0 || a < bestA) {
                                bestA = a;
                                bestL = L;
                            }
                        }
                        if (bestL > 0 && 16LL * 2 * bestA < 16LL * 3 * mval + 2 * level && 2LL * bestA < level) {
                            f = bestL;
                            mval = bestA;
                            again = true;
                        }
                    }
                }
                pitch[k] = (f == minLag || f == maxLag || f <= 0) ? -1 : 10 * fs / f;
            }
        });
    }

    CMathFunc::SmoothTrack(E2.data(), K, 2);

    // Working pitch: voiced frames only.
    std::vector<std::int32_t> W(K, -1);
    for (int k = 0; k < K; ++k)
        if (E2[k] >= voicingLevel) W[k] = pitch[k];

    std::vector<std::int32_t> T(K, -1);
    CMathFunc::ContinuityAndGaps(W.data(), K, continuityPct, T.data());

    CMathFunc::SmoothTrack(T.data(), K, 4, kAmdfSmoothStepPct);
    out.resize(static_cast<std::size_t>(K));
    for (int i = 0; i < K; ++i) out[i] = T[i] / 10.0;
    return true;
}

}  // namespace vox
