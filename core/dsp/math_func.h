#pragma once
// CMathFunc: the numeric toolbox of the analyses (FFT, windows, power and LPC
// spectra, polynomial factoring into formants, natural cubic splines, frame
// energies and the two pitch routines).
//
// Conventions: samples are 16-bit integers converted to double without
// scaling; frequencies in Hz, sample rate fs in Hz; levels in dB as
// 10·log10(power). Each instance owns its work tables (capacities below), so
// independent computations may run on different threads with one instance
// each; one instance must not be used by two threads at once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <vector>

namespace vox {

class UserPrompts;

// The decimal constants every analysis uses for π and 2π.
inline constexpr double kDspPi = 3.1415926535898;
inline constexpr double kDspTwoPi = 6.2831853071796;

// Fixed texts of the analysis subsystem (messages, console lines, captions).
namespace dsp_text {
inline constexpr const char* kLpcOrderTooLarge = "Requested LPC order too large\n";
inline constexpr const char* kFactorConfused = "  factor() is confused,";
inline constexpr const char* kBadParameters = "Process failure due to bad parameters.\nCheck all the parameters in the options or simply revert to default configuarion by File->Revert To Default Configuration menu.";
inline constexpr const char* kLpcRoutineError = "Error in performing LPC routine.";
inline constexpr const char* kFormantError = "Error in evaluating the formants.\nPlease make sure the number of coefficients are in the proper range.\nor turn off the formant tracking and repeat the process.";
inline constexpr const char* kCaptionPitch = " Processing Pitch...(Press mouse to cancel) ";
inline constexpr const char* kCaptionIntensity = " Processing Intensity...(Press mouse to cancel) ";
inline constexpr const char* kCaptionSpectrogram = " Processing Spectrogram...(Press mouse to cancel) ";
}  // namespace dsp_text

// Thrown to abandon an analysis (a cancel or a failure already reported to
// the person); the command that started the analysis catches it.
class AnalysisAbandoned : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Result of LpcAnalysis; valid until the next LpcAnalysis of the same object.
struct LpcResult {
    int order = 0;
    std::array<double, 401> k{};  // reflection coefficients k[1..order], k1 = −r1/r0
    std::array<double, 401> a{};  // predictor a[0..order], a0 = 1
    double residual = 0.0;        // r0·Π(1 − k_i²)
};

// One quadratic factor z² + c1·z + c0 and one of its roots.
struct QuadraticFactor {
    double c1 = 0.0, c0 = 0.0;
    double root_re = 0.0, root_im = 0.0;
};

// Result of FindFormants; valid until the next FindFormants of the object.
struct FormantResult {
    int factor_count = 0;
    std::array<QuadraticFactor, 200> factors{};
    int formant_count = 0;
    std::array<double, 200> F{};  // Hz, ascending
    std::array<double, 200> B{};  // Hz, moved with F
    // The lowest formant F[0] makes a peak of the predictor's envelope (set
    // by the frame analysis of formant_frame.h; false from FindFormants).
    bool lowest_at_peak = false;
};

// Frequency and bandwidth of one quadratic factor.
struct FormantValue {
    double frequency = 0.0;  // Hz
    double bandwidth = 0.0;  // Hz
    double root_re = 0.0, root_im = 0.0;
};

enum class FactorKind { RealRoot, Quadratic, Failure };

struct FactorOutcome {
    FactorKind kind = FactorKind::Failure;
    double root = 0.0;       // the real root (RealRoot)
    double c1 = 0.0, c0 = 0.0;  // the factor z² + c1·z + c0 (Quadratic)
};

// Minimum and maximum reported by the energy operations.
struct EnergyRange {
    double min = 0.0;
    double max = 0.0;
};

// One peak of the power cepstrum: its F0 (Hz) and its height.
struct PitchCandidate {
    double f0 = 0.0;
    double strength = 0.0;
};
inline constexpr int kMaxPitchCandidates = 4;

class CMathFunc {
public:
    static constexpr int kMaxFftPoints = 8192;  // the largest transform (spectrogram windows)
    static constexpr int kFftSpare = 10;
    static constexpr int kMaxLpcOrder = 400;
    static constexpr int kMaxFactors = 200;
    static constexpr int kLpcSpectrumPoints = 256;

    // console: where console lines go (standard error when null). prompts:
    // where the bad-parameter report goes (none when null).
    explicit CMathFunc(std::ostream* console = nullptr, UserPrompts* prompts = nullptr);

    // In-place radix-2 complex FFT of N = 2^m points, kernel e^(−i·2πkn/N),
    // no scaling. 1 ≤ m ≤ 13.
    void Fft(double* re, double* im, int m);

    // y[i] = (x[i+1] − μ·x[i])·w[i] when μ > 0, else x[i]·w[i]; w is the
    // Hamming window over n points for windowKind 1, else 1. Reads x[0..n]
    // when μ > 0. y may alias x.
    void WindowAndPreemphasis(const double* x, int n, double mu, int windowKind, double* y);

    // Window, pre-emphasis, FFT and 10·log10 power of bins 0..n/2−1 written
    // back into x (a zero-power bin is 0 dB); with resample, x[0..outCount−1]
    // are the natural-spline values at i·fMax/outCount Hz. x must hold
    // max(n + 1, outCount) entries; n ≤ kMaxFftPoints.
    void PowerSpectrumDb(double* x, int n, double mu, int windowKind, bool resample, int outCount, double fMax, double fs);

    // Autocorrelation, Schur recursion and step-up to predictor coefficients.
    // An order above 400 prints the console line and is clamped.
    const LpcResult* LpcAnalysis(const double* x, int n, int p);

    // Window, pre-emphasis, LPC of order p over n samples; with wantFormants
    // the formants of the predictor (bandwidth limit 600 Hz); unless
    // formantsOnly, 10·log10 |A|² of the 256-point transform (bins 0..127, or
    // outPoints spline values up to fMax) written into x. Returns the formant
    // record, or null when not asked for or when factoring failed.
    // Throws AnalysisAbandoned with kLpcRoutineError when the predictor is
    // not finite (a frame with no energy).
    const FormantResult* LpcSpectrumDb(double* x, int p, int n, double mu, int windowKind, bool resample, int outPoints, double fMax, double fs, bool wantFormants, bool formantsOnly);
    const LpcResult& last_lpc() const { return lpc_; }

    // Factors a0·z^p + … + ap into quadratics (one per complex root pair,
    // from the companion-matrix roots); keeps formants with bandwidth
    // ≤ bwLimit sorted by frequency. Null when the coefficients are not
    // finite or a0 is 0.
    const FormantResult* FindFormants(int p, double bwLimit, const double* a, double fs);
    // The same by factor-by-factor deflation (FactorPolynomial); null when a
    // factor cannot be found.
    const FormantResult* FindFormantsByDeflation(int p, double bwLimit, const double* a, double fs);
    // Chooses the formants of the last FindFormants again among all its
    // factors: factor i is kept when keep[i] (one flag per factor), sorted
    // by frequency. fs as given to FindFormants; lowest_at_peak is stored
    // with the result (the lowest kept factor makes a peak of the envelope).
    const FormantResult* KeepFormants(const std::vector<bool>& keep, double fs, bool lowest_at_peak = false);

    // One factor of a0·z^d + … + ad; the deflated polynomial goes to out.
    FactorOutcome FactorPolynomial(int d, const double* a, double* out);

    static FormantValue QuadraticToFormant(double c1, double c0, double fs);

    // Natural (end derivative > 0.99e30) or clamped cubic spline through
    // (X[i], Y[i]), i = 0..n−1. Y2 receives the second derivatives.
    void SplineSecondDerivatives(const double* X, const double* Y, int n, double d1, double dn, double* Y2);
    // The natural spline's second derivatives through Y at knots 0 … n − 1:
    // SplineSecondDerivatives with X[j] = j and natural ends, the same values
    // to the bit, with the knot-only factors reused from frame to frame.
    void UnitSplineSecondDerivatives(const double* Y, int n, double* Y2);
    // Evaluates the spline at x into y; returns 1 without touching y when the
    // bracketing abscissae are equal, else 0.
    static int SplineEvaluate(const double* X, const double* Y, const double* Y2, int n, double x, double& y);

    // Mean-square energy of count frames, frame i at sample (int)(start + i·step),
    // n samples, offset subtracted; < 1 gives 0, else linear or dB. Only
    // samples below `available` are read (a short last frame uses those
    // there are). Relative mode subtracts the minimum.
    EnergyRange FrameEnergy(const std::int16_t* x, std::size_t available, double* out, double offset, double start, int n, double step, int count, bool relative, bool linear);

    // The same frame measure spread over the samples: out[0..total−1], frame
    // values written over their samples (later frames win), zero after the
    // last complete frame. Returns the minimum and maximum over all total.
    EnergyRange SampleEnergy(const std::int16_t* x, double* out, double offset, double start, int n, double step, std::size_t total, bool relative, bool dB);
    // The spreading half of SampleEnergy: frame f covers starts[f] ..
    // starts[f] + n − 1 (ascending starts, each frame inside total) with
    // values[f]; the rest of out[0..total−1] is 0.
    static EnergyRange SpreadFrameValues(const std::size_t* starts, const double* values, std::size_t frames, int n, std::size_t total, bool relative, double* out);
    // Mean-square measure of one frame of n samples (offset subtracted): 0
    // below 1, else linear or dB.
    static double FrameMeasure(const std::int16_t* x, int n, double offset, bool linear);

    // F0 (Hz) of one frame by the power cepstrum; 0 when outside
    // [fLow, fHigh]; −1 for an unsupported FFT size. samples[start ..
    // regionLength−1] are the samples that may be read.
    double CepstralPitch(const std::int16_t* samples, long long start, long long regionLength, double fs, double fLow, double fHigh, int nfft, int n);
    // The peaks of the last CepstralPitch inside [fLow, fHigh]: the answer
    // first, then the other strongest peaks (none when it returned 0).
    int cepstral_candidate_count() const { return candidate_count_; }
    const PitchCandidate& cepstral_candidate(int i) const { return candidates_[i]; }
    double cepstral_background() const { return cepstral_background_; }
    double low_band_share() const { return low_band_share_; }

    // Integer AMDF tracker over count samples: one value per 100 samples
    // (Hz, −0.1 for unvoiced). False, with out untouched, for fewer than 1100
    // samples or lag bounds that leave nothing to search.
    bool TrackPitchAmdf(const std::int16_t* samples, std::size_t count, int fs, int fLow, int fHigh, int continuityPct, int voicingLevel, std::vector<double>& out);
    // The same over the 8-bit copy (sample/256 + 128) made by the caller.
    bool TrackPitchAmdfBytes(const std::uint8_t* bytes, std::size_t count, int fs, int fLow, int fHigh, int continuityPct, int voicingLevel, std::vector<double>& out);
    // Converts 16-bit samples to the tracker's bytes.
    static void ToAmdfBytes(const std::int16_t* x, std::size_t n, std::uint8_t* out);

    // Continuity of the working pitch W (tenths of Hz, −1 unvoiced), in
    // place: runs with single-frame repairs, runs under 5 frames rejected,
    // run ends kept only before an unvoiced frame; T receives the track with
    // short rejected gaps bridged and every other rejected frame −1.
    static void ContinuityAndGaps(std::int32_t* W, int K, int continuityPct, std::int32_t* T);

    // Backward-then-forward weighted smoothing of the non-negative entries;
    // with maxStepPct > 0 a neighbour more than that percentage away from
    // the value is left out (no blending across a jump).
    static void SmoothTrack(std::int32_t* v, int count, int passes, int maxStepPct = 0);

    // Worker threads used by TrackPitchAmdf over its frames (at least 1).
    void set_threads(int n) { threads_ = n < 1 ? 1 : n; }
    int threads() const { return threads_; }

private:
    void ResampleBySpline(double* x, int half, int outCount, double fMax, double fs);
    void add_factor(double c1, double c0, double bwLimit, double fs);
    void sort_formants();
    void report_bad_parameters();
    const double* hamming(int n);

    std::ostream* console_;
    UserPrompts* prompts_;
    int threads_ = 1;

    // FFT work arrays (real, imaginary, window), capacity kMaxFftPoints + spare.
    std::vector<double> re_, im_, win_;
    int win_n_ = -1;
    // Twiddles of every stage, stage with half-span h at offset h − 1.
    std::vector<double> tw_re_, tw_im_;
    // Spline tables and the spline set-up's work array.
    std::vector<double> sx_, sy_, sy2_, swork_;
    // The natural spline's elimination factors for knots 0, 1, …, n − 1
    // (they depend on the knots only): the pivots and the back-substitution
    // factors of the tridiagonal system, for the n last set up.
    std::vector<double> unit_pivot_, unit_back_;
    // Work arrays of a cepstral frame.
    std::vector<double> cep_work_;
    // Peaks of the last cepstral frame.
    PitchCandidate candidates_[kMaxPitchCandidates];
    int candidate_count_ = 0;
    double cepstral_background_ = 0.0;
    double low_band_share_ = 0.0;
    // LPC work.
    std::vector<double> acf_, gen_e_, gen_f_, poly_, poly_out_, frame_;
    LpcResult lpc_;
    FormantResult formants_;
};

}  // namespace vox
