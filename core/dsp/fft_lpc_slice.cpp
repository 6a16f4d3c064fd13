// FFT/LPC slice of one frame or the average over a selection.

#include "core/dsp/fft_lpc_slice.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/dsp/formant_frame.h"
#include "core/dsp/math_func.h"
#include "core/platform/user_prompts.h"

namespace vox {

const char* check_slice_options(const FftLpcOptions& o, double fs) {
    if (o.frequency_range_hz > static_cast<int>(fs) / 2000 * 1000) return slice_text::kFrequencyRangeTooHigh;
    if (o.lpc_coefficients > static_cast<int>(fs / 2000.0 * 2.0 + 10.0)) return slice_text::kLpcOrderTooHigh;
    return nullptr;
}

namespace {

struct FrameCurves {
    std::vector<double> fft, lpc;
    double fft_max = 0.0, fft_min = 0.0, lpc_low = 0.0;
    std::array<double, 5> F{{-1, -1, -1, -1, -1}}, B{{-1, -1, -1, -1, -1}};
};

// Curves of the frame at `start`.
void analyse_frame(CMathFunc& mf, SampleSource& src, std::uint64_t start, const SliceRequest& rq, int N,
                   std::vector<std::int16_t>& raw, std::vector<double>& buf, FrameCurves& out) {
    const FftLpcOptions& o = rq.options;
    const int P = rq.out_points;
    const double fRange = o.frequency_range_hz;
    // FFT frame: the applied window's samples, zeros up to N + 10.
    const int used = std::min(N, static_cast<int>(o.applied_window_ms * rq.fs / 1000.0 + 0.5));
    std::fill(buf.begin(), buf.end(), 0.0);
    const std::size_t got = src.copy(start, static_cast<std::size_t>(std::max(0, used)), raw.data());
    for (std::size_t i = 0; i < got; ++i) buf[i] = raw[i];
    mf.PowerSpectrumDb(buf.data(), N, 0.0, 1, true, P, fRange, rq.fs);
    double lo = 1e8, hi = -1e8;
    for (int i = 0; i < P; ++i) {
        lo = std::min(lo, buf[i]);
        hi = std::max(hi, buf[i]);
    }
    out.fft.resize(P);
    for (int i = 0; i < P; ++i) out.fft[i] = std::max(0.0, buf[i] - lo);
    out.fft_max = hi - lo;
    out.fft_min = lo;

    // LPC frame: p milliseconds, at least kMinLpcFrameMs.
    const int p = o.lpc_coefficients;
    const int n = lpc_frame_samples(rq.fs, p);
    std::fill(buf.begin(), buf.end(), 0.0);
    const std::size_t lgot = src.copy(start, static_cast<std::size_t>(std::max(0, n + 5)), raw.data());
    for (std::size_t i = 0; i < lgot; ++i) buf[i] = raw[i];
    // Formants first (the envelope is written over the frame): pre-emphasis
    // from 50 Hz, as for every formant measurement.
    const FormantResult* fr = FormantsOfFrame(mf, buf.data(), n, rq.fs, p, formant_preemphasis(rq.fs));
    std::array<double, 5> cand_f{}, cand_b{};
    const int cand = fr ? std::min(5, fr->formant_count) : 0;
    const bool lowest_at_peak = fr && fr->lowest_at_peak;
    for (int j = 0; j < cand; ++j) {
        cand_f[j] = fr->F[j];
        cand_b[j] = fr->B[j];
    }
    mf.LpcSpectrumDb(buf.data(), p, n, 0.0, 1, true, P, fRange, rq.fs, false, false);
    double amax = -1000.0, amin = 1000.0;
    for (int i = 0; i < P; ++i) {
        amax = std::max(amax, buf[i]);
        amin = std::min(amin, buf[i]);
    }
    out.lpc.resize(P);
    double emin = 1e6, emax = -1e6;
    for (int i = 0; i < P; ++i) {
        out.lpc[i] = amax - buf[i];
        emin = std::min(emin, out.lpc[i]);
        emax = std::max(emax, out.lpc[i]);
    }
    for (int i = 0; i < P; ++i) out.lpc[i] -= emin;
    out.lpc_low = -emax;

    out.F.fill(-1);
    out.B.fill(-1);
    {
        int slot = 0;
        for (int j = 0; j < cand; ++j) {
            const double f = cand_f[j], b = cand_b[j];
            if (formant_slot_accepted(f, b, j == 0 && lowest_at_peak)) {
                out.F[slot] = f + 0.5;
                out.B[slot] = b + 0.5;
                ++slot;
            }
        }
    }
}

// Shifts v so that its minimum is 0; returns the minimum taken off (dB).
double relative_to_minimum(std::vector<double>& v, double& range) {
    double lo = 1e8, hi = -1e8;
    for (double x : v) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
    }
    for (double& x : v) x = std::max(0.0, x - lo);
    range = v.empty() ? 0.0 : hi - lo;
    return v.empty() ? 0.0 : lo;
}

}  // namespace

std::optional<SliceResult> ComputeFftLpcSlice(SampleSource& source, const SliceRequest& rq, UserPrompts* prompts) {
    auto fail = [&](const char* text, bool beep) -> std::optional<SliceResult> {
        if (prompts) {
            if (beep) prompts->beep();
            prompts->message(text);
        }
        return std::nullopt;
    };
    if (const char* msg = check_slice_options(rq.options, rq.fs)) return fail(msg, false);
    if (rq.out_points <= 0 || rq.fs <= 0.0 || rq.options.lpc_coefficients < 1) return std::nullopt;
    const int N = slice_fft_points(rq.options);
    const int n_lpc = lpc_frame_samples(rq.fs, rq.options.lpc_coefficients);
    try {
        // The frame buffer: room for the FFT frame, the LPC frame and every curve.
        const std::size_t cap = std::max<std::size_t>(
            {static_cast<std::size_t>(N) + 10, static_cast<std::size_t>(n_lpc) + 10,
             static_cast<std::size_t>(rq.out_points) + 10, 256});
        std::vector<double> buf(cap, 0.0);
        std::vector<std::int16_t> raw(cap, 0);
        CMathFunc mf;
        SampleSource src = source.clone();
        SliceResult result;
        FrameCurves cur;
        if (!rq.selection) {
            analyse_frame(mf, src, rq.frame_start, rq, N, raw, buf, cur);
            result.fft = std::move(cur.fft);
            result.fft_max = cur.fft_max;
            result.fft_min = cur.fft_min;
            result.lpc = std::move(cur.lpc);
            result.lpc_low = cur.lpc_low;
            result.F = cur.F;
            result.B = cur.B;
            result.frames = 1;
            return result;
        }
        const std::uint64_t s =
            static_cast<std::uint64_t>(std::max(1, static_cast<int>(rq.options.average_step_ms * rq.fs / 1000.0 + 0.5)));
        // Equal weights: the curves are the mean of the frames; each
        // formant slot is the mean over the frames where that slot was
        // filled (an empty slot, −1, is no measurement).
        std::array<double, 5> f_sum{}, b_sum{};
        std::array<int, 5> f_count{};
        double min_sum = 0.0, low_sum = 0.0;
        for (std::uint64_t start = rq.sel_start;; start += s) {
            analyse_frame(mf, src, start, rq, N, raw, buf, cur);
            if (result.frames == 0) {
                result.fft.assign(cur.fft.size(), 0.0);
                result.lpc.assign(cur.lpc.size(), 0.0);
            }
            for (std::size_t i = 0; i < result.fft.size(); ++i) result.fft[i] += cur.fft[i];
            for (std::size_t i = 0; i < result.lpc.size(); ++i) result.lpc[i] += cur.lpc[i];
            // Each frame's curve stands over its own minimum; averaging the
            // minima alongside keeps the absolute level of the mean.
            min_sum += cur.fft_min;
            low_sum += cur.lpc_low;
            for (int j = 0; j < 5; ++j) {
                if (cur.F[j] < 0.0) continue;
                f_sum[j] += cur.F[j];
                b_sum[j] += cur.B[j];
                ++f_count[j];
            }
            ++result.frames;
            if (start + static_cast<std::uint64_t>(N) >= rq.sel_end) break;
        }
        const double k = static_cast<double>(result.frames);
        for (double& v : result.fft) v /= k;
        for (double& v : result.lpc) v /= k;
        result.fft_min = min_sum / k;
        result.lpc_low = low_sum / k;
        std::array<std::pair<double, double>, 5> fb;
        int filled = 0;
        for (int j = 0; j < 5; ++j)
            if (f_count[j] > 0) fb[filled++] = {f_sum[j] / f_count[j], b_sum[j] / f_count[j]};
        for (int i = 1; i < filled; ++i)  // ascending by frequency
            for (int j = i; j > 0 && fb[j].first < fb[j - 1].first; --j) std::swap(fb[j], fb[j - 1]);
        result.F.fill(-1);
        result.B.fill(-1);
        for (int j = 0; j < filled; ++j) {
            result.F[j] = fb[j].first;
            result.B[j] = fb[j].second;
        }
        result.fft_min += relative_to_minimum(result.fft, result.fft_max);
        return result;
    } catch (const std::bad_alloc&) {
        return fail(slice_text::kNoMemory, false);
    } catch (const SampleReadError&) {
        return std::nullopt;
    } catch (const AnalysisAbandoned&) {
        return fail(dsp_text::kLpcRoutineError, false);
    }
}

}  // namespace vox
