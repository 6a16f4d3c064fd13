#pragma once
// FFT/LPC slice: the power spectrum of one short stretch of a channel and
// the LPC envelope of the same stretch with up to five formants, or the
// mean of both over the frames of a selection.
// Stages per frame: admission checks; FFT curve (Hamming window over N
// points, no pre-emphasis, spline-resampled to outPoints up to the frequency
// range, relative to its minimum); LPC envelope of a frame p ms long, at
// least 30 ms (inverted inverse-filter dB, lowest point 0); formant slots
// from the same frame (formant_frame.h; first five candidates, kept when
// formant_slot_accepted, stored as F + 0.5, B + 0.5). A selection averages
// the frames with equal weights, each formant slot over the frames where it
// was found, the averaged formants ascending.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/app/option_block.h"
#include "core/dsp/sample_source.h"

namespace vox {

class UserPrompts;

namespace slice_text {
inline constexpr const char* kFrequencyRangeTooHigh = "Frequency range is beyond allowable value.\nUse Option->FFT/LPC and make sure the frequency range is up to 1/2 of sample rate.";
inline constexpr const char* kLpcOrderTooHigh = "Number of LPC coefficients is beyond allowable value.\nUse Option->FFT/LPC and make it is in the proper range.";
inline constexpr const char* kNoMemory = "Could not allocate enough memory for this operation.";
// The options dialog's (and the command line's) word on an applied window
// longer than the FFT size: it is cut to the longest.
inline constexpr const char* kWindowOutOfRange = "Selected applied window is out of range.\nIt will be adjusted to maximum.";
}  // namespace slice_text

struct SliceRequest {
    double fs = 0.0;                // Hz
    std::uint64_t frame_start = 0;  // the cursor's sample (single frame)
    bool selection = false;         // average over [sel_start, sel_end)
    std::uint64_t sel_start = 0, sel_end = 0;
    int out_points = 0;             // plot width in pixels
    FftLpcOptions options;
};

struct SliceResult {
    std::vector<double> fft;    // out_points dB values, minimum 0
    double fft_max = 0.0;       // the FFT range is 0 .. fft_max
    double fft_min = 0.0;       // dB level the curve's 0 stands for (absolute read-outs add it)
    std::vector<double> lpc;    // out_points envelope values, lowest point 0
    double lpc_low = 0.0, lpc_high = 0.0;  // plotting range (−max(E), 0)
    std::array<double, 5> F{{-1, -1, -1, -1, -1}};   // Hz, −1 empty
    std::array<double, 5> B{{-1, -1, -1, -1, -1}};
    int frames = 0;             // frames analysed (averaged)
};

// FFT size of the option list index (32 … 4096 points).
inline int slice_fft_points(const FftLpcOptions& o) { return 1 << (std::clamp(o.window_list_index, 0, 7) + 5); }
// The admission checks; the message of the first that fails, or null.
const char* check_slice_options(const FftLpcOptions& o, double fs);

// Computes the slice. On a failed check or a failed LPC step the message goes
// to prompts (when given) and no result is returned.
std::optional<SliceResult> ComputeFftLpcSlice(SampleSource& source, const SliceRequest& request,
                                              UserPrompts* prompts);

}  // namespace vox
