// Polynomial roots by the QR iteration on the balanced companion matrix,
// polished by Newton's method on the undeflated polynomial.

#include "core/dsp/polynomial_roots.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace vox {

namespace {

constexpr int kSweepsPerEigenvalue = 60;
constexpr int kNewtonSteps = 8;

// Parlett–Reinsch balancing by powers of 2 (exact in binary): scales row
// and column i alike until their norms are within a factor 2 of each other.
// The eigenvalues are unchanged; their sensitivity to rounding drops.
void balance(std::vector<double>& a, int n) {
    constexpr double radix = 2.0, sq = radix * radix;
    bool done = false;
    for (int pass = 0; !done && pass < 100; ++pass) {
        done = true;
        for (int i = 0; i < n; ++i) {
            double r = 0.0, c = 0.0;
            for (int j = 0; j < n; ++j) {
                if (j == i) continue;
                c += std::fabs(a[j * n + i]);
                r += std::fabs(a[i * n + j]);
            }
            if (c == 0.0 || r == 0.0) continue;
            double g = r / radix, f = 1.0;
            const double s = c + r;
            while (c < g) {
                f *= radix;
                c *= sq;
            }
            g = r * radix;
            while (c > g) {
                f /= radix;
                c /= sq;
            }
            if ((c + r) / f < 0.95 * s) {
                done = false;
                g = 1.0 / f;
                for (int j = 0; j < n; ++j) a[i * n + j] *= g;
                for (int j = 0; j < n; ++j) a[j * n + i] *= f;
            }
        }
    }
}

double sign_as(double magnitude, double of) { return of >= 0.0 ? std::fabs(magnitude) : -std::fabs(magnitude); }

// P(z) and P'(z) by Horner's rule, coefficients highest power first.
void horner2(const double* a, int d, std::complex<double> z, std::complex<double>& p, std::complex<double>& dp) {
    p = a[0];
    dp = 0.0;
    for (int i = 1; i <= d; ++i) {
        dp = dp * z + p;
        p = p * z + a[i];
    }
}

}  // namespace

bool HessenbergEigenvalues(std::vector<double>& h, int n, std::vector<std::complex<double>>& eig) {
    eig.assign(static_cast<std::size_t>(n), {0.0, 0.0});
    auto A = [&](int i, int j) -> double& { return h[static_cast<std::size_t>(i) * n + j]; };
    double anorm = 0.0;
    for (int i = 0; i < n; ++i)
        for (int j = std::max(i - 1, 0); j < n; ++j) anorm += std::fabs(A(i, j));
    int nn = n - 1, l = 0;
    double t = 0.0;  // accumulated exceptional shifts
    while (nn >= 0) {
        int its = 0;
        do {
            // Look for a negligible subdiagonal element that splits the matrix.
            for (l = nn; l >= 1; --l) {
                double s = std::fabs(A(l - 1, l - 1)) + std::fabs(A(l, l));
                if (s == 0.0) s = anorm;
                if (std::fabs(A(l, l - 1)) <= DBL_EPSILON * s) {
                    A(l, l - 1) = 0.0;
                    break;
                }
            }
            double x = A(nn, nn);
            if (l == nn) {  // one root found
                eig[nn] = {x + t, 0.0};
                --nn;
            } else {
                double y = A(nn - 1, nn - 1);
                double w = A(nn, nn - 1) * A(nn - 1, nn);
                if (l == nn - 1) {  // two roots found
                    const double p = 0.5 * (y - x);
                    const double q = p * p + w;
                    double z = std::sqrt(std::fabs(q));
                    x += t;
                    if (q >= 0.0) {
                        z = p + sign_as(z, p);
                        eig[nn - 1] = {x + z, 0.0};
                        eig[nn] = {z != 0.0 ? x - w / z : x + z, 0.0};
                    } else {
                        eig[nn - 1] = {x + p, z};
                        eig[nn] = {x + p, -z};
                    }
                    nn -= 2;
                } else {
                    if (its >= kSweepsPerEigenvalue) return false;
                    if (its > 0 && its % 10 == 0) {  // exceptional shift
                        t += x;
                        for (int i = 0; i <= nn; ++i) A(i, i) -= x;
                        const double s = std::fabs(A(nn, nn - 1)) + std::fabs(A(nn - 1, nn - 2));
                        y = x = 0.75 * s;
                        w = -0.4375 * s * s;
                    }
                    ++its;
                    // Two consecutive small subdiagonal elements.
                    int m = nn - 2;
                    double p = 0.0, q = 0.0, r = 0.0, z = 0.0;
                    for (; m >= l; --m) {
                        z = A(m, m);
                        r = x - z;
                        double s = y - z;
                        p = (r * s - w) / A(m + 1, m) + A(m, m + 1);
                        q = A(m + 1, m + 1) - z - r - s;
                        r = A(m + 2, m + 1);
                        s = std::fabs(p) + std::fabs(q) + std::fabs(r);
                        p /= s;
                        q /= s;
                        r /= s;
                        if (m == l) break;
                        const double u = std::fabs(A(m, m - 1)) * (std::fabs(q) + std::fabs(r));
                        const double v = std::fabs(p) * (std::fabs(A(m - 1, m - 1)) + std::fabs(z) + std::fabs(A(m + 1, m + 1)));
                        if (u <= DBL_EPSILON * v) break;
                    }
                    for (int i = m + 2; i <= nn; ++i) {
                        A(i, i - 2) = 0.0;
                        if (i != m + 2) A(i, i - 3) = 0.0;
                    }
                    // Double-shift QR step on rows l..nn and columns m..nn.
                    for (int k = m; k <= nn - 1; ++k) {
                        if (k != m) {
                            p = A(k, k - 1);
                            q = A(k + 1, k - 1);
                            r = k != nn - 1 ? A(k + 2, k - 1) : 0.0;
                            x = std::fabs(p) + std::fabs(q) + std::fabs(r);
                            if (x != 0.0) {
                                p /= x;
                                q /= x;
                                r /= x;
                            }
                        }
                        const double s = sign_as(std::sqrt(p * p + q * q + r * r), p);
                        if (s == 0.0) continue;
                        if (k == m) {
                            if (l != m) A(k, k - 1) = -A(k, k - 1);
                        } else {
                            A(k, k - 1) = -s * x;
                        }
                        p += s;
                        x = p / s;
                        y = q / s;
                        z = r / s;
                        q /= p;
                        r /= p;
                        for (int j = k; j <= nn; ++j) {
                            double pp = A(k, j) + q * A(k + 1, j);
                            if (k != nn - 1) {
                                pp += r * A(k + 2, j);
                                A(k + 2, j) -= pp * z;
                            }
                            A(k + 1, j) -= pp * y;
                            A(k, j) -= pp * x;
                        }
                        const int mmin = nn < k + 3 ? nn : k + 3;
                        for (int i = l; i <= mmin; ++i) {
                            double pp = x * A(i, k) + y * A(i, k + 1);
                            if (k != nn - 1) {
                                pp += z * A(i, k + 2);
                                A(i, k + 2) -= pp * r;
                            }
                            A(i, k + 1) -= pp * q;
                            A(i, k) -= pp;
                        }
                    }
                }
            }
        } while (nn >= 0 && l < nn - 1);
    }
    return true;
}

bool PolynomialRoots(const double* a, int d, std::vector<std::complex<double>>& roots) {
    roots.clear();
    if (d < 0) return false;
    for (int i = 0; i <= d; ++i)
        if (!std::isfinite(a[i])) return false;
    int lead = 0;
    while (lead <= d && a[lead] == 0.0) ++lead;
    if (lead > d) return false;
    const double* c = a + lead;
    int deg = d - lead;
    // Trailing zeros are roots at the origin.
    int zeros = 0;
    while (deg > 0 && c[deg] == 0.0) {
        --deg;
        ++zeros;
    }
    std::vector<std::complex<double>> eig;
    if (deg > 0) {
        std::vector<double> h(static_cast<std::size_t>(deg) * deg, 0.0);
        for (int j = 0; j < deg; ++j) h[j] = -c[j + 1] / c[0];
        for (int i = 1; i < deg; ++i) h[static_cast<std::size_t>(i) * deg + (i - 1)] = 1.0;
        balance(h, deg);
        if (!HessenbergEigenvalues(h, deg, eig)) return false;
    }
    // Newton polish on the polynomial itself; a step is kept only while it
    // lowers |P| and stays well inside the root's own neighbourhood (half the
    // distance to the nearest other eigenvalue), so it never jumps to a
    // neighbour.
    const std::vector<std::complex<double>> raw = eig;
    for (std::size_t r = 0; r < eig.size(); ++r) {
        std::complex<double>& z = eig[r];
        double reach = HUGE_VAL;
        for (std::size_t o = 0; o < raw.size(); ++o)
            if (o != r) reach = std::min(reach, 0.5 * std::abs(raw[o] - raw[r]));
        std::complex<double> p, dp;
        horner2(c, deg, z, p, dp);
        for (int it = 0; it < kNewtonSteps && std::abs(p) > 0.0 && std::abs(dp) > 0.0; ++it) {
            const std::complex<double> zn = z - p / dp;
            if (!(std::abs(zn - raw[r]) < reach)) break;
            std::complex<double> pn, dpn;
            horner2(c, deg, zn, pn, dpn);
            if (!(std::abs(pn) < std::abs(p))) break;
            z = zn;
            p = pn;
            dp = dpn;
        }
    }
    // Conjugate pairs: positive imaginary part first, its mirror after it.
    std::vector<std::complex<double>> upper, real;
    for (const auto& z : eig) {
        if (z.imag() > 0.0)
            upper.push_back(z);
        else if (z.imag() == 0.0)
            real.push_back(z);
    }
    for (const auto& z : upper) {
        roots.push_back(z);
        roots.push_back(std::conj(z));
    }
    for (const auto& z : real) roots.push_back(z);
    for (int i = 0; i < zeros; ++i) roots.emplace_back(0.0, 0.0);
    return true;
}

}  // namespace vox
