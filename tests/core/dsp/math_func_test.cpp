// CMathFunc against independent references: a direct DFT, textbook
// Levinson–Durbin, polynomials built from known roots, cubics, and naive
// re-implementations of the frame-energy rules.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <complex>
#include <random>
#include <sstream>
#include <vector>

#include "core/dsp/math_func.h"
#include "core/platform/scripted_prompts.h"

namespace vox {
namespace {

using cd = std::complex<double>;

std::vector<cd> direct_dft(const std::vector<double>& re, const std::vector<double>& im) {
    const std::size_t n = re.size();
    std::vector<cd> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        cd s = 0;
        for (std::size_t t = 0; t < n; ++t)
            s += cd(re[t], im[t]) * std::polar(1.0, -2.0 * M_PI * double(k * t % n) / double(n));
        out[k] = s;
    }
    return out;
}

class FftSize : public ::testing::TestWithParam<int> {};

TEST_P(FftSize, MatchesDirectDft) {
    const int m = GetParam();
    const int n = 1 << m;
    std::mt19937 rng(m);
    std::uniform_real_distribution<double> u(-1000, 1000);
    std::vector<double> re(n + 10), im(n + 10);
    for (int i = 0; i < n; ++i) {
        re[i] = u(rng);
        im[i] = u(rng);
    }
    std::vector<double> r0(re.begin(), re.begin() + n), i0(im.begin(), im.begin() + n);
    const auto ref = direct_dft(r0, i0);
    CMathFunc mf;
    mf.Fft(re.data(), im.data(), m);
    double scale = 1000.0 * n;
    for (int k = 0; k < n; ++k) {
        // The π constant 3.1415926535898 differs from π by ~7e-15.
        EXPECT_NEAR(re[k], ref[k].real(), scale * 1e-11) << k;
        EXPECT_NEAR(im[k], ref[k].imag(), scale * 1e-11) << k;
    }
}
INSTANTIATE_TEST_SUITE_P(Sizes, FftSize, ::testing::Values(1, 2, 3, 5, 8, 10, 12, 13));

TEST(Fft, ImpulseConstantCosineSine) {
    CMathFunc mf;
    const int n = 64, k0 = 5;
    std::vector<double> re(n, 0.0), im(n, 0.0);
    re[0] = 1;
    mf.Fft(re.data(), im.data(), 6);
    for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(re[k], 1.0, 1e-12);
        EXPECT_NEAR(im[k], 0.0, 1e-12);
    }
    std::fill(re.begin(), re.end(), 1.0);
    std::fill(im.begin(), im.end(), 0.0);
    mf.Fft(re.data(), im.data(), 6);
    EXPECT_NEAR(re[0], n, 1e-9);
    for (int k = 1; k < n; ++k) EXPECT_NEAR(std::hypot(re[k], im[k]), 0.0, 1e-9);
    for (int t = 0; t < n; ++t) {
        re[t] = std::cos(2 * M_PI * k0 * t / n);
        im[t] = 0;
    }
    mf.Fft(re.data(), im.data(), 6);
    EXPECT_NEAR(re[k0], n / 2.0, 1e-9);
    EXPECT_NEAR(re[n - k0], n / 2.0, 1e-9);
    EXPECT_NEAR(re[k0 + 1], 0.0, 1e-9);
    for (int t = 0; t < n; ++t) {
        re[t] = std::sin(2 * M_PI * k0 * t / n);
        im[t] = 0;
    }
    mf.Fft(re.data(), im.data(), 6);
    EXPECT_NEAR(im[k0], -n / 2.0, 1e-9);  // negative exponent
    EXPECT_NEAR(im[n - k0], n / 2.0, 1e-9);
}

TEST(PowerSpectrumDb, ZeroFrameIsZeroDb) {
    CMathFunc mf;
    std::vector<double> x(300, 0.0);
    mf.PowerSpectrumDb(x.data(), 256, 0.98, 1, true, 200, 4000, 8000);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(x[i], 0.0);
}

TEST(PowerSpectrumDb, BinsAgreeWithDftOfWindowedPreemphasisedFrame) {
    const int n = 128;
    const double mu = 0.9;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> u(-20000, 20000);
    std::vector<double> x(n + 1);
    for (auto& v : x) v = u(rng);
    std::vector<double> re(n), im(n, 0.0);
    for (int i = 0; i < n; ++i) re[i] = (x[i + 1] - mu * x[i]) * (0.54 - 0.46 * std::cos(2 * M_PI * i / n));
    const auto ref = direct_dft(re, im);
    CMathFunc mf;
    std::vector<double> y = x;
    y.resize(n + 20);
    mf.PowerSpectrumDb(y.data(), n, mu, 1, false, 0, 0, 10000);
    for (int k = 0; k < n / 2; ++k) EXPECT_NEAR(y[k], 10 * std::log10(std::norm(ref[k])), 1e-6) << k;

    // Resampled at the bins themselves (fMax = fs/2, n/2 points) the curve
    // passes through the bins.
    std::vector<double> z = x;
    z.resize(n + 20);
    mf.PowerSpectrumDb(z.data(), n, mu, 1, true, n / 2, 5000, 10000);
    for (int k = 0; k < n / 2; ++k) EXPECT_NEAR(z[k], y[k], 1e-9) << k;
}

// Textbook Levinson–Durbin in the A(z) = 1 + Σ a_k z^−k convention.
void levinson(const std::vector<double>& r, int p, std::vector<double>& a, double& err) {
    a.assign(p + 1, 0.0);
    a[0] = 1.0;
    err = r[0];
    for (int i = 1; i <= p; ++i) {
        double acc = r[i];
        for (int j = 1; j < i; ++j) acc += a[j] * r[i - j];
        const double k = -acc / err;
        std::vector<double> prev = a;
        for (int j = 1; j < i; ++j) a[j] = prev[j] + k * prev[i - j];
        a[i] = k;
        err *= (1 - k * k);
    }
}

TEST(LpcAnalysis, OrdersOneToFourteenMatchLevinsonDurbin) {
    std::mt19937 rng(3);
    std::normal_distribution<double> g(0, 1000);
    const int n = 400;
    std::vector<double> x(n);
    double y1 = 0, y2 = 0;
    for (int i = 0; i < n; ++i) {  // a resonant AR(2) process plus noise
        const double v = 1.6 * y1 - 0.8 * y2 + g(rng);
        x[i] = v;
        y2 = y1;
        y1 = v;
    }
    std::vector<double> r(15);
    for (int k = 0; k <= 14; ++k)
        for (int j = 0; j + k < n; ++j) r[k] += x[j] * x[j + k];
    CMathFunc mf;
    for (int p = 1; p <= 14; ++p) {
        std::vector<double> a;
        double err;
        levinson(r, p, a, err);
        const LpcResult* res = mf.LpcAnalysis(x.data(), n, p);
        ASSERT_EQ(res->order, p);
        for (int j = 0; j <= p; ++j) EXPECT_NEAR(res->a[j], a[j], 1e-9) << "p=" << p << " j=" << j;
        EXPECT_NEAR(res->residual / r[0], err / r[0], 1e-10);
        if (p == 1) {
            EXPECT_DOUBLE_EQ(res->k[1], -r[1] / r[0]);
            EXPECT_NEAR(res->residual, r[0] - r[1] * r[1] / r[0], 1e-6 * r[0]);
        }
    }
}

TEST(LpcAnalysis, OrderAbove400IsClampedWithConsoleLine) {
    std::ostringstream console;
    CMathFunc mf(&console);
    std::vector<double> x(1000);
    for (int i = 0; i < 1000; ++i) x[i] = std::sin(i * 0.3) * 1000 + (i % 7);
    const LpcResult* r = mf.LpcAnalysis(x.data(), 1000, 401);
    EXPECT_EQ(r->order, 400);
    EXPECT_EQ(console.str(), "Requested LPC order too large\n");
}

struct QuadCase {
    double c1, c0, fs, freq, bw;
};
class QuadraticCases : public ::testing::TestWithParam<QuadCase> {};
TEST_P(QuadraticCases, FrequencyAndBandwidth) {
    const auto c = GetParam();
    const FormantValue f = CMathFunc::QuadraticToFormant(c.c1, c.c0, c.fs);
    EXPECT_NEAR(f.frequency, c.freq, 0.05);
    EXPECT_NEAR(f.bandwidth, c.bw, 0.05);
    // The stored root is a root of the factor.
    const std::complex<double> z(f.root_re, f.root_im);
    EXPECT_NEAR(std::abs(z * z + c.c1 * z + c.c0), 0.0, 1e-12);
}
INSTANTIATE_TEST_SUITE_P(
    Values, QuadraticCases,
    ::testing::Values(
        // z² − 2r·cosθ·z + r², θ = π/5, r = 0.95, fs = 10000: 1000 Hz, 163.3 Hz.
        QuadCase{-2 * 0.95 * std::cos(M_PI / 5), 0.95 * 0.95, 10000, 1000.0, 163.27},
        QuadCase{0.0, 0.81, 8000, 2000.0, -8000 / (2 * M_PI) * std::log(0.81)},
        // Real pairs: (z − 0.5)(z − 0.2) at 0 Hz, (z + 0.5)(z + 0.2) at fs/2.
        QuadCase{-0.7, 0.1, 10000, 0.0, -10000 / (2 * M_PI) * std::log(0.25)},
        QuadCase{0.7, 0.1, 10000, 5000.0, -10000 / (2 * M_PI) * std::log(0.25)}));

// Coefficients of Π (z² − 2r cosθ z + r²), highest power first.
std::vector<double> poly_from_formants(const std::vector<std::pair<double, double>>& fb, double fs) {
    std::vector<double> p{1.0};
    for (auto [f, b] : fb) {
        const double r = std::exp(-M_PI * b / fs), th = 2 * M_PI * f / fs;
        const double q[3] = {1.0, -2 * r * std::cos(th), r * r};
        std::vector<double> out(p.size() + 2, 0.0);
        for (std::size_t i = 0; i < p.size(); ++i)
            for (int j = 0; j < 3; ++j) out[i + j] += p[i] * q[j];
        p = out;
    }
    return p;
}

TEST(FindFormants, RecoversKnownResonancesSortedAndFiltersByBandwidth) {
    const double fs = 10000;
    auto a = poly_from_formants({{2500, 200}, {500, 80}, {3500, 900}, {1500, 120}, {4200, 300}}, fs);
    a.resize(401, 0.0);
    CMathFunc mf;
    const FormantResult* r = mf.FindFormants(10, 600, a.data(), fs);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->factor_count, 5);
    ASSERT_EQ(r->formant_count, 4);  // the 900 Hz-wide one is dropped
    const double F[] = {500, 1500, 2500, 4200}, B[] = {80, 120, 200, 300};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(r->F[i], F[i], 0.01);
        EXPECT_NEAR(r->B[i], B[i], 0.01);
    }
}

TEST(FindFormants, OddOrderWithRealRootsInsideAndOutsideTheScan) {
    const double fs = 10000;
    auto q = poly_from_formants({{700, 100}, {1800, 150}}, fs);
    // times (z − 0.3)(z + 3.0): one root found by the scan, one through the
    // reciprocal polynomial.
    std::vector<double> p = q;
    for (double root : {0.3, -3.0}) {
        std::vector<double> out(p.size() + 1, 0.0);
        for (std::size_t i = 0; i < p.size(); ++i) {
            out[i] += p[i];
            out[i + 1] -= root * p[i];
        }
        p = out;
    }
    p.resize(401, 0.0);
    CMathFunc mf;
    const FormantResult* r = mf.FindFormants(6, 600, p.data(), fs);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->formant_count, 2);
    EXPECT_NEAR(r->F[0], 700, 0.01);
    EXPECT_NEAR(r->F[1], 1800, 0.01);
}

TEST(FindFormants, BandwidthLimitIsInclusive) {
    const double fs = 10000;
    // Find c0 whose bandwidth computes to exactly 600 Hz.
    double c0 = std::exp(-600.0 * kDspTwoPi / fs);
    const double c1 = -2 * std::sqrt(c0) * std::cos(0.3);
    for (int i = 0; i < 100 && CMathFunc::QuadraticToFormant(c1, c0, fs).bandwidth != 600.0; ++i)
        c0 = std::nextafter(c0, CMathFunc::QuadraticToFormant(c1, c0, fs).bandwidth > 600.0 ? 1.0 : 0.0);
    ASSERT_EQ(CMathFunc::QuadraticToFormant(c1, c0, fs).bandwidth, 600.0);
    std::vector<double> a(401, 0.0);
    a[0] = 1;
    a[1] = c1;
    a[2] = c0;
    CMathFunc mf;
    EXPECT_EQ(mf.FindFormants(2, 600, a.data(), fs)->formant_count, 1);
    a[2] = std::exp(-600.0001 * kDspTwoPi / fs);
    EXPECT_EQ(mf.FindFormants(2, 600, a.data(), fs)->formant_count, 0);
}

TEST(FactorPolynomial, ComplexOnlyQuarticGivesAQuadraticThatDivides) {
    auto p = poly_from_formants({{1000, 100}, {3000, 200}}, 10000);
    CMathFunc mf;
    std::vector<double> out(5);
    const FactorOutcome f = mf.FactorPolynomial(4, p.data(), out.data());
    ASSERT_EQ(f.kind, FactorKind::Quadratic);
    // (z² + c1 z + c0)(out) reproduces p.
    const double q[3] = {1, f.c1, f.c0};
    std::vector<double> prod(5, 0.0);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) prod[i + j] += out[i] * q[j];
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(prod[i], p[i], 1e-6);
}

TEST(Spline, ClampedSplineReproducesACubic) {
    auto f = [](double x) { return 0.5 * x * x * x - 2 * x * x + x - 3; };
    auto df = [](double x) { return 1.5 * x * x - 4 * x + 1; };
    std::vector<double> X, Y;
    for (double x = -2; x <= 3.01; x += 0.5) {
        X.push_back(x);
        Y.push_back(f(x));
    }
    const int n = static_cast<int>(X.size());
    std::vector<double> Y2(n);
    CMathFunc mf;
    mf.SplineSecondDerivatives(X.data(), Y.data(), n, df(X.front()), df(X.back()), Y2.data());
    for (double x = -2; x <= 3; x += 0.07) {
        double y = 0;
        ASSERT_EQ(CMathFunc::SplineEvaluate(X.data(), Y.data(), Y2.data(), n, x, y), 0);
        EXPECT_NEAR(y, f(x), 1e-9) << x;
    }
}

TEST(Spline, NaturalSplineOfALineIsTheLineAndEqualAbscissaeLeaveTheValue) {
    std::vector<double> X{0, 1, 2, 3, 4}, Y{1, 3, 5, 7, 9}, Y2(5);
    CMathFunc mf;
    mf.SplineSecondDerivatives(X.data(), Y.data(), 5, 1e30, 1e30, Y2.data());
    for (double v : Y2) EXPECT_NEAR(v, 0.0, 1e-12);
    double y = 0;
    CMathFunc::SplineEvaluate(X.data(), Y.data(), Y2.data(), 5, 2.25, y);
    EXPECT_NEAR(y, 5.5, 1e-12);
    std::vector<double> Xd{1, 1};
    y = -7;
    EXPECT_EQ(CMathFunc::SplineEvaluate(Xd.data(), Y.data(), Y2.data(), 2, 1.0, y), 1);
    EXPECT_EQ(y, -7);
}

// The unit-knot spline reuses its knot factors between calls: it must give
// the general spline's values to the bit, whatever sizes come in turn.
TEST(Spline, UnitKnotSplineGivesTheGeneralSplinesBits) {
    std::mt19937 g(3);
    std::uniform_real_distribution<double> u(-1e6, 1e6);
    CMathFunc unit, general;
    for (int n : {1, 2, 3, 4, 207, 207, 55, 1000, 207}) {
        std::vector<double> X(n), Y(n), a(n, -1.0), b(n, -2.0);
        for (int j = 0; j < n; ++j) {
            X[j] = j;
            Y[j] = u(g);
        }
        general.SplineSecondDerivatives(X.data(), Y.data(), n, 1e30, 1e30, a.data());
        unit.UnitSplineSecondDerivatives(Y.data(), n, b.data());
        for (int j = 0; j < n; ++j) ASSERT_EQ(std::memcmp(&a[j], &b[j], sizeof(double)), 0) << "n " << n << ", knot " << j;
    }
}

// The frame rule written out plainly: frames in sequence, each writing its
// samples, later frames winning.
std::vector<double> naive_sample_energy(const std::vector<std::int16_t>& x, double offset, int n, double step,
                                        bool relative, bool dB, double& lo, double& hi) {
    const std::size_t total = x.size();
    std::vector<double> out(total, 0.0);
    for (long long i = 0; double(i) < (double(total) - n) / step; ++i) {
        const std::size_t t = static_cast<std::size_t>(i * step);
        double s = 0;
        for (int j = 0; j < n; ++j) s += (x[t + j] - offset) * (x[t + j] - offset);
        const double ms = s / n;
        const double v = ms < 1 ? 0.0 : (dB ? 10 * std::log10(ms) : ms);
        for (int j = 0; j < n; ++j) out[t + j] = v;
    }
    lo = *std::min_element(out.begin(), out.end());
    hi = *std::max_element(out.begin(), out.end());
    if (relative) {
        for (auto& v : out) v -= lo;
        hi -= lo;
        lo = 0;
    }
    return out;
}

struct EnergyCase {
    int n;
    double step;
    double offset;
    bool relative;
    bool dB;
};
class SampleEnergyCases : public ::testing::TestWithParam<EnergyCase> {};
TEST_P(SampleEnergyCases, MatchesTheFrameByFrameRule) {
    const auto c = GetParam();
    std::mt19937 rng(c.n);
    std::uniform_int_distribution<int> u(-3000, 3000);
    std::vector<std::int16_t> x(5003);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<std::int16_t>((i / 700) % 3 == 0 ? 0 : u(rng));
    double lo, hi;
    const auto ref = naive_sample_energy(x, c.offset, c.n, c.step, c.relative, c.dB, lo, hi);
    std::vector<double> out(x.size(), -99.0);
    CMathFunc mf;
    const EnergyRange r = mf.SampleEnergy(x.data(), out.data(), c.offset, 0, c.n, c.step, x.size(), c.relative, c.dB);
    for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(out[i], ref[i], 1e-9) << i;
    EXPECT_NEAR(r.min, lo, 1e-9);
    EXPECT_NEAR(r.max, hi, 1e-9);
}
INSTANTIATE_TEST_SUITE_P(Frames, SampleEnergyCases,
                         ::testing::Values(EnergyCase{441, 220.5, 0, false, true}, EnergyCase{221, 110.25, 3.5, true, true},
                                           EnergyCase{100, 250.0, 0, false, true},  // gaps between frames
                                           EnergyCase{64, 0.5, 0, true, false}, EnergyCase{6000, 10, 0, false, true}));

TEST(SampleEnergy, FullScaleSquareWaveAndConstantAtTheOffset) {
    std::vector<std::int16_t> sq(2000);
    for (std::size_t i = 0; i < sq.size(); ++i) sq[i] = (i / 10) % 2 ? 32767 : -32767;
    std::vector<double> out(sq.size());
    CMathFunc mf;
    const auto r = mf.SampleEnergy(sq.data(), out.data(), 0, 0, 200, 100, sq.size(), false, true);
    EXPECT_NEAR(out[500], 10 * std::log10(32767.0 * 32767.0), 1e-9);
    EXPECT_NEAR(out[500], 90.309, 0.001);
    EXPECT_EQ(out[1999], 0.0);  // after the last complete frame
    EXPECT_EQ(r.min, 0.0);
    std::vector<std::int16_t> flat(1000, 12);
    std::vector<double> o2(flat.size(), 5.0);
    mf.SampleEnergy(flat.data(), o2.data(), 12, 0, 100, 50, flat.size(), false, true);
    for (double v : o2) EXPECT_EQ(v, 0.0);
}

TEST(FrameEnergy, LinearDbRelativeAndShortLastFrame) {
    std::vector<std::int16_t> x(1000, 0);
    for (int i = 200; i < 400; ++i) x[i] = 100;
    std::vector<double> out(5);
    CMathFunc mf;
    auto r = mf.FrameEnergy(x.data(), x.size(), out.data(), 0, 0, 200, 200, 5, false, true);
    EXPECT_EQ(out[0], 0.0);
    EXPECT_EQ(out[1], 10000.0);
    EXPECT_EQ(r.max, 10000.0);
    r = mf.FrameEnergy(x.data(), x.size(), out.data(), 0, 0, 200, 200, 5, false, false);
    EXPECT_DOUBLE_EQ(out[1], 40.0);
    // Samples of the last frame past `available` are not read.
    r = mf.FrameEnergy(x.data(), 300, out.data(), 0, 0, 200, 200, 3, true, true);
    EXPECT_DOUBLE_EQ(out[1], 5000.0);  // 100 existing samples of 100², over n = 200
    EXPECT_EQ(out[2], 0.0);
    EXPECT_EQ(r.min, 0.0);
}

}  // namespace
}  // namespace vox
