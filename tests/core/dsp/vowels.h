// Steady synthetic vowels with known formants: the signals of the formant
// accuracy suite, shared with the benchmark that writes them for the
// side-by-side yardstick (both must analyse the very same samples).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/core/dsp/synth.h"

namespace vox::test {

struct Vowel {
    const char* name;
    double male[5];    // Hz, spoken at F0 110 Hz
    double female[5];  // Hz, spoken at F0 220 Hz
};

// Mean formants of adult male and female speakers (F1–F3), with F4 and F5
// where such voices have them.
inline constexpr Vowel kVowels[] = {
    {"a", {730, 1090, 2440, 3500, 4500}, {850, 1220, 2810, 4000, 4950}},
    {"i", {270, 2290, 3010, 3500, 4500}, {310, 2790, 3310, 4000, 4950}},
    {"u", {300, 870, 2240, 3500, 4500}, {370, 950, 2670, 4000, 4950}},
    {"e", {530, 1840, 2480, 3500, 4500}, {610, 2330, 2990, 4000, 4950}},
    {"o", {570, 840, 2410, 3500, 4500}, {590, 920, 2710, 4000, 4950}},
};
inline constexpr double kVowelBandwidths[5] = {80, 100, 120, 150, 200};  // Hz, B1–B5

// The glottal pulse of a steady vowel: by default the Rosenberg pulse of
// VoiceSpec (closed over 44 % of the period).
struct Source {
    Glottis glottis = Glottis::Rosenberg;
    double opening = 0.40, closing = 0.16;  // fractions of the period
};

// 0.4 s of the vowel with formants F (Hz; those above 0.475·fs left out) on
// Rosenberg pulses at f0 with 0.5 % jitter; with noise 30 dB down if noisy.
// Another `realisation` draws other jitter and noise; `source` another pulse.
inline std::vector<std::int16_t> steady_vowel(double fs, double f0, const double* F, bool noisy,
                                              unsigned realisation = 0, const Source& source = {}) {
    VoiceSpec v;
    v.fs = fs;
    v.seconds = 0.4;
    v.f0 = [f0](double) { return f0; };
    for (int k = 0; k < 5; ++k)
        if (F[k] < 0.475 * fs) v.formants.push_back({F[k], kVowelBandwidths[k]});
    v.glottis = source.glottis;
    v.opening = source.opening;
    v.closing = source.closing;
    v.jitter = 0.005;
    v.seed = static_cast<unsigned>(fs + f0) + 7919u * realisation;
    if (noisy) v.snr_db = 30.0;
    return synth(v);
}

}  // namespace vox::test
