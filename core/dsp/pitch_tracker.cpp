// Cepstral and AMDF pitch tracks over a stretch of a channel.

#include "core/dsp/pitch_tracker.h"

#include <algorithm>
#include <array>
#include <limits>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/dsp/amdf_reader.h"
#include "core/dsp/parallel.h"
#include "core/dsp/pitch_options.h"

namespace vox {

namespace {

// Periods of the lowest F0 searched for that a cepstral window holds at least.
constexpr double kMinPeriods = 2.75;
// Longest cepstral window (samples) when kMinPeriods asks for more than the
// option's 4096.
constexpr int kMaxCepstralWindow = 8192;

// Frames computed between two cancel checks.
constexpr long long kFrameBlock = 1024;
// Samples converted to the AMDF tracker's bytes between two cancel checks.
constexpr std::uint64_t kByteBlock = 1u << 20;

int resolve_threads(int threads) { return threads > 0 ? threads : dsp_detail::default_threads(); }

// Voicing by the prominence of a frame's cepstral peak (its power cepstrum
// over the mean power cepstrum of the period range) and by where its power
// lies. A periodic voice puts a rahmonic there tens of times the mean; the
// log spectrum of noise gives peaks below about 15. A voiceless fricative's
// hiss has almost none of its power below 1 kHz, a voice most of it. A frame
// may be voiced when its peak is strong (kVoicedProminence), or fair
// (kKeptProminence) with at least kVoiceLowShare of its power low; a run of
// consecutive such frames is voiced when one of its frames is strong: the
// weak frames at the edges of a vowel and of a very low voice (two or three
// periods in the window) stay voiced beside strong ones, hiss does not join
// a vowel next to it, and a run of noise alone is not voiced.
constexpr double kVoicedProminence = 20.0;
constexpr double kKeptProminence = 6.0;
constexpr double kVoiceLowShare = 0.35;

void KeepProminentRuns(const std::vector<double>& prominence, const std::vector<double>& low_share,
                       std::vector<char>& voiced) {
    const std::size_t F = voiced.size();
    auto eligible = [&](std::size_t i) {
        return voiced[i] && (prominence[i] >= kVoicedProminence ||
                             (prominence[i] >= kKeptProminence && low_share[i] >= kVoiceLowShare));
    };
    for (std::size_t i = 0; i < F;) {
        if (!eligible(i)) {
            voiced[i++] = 0;
            continue;
        }
        std::size_t j = i;
        bool strong = false;
        for (; j < F && eligible(j); ++j) strong = strong || prominence[j] >= kVoicedProminence;
        if (!strong) std::fill(voiced.begin() + static_cast<std::ptrdiff_t>(i), voiced.begin() + static_cast<std::ptrdiff_t>(j), 0);
        i = j;
    }
}

}  // namespace

std::optional<std::size_t> PitchTrack::index_at(double ms) const { return TimeBase::index_at(ms, f0.size()); }

double PitchTrack::value_at(double ms) const {
    const std::optional<std::size_t> i = index_at(ms);
    return !i || !(f0[*i] > 0.0) ? 0.0 : f0[*i];
}

std::pair<std::size_t, std::size_t> PitchTrack::indices_between(double lo_ms, double hi_ms) const {
    return TimeBase::indices_between(lo_ms, hi_ms, f0.size());
}

double PitchTrack::mean_between(double lo_ms, double hi_ms) const {
    const auto [a, b] = indices_between(lo_ms, hi_ms);
    double sum = 0.0;
    long long n = 0;
    for (std::size_t i = a; i < b; ++i)
        if (f0[i] > 0.0) {
            sum += f0[i];
            ++n;
        }
    return n ? sum / static_cast<double>(n) : 0.0;
}

CepstralFrameSizes cepstral_frame_sizes(double fs, PitchOptions& options) {
    CepstralFrameSizes sz;
    // Window in samples, cut to 4096 with the option rewritten to match.
    sz.window = static_cast<int>(fs / 1000.0 * options.window_ms);
    if (sz.window >= 4096) {
        sz.window = 4096;
        options.window_ms = 4096.0 * 1000.0 / fs;
    }
    // The window holds at least kMinPeriods periods of the lowest F0
    // searched for: with fewer, the harmonics of a low voice are not resolved
    // and its cepstral peak drowns in the formants' (a 35 ms window holds
    // two periods of 60 Hz). The option itself keeps the person's value.
    if (options.calc_low_hz > 0.0) {
        const double need = std::ceil(fs * kMinPeriods / options.calc_low_hz);
        if (need > sz.window) sz.window = static_cast<int>(std::min(need, double(kMaxCepstralWindow)));
    }
    sz.fft = sz.window < 1024 ? 1024 : (sz.window < 2048 ? 2048 : (sz.window <= 4096 ? 4096 : 8192));
    sz.step = fs / 1000.0 * options.step_ms;
    return sz;
}

std::vector<double> ChooseContinuousPitch(const std::vector<PitchFrameCandidates>& frames) {
    // Cost of an F0 ratio of e (about ×2.7) between consecutive frames; an
    // octave costs 2.8, a 2 % step 0.08.
    constexpr double kJump = 4.0;
    // Least cost of a peak that is not its frame's answer.
    constexpr double kRank = 0.5;
    const std::size_t F = frames.size();
    std::vector<double> out(F, 0.0);
    std::vector<std::array<double, kMaxPitchCandidates>> cost(F);
    std::vector<std::array<int, kMaxPitchCandidates>> from(F);
    auto local = [&](const PitchFrameCandidates& fr, int j) {
        if (j == 0) return 0.0;
        const double s0 = fr.c[0].strength, sj = fr.c[j].strength;
        return std::max(kRank, sj > 0.0 && s0 > 0.0 ? std::log(s0 / sj) : kRank);
    };
    std::size_t i = 0;
    while (i < F) {
        if (frames[i].count <= 0) {
            ++i;
            continue;
        }
        const std::size_t run0 = i;
        for (int j = 0; j < frames[i].count; ++j) cost[i][j] = local(frames[i], j);
        for (++i; i < F && frames[i].count > 0; ++i) {
            const PitchFrameCandidates& a = frames[i - 1];
            const PitchFrameCandidates& b = frames[i];
            for (int j = 0; j < b.count; ++j) {
                double best = std::numeric_limits<double>::infinity();
                int arg = 0;
                for (int k = 0; k < a.count; ++k) {
                    const double c = cost[i - 1][k] + kJump * std::fabs(std::log(b.c[j].f0 / a.c[k].f0));
                    if (c < best) {
                        best = c;
                        arg = k;
                    }
                }
                cost[i][j] = best + local(b, j);
                from[i][j] = arg;
            }
        }
        // Back from the cheapest end of the run.
        const std::size_t last = i - 1;
        int j = 0;
        for (int k = 1; k < frames[last].count; ++k)
            if (cost[last][k] < cost[last][j]) j = k;
        for (std::size_t f = last + 1; f-- > run0;) {
            out[f] = frames[f].c[j].f0;
            if (f > run0) j = from[f][j];
        }
    }
    return out;
}

void CepstralDeviationAndSmoothing(std::vector<double>& raw, double deviation) {
    const std::size_t F = raw.size();
    std::vector<double> P(F, 0.0);
    for (std::size_t i = 1; i + 1 < F; ++i) {
        const auto before = static_cast<long long>(std::fabs(raw[i - 1] - raw[i]));
        const auto after = static_cast<long long>(std::fabs(raw[i + 1] - raw[i]));
        if (before < deviation && after < deviation) P[i] = raw[i];
    }
    // Centred: each mean is of unsmoothed values and stays on its own frame.
    raw.assign(P.begin(), P.end());
    for (std::size_t i = 1; i + 1 < F; ++i)
        if (P[i - 1] != 0.0 && P[i] != 0.0 && P[i + 1] != 0.0) raw[i] = (P[i - 1] + P[i] + P[i + 1]) / 3.0;
}

PitchOutcome CepstralPitchTrack(SampleSource& source, std::uint64_t s0, std::uint64_t N, double fs, double offset,
                                PitchOptions& options, Progress& progress, int threads) {
    PitchOutcome outcome;
    if (fs <= 0.0 || !(options.calc_low_hz > 0.0) || !(options.calc_high_hz > 0.0) || !(options.step_ms > 0.0)) {
        outcome.failure = PitchFailure::BadRange;
        return outcome;
    }
    const CepstralFrameSizes sz = cepstral_frame_sizes(fs, options);
    const int n = sz.window, nfft = sz.fft;
    const double st = sz.step;
    if (n < 1) {
        outcome.failure = PitchFailure::BadRange;
        return outcome;
    }
    const long long F = static_cast<long long>(static_cast<double>(N) / st);
    const double fLow = options.calc_low_hz, fHigh = options.calc_high_hz;
    const std::uint64_t regionEnd = s0 + N;

    ProgressScope scope(progress, dsp_text::kCaptionPitch, F);
    const int parts = static_cast<int>(std::clamp<long long>(resolve_threads(threads), 1, std::max(1LL, F)));
    try {
        std::vector<PitchFrameCandidates> cands(static_cast<std::size_t>(std::max(0LL, F)));
        std::vector<double> energy(cands.size(), 0.0);
        std::vector<double> prominence(cands.size(), 0.0), low_share(cands.size(), 0.0);
        // One toolbox and one sample source per worker.
        std::vector<std::unique_ptr<CMathFunc>> tools;
        std::vector<SampleSource> sources;
        for (int w = 0; w < parts; ++w) {
            tools.push_back(std::make_unique<CMathFunc>());
            sources.push_back(source.clone());
        }
        std::atomic<bool> bad_size{false};
        for (long long b0 = 0; b0 < F; b0 += kFrameBlock) {
            if (progress.cancelled()) {
                outcome.failure = PitchFailure::Cancelled;
                return outcome;
            }
            const long long b1 = std::min(F, b0 + kFrameBlock);
            dsp_detail::parallel_for(parts, b1 - b0, [&](int w, long long b, long long e) {
                CMathFunc& mf = *tools[static_cast<std::size_t>(w)];
                SampleSource& src = sources[static_cast<std::size_t>(w)];
                for (long long i = b0 + b; i < b0 + e; ++i) {
                    const std::uint64_t t = s0 + static_cast<std::uint64_t>(static_cast<double>(i) * st);
                    // Only samples up to the end of the stretch are used.
                    const std::size_t want =
                        static_cast<std::size_t>(std::min<std::uint64_t>(n + 5, t < regionEnd ? regionEnd - t : 0));
                    std::size_t avail = 0;
                    const std::int16_t* x = src.span(t, want, avail);
                    const double f0 = mf.CepstralPitch(x, 0, static_cast<long long>(avail), fs, fLow, fHigh, nfft, n);
                    if (f0 < 0.0) bad_size.store(true);
                    PitchFrameCandidates& fc = cands[static_cast<std::size_t>(i)];
                    fc.count = mf.cepstral_candidate_count();
                    for (int k = 0; k < fc.count; ++k) fc.c[k] = mf.cepstral_candidate(k);
                    double e2 = 0.0;
                    mf.FrameEnergy(x, std::min<std::size_t>(avail, static_cast<std::size_t>(n)), &e2, offset, 0.0, n, 0.0, 1,
                                   false, true);
                    energy[static_cast<std::size_t>(i)] = e2;
                    const double background = mf.cepstral_background();
                    double strongest = 0.0;
                    for (int k = 0; k < fc.count; ++k) strongest = std::max(strongest, fc.c[k].strength);
                    prominence[static_cast<std::size_t>(i)] = background > 0.0 ? strongest / background : 0.0;
                    low_share[static_cast<std::size_t>(i)] = mf.low_band_share();
                }
            });
            if (bad_size.load()) {
                outcome.failure = PitchFailure::BadRange;
                return outcome;
            }
            for (long long i = b0; i < b1; ++i) progress.step();
        }
        if (progress.cancelled()) {
            outcome.failure = PitchFailure::Cancelled;
            return outcome;
        }
        // Energy gate against the loudest frame. Gated frames also break
        // the runs over which continuity chooses among the peaks.
        double emax = 0.0;
        for (std::size_t i = 0; i < energy.size(); ++i)
            if (i == 0 || energy[i] > emax) emax = energy[i];
        const double gate = options.cepstral_threshold_pct * emax / 100.0;
        std::vector<char> voiced(cands.size(), 0);
        for (std::size_t i = 0; i < cands.size(); ++i) voiced[i] = energy[i] - gate > 0.0 && cands[i].count > 0;
        KeepProminentRuns(prominence, low_share, voiced);
        for (std::size_t i = 0; i < cands.size(); ++i)
            if (!voiced[i]) cands[i].count = 0;
        std::vector<double> raw = ChooseContinuousPitch(cands);
        CepstralDeviationAndSmoothing(raw, options.cepstral_deviation_hz);
        for (std::size_t i = 0; i < raw.size(); ++i)
            if (!voiced[i]) raw[i] = 0.0;

        PitchTrack track;
        track.cepstral = true;
        track.sample_rate = fs;
        // Frame i covers samples s0 + i·st … + n − 1: its value belongs to
        // their centre.
        static_cast<TimeBase&>(track) = TimeBase::of_samples(static_cast<double>(s0) + 0.5 * n, st, fs);
        track.f0 = std::move(raw);
        outcome.track = std::move(track);
    } catch (const SampleReadError&) {
        outcome.failure = PitchFailure::ReadFailed;
    }
    return outcome;
}

PitchOutcome AmdfPitchTrack(SampleSource& source, std::uint64_t s0, std::uint64_t N, double fs,
                            const PitchOptions& options, Progress& progress, int threads) {
    PitchOutcome outcome;
    if (N < 1100) {
        outcome.failure = PitchFailure::TooShort;
        return outcome;
    }
    const long long blocks = static_cast<long long>((N + kByteBlock - 1) / kByteBlock);
    ProgressScope scope(progress, dsp_text::kCaptionPitch, blocks + 1);
    try {
        // The 8-bit copy is made piece by piece as the tracker asks for it
        // (a byte per sample is all it keeps); a cancel is seen between
        // pieces.
        SampleSource src = source.clone();
        const AmdfByteReader read = [&](std::uint64_t first, std::size_t n, std::uint8_t* to) {
            if (progress.cancelled()) return false;
            std::size_t done = 0;
            while (done < n) {
                std::size_t avail = 0;
                // The tracker asks for 1 MiB and the moving average's
                // overlap: taken in one span, the overlap does not make the
                // source read a further stretch that the next piece reads
                // again.
                const std::size_t want = std::min<std::size_t>(n - done, 2 * kByteBlock);
                const std::int16_t* x = src.span(s0 + first + done, want, avail);
                CMathFunc::ToAmdfBytes(x, avail, to + done);
                // Past the end of the channel the copy is silence.
                std::fill(to + done + avail, to + done + want, std::uint8_t{128});
                done += want;
            }
            progress.step();
            return true;
        };
        std::vector<double> out;
        const bool ok = TrackPitchAmdfFromReader(read, static_cast<std::size_t>(N), static_cast<int>(fs),
                                                 static_cast<int>(options.calc_low_hz),
                                                 static_cast<int>(options.calc_high_hz),
                                                 static_cast<int>(options.amdf_deviation),
                                                 static_cast<int>(options.amdf_threshold), resolve_threads(threads), out);
        if (progress.cancelled()) {
            outcome.failure = PitchFailure::Cancelled;
            return outcome;
        }
        if (!ok) {
            outcome.failure = PitchFailure::BadRange;
            return outcome;
        }
        progress.step();
        PitchTrack track;
        track.cepstral = false;
        track.sample_rate = fs;
        // Value k is computed from the 1 ms average around sample 100·k.
        static_cast<TimeBase&>(track) = TimeBase::of_samples(static_cast<double>(s0), 100.0, fs);
        track.f0 = std::move(out);
        outcome.track = std::move(track);
    } catch (const SampleReadError&) {
        outcome.failure = PitchFailure::ReadFailed;
    }
    return outcome;
}


}  // namespace vox
