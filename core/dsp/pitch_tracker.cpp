// Cepstral and AMDF pitch tracks over a stretch of a channel.

#include "core/dsp/pitch_tracker.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/document/marbeck_doc.h"
#include "core/dsp/parallel.h"
#include "core/dsp/pitch_options.h"

namespace vox {

namespace {

// Frames computed between two cancel checks.
constexpr long long kFrameBlock = 1024;
// Samples converted to the AMDF tracker's bytes between two cancel checks.
constexpr std::uint64_t kByteBlock = 1u << 20;

int resolve_threads(int threads) { return threads > 0 ? threads : dsp_detail::default_threads(); }

}  // namespace

double PitchTrack::frame_sample(std::size_t i) const {
    if (cepstral) return first_sample + std::floor(static_cast<double>(i) * frame_step);
    return first_sample + 100.0 * static_cast<double>(i);
}

CepstralFrameSizes cepstral_frame_sizes(double fs, PitchOptions& options) {
    CepstralFrameSizes sz;
    // Window in samples, cut to 4096 with the option rewritten to match.
    sz.window = static_cast<int>(fs / 1000.0 * options.window_ms);
    if (sz.window >= 4096) {
        sz.window = 4096;
        options.window_ms = 4096.0 * 1000.0 / fs;
    }
    sz.fft = sz.window < 1024 ? 1024 : (sz.window < 2048 ? 2048 : 4096);
    sz.step = fs / 1000.0 * options.step_ms;
    return sz;
}

void CepstralDeviationAndSmoothing(std::vector<double>& raw, double deviation) {
    const std::size_t F = raw.size();
    std::vector<double> P(F, 0.0);
    for (std::size_t i = 1; i + 1 < F; ++i) {
        const auto before = static_cast<long long>(std::fabs(raw[i - 1] - raw[i]));
        const auto after = static_cast<long long>(std::fabs(raw[i + 1] - raw[i]));
        if (before < deviation && after < deviation) P[i] = raw[i];
    }
    // Forward and in place: P[i+1], P[i+2] are still unsmoothed when P[i] is
    // replaced.
    for (std::size_t i = 0; i + 3 < F; ++i)
        if (P[i] != 0.0 && P[i + 1] != 0.0 && P[i + 2] != 0.0) P[i] = (P[i] + P[i + 1] + P[i + 2]) / 3.0;
    raw.swap(P);
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
        std::vector<double> raw(static_cast<std::size_t>(std::max(0LL, F)), 0.0);
        std::vector<double> energy(raw.size(), 0.0);
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
                    raw[static_cast<std::size_t>(i)] = f0;
                    double e2 = 0.0;
                    mf.FrameEnergy(x, std::min<std::size_t>(avail, static_cast<std::size_t>(n)), &e2, offset, 0.0, n, 0.0, 1,
                                   false, true);
                    energy[static_cast<std::size_t>(i)] = e2;
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
        CepstralDeviationAndSmoothing(raw, options.cepstral_deviation_hz);
        // Energy gate against the loudest frame.
        double emax = 0.0;
        for (std::size_t i = 0; i < energy.size(); ++i)
            if (i == 0 || energy[i] > emax) emax = energy[i];
        const double gate = options.cepstral_threshold_pct * emax / 100.0;
        for (std::size_t i = 0; i < raw.size(); ++i)
            if (energy[i] - gate <= 0.0) raw[i] = 0.0;

        PitchTrack track;
        track.cepstral = true;
        track.sample_rate = fs;
        track.first_sample = static_cast<double>(s0);
        track.frame_step = st;
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
        // The 8-bit copy, made block by block so that a cancel is seen.
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(N));
        std::vector<std::int16_t> chunk;
        SampleSource src = source.clone();
        for (std::uint64_t done = 0; done < N; done += kByteBlock) {
            if (progress.cancelled()) {
                outcome.failure = PitchFailure::Cancelled;
                return outcome;
            }
            const std::size_t k = static_cast<std::size_t>(std::min<std::uint64_t>(kByteBlock, N - done));
            std::size_t avail = 0;
            const std::int16_t* x = src.span(s0 + done, k, avail);
            CMathFunc::ToAmdfBytes(x, avail, bytes.data() + done);
            // Past the end of the channel the copy is silence.
            std::fill(bytes.data() + done + avail, bytes.data() + done + k, std::uint8_t{128});
            progress.step();
        }
        if (progress.cancelled()) {
            outcome.failure = PitchFailure::Cancelled;
            return outcome;
        }
        CMathFunc mf;
        mf.set_threads(resolve_threads(threads));
        std::vector<double> out;
        if (!mf.TrackPitchAmdfBytes(bytes.data(), bytes.size(), static_cast<int>(fs),
                                    static_cast<int>(options.calc_low_hz), static_cast<int>(options.calc_high_hz),
                                    static_cast<int>(options.amdf_deviation), static_cast<int>(options.amdf_threshold),
                                    out)) {
            outcome.failure = PitchFailure::BadRange;
            return outcome;
        }
        progress.step();
        PitchTrack track;
        track.cepstral = false;
        track.sample_rate = fs;
        track.first_sample = static_cast<double>(s0);
        track.frame_step = 100.0;
        track.f0 = std::move(out);
        outcome.track = std::move(track);
    } catch (const SampleReadError&) {
        outcome.failure = PitchFailure::ReadFailed;
    }
    return outcome;
}

PitchOutcome ComputePitch(const CMarbeckDoc& doc, int channel, std::uint64_t start, std::uint64_t count,
                          PitchOptions& options, Progress& progress, int threads) {
    PitchOutcome outcome;
    try {
        SampleSource source = SampleSource::for_channel(doc, channel);
        const CChannels& ch = doc.channels[channel];
        const std::uint64_t total = ch.count();
        if (start > total) start = total;
        if (count == 0 || count > total - start) count = total - start;
        if (options.cepstral == kPitchMethodAmdf)
            return AmdfPitchTrack(source, start, count, ch.sample_rate, options, progress, threads);
        return CepstralPitchTrack(source, start, count, ch.sample_rate, ch.reference, options, progress, threads);
    } catch (const SampleReadError&) {
        outcome.failure = PitchFailure::ReadFailed;
    }
    return outcome;
}

}  // namespace vox
