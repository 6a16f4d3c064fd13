// Intensity contour of a channel.

#include "core/dsp/intensity.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "core/document/marbeck_doc.h"
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

bool ComputeIntensityContour(SampleSource& source, std::size_t total, double fs, double offset,
                             const IntensityOptions& options, Progress& progress, double* out, EnergyRange& range,
                             int threads) {
    const IntensityFrameSizes sz = intensity_frame_sizes(options.window_ms, options.step_ms, fs);
    const int n = sz.window;
    const double st = sz.step;
    total = static_cast<std::size_t>(std::min<std::uint64_t>(total, source.count()));
    // Frames i < (total − n)/st whose n samples lie inside the channel.
    long long frames = 0;
    if (n > 0 && st > 0.0 && static_cast<double>(total) > n) {
        const double limit = (static_cast<double>(total) - n) / st;
        frames = static_cast<long long>(std::ceil(limit));
        while (frames > 0 && static_cast<std::size_t>(static_cast<double>(frames - 1) * st) + n > total) --frames;
    }
    std::vector<std::size_t> starts(static_cast<std::size_t>(frames));
    std::vector<double> values(starts.size());
    for (long long i = 0; i < frames; ++i) starts[static_cast<std::size_t>(i)] = static_cast<std::size_t>(static_cast<double>(i) * st);

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
                const std::int16_t* x = src.span(starts[static_cast<std::size_t>(i)], static_cast<std::size_t>(n), avail);
                values[static_cast<std::size_t>(i)] = CMathFunc::FrameMeasure(x, n, offset, false);
            }
        });
        progress.step();
    }
    if (progress.cancelled()) return false;
    range = CMathFunc::SpreadFrameValues(starts.data(), values.data(), starts.size(), n, total, options.relative != 0,
                                         out);
    progress.step();
    return true;
}

bool ComputeChannelIntensity(CMarbeckDoc& doc, int channel, const IntensityOptions& options, Progress& progress,
                             int threads) {
    if (channel < 0 || channel >= kMaxChannels) return false;
    CChannels& ch = doc.channels[channel];
    // The previous contour goes first.
    ch.intensity.reset();
    ch.intensity_count = 0;
    ch.intensity_valid = 0;
    ch.intensity_min = 0.0;
    ch.intensity_max = 0.0;
    ch.intensity_window_ms = options.window_ms;
    ch.intensity_step_ms = options.step_ms;
    ch.intensity_relative = options.relative;
    try {
        SampleSource source = SampleSource::for_channel(doc, channel);
        const std::size_t total = ch.count();
        RealBlock contour;
        contour.allocate(total);
        EnergyRange range;
        if (!ComputeIntensityContour(source, total, ch.sample_rate, ch.reference, options, progress, contour.data(),
                                     range, threads))
            return false;
        ch.intensity = std::move(contour);
        ch.intensity_count = static_cast<std::int32_t>(total);
        ch.intensity_min = range.min;
        ch.intensity_max = range.max;
        ch.intensity_valid = 1;
        return true;
    } catch (const SampleReadError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace vox
