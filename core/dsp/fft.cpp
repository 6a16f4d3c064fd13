// Planned complex, real and real-even transforms.

#include "core/dsp/fft.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace vox {

namespace {

bool power_of_two(int n) { return n > 0 && (n & (n - 1)) == 0; }

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
    wr_.assign(static_cast<std::size_t>(n), 1.0);
    wi_.assign(static_cast<std::size_t>(n), 0.0);
    for (int h = 1; h < n; h *= 2)
        for (int k = 0; k < h; ++k) {
            const double a = std::numbers::pi * k / h;
            wr_[static_cast<std::size_t>(h + k)] = std::cos(a);
            wi_[static_cast<std::size_t>(h + k)] = -std::sin(a);
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

void ComplexFft::butterflies(double* re, double* im) const {
    const int n = n_;
    int h = 1;
    if (n >= 4) {
        // The first two stages together: their twiddles are 1 and −i.
        for (int p = 0; p < n; p += 4) {
            const double b0r = re[p] + re[p + 1], b0i = im[p] + im[p + 1];
            const double b1r = re[p] - re[p + 1], b1i = im[p] - im[p + 1];
            const double b2r = re[p + 2] + re[p + 3], b2i = im[p + 2] + im[p + 3];
            const double b3r = re[p + 2] - re[p + 3], b3i = im[p + 2] - im[p + 3];
            re[p] = b0r + b2r;
            im[p] = b0i + b2i;
            re[p + 2] = b0r - b2r;
            im[p + 2] = b0i - b2i;
            // −i·b3 = (b3i, −b3r)
            re[p + 1] = b1r + b3i;
            im[p + 1] = b1i - b3r;
            re[p + 3] = b1r - b3i;
            im[p + 3] = b1i + b3r;
        }
        h = 4;
    } else {
        const double tr = re[1], ti = im[1];
        re[1] = re[0] - tr;
        im[1] = im[0] - ti;
        re[0] += tr;
        im[0] += ti;
        h = 2;
    }
    for (; h < n; h *= 2) {
        const double* wr = wr_.data() + h;
        const double* wi = wi_.data() + h;
        for (int p0 = 0; p0 < n; p0 += 2 * h) {
            double* ar = re + p0;
            double* ai = im + p0;
            double* br = ar + h;
            double* bi = ai + h;
            for (int k = 0; k < h; ++k) {
                const double tr = wr[k] * br[k] - wi[k] * bi[k];
                const double ti = wr[k] * bi[k] + wi[k] * br[k];
                br[k] = ar[k] - tr;
                bi[k] = ai[k] - ti;
                ar[k] += tr;
                ai[k] += ti;
            }
        }
    }
}

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
