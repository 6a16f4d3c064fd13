// Intensity contour of a channel.

#include "core/dsp/intensity.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "core/dsp/parallel.h"

namespace vox {

namespace {
// Frames measured between two cancel checks.
constexpr long long kFrameBlock = 8192;
}  // namespace

IntensityFrameSizes intensity_frame_sizes(double window_ms, double step_ms, double fs) {
    IntensityFrameSizes s;
    s.window = static_cast<int>(window_ms * fs / 1000.0 + 0.5);
    s.step = step_ms * fs / 1000.0;
    return s;
}

bool ComputeIntensityFrames(SampleSource& source, std::uint64_t total, double fs, double offset,
                            const IntensityOptions& options, Progress& progress, IntensityContour& contour,
                            int threads) {
    const IntensityFrameSizes sz = intensity_frame_sizes(options.window_ms, options.step_ms, fs);
    const int n = sz.window;
    const double st = sz.step;
    total = std::min<std::uint64_t>(total, source.count());
    // Frames i < (total − n)/st whose n samples lie inside the channel.
    long long frames = 0;
    if (n > 0 && st > 0.0 && static_cast<double>(total) > n) {
        const double limit = (static_cast<double>(total) - n) / st;
        frames = static_cast<long long>(std::ceil(limit));
        while (frames > 0 &&
               static_cast<std::uint64_t>(static_cast<double>(frames - 1) * st) + static_cast<std::uint64_t>(n) > total)
            --frames;
    }
    auto start_of = [st](long long i) { return static_cast<std::uint64_t>(static_cast<double>(i) * st); };
    std::vector<double> values(static_cast<std::size_t>(frames));

    const long long blocks = (frames + kFrameBlock - 1) / kFrameBlock;
    ProgressScope scope(progress, dsp_text::kCaptionIntensity, blocks + 1);
    const int parts = static_cast<int>(
        std::clamp<long long>(threads > 0 ? threads : dsp_detail::default_threads(), 1, std::max(1LL, frames)));
    std::vector<SampleSource> sources;
    for (int w = 0; w < parts; ++w) sources.push_back(source.clone());
    for (long long b0 = 0; b0 < frames; b0 += kFrameBlock) {
        if (progress.cancelled()) return false;
        const long long b1 = std::min(frames, b0 + kFrameBlock);
        dsp_detail::parallel_for(parts, b1 - b0, [&](int w, long long b, long long e) {
            SampleSource& src = sources[static_cast<std::size_t>(w)];
            for (long long i = b0 + b; i < b0 + e; ++i) {
                std::size_t avail = 0;
                const std::int16_t* x = src.span(start_of(i), static_cast<std::size_t>(n), avail);
                values[static_cast<std::size_t>(i)] = CMathFunc::FrameMeasure(x, n, offset, false);
            }
        });
        progress.step();
    }
    if (progress.cancelled()) return false;
    contour.assign(std::move(values), n, st, total, options.relative != 0, fs);
    progress.step();
    return true;
}

bool ComputeIntensityContour(SampleSource& source, std::size_t total, double fs, double offset,
                             const IntensityOptions& options, Progress& progress, double* out, EnergyRange& range,
                             int threads) {
    IntensityContour contour;
    if (!ComputeIntensityFrames(source, total, fs, offset, options, progress, contour, threads)) return false;
    total = static_cast<std::size_t>(std::min<std::uint64_t>(total, source.count()));
    // Frame by frame rather than sample by sample: each frame's value over
    // the samples it decides, 0 elsewhere.
    std::size_t pos = 0;
    auto fill = [&](std::uint64_t to, double v) {
        for (; pos < std::min<std::uint64_t>(to, total); ++pos) out[pos] = v;
    };
    for (std::size_t f = 0; f < contour.frames(); ++f) {
        const std::uint64_t s = contour.frame_start(f);
        const std::uint64_t next = f + 1 < contour.frames() ? contour.frame_start(f + 1) : total;
        if (s > pos) fill(s, contour[pos]);  // a sample no frame covers
        fill(std::min<std::uint64_t>(next, s + static_cast<std::uint64_t>(contour.window())), contour.frame_value(f));
    }
    if (pos < total) fill(total, contour[pos]);
    range.min = contour.min();
    range.max = contour.max();
    return true;
}


}  // namespace vox
