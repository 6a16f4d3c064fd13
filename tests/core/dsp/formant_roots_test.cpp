// Roots of predictor polynomials against an independent computation (the
// Aberth–Ehrlich simultaneous iteration in long double), at orders up to
// 100, on polynomials with known roots and on LPC predictors of voices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "core/dsp/formant_frame.h"
#include "core/dsp/math_func.h"
#include "core/dsp/polynomial_roots.h"
#include "tests/core/dsp/synth.h"

namespace vox {
namespace {

using cld = std::complex<long double>;

// Aberth–Ehrlich iteration from points on a circle; coefficients highest
// power first, a[0] ≠ 0.
std::vector<cld> aberth_roots(const std::vector<double>& a) {
    const int d = static_cast<int>(a.size()) - 1;
    long double bound = 0;  // Cauchy bound on the root magnitudes
    for (int i = 1; i <= d; ++i) bound = std::max(bound, std::fabs(static_cast<long double>(a[i] / a[0])));
    const long double radius = std::min<long double>(1 + bound, 2.0L);
    std::vector<cld> z(static_cast<std::size_t>(d));
    for (int k = 0; k < d; ++k) z[k] = std::polar(radius, 2.0L * M_PIl * (k + 0.25L) / d);
    for (int it = 0; it < 500; ++it) {
        long double moved = 0;
        for (int k = 0; k < d; ++k) {
            cld p = a[0], dp = 0;
            for (int i = 1; i <= d; ++i) {
                dp = dp * z[k] + p;
                p = p * z[k] + static_cast<long double>(a[i]);
            }
            if (std::abs(p) == 0) continue;
            const cld ratio = p / dp;
            cld sum = 0;
            for (int j = 0; j < d; ++j)
                if (j != k) sum += 1.0L / (z[k] - z[j]);
            const cld step = ratio / (1.0L - ratio * sum);
            z[k] -= step;
            moved = std::max(moved, std::abs(step));
        }
        if (moved < 1e-17L) break;
    }
    return z;
}

// Every reference root in the upper half plane has a root of ours within
// 0.1 Hz in frequency and 0.1 Hz in bandwidth, and the counts match.
void expect_same_formant_roots(const std::vector<double>& a, double fs, const std::string& what) {
    const int d = static_cast<int>(a.size()) - 1;
    std::vector<std::complex<double>> ours;
    ASSERT_TRUE(PolynomialRoots(a.data(), d, ours)) << what;
    ASSERT_EQ(static_cast<int>(ours.size()), d) << what;
    const auto ref = aberth_roots(a);
    auto hz = [fs](auto z) { return static_cast<double>(std::arg(z)) * fs / (2 * M_PI); };
    auto bw = [fs](auto z) { return -static_cast<double>(std::log(std::abs(z))) * fs / M_PI; };
    int upper_ref = 0, upper_ours = 0;
    for (const auto& z : ours)
        if (z.imag() > 0) ++upper_ours;
    for (const cld& r : ref) {
        if (r.imag() <= 1e-9L) continue;
        ++upper_ref;
        double best = 1e300;
        const std::complex<double>* match = nullptr;
        for (const auto& z : ours) {
            if (z.imag() <= 0) continue;
            const double dist = std::abs(z - std::complex<double>(static_cast<double>(r.real()), static_cast<double>(r.imag())));
            if (dist < best) {
                best = dist;
                match = &z;
            }
        }
        ASSERT_NE(match, nullptr) << what;
        EXPECT_NEAR(hz(*match), hz(r), 0.1) << what;
        EXPECT_NEAR(bw(*match), bw(r), 0.1) << what;
    }
    EXPECT_EQ(upper_ours, upper_ref) << what;
}

std::vector<double> poly_from_roots(const std::vector<std::complex<double>>& pairs, const std::vector<double>& reals) {
    std::vector<double> p{1.0};
    auto times = [&p](std::vector<double> q) {
        std::vector<double> out(p.size() + q.size() - 1, 0.0);
        for (std::size_t i = 0; i < p.size(); ++i)
            for (std::size_t j = 0; j < q.size(); ++j) out[i + j] += p[i] * q[j];
        p = out;
    };
    for (const auto& z : pairs) times({1.0, -2 * z.real(), std::norm(z)});
    for (double r : reals) times({1.0, -r});
    return p;
}

class KnownRoots : public ::testing::TestWithParam<int> {};

// Random formant-like pairs (radius 0.6 … 0.995) and a few real roots.
TEST_P(KnownRoots, EveryPairIsFoundAtItsFrequencyAndBandwidth) {
    const int order = GetParam();
    std::mt19937 rng(static_cast<unsigned>(order));
    std::uniform_real_distribution<double> radius(0.6, 0.995), angle(0.02, M_PI - 0.02), real(-0.9, 0.9);
    std::vector<std::complex<double>> pairs;
    std::vector<double> reals;
    for (int i = 0; i < order % 3; ++i) reals.push_back(real(rng));
    while (2 * static_cast<int>(pairs.size()) + static_cast<int>(reals.size()) < order)
        pairs.push_back(std::polar(radius(rng), angle(rng)));
    const auto a = poly_from_roots(pairs, reals);
    expect_same_formant_roots(a, 44100, "order " + std::to_string(order));
    // And the formant list holds the narrow ones, ascending.
    CMathFunc mf;
    std::vector<double> padded = a;
    padded.resize(401, 0.0);
    const FormantResult* fr = mf.FindFormants(static_cast<int>(a.size()) - 1, 600, padded.data(), 44100);
    ASSERT_NE(fr, nullptr);
    EXPECT_EQ(fr->factor_count, static_cast<int>(pairs.size()));
    for (int i = 1; i < fr->formant_count; ++i) EXPECT_LE(fr->F[i - 1], fr->F[i]);
}

// (Beyond about 80 random roots the expanded coefficients alone no longer
// pin the roots down in double precision; predictors of order 100 are
// covered below.)
INSTANTIATE_TEST_SUITE_P(Orders, KnownRoots, ::testing::Values(4, 11, 14, 26, 32, 48, 65, 80));

struct PredictorCase {
    double fs;
    int order;
};

class VoicePredictor : public ::testing::TestWithParam<PredictorCase> {};

// The LPC predictor of a voice frame at the full rate and a high order:
// FindFormants never fails and its roots are the reference roots.
TEST_P(VoicePredictor, RootsAgreeWithTheReferenceAndFactoringNeverFails) {
    const auto [fs, order] = GetParam();
    test::VoiceSpec v;
    v.fs = fs;
    v.seconds = 0.25;
    v.f0 = [](double t) { return 120.0 + 80.0 * t; };
    v.formants = {{650, 80}, {1200, 90}, {2500, 120}, {3400, 150}};
    v.glottis = test::Glottis::Rosenberg;
    v.snr_db = 40;
    const auto x = test::synth(v);
    const int n = static_cast<int>(0.03 * fs);
    CMathFunc mf;
    for (int frame = 0; frame < 5; ++frame) {
        std::vector<double> buf(static_cast<std::size_t>(n) + 1);
        const std::size_t at = static_cast<std::size_t>(frame) * x.size() / 6;
        for (int i = 0; i <= n; ++i) buf[i] = x[at + static_cast<std::size_t>(i)];
        const FormantResult* fr = mf.LpcSpectrumDb(buf.data(), order, n, 0.98, 1, false, 0, fs / 2, fs, true, true);
        ASSERT_NE(fr, nullptr) << "order " << order << " frame " << frame;
        const LpcResult& lpc = mf.last_lpc();
        std::vector<double> a(lpc.a.begin(), lpc.a.begin() + lpc.order + 1);
        expect_same_formant_roots(a, fs, "order " + std::to_string(order) + " frame " + std::to_string(frame));
    }
}

INSTANTIATE_TEST_SUITE_P(RatesAndOrders, VoicePredictor,
                         ::testing::Values(PredictorCase{8000, 12}, PredictorCase{11025, 14}, PredictorCase{22050, 26},
                                           PredictorCase{44100, 32}, PredictorCase{44100, 48},
                                           PredictorCase{48000, 52}, PredictorCase{48000, 100}));

TEST(PolynomialRoots, ZerosLeadingAndTrailingAndBadCoefficients) {
    std::vector<std::complex<double>> r;
    // 0·z³ + z² − 1 has roots ±1; z²·(z − 0.5) has a double root at 0.
    const double a[] = {0.0, 1.0, 0.0, -1.0};
    ASSERT_TRUE(PolynomialRoots(a, 3, r));
    ASSERT_EQ(r.size(), 2u);
    std::vector<double> re{r[0].real(), r[1].real()};
    std::sort(re.begin(), re.end());
    EXPECT_NEAR(re[0], -1.0, 1e-12);
    EXPECT_NEAR(re[1], 1.0, 1e-12);
    const double b[] = {1.0, -0.5, 0.0, 0.0};
    ASSERT_TRUE(PolynomialRoots(b, 3, r));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(std::count(r.begin(), r.end(), std::complex<double>(0.0, 0.0)), 2);
    const double nan[] = {1.0, std::nan(""), 0.5};
    EXPECT_FALSE(PolynomialRoots(nan, 2, r));
    const double zero[] = {0.0, 0.0};
    EXPECT_FALSE(PolynomialRoots(zero, 1, r));
}

// Bairstow from its fixed start wanders off on some polynomials; the last
// stage of FactorPolynomial takes the pair from the companion-matrix roots,
// so a polynomial with complex roots always yields a factor that divides it.
TEST(FactorPolynomial, AlwaysReturnsADividingFactorForHighOrders) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> radius(0.9, 0.999), angle(0.05, M_PI - 0.05);
    for (int order : {20, 40, 60}) {
        std::vector<std::complex<double>> pairs;
        for (int i = 0; i < order / 2; ++i) pairs.push_back(std::polar(radius(rng), angle(rng)));
        const auto a = poly_from_roots(pairs, {});
        CMathFunc mf;
        std::vector<double> out(a.size());
        const FactorOutcome f = mf.FactorPolynomial(order, a.data(), out.data());
        ASSERT_EQ(f.kind, FactorKind::Quadratic) << order;
        // The factor is one of the pairs.
        double best = 1e300;
        for (const auto& z : pairs) best = std::min({best, std::fabs(f.c1 + 2 * z.real()) + std::fabs(f.c0 - std::norm(z))});
        EXPECT_LT(best, 1e-6) << order;
    }
}

}  // namespace
}  // namespace vox
