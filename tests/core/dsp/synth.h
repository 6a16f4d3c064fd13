#pragma once
// Synthetic test signals: impulse trains and a vowel-like voice made of a
// glottal source with a known F0 contour through two-pole resonators at
// known formant frequencies, optionally with period jitter and white noise
// at a chosen signal-to-noise ratio.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace vox::test {

inline std::vector<std::int16_t> impulse_train(std::size_t count, std::size_t period, std::int16_t height,
                                               std::size_t first = 0, std::size_t last = ~std::size_t{0}) {
    std::vector<std::int16_t> x(count, 0);
    for (std::size_t i = first; i < count && i < last; i += period) x[i] = height;
    return x;
}

struct Resonance {
    double frequency;  // Hz
    double bandwidth;  // Hz
};

// Glottal source shapes: a unit impulse per period, or the derivative of a
// Rosenberg flow pulse (raised-cosine opening over 40 % of the period, a
// quarter-cosine closing over 16 %, unless VoiceSpec says otherwise), which
// is the flow seen through the lips' radiation: a smooth open phase and a
// sharp negative closing excitation, then a closed phase.
enum class Glottis { Impulse, Rosenberg };

struct VoiceSpec {
    double fs = 16000.0;                       // Hz
    double seconds = 1.0;                      // length
    std::function<double(double)> f0;          // Hz at t seconds; ≤ 0 is silence
    std::vector<Resonance> formants;           // cascade, lowest first
    Glottis glottis = Glottis::Impulse;
    double jitter = 0.0;                       // relative s.d. of each period (0.01 = 1 %)
    double snr_db = std::numeric_limits<double>::infinity();  // voiced RMS over noise RMS
    double peak = 12000.0;                     // largest clean sample
    unsigned seed = 1;                         // jitter and noise
    double noise_level = 0.0;                  // extra noise s.d. in sample units
    double opening = 0.40;                     // Rosenberg opening, fraction of the period
    double closing = 0.16;                     // Rosenberg closing, fraction of the period
};

// Rosenberg flow at phase p of a period (0 ≤ p < 1), opening over `open`
// and closing over `close` of the period (open + close ≤ 1).
inline double rosenberg_flow(double p, double open = 0.40, double close = 0.16) {
    if (p < open) return 0.5 * (1.0 - std::cos(M_PI * p / open));
    if (p < open + close) return std::cos(0.5 * M_PI * (p - open) / close);
    return 0.0;
}

inline std::vector<std::int16_t> synth(const VoiceSpec& v) {
    const double fs = v.fs;
    const std::size_t n = static_cast<std::size_t>(fs * v.seconds);
    std::mt19937 rng(v.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    std::vector<double> src(n, 0.0);
    std::vector<char> voiced(n, 0);
    double phase = 0.0, prev_flow = 0.0;
    double rate = 1.0;  // this period's jitter factor on the phase increment
    for (std::size_t i = 0; i < n; ++i) {
        const double f = v.f0 ? v.f0(i / fs) : 0.0;
        if (f <= 0.0) {
            phase = 0.0;
            prev_flow = 0.0;
            continue;
        }
        voiced[i] = 1;
        phase += f / fs * rate;
        bool new_period = false;
        if (phase >= 1.0) {
            phase -= 1.0;
            new_period = true;
        }
        if (v.glottis == Glottis::Impulse) {
            src[i] = new_period ? 1.0 : 0.0;
        } else {
            const double flow = rosenberg_flow(phase, v.opening, v.closing);
            src[i] = flow - prev_flow;
            prev_flow = flow;
        }
        if (new_period && v.jitter > 0.0) rate = 1.0 / std::clamp(1.0 + v.jitter * gauss(rng), 0.5, 1.5);
    }
    std::vector<double> y = std::move(src);
    for (const Resonance& r : v.formants) {
        const double rr = std::exp(-M_PI * r.bandwidth / fs);
        const double a1 = 2.0 * rr * std::cos(2.0 * M_PI * r.frequency / fs), a2 = -rr * rr;
        double y1 = 0.0, y2 = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double s = y[i] + a1 * y1 + a2 * y2;
            y2 = y1;
            y1 = s;
            y[i] = s;
        }
    }
    double m = 0.0, power = 0.0;
    std::size_t voiced_count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        m = std::max(m, std::fabs(y[i]));
        if (voiced[i]) {
            power += y[i] * y[i];
            ++voiced_count;
        }
    }
    const double scale = m > 0.0 ? v.peak / m : 0.0;
    double noise_sd = v.noise_level;
    if (std::isfinite(v.snr_db) && voiced_count > 0) {
        const double rms = std::sqrt(power / static_cast<double>(voiced_count)) * scale;
        noise_sd = std::hypot(noise_sd, rms / std::pow(10.0, v.snr_db / 20.0));
    }
    std::vector<std::int16_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        double s = y[i] * scale;
        if (noise_sd > 0.0) s += noise_sd * gauss(rng);
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(s, -32767.0, 32767.0)));
    }
    return out;
}

// f0(t) in Hz for t in seconds; 0 means silence. The pulse train's phase
// advances by f0/fs per sample; each pulse excites the resonator cascade.
inline std::vector<std::int16_t> synth_voice(double fs, double seconds, const std::function<double(double)>& f0,
                                             const std::vector<Resonance>& formants, double peak = 12000.0,
                                             unsigned noise_seed = 0, double noise_level = 0.0) {
    VoiceSpec v;
    v.fs = fs;
    v.seconds = seconds;
    v.f0 = f0;
    v.formants = formants;
    v.peak = peak;
    v.seed = noise_seed;
    v.noise_level = noise_level;
    return synth(v);
}

// Writes the samples as a 16-bit mono WAV file; false when it cannot be
// written completely.
inline bool write_wav_mono16(const std::string& path, const std::vector<std::int16_t>& x, int rate) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [f](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
    const auto bytes = static_cast<std::uint32_t>(x.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    const bool all = std::fwrite(x.data(), 2, x.size(), f) == x.size();
    return std::fclose(f) == 0 && all;
}

}  // namespace vox::test
