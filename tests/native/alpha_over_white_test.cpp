// A 32-bit picture with alpha laid over white: which pictures carry alpha,
// which hold it straight, and what each pixel becomes.
#include "alpha_over_white.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "param_name.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

struct HasAlphaCase {
    const char* name;
    TBytes pixels;  // blue, green, red, alpha
    bool hasAlpha;
};
void PrintTo(const HasAlphaCase& c, std::ostream* os) { *os << c.name; }

class HasAlphaTest : public testing::TestWithParam<HasAlphaCase> {};

TEST_P(HasAlphaTest, IsTrueOnlyWhenSomeAlphaByteIsNotZero) {
    const HasAlphaCase& c = GetParam();
    EXPECT_EQ(HasAlpha(c.pixels), c.hasAlpha);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HasAlphaTest,
    testing::Values(HasAlphaCase{"NoPixels", {}, false},
                    HasAlphaCase{"OpaqueGreenWithAlphaZero", {0, 255, 0, 0, 0, 255, 0, 0}, false},
                    HasAlphaCase{"ColourBytesOfFullValueAlphaZero", {255, 255, 255, 0, 255, 255, 255, 0}, false},
                    HasAlphaCase{"OnlyTheLastPixelHasAlpha", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, true},
                    HasAlphaCase{"OnlyTheFirstPixelHasAlpha", {0, 255, 0, 255, 0, 0, 0, 0}, true},
                    HasAlphaCase{"TrailingBytesAreNoPixel", {0, 0, 0, 0, 9, 9, 9}, false}),
    TParamName());

struct StraightCase {
    const char* name;
    TBytes pixels;  // blue, green, red, alpha
    bool straight;
};
void PrintTo(const StraightCase& c, std::ostream* os) { *os << c.name; }

class HasStraightAlphaTest : public testing::TestWithParam<StraightCase> {};

TEST_P(HasStraightAlphaTest, IsTrueOnlyWhenSomeColourByteExceedsItsAlpha) {
    EXPECT_EQ(HasStraightAlpha(GetParam().pixels), GetParam().straight);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HasStraightAlphaTest,
    testing::Values(StraightCase{"NoPixels", {}, false},
                    StraightCase{"Premultiplied", {0, 0, 0, 0, 0, 128, 0, 128, 64, 0, 0, 255}, false},
                    StraightCase{"EveryColourByteAtItsAlpha", {128, 128, 128, 128, 7, 7, 7, 7}, false},
                    // Each colour byte on its own, and only in the last pixel.
                    StraightCase{"BlueAboveAlpha", {0, 0, 0, 0, 129, 0, 0, 128}, true},
                    StraightCase{"GreenAboveAlpha", {0, 0, 0, 0, 0, 129, 0, 128}, true},
                    StraightCase{"RedAboveAlpha", {0, 0, 0, 0, 0, 0, 129, 128}, true},
                    // A straight transparent pixel keeps whatever colour it had.
                    StraightCase{"TransparentWithColour", {255, 255, 255, 0}, true},
                    StraightCase{"TrailingBytesAreNoPixel", {0, 0, 0, 0, 9, 9, 9}, false}),
    TParamName());

struct CompositeCase {
    const char* name;
    TBytes pixels;    // blue, green, red, alpha
    TBytes expected;  // blue, green, red, alpha 0
};
void PrintTo(const CompositeCase& c, std::ostream* os) { *os << c.name; }

class CompositeOverWhiteTest : public testing::TestWithParam<CompositeCase> {};

TEST_P(CompositeOverWhiteTest, LaysThePictureOverWhiteInTheFormItHolds) {
    const CompositeCase& c = GetParam();
    // Between two pixels that come out the same in either form: transparent
    // black and opaque colour.
    TBytes pixels = {0, 0, 0, 0};
    pixels.insert(pixels.end(), c.pixels.begin(), c.pixels.end());
    pixels.insert(pixels.end(), {10, 20, 30, 255});
    CompositeOverWhite(pixels);
    TBytes expected = {255, 255, 255, 0};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    expected.insert(expected.end(), {10, 20, 30, 0});
    EXPECT_EQ(pixels, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompositeOverWhiteTest,
    testing::Values(
        // Premultiplied: colour + 255 - alpha.
        CompositeCase{"TransparentComesOutWhite", {0, 0, 0, 0}, {255, 255, 255, 0}},
        CompositeCase{"OpaqueGreenKeepsItsColour", {0, 255, 0, 255}, {0, 255, 0, 0}},
        CompositeCase{"OpaqueBlackStaysBlack", {0, 0, 0, 255}, {0, 0, 0, 0}},
        // Green at half coverage, premultiplied: 128 of green, and white
        // shows through by 127.
        CompositeCase{"HalfCoveredGreenIsPaleGreen", {0, 128, 0, 128}, {127, 255, 127, 0}},
        CompositeCase{"QuarterCoveredRed", {0, 0, 64, 64}, {191, 191, 255, 0}},
        // Straight: colour * alpha / 255 to the nearest, + 255 - alpha. Grey
        // 160 at half coverage is 80.3 of grey, with 127 of white.
        CompositeCase{"StraightHalfCoveredGrey", {160, 160, 160, 128}, {207, 207, 207, 0}},
        // 1 * 128 / 255 is 0.502, which comes to 1, not 0; 255 * 128 / 255
        // is 128 exactly.
        CompositeCase{"StraightRoundsToTheNearest", {255, 1, 0, 128}, {255, 128, 127, 0}},
        CompositeCase{"StraightColourAboveAlpha", {200, 10, 0, 100}, {233, 159, 155, 0}},
        CompositeCase{"StraightTransparentWithColourIsWhite", {200, 100, 50, 0}, {255, 255, 255, 0}},
        // One straight pixel makes the whole picture straight: the green one
        // before it, which would pass for premultiplied, is weighted too.
        CompositeCase{"OneStraightPixelDecidesForAll",
                      {0, 128, 0, 128, 200, 10, 0, 100},
                      {127, 191, 127, 0, 233, 159, 155, 0}}),
    TParamName());

TEST(CompositeOverWhite, LeavesATrailingPartialPixelAlone) {
    TBytes pixels = {0, 0, 0, 0, 1, 2, 3};
    CompositeOverWhite(pixels);
    EXPECT_EQ(pixels, (TBytes{255, 255, 255, 0, 1, 2, 3}));
}

}  // namespace
