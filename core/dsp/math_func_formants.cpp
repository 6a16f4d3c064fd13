// CMathFunc: factoring the predictor polynomial into quadratics and turning
// them into formant frequencies and bandwidths.
//
// FindFormants takes every root of the predictor polynomial at once as the
// eigenvalues of its companion matrix (polynomial_roots.h), each polished on
// the full polynomial: it finds the complex pairs at any order, where
// factor-by-factor deflation loses roots and accuracy at high orders. The
// deflation below is its fallback should the QR iteration ever not settle.
//
// Stages of FactorPolynomial, the first that succeeds wins:
//   (a) a real root by scanning −1.2 … 1.2 (then the reciprocal polynomial)
//       and bisection;
//   (b) Bairstow's iteration for a quadratic factor from z² − 2z + 1;
//   (c) Bairstow on the polynomial shifted by 0, 0.5, … 2.0;
//   (d) the complex pair of the companion-matrix roots nearest the unit
//       circle, so that a polynomial with a complex pair always yields it.

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <iostream>
#include <vector>

#include "core/dsp/math_func.h"
#include "core/dsp/polynomial_roots.h"

namespace vox {

namespace {

constexpr double kTol = 0.0001;
constexpr int kBairstowIterations = 100;

// Horner's rule, coefficients highest power first.
double horner(const double* a, int d, double x) {
    double v = a[0];
    for (int i = 1; i <= d; ++i) v = v * x + a[i];
    return v;
}

int sign_of(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

// Scans for a sign change of the degree-d polynomial between −1.2 and 1.2
// and refines it; true with the root when one is found.
bool scan_real_root(const double* a, int d, double& root) {
    const double step = 1.0 / d;
    double x = -1.2;
    double px = horner(a, d, x);
    if (px == 0.0) {
        root = x;
        return true;
    }
    if (!std::isfinite(px)) return false;
    for (int i = 1;; ++i) {
        const double xn = -1.2 + i * step;
        if (xn > 1.2 + 1e-12) return false;
        const double pn = horner(a, d, xn);
        if (!std::isfinite(pn)) return false;
        if (pn == 0.0) {
            root = xn;
            return true;
        }
        if (sign_of(pn) != sign_of(px)) {
            double lo = x, hi = xn, plo = px;
            double mid = 0.5 * (lo + hi);
            for (int it = 0; it < 200; ++it) {
                mid = 0.5 * (lo + hi);
                if (mid == lo || mid == hi) break;
                const double pm = horner(a, d, mid);
                if (pm == 0.0) break;
                if (sign_of(pm) == sign_of(plo)) {
                    lo = mid;
                    plo = pm;
                } else {
                    hi = mid;
                }
                const double scale = std::max(std::fabs(hi), std::fabs(lo));
                if (scale == 0.0 || std::fabs(hi - lo) / scale < kTol) {
                    mid = 0.5 * (lo + hi);
                    break;
                }
            }
            root = mid;
            return true;
        }
        x = xn;
        px = pn;
    }
}

// Synthetic division by (z − r): out[0..d−1].
void divide_linear(const double* a, int d, double r, double* out) {
    out[0] = a[0];
    for (int i = 1; i < d; ++i) out[i] = a[i] + r * out[i - 1];
}

// Synthetic division by z² − u·z − v: b[0..d]; b[d−1], b[d] are the remainder terms.
void divide_quadratic(const double* a, int d, double u, double v, double* b) {
    for (int j = 0; j <= d; ++j) {
        double s = a[j];
        if (j >= 1) s += u * b[j - 1];
        if (j >= 2) s += v * b[j - 2];
        b[j] = s;
    }
}

// Bairstow's iteration from u = 2, v = −1. strict selects the test of the
// unshifted stage (relative to max(1, |u|) and max(|v_new|, |v_old|));
// otherwise the change is compared with max(|old|, |change|).
bool bairstow(const double* a, int d, bool strict, double& u_out, double& v_out) {
    std::array<double, CMathFunc::kMaxLpcOrder + 2> b{}, c{};
    double u = 2.0, v = -1.0;
    for (int it = 0; it < kBairstowIterations; ++it) {
        divide_quadratic(a, d, u, v, b.data());
        divide_quadratic(b.data(), d - 1, u, v, c.data());
        const double b0 = b[d], b1 = b[d - 1];
        const double c1 = c[d - 1], c2 = c[d - 2];
        const double c3 = d >= 3 ? c[d - 3] : 0.0;
        const double det = c2 * c2 - c1 * c3;
        if (det == 0.0 || !std::isfinite(det)) return false;
        const double du = (-b1 * c2 + b0 * c3) / det;
        const double dv = (-b0 * c2 + b1 * c1) / det;
        if (!std::isfinite(du) || !std::isfinite(dv)) return false;
        const double u_old = u, v_old = v;
        u += du;
        v += dv;
        bool done;
        if (strict) {
            const double vs = std::max(std::fabs(v), std::fabs(v_old));
            done = it >= 1 && std::fabs(du) / std::max(1.0, std::fabs(u_old)) < kTol &&
                   (dv == 0.0 || (vs > 0.0 && std::fabs(dv) / vs < kTol));
        } else {
            const double us = std::max(std::fabs(u_old), std::fabs(du));
            const double vs = std::max(std::fabs(v_old), std::fabs(dv));
            done = (du == 0.0 || std::fabs(du) / us < kTol) && (dv == 0.0 || std::fabs(dv) / vs < kTol);
        }
        if (done) {
            u_out = u;
            v_out = v;
            return true;
        }
    }
    return false;
}

// Deflates a by z² − u·z − v into out[0..d−2].
void deflate_quadratic(const double* a, int d, double u, double v, double* out) {
    std::array<double, CMathFunc::kMaxLpcOrder + 2> b{};
    divide_quadratic(a, d, u, v, b.data());
    for (int i = 0; i <= d - 2; ++i) out[i] = b[i];
}

}  // namespace

FactorOutcome CMathFunc::FactorPolynomial(int d, const double* a, double* out) {
    FactorOutcome result;
    if (d < 1) return result;

    // (a) Real root, directly or through the reciprocal polynomial.
    double root = 0.0;
    if (scan_real_root(a, d, root)) {
        divide_linear(a, d, root, out);
        result.kind = FactorKind::RealRoot;
        result.root = root;
        return result;
    }
    std::array<double, kMaxLpcOrder + 2> rev{}, q{};
    for (int i = 0; i <= d; ++i) rev[i] = a[d - i];
    if (rev[0] != 0.0 && scan_real_root(rev.data(), d, root) && root != 0.0) {
        divide_linear(rev.data(), d, root, q.data());
        // Back to the original variable: reverse and make the leading term 1.
        const double lead = q[d - 1];
        if (lead != 0.0 && std::isfinite(lead)) {
            for (int i = 0; i < d; ++i) out[i] = q[d - 1 - i] / lead;
            result.kind = FactorKind::RealRoot;
            result.root = 1.0 / root;
            return result;
        }
    }
    if (d < 2) return result;

    // (b) Bairstow on the polynomial itself.
    double u = 0.0, v = 0.0;
    if (bairstow(a, d, true, u, v)) {
        deflate_quadratic(a, d, u, v, out);
        result.kind = FactorKind::Quadratic;
        result.c1 = -u;
        result.c0 = -v;
        return result;
    }

    // (c) Bairstow on P(y − s), mapped back to z.
    std::array<double, kMaxLpcOrder + 2> shifted{};
    for (double s : {0.0, 0.5, 1.0, 1.5, 2.0}) {
        std::copy(a, a + d + 1, shifted.begin());
        const double t = -s;
        for (int i = 0; i < d; ++i)
            for (int j = 1; j <= d - i; ++j) shifted[j] += t * shifted[j - 1];
        if (bairstow(shifted.data(), d, false, u, v)) {
            const double uz = u - 2.0 * s;
            const double vz = v + u * s - s * s;
            deflate_quadratic(a, d, uz, vz, out);
            result.kind = FactorKind::Quadratic;
            result.c1 = -uz;
            result.c0 = -vz;
            return result;
        }
    }

    // (d) The companion-matrix roots.
    std::vector<std::complex<double>> roots;
    if (PolynomialRoots(a, d, roots)) {
        const std::complex<double>* best = nullptr;
        for (const auto& z : roots)
            if (z.imag() > 0.0 && (!best || std::fabs(std::abs(z) - 1.0) < std::fabs(std::abs(*best) - 1.0))) best = &z;
        if (best) {
            const double uz = 2.0 * best->real(), vz = -std::norm(*best);
            deflate_quadratic(a, d, uz, vz, out);
            result.kind = FactorKind::Quadratic;
            result.c1 = -uz;
            result.c0 = -vz;
        }
    }
    return result;
}

FormantValue CMathFunc::QuadraticToFormant(double c1, double c0, double fs) {
    FormantValue f;
    const double h = c1 / 2.0;
    const double D = h * h - c0;
    const double scale = fs / kDspTwoPi;
    if (D < 0.0) {
        const double s = std::sqrt(-D);
        f.root_re = -h;
        f.root_im = s;
        f.frequency = scale * std::atan2(s, -h);
        f.bandwidth = -scale * std::log(c0);
    } else {
        // Two real roots −h ± √D: positive (at 0 Hz) when c1 < 0, negative
        // (at fs/2) when c1 > 0; e is the larger magnitude.
        const double e = std::fabs(h) + std::sqrt(D);
        f.frequency = c1 > 0.0 ? fs / 2.0 : 0.0;
        f.root_re = c1 > 0.0 ? -e : e;
        f.root_im = 0.0;
        f.bandwidth = -scale * std::log(e * e);
    }
    return f;
}

void CMathFunc::add_factor(double c1, double c0, double bwLimit, double fs) {
    const FormantValue fv = QuadraticToFormant(c1, c0, fs);
    if (formants_.factor_count >= kMaxFactors) return;
    QuadraticFactor& q = formants_.factors[formants_.factor_count++];
    q.c1 = c1;
    q.c0 = c0;
    q.root_re = fv.root_re;
    q.root_im = fv.root_im;
    if (fv.bandwidth <= bwLimit) {
        formants_.F[formants_.formant_count] = fv.frequency;
        formants_.B[formants_.formant_count] = fv.bandwidth;
        ++formants_.formant_count;
    }
}

void CMathFunc::sort_formants() {
    // Stable insertion sort by frequency.
    for (int i = 1; i < formants_.formant_count; ++i) {
        const double f = formants_.F[i], b = formants_.B[i];
        int j = i - 1;
        while (j >= 0 && formants_.F[j] > f) {
            formants_.F[j + 1] = formants_.F[j];
            formants_.B[j + 1] = formants_.B[j];
            --j;
        }
        formants_.F[j + 1] = f;
        formants_.B[j + 1] = b;
    }
}

const FormantResult* CMathFunc::FindFormants(int p, double bwLimit, const double* a, double fs) {
    formants_.factor_count = 0;
    formants_.formant_count = 0;
    formants_.lowest_at_peak = false;
    if (p > kMaxLpcOrder) p = kMaxLpcOrder;
    if (p < 0) return nullptr;
    // Every root at once; real roots carry no formant and are dropped, a
    // complex pair r·e^(±iθ) is the factor z² − 2r·cosθ·z + r².
    std::vector<std::complex<double>> roots;
    if (p >= 1 && std::isfinite(a[0]) && a[0] != 0.0 && PolynomialRoots(a, p, roots)) {
        for (const auto& z : roots)
            if (z.imag() > 0.0) add_factor(-2.0 * z.real(), std::norm(z), bwLimit, fs);
        sort_formants();
        return &formants_;
    }
    return FindFormantsByDeflation(p, bwLimit, a, fs);
}

const FormantResult* CMathFunc::KeepFormants(const std::vector<bool>& keep, double fs, bool lowest_at_peak) {
    formants_.formant_count = 0;
    for (int i = 0; i < formants_.factor_count; ++i) {
        if (i >= static_cast<int>(keep.size()) || !keep[static_cast<std::size_t>(i)]) continue;
        const QuadraticFactor& q = formants_.factors[static_cast<std::size_t>(i)];
        const FormantValue fv = QuadraticToFormant(q.c1, q.c0, fs);
        formants_.F[formants_.formant_count] = fv.frequency;
        formants_.B[formants_.formant_count] = fv.bandwidth;
        ++formants_.formant_count;
    }
    sort_formants();
    formants_.lowest_at_peak = lowest_at_peak && formants_.formant_count > 0;
    return &formants_;
}

const FormantResult* CMathFunc::FindFormantsByDeflation(int p, double bwLimit, const double* a, double fs) {
    formants_.factor_count = 0;
    formants_.formant_count = 0;
    formants_.lowest_at_peak = false;
    if (p > kMaxLpcOrder) p = kMaxLpcOrder;
    if (p < 0) return nullptr;
    double* w = poly_out_.data();
    std::array<double, kMaxLpcOrder + 2> next{};
    std::copy(a, a + p + 1, w);
    int d = p;
    while (d >= 2) {
        double c1, c0;
        if (d == 2) {
            if (w[0] == 0.0 || !std::isfinite(w[0])) return nullptr;
            c1 = w[1] / w[0];
            c0 = w[2] / w[0];
            d = 0;
        } else {
            const FactorOutcome f = FactorPolynomial(d, w, next.data());
            switch (f.kind) {
                case FactorKind::RealRoot:
                    std::copy(next.begin(), next.begin() + d, w);
                    d -= 1;
                    continue;
                case FactorKind::Quadratic:
                    std::copy(next.begin(), next.begin() + d - 1, w);
                    d -= 2;
                    c1 = f.c1;
                    c0 = f.c0;
                    break;
                case FactorKind::Failure:
                    return nullptr;
                default: {
                    std::ostream& out = console_ ? *console_ : std::cerr;
                    out << dsp_text::kFactorConfused;
                    return nullptr;
                }
            }
        }
        add_factor(c1, c0, bwLimit, fs);
    }
    sort_formants();
    return &formants_;
}

}  // namespace vox
