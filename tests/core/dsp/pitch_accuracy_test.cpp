// Accuracy of both pitch tracks against synthetic voices whose F0 is known:
// glottal pulses with a little jitter through three resonators, an F0
// contour from 60 to 450 Hz in three voiced stretches, clean and with white
// noise 30 dB below the voice, at the rates recordings are made at.
// Figures per track: gross errors (more than 20 % off), the mean relative
// error of the other voiced frames, voicing decisions that disagree with the
// truth, and the time lag of the track against the truth.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/dsp/pitch_options.h"
#include "core/dsp/pitch_tracker.h"
#include "tests/core/dsp/synth.h"

namespace vox {
namespace {

using test::Resonance;

// Three voiced stretches (seconds), each an exponential glide with a slow
// wobble, separated by silence; together they cover 60 … 450 Hz.
struct Stretch {
    double t0, t1, f_start, f_end;
    std::vector<Resonance> formants;
};
const std::vector<Stretch>& stretches() {
    static const std::vector<Stretch> s{
        {0.15, 0.85, 60.0, 140.0, {{730, 80}, {1090, 100}, {2440, 140}}},   // low voice, /a/
        {1.00, 1.70, 110.0, 250.0, {{530, 70}, {1840, 110}, {2480, 150}}},  // /e/
        {1.85, 2.55, 210.0, 450.0, {{850, 90}, {1220, 110}, {2810, 160}}},  // high voice, open vowel
    };
    return s;
}
constexpr double kSeconds = 2.7;

double truth_hz(double t) {
    for (const Stretch& s : stretches()) {
        if (t >= s.t0 && t < s.t1) {
            const double u = (t - s.t0) / (s.t1 - s.t0);
            return s.f_start * std::pow(s.f_end / s.f_start, u) * (1.0 + 0.03 * std::sin(2 * M_PI * 3.0 * t));
        }
    }
    return 0.0;
}

// Voiceless fricatives (seconds) in the gaps and at both ends, two of them
// touching a vowel (after the first stretch, before the third): hissing noise
// whose spectrum rises towards a broad peak high in the band, about as loud
// as a sibilant beside a vowel. A pitch track must call them unvoiced.
struct Fricative {
    double t0, t1;
};
const std::vector<Fricative>& fricatives() {
    static const std::vector<Fricative> f{{0.03, 0.12}, {0.85, 0.97}, {1.73, 1.85}, {2.58, 2.68}};
    return f;
}
constexpr double kFricativeBelowVoiceDb = 6.0;

// Each stretch is synthesised with its own formants and the pieces added.
// The glottal pulse of every stretch: a Rosenberg pulse opening and closing
// over these fractions of the period.
struct Pulse {
    double opening = 0.40, closing = 0.16;
};

std::vector<std::int16_t> voice(double fs, bool noisy, bool with_fricatives = false, Pulse pulse = {}) {
    std::vector<double> sum(static_cast<std::size_t>(fs * kSeconds), 0.0);
    unsigned seed = 11;
    for (const Stretch& s : stretches()) {
        test::VoiceSpec v;
        v.fs = fs;
        v.seconds = kSeconds;
        v.f0 = [&s](double t) { return t >= s.t0 && t < s.t1 ? truth_hz(t) : 0.0; };
        v.formants = s.formants;
        v.glottis = test::Glottis::Rosenberg;
        v.opening = pulse.opening;
        v.closing = pulse.closing;
        v.jitter = 0.005;
        v.seed = seed++;
        v.peak = 10000;
        const auto x = test::synth(v);
        for (std::size_t i = 0; i < sum.size() && i < x.size(); ++i) sum[i] += x[i];
    }
    std::vector<std::int16_t> out(sum.size());
    double power = 0.0;
    std::size_t voiced = 0;
    for (std::size_t i = 0; i < sum.size(); ++i)
        if (truth_hz(i / fs) > 0.0) {
            power += sum[i] * sum[i];
            ++voiced;
        }
    const double noise_sd = noisy ? std::sqrt(power / voiced) / std::pow(10.0, 30.0 / 20.0) : 0.0;
    std::mt19937 rng(99);
    std::normal_distribution<double> gauss(0.0, 1.0);
    if (with_fricatives) {
        // White noise, differenced (rising 6 dB per octave), through one
        // broad resonance at 4.5 kHz or 40 % of the rate when lower, scaled
        // to its RMS.
        const double fr = std::min(4500.0, 0.4 * fs), bw = 0.5 * fr;
        const double rr = std::exp(-M_PI * bw / fs);
        const double a1 = 2.0 * rr * std::cos(2.0 * M_PI * fr / fs), a2 = -rr * rr;
        const double rms = std::sqrt(power / voiced) / std::pow(10.0, kFricativeBelowVoiceDb / 20.0);
        for (const Fricative& f : fricatives()) {
            const auto i0 = static_cast<std::size_t>(f.t0 * fs), i1 = static_cast<std::size_t>(f.t1 * fs);
            std::vector<double> hiss(i1 - i0);
            double prev = 0.0, y1 = 0.0, y2 = 0.0, p = 0.0;
            for (double& h : hiss) {
                const double w = gauss(rng);
                const double y = (w - prev) + a1 * y1 + a2 * y2;
                prev = w;
                y2 = y1;
                y1 = y;
                h = y;
                p += y * y;
            }
            const double scale = rms / std::sqrt(p / static_cast<double>(hiss.size()));
            for (std::size_t i = i0; i < i1 && i < sum.size(); ++i) sum[i] += scale * hiss[i - i0];
        }
    }
    for (std::size_t i = 0; i < sum.size(); ++i)
        out[i] = static_cast<std::int16_t>(std::lround(std::clamp(sum[i] + noise_sd * gauss(rng), -32767.0, 32767.0)));
    return out;
}

// With VOXTREL_PITCH_VOICES_DIR set, each voice is also written there as a
// 16-bit WAV file with its true F0 every 10 ms (seconds, Hz; 0 unvoiced) so
// that other pitch analysers can be measured on the same signals.
void write_voice_files(const std::string& name, double fs, const std::vector<std::int16_t>& x) {
    const char* dir = std::getenv("VOXTREL_PITCH_VOICES_DIR");
    if (dir == nullptr || *dir == 0) return;
    const std::string base = std::string(dir) + "/" + name;
    if (std::FILE* f = std::fopen((base + ".wav").c_str(), "wb")) {
        auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) std::fputc((v >> (8 * i)) & 255, f); };
        auto u16 = [&](std::uint32_t v) { for (int i = 0; i < 2; ++i) std::fputc((v >> (8 * i)) & 255, f); };
        const auto bytes = static_cast<std::uint32_t>(2 * x.size());
        std::fputs("RIFF", f);
        u32(36 + bytes);
        std::fputs("WAVEfmt ", f);
        u32(16);
        u16(1);
        u16(1);
        u32(static_cast<std::uint32_t>(fs));
        u32(static_cast<std::uint32_t>(2 * fs));
        u16(2);
        u16(16);
        std::fputs("data", f);
        u32(bytes);
        for (std::int16_t v : x) u16(static_cast<std::uint16_t>(v));
        std::fclose(f);
    }
    if (std::FILE* f = std::fopen((base + ".f0").c_str(), "w")) {
        for (int i = 1; i * 0.01 < kSeconds; ++i) std::fprintf(f, "%.2f\t%.4f\n", i * 0.01, truth_hz(i * 0.01));
        std::fclose(f);
    }
}

struct Figures {
    double gross = 0, fine = 0, voicing = 0, lag_ms = 0;
    int frames = 0, both_voiced = 0;
};

Figures measure(const PitchTrack& tr) {
    Figures f;
    int gross = 0, wrong_voicing = 0, fine_n = 0;
    double fine = 0;
    for (std::size_t i = 0; i < tr.size(); ++i) {
        const double t = tr.time_ms(i) / 1000.0;
        if (t < 0.0 || t > kSeconds) continue;
        const double truth = truth_hz(t);
        ++f.frames;
        if ((truth > 0.0) != tr.voiced(i)) {
            ++wrong_voicing;
            if (std::getenv("PITCH_DEBUG")) std::printf("  voicing t=%.4f truth=%.1f got=%.1f\n", t, truth, tr.f0[i]);
        }
        if (truth > 0.0 && tr.voiced(i)) {
            ++f.both_voiced;
            const double rel = std::fabs(tr.f0[i] - truth) / truth;
            if (rel > 0.2) {
                ++gross;
                if (std::getenv("PITCH_DEBUG")) std::printf("  gross t=%.4f truth=%.1f got=%.1f\n", t, truth, tr.f0[i]);
            } else {
                fine += rel;
                ++fine_n;
            }
        }
    }
    f.gross = f.both_voiced ? double(gross) / f.both_voiced : 1.0;
    f.fine = fine_n ? fine / fine_n : 1.0;
    f.voicing = f.frames ? double(wrong_voicing) / f.frames : 1.0;
    // Lag: the shift of the truth that best explains the track (positive:
    // the track shows a value late).
    double best = std::numeric_limits<double>::infinity();
    for (double lag = -40.0; lag <= 40.0; lag += 0.25) {
        double err = 0;
        int n = 0;
        for (std::size_t i = 0; i < tr.size(); ++i) {
            if (!tr.voiced(i)) continue;
            const double t = tr.time_ms(i) / 1000.0;
            const double truth = truth_hz(t - lag / 1000.0);
            if (truth <= 0.0 || truth_hz(t) <= 0.0) continue;
            const double e = std::fabs(std::log(tr.f0[i] / truth));
            if (e > 0.18) continue;  // gross errors say nothing about time
            err += e;
            ++n;
        }
        if (n > 0 && err / n < best) {
            best = err / n;
            f.lag_ms = lag;
        }
    }
    return f;
}

struct Case {
    double fs;
    bool noisy;
    bool fricatives = false;
    Pulse pulse = {};
};
std::string case_name(const ::testing::TestParamInfo<Case>& info) {
    const Pulse& p = info.param.pulse;
    const bool other_pulse = p.opening != Pulse{}.opening || p.closing != Pulse{}.closing;
    return std::to_string(static_cast<int>(info.param.fs)) + (info.param.noisy ? "Hz_noise30dB" : "Hz_clean") +
           (info.param.fricatives ? "_fricatives" : "") +
           (other_pulse ? "_pulse" + std::to_string(std::lround(100 * p.opening)) + "_" +
                              std::to_string(std::lround(100 * p.closing))
                        : "");
}

void check_cepstral(const Case& c) {
    const auto x = voice(c.fs, c.noisy, c.fricatives, c.pulse);
    write_voice_files(std::to_string(static_cast<int>(c.fs)) + (c.noisy ? "_noise30dB" : "_clean") +
                          (c.fricatives ? "_fricatives" : ""),
                      c.fs, x);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    NullProgress np;
    const auto out = CepstralPitchTrack(src, 0, x.size(), c.fs, 0.0, o, np, 1);
    ASSERT_TRUE(out.track);
    const Figures f = measure(*out.track);
    std::printf("cepstral %6.0f Hz %s%s: gross %.4f fine %.4f voicing %.4f lag %.2f ms (%d frames)\n", c.fs,
                c.noisy ? "noise" : "clean", c.fricatives ? "+fricatives" : "", f.gross, f.fine, f.voicing, f.lag_ms, f.frames);
    EXPECT_LE(f.gross, 0.01);
    EXPECT_LE(f.fine, 0.01);
    EXPECT_LE(f.voicing, 0.05);
    EXPECT_LE(std::fabs(f.lag_ms), 5.0);
}

class PitchAccuracy : public ::testing::TestWithParam<Case> {};

TEST_P(PitchAccuracy, CepstralTrackMeetsTheErrorBounds) { check_cepstral(GetParam()); }

void check_amdf(const Case& c) {
    const auto x = voice(c.fs, c.noisy, false, c.pulse);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    o.cepstral = kPitchMethodAmdf;
    NullProgress np;
    const auto out = AmdfPitchTrack(src, 0, x.size(), c.fs, o, np, 1);
    ASSERT_TRUE(out.track);
    const Figures f = measure(*out.track);
    std::printf("amdf     %6.0f Hz %s: gross %.4f fine %.4f voicing %.4f lag %.2f ms (%d frames)\n", c.fs,
                c.noisy ? "noise" : "clean", f.gross, f.fine, f.voicing, f.lag_ms, f.frames);
    EXPECT_LE(f.gross, 0.03);
    EXPECT_LE(std::fabs(f.lag_ms), 5.0);
    // Most of the voice is found at all.
    EXPECT_GE(f.both_voiced, f.frames / 2);
}

TEST_P(PitchAccuracy, AmdfTrackMeetsTheErrorBounds) { check_amdf(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Rates, PitchAccuracy,
                         ::testing::Values(Case{8000, false}, Case{8000, true}, Case{11025, false}, Case{11025, true},
                                           Case{16000, false}, Case{16000, true}, Case{22050, false},
                                           Case{22050, true}, Case{32000, false}, Case{32000, true},
                                           Case{44100, false}, Case{44100, true}, Case{48000, false},
                                           Case{48000, true}),
                         case_name);

// The cepstral track also at 96 kHz.
class CepstralAccuracyHighRate : public ::testing::TestWithParam<Case> {};
TEST_P(CepstralAccuracyHighRate, MeetsTheErrorBounds) { check_cepstral(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Rates, CepstralAccuracyHighRate, ::testing::Values(Case{96000, false}, Case{96000, true}),
                         case_name);

// The same bounds whatever the glottal pulse, for both trackers: Rosenberg
// pulses opening over 45–65 % of the period and closing over 10–35 % (the
// closed phase 10–40 % of it), which change the balance of the first
// harmonics and how long the formants ring within a period.
class PitchAcrossPulses : public ::testing::TestWithParam<Case> {};
TEST_P(PitchAcrossPulses, CepstralTrackMeetsTheErrorBounds) { check_cepstral(GetParam()); }
TEST_P(PitchAcrossPulses, AmdfTrackMeetsTheErrorBounds) { check_amdf(GetParam()); }
std::vector<Case> pulse_cases() {
    std::vector<Case> c;
    for (const Pulse p : {Pulse{0.50, 0.10}, Pulse{0.55, 0.25}, Pulse{0.60, 0.20}, Pulse{0.65, 0.25}, Pulse{0.45, 0.35}})
        for (double fs : {8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 44100.0, 48000.0})
            for (bool noisy : {false, true}) c.push_back(Case{fs, noisy, false, p});
    return c;
}
INSTANTIATE_TEST_SUITE_P(Rates, PitchAcrossPulses, ::testing::ValuesIn(pulse_cases()), case_name);

// Loud voiceless fricatives between the voiced stretches are not voiced.
class CepstralVoicingBesideFricatives : public ::testing::TestWithParam<Case> {};
TEST_P(CepstralVoicingBesideFricatives, MeetsTheErrorBounds) { check_cepstral(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Rates, CepstralVoicingBesideFricatives,
                         ::testing::Values(Case{8000, true, true}, Case{11025, true, true}, Case{16000, true, true},
                                           Case{22050, true, true}, Case{32000, true, true}, Case{44100, true, true},
                                           Case{48000, true, true}),
                         case_name);

// A sawtooth as tone generators make it (sample by sample from its phase,
// so that its harmonics above half the rate fold back between the true
// ones), with a slow deep tremolo: at these F0s the folded harmonics make
// the cepstral peak at three periods the strongest, and the track must
// still read F0, not F0/3, on its voiced frames.
struct Tone {
    double fs, f0;
};

class CepstralAliasedSawtooth : public ::testing::TestWithParam<Tone> {};

TEST_P(CepstralAliasedSawtooth, ReadsItsF0NotAThird) {
    const auto [fs, f0] = GetParam();
    std::vector<std::int16_t> x(static_cast<std::size_t>(fs));  // 1 s
    double phase = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double gain = 1.0 - 0.45 * (1.0 + std::sin(2 * M_PI * 0.7 * static_cast<double>(i) / fs));
        x[i] = static_cast<std::int16_t>(std::lround(16000.0 * gain * (2.0 * phase - 1.0)));
        phase += f0 / fs;
        phase -= std::floor(phase);
    }
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    NullProgress np;
    const auto out = CepstralPitchTrack(src, 0, x.size(), fs, 0.0, o, np, 1);
    ASSERT_TRUE(out.track);
    int voiced = 0, gross = 0;
    double worst = f0;
    for (std::size_t i = 0; i < out.track->size(); ++i) {
        if (!out.track->voiced(i)) continue;
        ++voiced;
        if (std::fabs(out.track->f0[i] - f0) > 0.2 * f0) {
            ++gross;
            worst = out.track->f0[i];
        }
    }
    EXPECT_GE(voiced, static_cast<int>(out.track->size()) * 9 / 10);
    EXPECT_LE(gross, voiced / 100) << gross << " of " << voiced << " voiced frames off, one at " << worst << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Tones, CepstralAliasedSawtooth,
                         ::testing::Values(Tone{16000, 284}, Tone{22050, 238}, Tone{32000, 240}, Tone{44100, 253},
                                           Tone{44100, 262}, Tone{48000, 242}, Tone{48000, 247}),
                         [](const ::testing::TestParamInfo<Tone>& i) {
                             return std::to_string(static_cast<int>(i.param.fs)) + "Hz_" +
                                    std::to_string(static_cast<int>(i.param.f0)) + "Hz";
                         });

}  // namespace
}  // namespace vox
