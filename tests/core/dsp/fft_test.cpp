// The planned transforms against the direct sums of their definitions, at
// every size from the smallest to beyond the largest analysis window, and
// the complex plan against the toolbox's own transform.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/dsp/fft.h"
#include "core/dsp/math_func.h"

namespace vox {
namespace {

std::vector<double> noise(int n, unsigned seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-30000.0, 30000.0);
    std::vector<double> v(static_cast<std::size_t>(n));
    for (double& x : v) x = u(g);
    return v;
}

// cos and sin of 2πm/n, m < n.
std::vector<long double> cos_table(int n) {
    std::vector<long double> t(static_cast<std::size_t>(n));
    for (int m = 0; m < n; ++m) t[m] = std::cos(2.0L * std::numbers::pi_v<long double> * m / n);
    return t;
}
std::vector<long double> sin_table(int n) {
    std::vector<long double> t(static_cast<std::size_t>(n));
    for (int m = 0; m < n; ++m) t[m] = std::sin(2.0L * std::numbers::pi_v<long double> * m / n);
    return t;
}

// Largest error allowed against a direct sum of n terms of size ≤ 30000.
double tolerance(int n) { return 1e-10 * 30000.0 * n; }

class FftSizes : public ::testing::TestWithParam<int> {};

TEST_P(FftSizes, RealTransformMatchesTheDirectSum) {
    const int n = GetParam();
    const std::vector<double> x = noise(n, 7u + n);
    RealFft plan(n);
    std::vector<double> re(plan.work_size()), im(plan.work_size());
    plan.forward(x.data(), re.data(), im.data());
    const std::vector<long double> c = cos_table(n), s = sin_table(n);
    for (int k = 0; k <= n / 2; ++k) {
        long double sr = 0, si = 0;
        for (int j = 0; j < n; ++j) {
            const std::size_t m = static_cast<std::size_t>((static_cast<long long>(j) * k) % n);
            sr += x[j] * c[m];
            si -= x[j] * s[m];
        }
        ASSERT_NEAR(re[k], static_cast<double>(sr), tolerance(n)) << "bin " << k;
        ASSERT_NEAR(im[k], static_cast<double>(si), tolerance(n)) << "bin " << k;
    }
}

// A windowed 16-bit frame with a zero tail, all bins or only the low ones;
// frames longer and shorter than half the transform (the usual analysis
// frame, whose zero half is handled apart), odd and even lengths.
TEST_P(FftSizes, WindowedFrameMatchesTheDirectSumWhetherAllOrLowBins) {
    const int n = GetParam();
    if (n < 8) GTEST_SKIP();
    for (const int count : {n * 3 / 5, n / 2, n / 2 - 1, n * 2 / 5 + 1}) {
        SCOPED_TRACE("frame of " + std::to_string(count));
        const std::vector<double> v = noise(count, 11u + n);
        std::vector<std::int16_t> x(v.begin(), v.end());
        std::vector<double> w(static_cast<std::size_t>(count));
        for (int j = 0; j < count; ++j) w[j] = 0.54 - 0.46 * std::cos(2.0 * std::numbers::pi * j / (count - 1));
        RealFft plan(n);
        std::vector<double> re(plan.work_size()), im(plan.work_size()), lre(plan.work_size()), lim(plan.work_size());
        plan.forward_product(x.data(), w.data(), count, re.data(), im.data());
        const int bins = n / 8;
        plan.forward_product(x.data(), w.data(), count, lre.data(), lim.data(), bins);
        const std::vector<long double> c = cos_table(n), s = sin_table(n);
        for (int k = 0; k <= n / 2; ++k) {
            long double sr = 0, si = 0;
            for (int j = 0; j < count; ++j) {
                const std::size_t m = static_cast<std::size_t>((static_cast<long long>(j) * k) % n);
                sr += w[j] * x[j] * c[m];
                si -= w[j] * x[j] * s[m];
            }
            ASSERT_NEAR(re[k], static_cast<double>(sr), tolerance(n)) << "bin " << k;
            ASSERT_NEAR(im[k], static_cast<double>(si), tolerance(n)) << "bin " << k;
            if (k <= bins) {
                ASSERT_NEAR(lre[k], re[k], 1e-9 * std::fabs(re[k]) + 1e-9) << "low bin " << k;
                ASSERT_NEAR(lim[k], im[k], 1e-9 * std::fabs(im[k]) + 1e-9) << "low bin " << k;
            }
        }
    }
}

TEST_P(FftSizes, EvenTransformMatchesTheCosineSum) {
    const int n = GetParam();
    const std::vector<double> y = noise(n + 1, 11u + n);
    EvenRealFft plan(n);
    std::vector<double> work(3 * plan.work_size()), out(n + 1);
    plan.forward(y.data(), out.data(), work.data());
    const std::vector<long double> c = cos_table(2 * n);
    for (int k = 0; k <= n; ++k) {
        long double s = y[0] + (k % 2 ? -1.0L : 1.0L) * y[n];
        for (int j = 1; j < n; ++j) s += 2.0L * y[j] * c[static_cast<std::size_t>((static_cast<long long>(j) * k) % (2 * n))];
        ASSERT_NEAR(out[k], static_cast<double>(s), 2 * tolerance(n)) << "quefrency " << k;
    }
    // In place gives the same.
    std::vector<double> inplace = y;
    plan.forward(inplace.data(), inplace.data(), work.data());
    for (int k = 0; k <= n; ++k) EXPECT_EQ(inplace[k], out[k]);
}

TEST_P(FftSizes, ComplexPlanAgreesWithTheToolbox) {
    const int n = GetParam();
    if (n > CMathFunc::kMaxFftPoints) GTEST_SKIP();
    std::vector<double> re = noise(n, 3u + n), im = noise(n, 5u + n);
    std::vector<double> re2 = re, im2 = im;
    ComplexFft(n).forward(re.data(), im.data());
    int m = 0;
    while ((1 << m) < n) ++m;
    CMathFunc mf;
    mf.Fft(re2.data(), im2.data(), m);
    for (int k = 0; k < n; ++k) {
        ASSERT_NEAR(re[k], re2[k], tolerance(n)) << k;
        ASSERT_NEAR(im[k], im2[k], tolerance(n)) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(PowersOfTwo, FftSizes, ::testing::Values(4, 8, 16, 32, 256, 2048, 4096));

TEST(FftPlans, RefuseSizesThatAreNotPowersOfTwo) {
    EXPECT_THROW(ComplexFft(0), std::invalid_argument);
    EXPECT_THROW(ComplexFft(12), std::invalid_argument);
    EXPECT_THROW(RealFft(2), std::invalid_argument);
    EXPECT_THROW(RealFft(1000), std::invalid_argument);
    EXPECT_THROW(EvenRealFft(6), std::invalid_argument);
}

TEST(FftPlans, RealTransformOfACosineIsOneBin) {
    // A cosine of 5 cycles over 64 samples: bins 5 (and only 5) hold N/2·A.
    const int n = 64;
    std::vector<double> x(n);
    for (int j = 0; j < n; ++j) x[j] = 1000.0 * std::cos(2.0 * std::numbers::pi * 5 * j / n);
    RealFft plan(n);
    std::vector<double> re(plan.work_size()), im(plan.work_size());
    plan.forward(x.data(), re.data(), im.data());
    for (int k = 0; k <= n / 2; ++k) {
        EXPECT_NEAR(re[k], k == 5 ? 32000.0 : 0.0, 1e-8) << k;
        EXPECT_NEAR(im[k], 0.0, 1e-8) << k;
    }
}

}  // namespace
}  // namespace vox
