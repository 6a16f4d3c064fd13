#pragma once
// The two pitch (F0) tracks of a stretch of one channel:
//  - cepstral: CepstralPitch per frame (window and step from the options),
//    then the deviation filter, centred three-point smoothing and the energy
//    gate;
//    unvoiced frames are 0 Hz;
//  - AMDF: TrackPitchAmdf over the 8-bit copy, one value per 100 samples;
//    unvoiced frames are −0.1 Hz.
// Both read the samples from memory or, for a long recording, from the raw
// sample file, report through a Progress window (caption
// dsp_text::kCaptionPitch) and stop when it reports a cancel, leaving no
// track.

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/app/option_block.h"
#include "core/dsp/time_base.h"
#include "core/dsp/math_func.h"
#include "core/dsp/sample_source.h"
#include "core/platform/progress.h"

namespace vox {


// A pitch track and its time base: value i belongs to the centre of the
// samples it was computed from, at first_ms + i·step_ms (TimeBase). Every
// reader of a track (the display, the readouts, the log, the command line)
// asks it for times and values here rather than converting frame numbers
// itself.
struct PitchTrack : TimeBase {
    bool cepstral = true;
    double sample_rate = 0.0;  // Hz
    std::vector<double> f0;    // Hz per value; ≤ 0 unvoiced

    std::size_t size() const { return f0.size(); }
    bool empty() const { return f0.empty(); }
    bool voiced(std::size_t i) const { return f0[i] > 0.0; }
    // F0 at a time: the value whose time is nearest, 0 when it is unvoiced or
    // the time lies more than half a step outside the track.
    double value_at(double ms) const;
    // Index of the value nearest to ms; none outside the track as above.
    std::optional<std::size_t> index_at(double ms) const;
    // Mean of the voiced values whose times lie in [lo_ms, hi_ms]; 0 when none.
    double mean_between(double lo_ms, double hi_ms) const;
    // Indices [first, last) of the values whose times lie in [lo_ms, hi_ms].
    std::pair<std::size_t, std::size_t> indices_between(double lo_ms, double hi_ms) const;
};

// Why a track was not produced.
enum class PitchFailure {
    None,
    Cancelled,    // the person pressed the mouse
    TooShort,     // fewer samples than the tracker needs (1100 for AMDF)
    BadRange,     // options that leave nothing to search
    ReadFailed,   // the raw sample file could not be read
};

struct PitchOutcome {
    std::optional<PitchTrack> track;
    PitchFailure failure = PitchFailure::None;
};

// Frame sizes of the cepstral track: window n in samples ((int)(fs/1000 ·
// window ms), cut to 4096 with options.window_ms rewritten to match, then
// lengthened to hold 2.75 periods of the calculation range's low end, up to
// 8192 samples), the FFT size it needs (1024 below 1024 samples, 2048 below
// 2048, 4096 up to 4096, else 8192) and the step in samples (not rounded).
struct CepstralFrameSizes {
    int window = 0;
    int fft = 0;
    double step = 0.0;
};
CepstralFrameSizes cepstral_frame_sizes(double fs, PitchOptions& options);

// Cepstral track of samples [start, start + count) of `source`. A window of
// 4096 samples or more is cut to 4096 and options.window_ms is rewritten to
// match. offset is subtracted before the energy gate (the channel's
// reference). threads ≤ 0 uses every core.
PitchOutcome CepstralPitchTrack(SampleSource& source, std::uint64_t start, std::uint64_t count, double fs,
                                double offset, PitchOptions& options, Progress& progress, int threads = 0);

// AMDF track of the same stretch: calculation range, deviation (as a
// percentage) and threshold (as a level) truncated to integers.
PitchOutcome AmdfPitchTrack(SampleSource& source, std::uint64_t start, std::uint64_t count, double fs,
                            const PitchOptions& options, Progress& progress, int threads = 0);


// The cepstral peaks of one frame, the frame's answer first (as
// CMathFunc::CepstralPitch lists them); none for an unvoiced or gated frame.
struct PitchFrameCandidates {
    int count = 0;
    PitchCandidate c[kMaxPitchCandidates];
};

// One F0 per frame chosen for continuity: over each run of consecutive
// frames with candidates, the path of one candidate per frame that
// minimises the cost of the candidates (0 for a frame's answer, at least
// kRank for any other, more when it is much weaker) plus kJump × |ln| of the
// ratio between consecutive F0s. A lone outlier whose frame also holds a
// peak on the contour gives way to it; frames without candidates read 0.
std::vector<double> ChooseContinuousPitch(const std::vector<PitchFrameCandidates>& frames);

// Post-processing of the raw cepstral values, in place: deviation filter
// (first and last frame 0, others kept when both neighbours differ by less
// than `deviation` Hz as truncated integers), then centred three-point
// smoothing: a frame whose two neighbours are voiced becomes the mean of the
// three unsmoothed values, so that a value stays at its own frame's time.
void CepstralDeviationAndSmoothing(std::vector<double>& values, double deviation);

}  // namespace vox
