// Planned complex, real and real-even transforms.

#include "core/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace vox {

namespace {

bool power_of_two(int n) { return n > 0 && (n & (n - 1)) == 0; }

// Lanes of doubles processed together by the radix-4 butterflies: whole
// vectors where the compiler has vector types (SSE2 pairs by default, AVX2
// quadruples in the AVX2 build below), one double otherwise. Each lane does
// the same operations in the same order as the scalar code, so the result
// is the same to the bit whichever width runs.
#if defined(__GNUC__)
// The vector types only live inside the always-inlined helpers, never at a
// call boundary, so the warning about their passing convention does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
#define VOX_FFT_INLINE [[gnu::always_inline]] inline
typedef double Lanes4 __attribute__((vector_size(32)));
typedef double Lanes2 __attribute__((vector_size(16)));
#else
#define VOX_FFT_INLINE inline
#endif

template <typename V>
VOX_FFT_INLINE V load_lanes(const double* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <typename V>
VOX_FFT_INLINE void store_lanes(double* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}

// One stage of quarter-span h, sizeof(V)/sizeof(double) values of k at a
// time (h a multiple of that). After bit reversal a block of 4h holds, in
// quarters, the h-point spectra S0, S2, S1, S3 of the samples 4m, 4m+2,
// 4m+1, 4m+3; with t_r = W^(rk)·S_r[k], X[k + qh] = Σ_r (−i)^(rq)·t_r.
template <typename V>
VOX_FFT_INLINE void radix4_stage(double* __restrict re, double* __restrict im, int n, int h, const double* tw) {
    constexpr int lanes = static_cast<int>(sizeof(V) / sizeof(double));
    const double* w1r = tw;
    const double* w1i = tw + h;
    const double* w2r = tw + 2 * h;
    const double* w2i = tw + 3 * h;
    const double* w3r = tw + 4 * h;
    const double* w3i = tw + 5 * h;
    for (int p0 = 0; p0 < n; p0 += 4 * h) {
        double* r0 = re + p0;
        double* i0 = im + p0;
        double* r2 = r0 + h;  // S2
        double* i2 = i0 + h;
        double* r1 = r0 + 2 * h;  // S1
        double* i1 = i0 + 2 * h;
        double* r3 = r0 + 3 * h;
        double* i3 = i0 + 3 * h;
        for (int k = 0; k < h; k += lanes) {
            const V a0r = load_lanes<V>(r0 + k), a0i = load_lanes<V>(i0 + k);
            const V a1r = load_lanes<V>(r1 + k), a1i = load_lanes<V>(i1 + k);
            const V a2r = load_lanes<V>(r2 + k), a2i = load_lanes<V>(i2 + k);
            const V a3r = load_lanes<V>(r3 + k), a3i = load_lanes<V>(i3 + k);
            const V c1 = load_lanes<V>(w1r + k), s1 = load_lanes<V>(w1i + k);
            const V c2 = load_lanes<V>(w2r + k), s2 = load_lanes<V>(w2i + k);
            const V c3 = load_lanes<V>(w3r + k), s3 = load_lanes<V>(w3i + k);
            const V t1r = c1 * a1r - s1 * a1i, t1i = c1 * a1i + s1 * a1r;
            const V t2r = c2 * a2r - s2 * a2i, t2i = c2 * a2i + s2 * a2r;
            const V t3r = c3 * a3r - s3 * a3i, t3i = c3 * a3i + s3 * a3r;
            const V s02r = a0r + t2r, s02i = a0i + t2i;  // t0 + t2
            const V d02r = a0r - t2r, d02i = a0i - t2i;  // t0 − t2
            const V s13r = t1r + t3r, s13i = t1i + t3i;  // t1 + t3
            const V d13r = t1r - t3r, d13i = t1i - t3i;  // t1 − t3
            store_lanes(r0 + k, V(s02r + s13r));  // X[k]
            store_lanes(i0 + k, V(s02i + s13i));
            store_lanes(r1 + k, V(s02r - s13r));  // X[k + 2h]
            store_lanes(i1 + k, V(s02i - s13i));
            // X[k + h] = (t0 − t2) − i·(t1 − t3); X[k + 3h] = (t0 − t2) + i·(t1 − t3)
            store_lanes(r2 + k, V(d02r + d13i));
            store_lanes(i2 + k, V(d02i - d13r));
            store_lanes(r3 + k, V(d02r - d13i));
            store_lanes(i3 + k, V(d02i + d13r));
        }
    }
}

// The radix-4 stages from quarter-span h upwards. Built for AVX2 as well
// where the compiler can (chosen at load time by the processor), since most
// of a cepstral frame's time is spent here.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && \
    !defined(__SANITIZE_THREAD__)
__attribute__((target_clones("avx2", "default")))
#endif
void radix4_stages(double* __restrict re, double* __restrict im, int n, int h, const double* tw) {
    for (; 4 * h <= n; tw += 6 * h, h *= 4) {
#if defined(__GNUC__)
        if (h % 4 == 0) {
            radix4_stage<Lanes4>(re, im, n, h, tw);
            continue;
        }
        if (h % 2 == 0) {
            radix4_stage<Lanes2>(re, im, n, h, tw);
            continue;
        }
#endif
        radix4_stage<double>(re, im, n, h, tw);
    }
}

}  // namespace

ComplexFft::ComplexFft(int n) : n_(n) {
    if (!power_of_two(n) || n < 2 || n > (1 << 16)) throw std::invalid_argument("ComplexFft: size must be 2^m, 2 ... 65536");
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    rev_.resize(static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j) {
        std::uint32_t r = 0;
        for (int b = 0; b < bits; ++b)
            if (j & (1 << b)) r |= 1u << (bits - 1 - b);
        rev_[static_cast<std::size_t>(j)] = r;
    }
    // Stages: one radix-2 stage first when log2 N is odd, then radix-4
    // stages of quarter-span h = h0, 4·h0, …; each stage's twiddles as six
    // runs of h values (re and im of W^k, W^2k, W^3k).
    for (int h = (bits % 2) ? 2 : 1; 4 * h <= n; h *= 4)
        for (int r = 1; r <= 3; ++r) {
            for (int k = 0; k < h; ++k) tw_.push_back(std::cos(2.0 * std::numbers::pi * r * k / (4.0 * h)));
            for (int k = 0; k < h; ++k) tw_.push_back(-std::sin(2.0 * std::numbers::pi * r * k / (4.0 * h)));
        }
}

void ComplexFft::forward(double* re, double* im) const {
    for (int j = 0; j < n_; ++j) {
        const int r = static_cast<int>(rev_[static_cast<std::size_t>(j)]);
        if (j < r) {
            std::swap(re[j], re[r]);
            std::swap(im[j], im[r]);
        }
    }
    butterflies(re, im);
}

void ComplexFft::butterflies(double* __restrict re, double* __restrict im) const {
    const int n = n_;
    int h = 1;
    if ((n & 0x55555555) == 0) {
        // log2 N odd: one radix-2 stage (twiddle 1) first.
        for (int p = 0; p < n; p += 2) {
            const double tr = re[p + 1], ti = im[p + 1];
            re[p + 1] = re[p] - tr;
            im[p + 1] = im[p] - ti;
            re[p] += tr;
            im[p] += ti;
        }
        h = 2;
    }
    radix4_stages(re, im, n, h, tw_.data());
}

void ComplexFft::butterflies_after_pairs(double* re, double* im) const { radix4_stages(re, im, n_, 2, tw_.data()); }

RealFft::RealFft(int n) : n_(n), half_(power_of_two(n) && n >= 4 && n <= (1 << 17) ? n / 2 : 0) {
    const int q = n / 4;
    wr_.resize(static_cast<std::size_t>(q + 1));
    wi_.resize(static_cast<std::size_t>(q + 1));
    for (int k = 0; k <= q; ++k) {
        const double a = 2.0 * std::numbers::pi * k / n;
        wr_[static_cast<std::size_t>(k)] = std::cos(a);
        wi_[static_cast<std::size_t>(k)] = -std::sin(a);
    }
}

void RealFft::forward(const double* x, double* re, double* im) const {
    const int h = n_ / 2;
    // Even samples as the real part, odd ones as the imaginary part of a
    // half-size complex sequence, placed straight into bit-reversed order.
    const std::uint32_t* rev = half_.bit_reversed();
    for (int j = 0; j < h; ++j) {
        re[rev[j]] = x[2 * j];
        im[rev[j]] = x[2 * j + 1];
    }
    half_.butterflies(re, im);
    split(re, im);
}

void RealFft::forward_product(const std::int16_t* x, const double* w, int count, double* re, double* im,
                              int bins) const {
    const int h = n_ / 2;
    const std::uint32_t* rev = half_.bit_reversed();
    count = std::clamp(count, 0, n_);
    const int pairs = count / 2;
    if (count <= h && half_.starts_with_pairs()) {
        // A frame no longer than half the transform (the usual zero-padded
        // analysis frame): the upper half of the complex sequence is zero,
        // so its first (radix-2) stage is a copy, written here with the
        // samples.
        const int q = h / 2;
        int j = 0;
        for (; j < pairs; ++j) {
            const std::uint32_t r = rev[j];
            re[r] = re[r + 1] = w[2 * j] * x[2 * j];
            im[r] = im[r + 1] = w[2 * j + 1] * x[2 * j + 1];
        }
        if (count % 2) {
            const std::uint32_t r = rev[j];
            re[r] = re[r + 1] = w[2 * j] * x[2 * j];
            im[r] = im[r + 1] = 0.0;
            ++j;
        }
        for (; j < q; ++j) {
            const std::uint32_t r = rev[j];
            re[r] = re[r + 1] = 0.0;
            im[r] = im[r + 1] = 0.0;
        }
        half_.butterflies_after_pairs(re, im);
        split(re, im, bins);
        return;
    }
    for (int j = 0; j < pairs; ++j) {
        re[rev[j]] = w[2 * j] * x[2 * j];
        im[rev[j]] = w[2 * j + 1] * x[2 * j + 1];
    }
    int j = pairs;
    if (count % 2) {
        re[rev[j]] = w[2 * j] * x[2 * j];
        im[rev[j]] = 0.0;
        ++j;
    }
    for (; j < h; ++j) {
        re[rev[j]] = 0.0;
        im[rev[j]] = 0.0;
    }
    half_.butterflies(re, im);
    split(re, im, bins);
}

void RealFft::split(double* re, double* im, int bins) const {
    const int h = n_ / 2;
    if (bins > 0 && 2 * bins < h) {
        // Bins 0 … bins only: X[k] needs Z[k] and Z[h−k], and for k ≤ bins
        // < h/2 no finished bin overwrites a Z another one still needs.
        const double z0r = re[0], z0i = im[0];
        re[0] = z0r + z0i;
        im[0] = 0.0;
        for (int k = 1; k <= bins; ++k) {
            const int kk = h - k;
            const double ar = re[k], ai = im[k], br = re[kk], bi = im[kk];
            const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
            const double orr = 0.5 * (ai + bi), oi = -0.5 * (ar - br);
            const double wr = wr_[static_cast<std::size_t>(k)], wi = wi_[static_cast<std::size_t>(k)];
            re[k] = er + (wr * orr - wi * oi);
            im[k] = ei + (wr * oi + wi * orr);
        }
        return;
    }
    // Split: with Z = the half-size spectrum, E = (Z[k] + Z*[h−k])/2 and
    // O = (Z[k] − Z*[h−k])/(2i) are the spectra of the even and odd samples,
    // X[k] = E + W^k·O and X[h−k] = (E − W^k·O)*.
    const double z0r = re[0], z0i = im[0];
    re[0] = z0r + z0i;
    im[0] = 0.0;
    re[h] = z0r - z0i;
    im[h] = 0.0;
    for (int k = 1; 2 * k <= h; ++k) {
        const int kk = h - k;
        const double ar = re[k], ai = im[k], br = re[kk], bi = im[kk];
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai - bi);
        const double orr = 0.5 * (ai + bi), oi = -0.5 * (ar - br);
        const double wr = wr_[static_cast<std::size_t>(k)], wi = wi_[static_cast<std::size_t>(k)];
        const double tr = wr * orr - wi * oi, ti = wr * oi + wi * orr;
        re[k] = er + tr;
        im[k] = ei + ti;
        if (kk != k) {
            re[kk] = er - tr;
            im[kk] = -(ei - ti);
        }
    }
}

EvenRealFft::EvenRealFft(int n) : n_(n), real_(n) {
    s_.resize(static_cast<std::size_t>(n / 2 + 1));
    c_.resize(static_cast<std::size_t>(n / 2 + 1));
    for (int j = 0; j <= n / 2; ++j) {
        const double a = std::numbers::pi * j / n;
        s_[static_cast<std::size_t>(j)] = std::sin(a);
        c_[static_cast<std::size_t>(j)] = std::cos(a);
    }
}

void EvenRealFft::forward(const double* y, double* out, double* work) const {
    const int N = n_;
    double* z = work;
    double* re = work + (N + 2);
    double* im = work + 2 * (N + 2);
    const double y0 = y[0], yN = y[N];
    // z[j] = a[j] − sin(πj/N)·b[j] with a the symmetric and b the
    // antisymmetric part of y about N/2: the real transform of z gives the
    // even outputs (2·Re Z[k]) and, summed up, the odd ones (Im Z[k] is
    // half the difference of two neighbouring odd outputs).
    z[0] = 0.5 * (y0 + yN);
    double d = 0.0;
    for (int j = 1; j < N / 2; ++j) {
        const double a = 0.5 * (y[j] + y[N - j]);
        const double b = y[j] - y[N - j];
        const double sb = s_[static_cast<std::size_t>(j)] * b;
        z[j] = a - sb;
        z[N - j] = a + sb;
        d += 2.0 * c_[static_cast<std::size_t>(j)] * b;
    }
    z[N / 2] = y[N / 2];
    real_.forward(z, re, im);
    const double ends = y0 - yN;
    for (int k = 0; k <= N / 2; ++k) out[2 * k] = 2.0 * re[k];
    out[1] = ends + d;
    for (int k = 1; k < N / 2; ++k) {
        d -= 2.0 * im[k];
        out[2 * k + 1] = ends + d;
    }
}

}  // namespace vox
