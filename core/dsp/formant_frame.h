#pragma once
// Formants of one LPC frame, found the way that holds at every sample rate:
// the frame is pre-emphasised at its own rate, then, for recordings above
// 11025 Hz, resampled to 11025 Hz (speech formants F1–F5 lie below 5.5 kHz;
// a full-band predictor of high order spends its poles on harmonics and on
// the empty band above them), and factored at an LPC order scaled in
// proportion (the same number of poles per kHz as the person's order).

#include <vector>

namespace vox {

class CMathFunc;
struct FormantResult;

// The rate formants are analysed at (Hz).
inline constexpr double kFormantAnalysisRate = 11025.0;
// The shortest LPC frame (ms): an LPC frame of p ms at a low order would
// hold little more than one period of a low voice (14 ms at order 14).
inline constexpr double kMinLpcFrameMs = 30.0;

// LPC frame length in samples for order p at fs: p ms (fs/1000·p, the
// document's rule), at least kMinLpcFrameMs.
int lpc_frame_samples(double fs, int p);
// The same for the spectrogram, whose rule truncates the rate to whole kHz
// first: (int)(fs/1000)·p samples, at least kMinLpcFrameMs.
int spectrogram_lpc_frame_samples(double fs, int p);

// Pre-emphasis factor of every formant measurement at fs: a first
// difference with its corner at 50 Hz, whatever the rate.
double formant_preemphasis(double fs);

// The analysis rate for a recording at fs and the order used there.
double formant_analysis_rate(double fs);
int formant_analysis_order(double fs, int p);

// Resamples x[0..n−1] from fs to fa < fs by a Hann-windowed sinc low-pass
// (cut-off 0.45·fa); returns the samples at fa covering the same time.
std::vector<double> resample_down(const double* x, int n, double fs, double fa);

// Formants of the frame x[0..n] (n + 1 samples: pre-emphasis reads one
// ahead) at rate fs with LPC order p and pre-emphasis factor mu (0 for
// none) applied at fs; Hamming window; the roots of bandwidth up to 600 Hz,
// and, when the order spares no poles (at most fa/1000 + 2 at the analysis
// rate fa), the wider roots that make a peak of the envelope. Null when
// the frame is too short to analyse; a frame without energy throws
// AnalysisAbandoned (it has no predictor), as LpcSpectrumDb does.
const FormantResult* FormantsOfFrame(CMathFunc& mf, const double* x, int n, double fs, int p, double mu);

// Whether a formant of frequency f and bandwidth b (Hz) found by
// FormantsOfFrame fills a slot of the slice or the spectrogram: its
// bandwidth at most about half its frequency, (b + 0.5)·2 ≤ f + 0.5; or,
// for the lowest formant found when it makes a peak of the envelope
// (FormantResult::lowest_at_peak), at most its frequency. A high voice
// shows its first formant through two or three harmonics only, and the
// predictor widens that root two to four times (an F1 of 80 Hz bandwidth at
// 310 Hz under a 220 Hz voice reads 130–500 Hz wide): the half-frequency
// rule alone dropped it and put F2 in the F1 slot. A spare root as wide that
// only shapes the slope below a strong F1 makes no peak and stays out.
bool formant_slot_accepted(double f, double b, bool lowest_at_peak);

}  // namespace vox
