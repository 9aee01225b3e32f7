#include "placement.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PlacementCase {
    const char* name;
    TRectI target;
    long left, top;
};

class PlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, CentresWithUnscaledHalfSizes) {
    const TPointI origin = PlacementOrigin(GetParam().target);
    EXPECT_EQ(origin.X, GetParam().left);
    EXPECT_EQ(origin.Y, GetParam().top);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlacementTest,
    testing::Values(PlacementCase{"WorkArea1280x1024", {0, 0, 1280, 1024}, 490, 477},
                    PlacementCase{"MainWindow", {100, 50, 900, 650}, 350, 315},
                    PlacementCase{"OddExtentsTruncate", {0, 0, 301, 71}, 0, 0},
                    PlacementCase{"LeftMonitor", {-1920, -200, 0, 880}, -1110, 305},
                    PlacementCase{"NegativeOddExtents", {-1001, -501, -100, -100}, -701, -336},
                    PlacementCase{"InvertedRectTruncatesTowardZero", {0, 0, -301, -71}, -300, -70},
                    PlacementCase{"SmallerThanTheForm", {10, 10, 20, 20}, -135, -20}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

}  // namespace
