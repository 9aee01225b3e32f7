#include "placement.h"

#include <gtest/gtest.h>

#include <string>

#include "param_name.h"

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
    TParamName());

struct ScaleCase {
    const char* name;
    long designPixels;
    unsigned dpi;
    long scaled;
};

class ScaleForDpiTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleForDpiTest, RoundsToTheNearestPixelWithHalvesAwayFromZero) {
    EXPECT_EQ(ScaleForDpi(GetParam().designPixels, GetParam().dpi), GetParam().scaled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleForDpiTest,
    testing::Values(ScaleCase{"DesignDpiKeeps", 300, 96, 300}, ScaleCase{"DoubleDpi", 70, 192, 140},
                    ScaleCase{"HalfRoundsUp", 70, 120, 88},            // 87.5
                    ScaleCase{"BelowHalfRoundsDown", 300, 97, 303},    // 303.125
                    ScaleCase{"AboveHalfRoundsUp", 70, 101, 74},       // 73.65
                    ScaleCase{"BevelAt120", 2, 120, 3},                // 2.5
                    ScaleCase{"NegativeHalfAwayFromZero", -70, 120, -88},
                    ScaleCase{"LowDpiShrinks", 300, 72, 225}, ScaleCase{"UnknownDpiKeeps", 300, 0, 300}),
    TParamName());

struct RescaleCase {
    const char* name;
    TPointI origin;
    unsigned sizedForDpi, windowDpi;
    bool needed;
    unsigned dpi;
    TRectI bounds;
};

class RescaleAfterPlacementTest : public testing::TestWithParam<RescaleCase> {};

TEST_P(RescaleAfterPlacementTest, SizesForTheWindowsDpiAndKeepsTheOrigin) {
    const RescaleCase& c = GetParam();
    const TRescale rescale = RescaleAfterPlacement(c.origin, c.sizedForDpi, c.windowDpi);
    EXPECT_EQ(rescale.Needed, c.needed);
    EXPECT_EQ(rescale.Dpi, c.dpi);
    EXPECT_EQ(rescale.Bounds.Left, c.bounds.Left);
    EXPECT_EQ(rescale.Bounds.Top, c.bounds.Top);
    EXPECT_EQ(rescale.Bounds.Right, c.bounds.Right);
    EXPECT_EQ(rescale.Bounds.Bottom, c.bounds.Bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RescaleAfterPlacementTest,
    testing::Values(
        RescaleCase{"SameDpiStays", {490, 477}, 96, 96, false, 96, {490, 477, 790, 547}},
        RescaleCase{"SameHighDpiStays", {490, 477}, 144, 144, false, 144, {490, 477, 940, 582}},
        RescaleCase{"OntoHigherDpi", {2410, 477}, 96, 144, true, 144, {2410, 477, 2860, 582}},
        RescaleCase{"OntoLowerDpi", {350, 315}, 144, 96, true, 96, {350, 315, 650, 385}},
        RescaleCase{"OntoFractionalScale", {350, 315}, 96, 120, true, 120, {350, 315, 725, 403}},
        // A monitor left of and above the primary one: negative origin, kept.
        RescaleCase{"NegativeOriginKept", {-1110, -305}, 96, 192, true, 192, {-1110, -305, -510, -165}},
        RescaleCase{"UnknownWindowDpiStays", {350, 315}, 120, 0, false, 120, {350, 315, 725, 403}}),
    TParamName());

}  // namespace
