// The analyses of a document channel over the document's sample access.

#include "core/document/channel_analysis.h"

#include <memory>
#include <new>

namespace vox {

SampleSource channel_source(const CMarbeckDoc& doc, int channel) {
    ChannelSamples samples = doc.samples(channel);
    if (!samples.held()) throw SampleReadError("The raw sample file could not be read.");
    return SampleSource::over(std::make_unique<ChannelSamples>(std::move(samples)));
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
        SampleSource source = channel_source(doc, channel);
        const std::uint64_t total = ch.count();
        IntensityContour contour;
        if (!ComputeIntensityFrames(source, total, ch.sample_rate, ch.reference, options, progress, contour, threads))
            return false;
        ch.intensity_count = static_cast<std::int64_t>(contour.size());
        ch.intensity_min = contour.min();
        ch.intensity_max = contour.max();
        ch.intensity = std::move(contour);
        ch.intensity_valid = 1;
        return true;
    } catch (const SampleReadError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

PitchOutcome ComputePitch(const CMarbeckDoc& doc, int channel, std::uint64_t start, std::uint64_t count,
                          PitchOptions& options, Progress& progress, int threads) {
    PitchOutcome outcome;
    try {
        SampleSource source = channel_source(doc, channel);
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
