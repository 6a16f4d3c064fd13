#pragma once
// Planned power-of-two transforms for analyses that run one size over many
// frames: the bit-reversal order and the twiddles are tabled once when the
// plan is made, and a transform then allocates nothing. A plan is immutable
// after construction, so threads may share one; each thread brings its own
// work arrays.
//
// Kernel e^(−i·2πkn/N), no scaling, as CMathFunc::Fft.

#include <cstdint>
#include <vector>

namespace vox {

// Complex transform of N = 2^m points (2 ≤ N ≤ 2^16) on split real and
// imaginary arrays.
class ComplexFft {
public:
    explicit ComplexFft(int n);
    int size() const { return n_; }
    // In place on re[0..N−1], im[0..N−1].
    void forward(double* re, double* im) const;
    // The butterflies alone, for input already in bit-reversed order.
    void butterflies(double* re, double* im) const;
    // True when log2 N is odd: the butterflies start with a radix-2 stage
    // over neighbouring places.
    bool starts_with_pairs() const { return (n_ & 0x55555555) == 0; }
    // The butterflies after that radix-2 stage, for a caller that did it
    // (for input whose upper half, elements N/2 … N−1 before the
    // permutation, is zero, the stage maps each pair (a, 0) to (a, a)).
    void butterflies_after_pairs(double* re, double* im) const;
    // Index of element j after the bit-reversal permutation.
    const std::uint32_t* bit_reversed() const { return rev_.data(); }

private:
    int n_ = 0;
    std::vector<std::uint32_t> rev_;
    // Twiddles of the radix-4 stages in stage order: W^k, W^2k, W^3k
    // (W = e^(−i·2π/4h), k < h) for each stage of quarter-span h.
    std::vector<double> tw_;
};

// Transform of N = 2^m real values (4 ≤ N ≤ 2^17) through one complex
// transform of N/2 points: bins 0 … N/2 of the spectrum.
class RealFft {
public:
    explicit RealFft(int n);
    int size() const { return n_; }
    // Work entries (each of the two work arrays) that forward needs.
    int work_size() const { return n_ / 2 + 1; }
    // x[0..N−1] real in; re[0..N/2], im[0..N/2] receive bins 0 … N/2. re and
    // im need work_size() entries each and must not overlap x.
    void forward(const double* x, double* re, double* im) const;
    // The transform of x[j]·w[j] for j < count and 0 for count ≤ j < N
    // (a windowed frame with its zero tail), without a copy of the frame.
    // With 0 < bins < N/4, only bins 0 … bins are finished (the rest of re
    // and im is left as work): a caller that looks at the low band only
    // saves most of the last pass.
    void forward_product(const std::int16_t* x, const double* w, int count, double* re, double* im,
                         int bins = 0) const;

private:
    void split(double* re, double* im, int bins = 0) const;

    int n_ = 0;
    ComplexFft half_;
    // e^(−i·2πk/N), k = 0 … N/4.
    std::vector<double> wr_, wi_;
};

// Transform of a real even sequence of 2N points (N = 2^m, 4 ≤ N ≤ 2^16),
// given by its first half y[0..N] (v[j] = v[2N − j] = y[j]). Its spectrum is
// real and even: out[k] = y[0] + (−1)^k·y[N] + 2·Σ_{j=1}^{N−1} y[j]·cos(πjk/N),
// k = 0 … N, computed through one real transform of N points (a complex one
// of N/2), a quarter of the work of the complex transform of 2N points.
class EvenRealFft {
public:
    explicit EvenRealFft(int n);
    int size() const { return n_; }
    int work_size() const { return n_ + 2; }
    // y[0..N] in, out[0..N] out; work needs 3·work_size() entries. out may
    // alias y.
    void forward(const double* y, double* out, double* work) const;

private:
    int n_ = 0;
    RealFft real_;
    // sin(πj/N) and cos(πj/N), j = 0 … N/2.
    std::vector<double> s_, c_;
};

}  // namespace vox
