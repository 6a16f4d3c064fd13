// Spectrogram columns with formant slots.

#include "core/dsp/spectrogram.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "core/dsp/formant_frame.h"
#include "core/dsp/math_func.h"
#include "core/dsp/parallel.h"
#include "core/platform/user_prompts.h"

namespace vox {

namespace {
// Columns computed between two cancel checks.
constexpr int kColumnBlock = 32;
int half_rate_limit(double rate) { return static_cast<int>(rate / 2000.0) * 1000; }
}  // namespace

const char* check_spectrogram_setup(double rate, int frequency_range, int lpc_order) {
    if (frequency_range > half_rate_limit(rate)) return spectrogram_text::kFrequencyRangeTooHigh;
    if (lpc_order > static_cast<int>(rate / 2000.0 * 2.0 + 10.0)) return spectrogram_text::kLpcOrderTooHigh;
    return nullptr;
}

std::string validate_spectrogram_dialog(double rate, int frequency_range, int lpc_order) {
    if (frequency_range < 500) return spectrogram_text::kRangeTooLow;
    if (frequency_range > half_rate_limit(rate)) {
        char text[96];
        std::snprintf(text, sizeof text, spectrogram_text::kRangeTooHighFormat, half_rate_limit(rate));
        return text;
    }
    if (lpc_order > 400) return spectrogram_text::kDialogLpcTooHigh;
    return {};
}

int spectrogram_grey(double m, int dynamic_range) {
    if (dynamic_range <= 0) return 0;
    const int g = static_cast<int>(255.0 - (255.0 / dynamic_range) * m);
    return std::clamp(g, 0, 255);
}

std::optional<SpectrogramColumns> ComputeSpectrogram(SampleSource& source, const SpectrogramSetup& su,
                                                     Progress& progress, UserPrompts* prompts, int threads) {
    const int columns = su.columns, rows = su.rows;
    if (columns <= 0 || rows <= 0 || su.window < 2 || su.window > CMathFunc::kMaxFftPoints || su.rate <= 0.0)
        return std::nullopt;
    const double fs = su.rate;
    // LPC frame: (int)(fs/1000)·order samples, at least 30 ms.
    const int L = su.lpc_order >= 1 ? spectrogram_lpc_frame_samples(fs, su.lpc_order) : 0;
    const bool track = su.formants && su.lpc_order >= 1 && L > 1;
    const std::size_t capacity = static_cast<std::size_t>(std::max({rows, su.window, track ? L : 0})) + 20;

    SpectrogramColumns out;
    out.columns = columns;
    out.rows = rows;
    out.dynamic_range = su.dynamic_range;
    // Allocation: one block of `capacity` doubles per column, zeroed.
    std::vector<double> blocks;
    try {
        blocks.assign(capacity * static_cast<std::size_t>(columns), 0.0);
        // Asked-for formant slots exist even where no LPC frame fits (every
        // slot then stays "not found").
        if (su.formants) out.formants.assign(static_cast<std::size_t>(columns), {-1, -1, -1, -1, -1});
    } catch (const std::bad_alloc&) {
        if (prompts) prompts->message(spectrogram_text::kLowMemory);
        return std::nullopt;
    }

    ProgressScope scope(progress, dsp_text::kCaptionSpectrogram, columns);
    const double hop = (su.last - su.first) / columns;
    out.first = su.first;
    out.hop = hop;
    out.rate = su.rate;
    // The formants' pre-emphasis: the same first difference from 50 Hz as
    // the slice's at every rate (the factor of the option, 0.98, puts its
    // corner at 25 Hz at 8 kHz but at 150 Hz at 48 kHz, which moves a low
    // F1 with the rate); none when the option is 0.
    const double formant_mu = su.pre_emphasis > 0.0 ? formant_preemphasis(fs) : 0.0;
    const int parts = std::clamp(threads > 0 ? threads : dsp_detail::default_threads(), 1, columns);
    struct Worker {
        std::unique_ptr<CMathFunc> mf;
        SampleSource src;
        std::vector<std::int16_t> raw;
        std::vector<double> lpc;
    };
    std::vector<Worker> workers;
    std::atomic<bool> failed{false}, no_result{false}, found{false};
    try {
        for (int w = 0; w < parts; ++w) {
            Worker wk{std::make_unique<CMathFunc>(), source.clone(), {}, {}};
            wk.raw.resize(static_cast<std::size_t>(std::max(su.window, L)) + 20);
            if (track) wk.lpc.resize(static_cast<std::size_t>(L) + 20);
            workers.push_back(std::move(wk));
        }
        for (int b0 = 0; b0 < columns; b0 += kColumnBlock) {
            if (progress.cancelled()) return std::nullopt;
            const int b1 = std::min(columns, b0 + kColumnBlock);
            dsp_detail::parallel_for(parts, b1 - b0, [&](int w, long long b, long long e) {
                Worker& wk = workers[static_cast<std::size_t>(w)];
                for (long long i = b0 + b; i < b0 + e; ++i) {
                    const double pos = su.first + static_cast<double>(i) * hop;
                    const auto at = static_cast<std::uint64_t>(out.column_sample(static_cast<int>(i)));
                    double* col = blocks.data() + capacity * static_cast<std::size_t>(i);
                    // window + 10 samples; zeros past the end of the channel.
                    const std::size_t got = wk.src.copy(at, static_cast<std::size_t>(su.window) + 10, wk.raw.data());
                    for (std::size_t j = 0; j < got; ++j) col[j] = wk.raw[j];
                    try {
                        wk.mf->PowerSpectrumDb(col, su.window, su.pre_emphasis, 1, true, rows, su.frequency_range, fs);
                    } catch (const AnalysisAbandoned&) {
                        failed.store(true);
                        return;
                    }
                    if (!track) continue;
                    // The LPC frame is centred on the column's spectral
                    // window, so that a formant dot stands over the spectrum
                    // it belongs to (a frame starting at the column would
                    // show the formants of L/2 − window/2 samples later).
                    const double lpc_pos = pos + 0.5 * (su.window - L);
                    const std::uint64_t lat = lpc_pos > 0.0 ? static_cast<std::uint64_t>(lpc_pos) : 0;
                    std::fill(wk.lpc.begin(), wk.lpc.end(), 0.0);
                    const std::size_t lgot = wk.src.copy(lat, static_cast<std::size_t>(L) + 10, wk.raw.data());
                    for (std::size_t j = 0; j < lgot; ++j) wk.lpc[j] = wk.raw[j];
                    const FormantResult* fr = nullptr;
                    bool silent = false;
                    try {
                        fr = FormantsOfFrame(*wk.mf, wk.lpc.data(), L, fs, su.lpc_order, formant_mu);
                    } catch (const AnalysisAbandoned&) {
                        // A frame without energy has no predictor and no formants.
                        silent = true;
                    }
                    auto& slots = out.formants[static_cast<std::size_t>(i)];
                    slots.fill(-1);
                    if (silent) continue;
                    if (!fr) {
                        no_result.store(true);
                        continue;
                    }
                    int slot = 0;
                    for (int j = 0; j < 5; ++j) {
                        const double F = j < fr->formant_count ? fr->F[j] : 0.0;
                        const double B = j < fr->formant_count ? fr->B[j] : 0.0;
                        if (j < fr->formant_count && formant_slot_accepted(F, B, j == 0 && fr->lowest_at_peak)) {
                            slots[slot++] = static_cast<std::int16_t>(std::clamp(F + 0.5, -32768.0, 32767.0));
                            found.store(true);
                        }
                    }
                }
            });
            if (failed.load()) return std::nullopt;
            for (int i = b0; i < b1; ++i) progress.step();
        }
    } catch (const SampleReadError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        if (prompts) prompts->message(spectrogram_text::kLowMemory);
        return std::nullopt;
    }
    if (no_result.load()) {
        out.formant_error = true;
        if (prompts) prompts->message(dsp_text::kFormantError);
    }
    out.formants_found = found.load();

    // Scale to the dynamic range against the loudest point.
    double M = -10000000.0;
    for (int i = 0; i < columns; ++i) {
        const double* col = blocks.data() + capacity * static_cast<std::size_t>(i);
        for (int r = 0; r < rows; ++r) M = std::max(M, col[r]);
    }
    out.values.resize(static_cast<std::size_t>(columns) * rows);
    for (int i = 0; i < columns; ++i) {
        const double* col = blocks.data() + capacity * static_cast<std::size_t>(i);
        double* dst = out.values.data() + static_cast<std::size_t>(i) * rows;
        for (int r = 0; r < rows; ++r) {
            const double v = su.dynamic_range + (col[r] - M);
            dst[r] = v < 0.0 ? 0.0 : v;
        }
    }
    // Quiet frames lose their formants. A frame is judged by the loudest
    // point of the columns whose spectral windows lie inside its LPC frame
    // (column i and those within L/2 of it): a short spectral window at a
    // high rate (128 points are 2.9 ms at 44.1 kHz) can fall between two
    // glottal pulses of a clear vowel, while the formants come from at
    // least 30 ms around it.
    if (track) {
        const double threshold = su.dynamic_range * 0.5;
        const int reach = hop > 0.0 ? static_cast<int>(std::min(0.5 * L / hop, static_cast<double>(columns))) : 0;
        std::vector<double> loudest(static_cast<std::size_t>(columns), -100000.0);
        for (int c = 0; c < columns; ++c)
            for (int r = 0; r < rows; ++r) loudest[static_cast<std::size_t>(c)] = std::max(loudest[static_cast<std::size_t>(c)], out.value(c, r));
        for (int i = 0; i < columns; ++i) {
            double mx = -100000.0;
            for (int c = std::max(0, i - reach); c <= std::min(columns - 1, i + reach); ++c)
                mx = std::max(mx, loudest[static_cast<std::size_t>(c)]);
            if (mx < threshold) out.formants[static_cast<std::size_t>(i)].fill(0);
        }
    }
    return out;
}

}  // namespace vox
