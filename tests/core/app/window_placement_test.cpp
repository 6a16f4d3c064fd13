#include <gtest/gtest.h>

#include "core/app/window_placement.h"

namespace vox {
namespace {

struct PlaceCase {
    const char* what;
    PlaceRect in;
    PlaceRect bounds;
    PlaceRect out;
};

class ClampPlacement : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(ClampPlacement, KeepsTheWindowInsideItsArea) {
    const PlaceCase& c = GetParam();
    const PlaceRect got = clamp_placement(c.in, c.bounds, 100, 80);
    EXPECT_EQ(got, c.out) << c.what << ": " << got.x << "," << got.y << " " << got.w << "x" << got.h;
    // Whatever came in, the result lies inside the bounds.
    EXPECT_GE(got.x, c.bounds.x);
    EXPECT_GE(got.y, c.bounds.y);
    EXPECT_LE(got.x + got.w, c.bounds.x + c.bounds.w);
    EXPECT_LE(got.y + got.h, c.bounds.y + c.bounds.h);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClampPlacement,
    ::testing::Values(PlaceCase{"inside stays", {50, 50, 400, 300}, {0, 0, 1000, 700}, {50, 50, 400, 300}},
                      // The right half of a tiling of a wider frame.
                      PlaceCase{"half off the right", {900, 0, 900, 700}, {0, 0, 1000, 700}, {100, 0, 900, 700}},
                      PlaceCase{"below the bottom", {10, 650, 300, 200}, {0, 0, 1000, 700}, {10, 500, 300, 200}},
                      PlaceCase{"left of the area", {-300, -40, 400, 300}, {0, 0, 1000, 700}, {0, 0, 400, 300}},
                      PlaceCase{"larger than the area", {-5, -5, 3000, 2000}, {0, 0, 1000, 700}, {0, 0, 1000, 700}},
                      PlaceCase{"far away on another screen", {5000, 3000, 400, 300}, {0, 0, 1000, 700}, {600, 400, 400, 300}},
                      PlaceCase{"offset area", {0, 0, 450, 450}, {100, 60, 800, 600}, {100, 60, 450, 450}},
                      PlaceCase{"too small grows", {20, 20, 10, 5}, {0, 0, 1000, 700}, {20, 20, 100, 80}},
                      PlaceCase{"area smaller than the minimum", {0, 0, 10, 10}, {0, 0, 60, 50}, {0, 0, 60, 50}}));

TEST(ClampPlacementBounds, EmptyBoundsChangeNothing) {
    const PlaceRect r{900, 900, 400, 300};
    EXPECT_EQ(clamp_placement(r, PlaceRect{0, 0, 0, 0}), r);
}

}  // namespace
}  // namespace vox
