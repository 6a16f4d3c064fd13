#pragma once
// Synthetic test signals: impulse trains and a vowel-like voice made of a
// glottal pulse train with a known F0 contour through two-pole resonators at
// known formant frequencies.

#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
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

// f0(t) in Hz for t in seconds; 0 means silence. The pulse train's phase
// advances by f0/fs per sample; each pulse excites the resonator cascade.
inline std::vector<std::int16_t> synth_voice(double fs, double seconds, const std::function<double(double)>& f0,
                                             const std::vector<Resonance>& formants, double peak = 12000.0,
                                             unsigned noise_seed = 0, double noise_level = 0.0) {
    const std::size_t n = static_cast<std::size_t>(fs * seconds);
    std::vector<double> src(n, 0.0);
    double phase = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = f0(i / fs);
        if (f <= 0.0) {
            phase = 0.0;
            continue;
        }
        phase += f / fs;
        if (phase >= 1.0) {
            phase -= 1.0;
            src[i] = 1.0;
        }
    }
    std::vector<double> y = src;
    for (const Resonance& r : formants) {
        const double rr = std::exp(-M_PI * r.bandwidth / fs);
        const double a1 = 2.0 * rr * std::cos(2.0 * M_PI * r.frequency / fs), a2 = -rr * rr;
        double y1 = 0.0, y2 = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double v = y[i] + a1 * y1 + a2 * y2;
            y2 = y1;
            y1 = v;
            y[i] = v;
        }
    }
    double m = 0.0;
    for (double v : y) m = std::max(m, std::fabs(v));
    std::mt19937 rng(noise_seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<std::int16_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        double v = m > 0.0 ? y[i] / m * peak : 0.0;
        if (noise_level > 0.0) v += noise_level * noise(rng);
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
    }
    return out;
}

}  // namespace vox::test
