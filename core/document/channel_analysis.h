#pragma once
// The analyses of a document channel: each reads the channel through the
// document's sample access (memory or the raw file of a long recording).

#include <cstdint>

#include "core/document/marbeck_doc.h"
#include "core/dsp/intensity.h"
#include "core/dsp/pitch_options.h"
#include "core/dsp/pitch_tracker.h"

namespace vox {

// A source over channel `channel` of a document for the analyses. Throws
// SampleReadError when the channel holds no samples.
SampleSource channel_source(const CMarbeckDoc& doc, int channel);

// The contour of a document channel, stored with the channel (its frames,
// count, window, step, range, relative flag and validity). The
// previous contour is released first; on a cancel, a read failure or an
// allocation failure the channel is left with no contour and false is
// returned.
bool ComputeChannelIntensity(CMarbeckDoc& doc, int channel, const IntensityOptions& options, Progress& progress,
                             int threads = 0);

// The track of the method chosen in options over [start, start + count) of a
// document channel (the whole channel when count is 0).
PitchOutcome ComputePitch(const CMarbeckDoc& doc, int channel, std::uint64_t start, std::uint64_t count,
                          PitchOptions& options, Progress& progress, int threads = 0);

}  // namespace vox
