// A 32-bit picture with alpha laid over white: which pictures carry alpha,
// and what each pixel becomes.
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

struct CompositeCase {
    const char* name;
    TBytes pixel;     // blue, green, red, alpha (premultiplied)
    TBytes expected;  // blue, green, red, alpha 0
};
void PrintTo(const CompositeCase& c, std::ostream* os) { *os << c.name; }

class CompositeOverWhiteTest : public testing::TestWithParam<CompositeCase> {};

TEST_P(CompositeOverWhiteTest, LaysThePremultipliedPixelOverWhite) {
    const CompositeCase& c = GetParam();
    // Between two pixels that stay what they are: each pixel on its own.
    TBytes pixels = {0, 0, 0, 0};
    pixels.insert(pixels.end(), c.pixel.begin(), c.pixel.end());
    pixels.insert(pixels.end(), {10, 20, 30, 255});
    CompositeOverWhite(pixels);
    TBytes expected = {255, 255, 255, 0};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    expected.insert(expected.end(), {10, 20, 30, 0});
    EXPECT_EQ(pixels, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompositeOverWhiteTest,
    testing::Values(CompositeCase{"TransparentComesOutWhite", {0, 0, 0, 0}, {255, 255, 255, 0}},
                    CompositeCase{"OpaqueGreenKeepsItsColour", {0, 255, 0, 255}, {0, 255, 0, 0}},
                    CompositeCase{"OpaqueBlackStaysBlack", {0, 0, 0, 255}, {0, 0, 0, 0}},
                    // Green at half coverage, premultiplied: 128 of green,
                    // and white shows through by 127.
                    CompositeCase{"HalfCoveredGreenIsPaleGreen", {0, 128, 0, 128}, {127, 255, 127, 0}},
                    CompositeCase{"QuarterCoveredRed", {0, 0, 64, 64}, {191, 191, 255, 0}},
                    // Not premultiplied (colour above alpha): held at 255.
                    CompositeCase{"ColourAboveAlphaIsHeldAt255", {200, 10, 0, 100}, {255, 165, 155, 0}}),
    TParamName());

TEST(CompositeOverWhite, LeavesATrailingPartialPixelAlone) {
    TBytes pixels = {0, 0, 0, 0, 1, 2, 3};
    CompositeOverWhite(pixels);
    EXPECT_EQ(pixels, (TBytes{255, 255, 255, 0, 1, 2, 3}));
}

}  // namespace
