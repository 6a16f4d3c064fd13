#pragma once
// The two pitch (F0) tracks of a stretch of one channel:
//  - cepstral: CepstralPitch per frame (window and step from the options),
//    then the deviation filter, three-point smoothing and the energy gate;
//    unvoiced frames are 0 Hz;
//  - AMDF: TrackPitchAmdf over the 8-bit copy, one value per 100 samples;
//    unvoiced frames are −0.1 Hz.
// Both read the samples from memory or, for a long recording, from the raw
// sample file, report through a Progress window (caption
// dsp_text::kCaptionPitch) and stop when it reports a cancel, leaving no
// track.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/app/option_block.h"
#include "core/dsp/sample_source.h"
#include "core/platform/progress.h"

namespace vox {

class CMarbeckDoc;

struct PitchTrack {
    bool cepstral = true;
    double sample_rate = 0.0;   // Hz
    double first_sample = 0.0;  // start of the analysed stretch
    double frame_step = 0.0;    // samples between frame starts (100 for AMDF)
    std::vector<double> f0;     // Hz per frame; ≤ 0 unvoiced

    std::size_t size() const { return f0.size(); }
    // Sample where frame i starts (its first sample).
    double frame_sample(std::size_t i) const;
    // Time of frame i in ms (that of its first sample).
    double frame_ms(std::size_t i) const { return frame_sample(i) * 1000.0 / sample_rate; }
    bool voiced(std::size_t i) const { return f0[i] > 0.0; }
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
// window ms), cut to 4096 with options.window_ms rewritten to match), the
// FFT size it needs (1024 below 1024 samples, 2048 below 2048, else 4096)
// and the step in samples (not rounded).
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

// The track of the method chosen in options over [start, start + count) of a
// document channel (the whole channel when count is 0).
PitchOutcome ComputePitch(const CMarbeckDoc& doc, int channel, std::uint64_t start, std::uint64_t count,
                          PitchOptions& options, Progress& progress, int threads = 0);

// Post-processing of the raw cepstral values, in place: deviation filter
// (first and last frame 0, others kept when both neighbours differ by less
// than `deviation` Hz as truncated integers), then forward three-point
// smoothing of frames 0 … F−4 whose next two are voiced.
void CepstralDeviationAndSmoothing(std::vector<double>& values, double deviation);

}  // namespace vox
