#include <gtest/gtest.h>

#include <string>

#include "FileVersionNumber.h"
#include "param_name.h"

namespace {

struct TCompareCase {
    const char* name;
    TFileVersionNumber ver1;
    TFileVersionNumber ver2;
    int expected;
};

class CompareVerNumsTest : public ::testing::TestWithParam<TCompareCase> {};

TEST_P(CompareVerNumsTest, GivesDifferenceOfFirstDifferingPart) {
    const TCompareCase& c = GetParam();
    EXPECT_EQ(CompareVerNums(c.ver1, c.ver2), c.expected);
    EXPECT_EQ(CompareVerNums(c.ver2, c.ver1), -c.expected);
}

TEST_P(CompareVerNumsTest, OperatorsAgreeWithTheSign) {
    const TCompareCase& c = GetParam();
    const auto& a = c.ver1;
    const auto& b = c.ver2;
    EXPECT_EQ(a == b, c.expected == 0);
    EXPECT_EQ(a != b, c.expected != 0);
    EXPECT_EQ(a < b, c.expected < 0);
    EXPECT_EQ(a <= b, c.expected <= 0);
    EXPECT_EQ(a > b, c.expected > 0);
    EXPECT_EQ(a >= b, c.expected >= 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareVerNumsTest,
    ::testing::Values(TCompareCase{"Equal", {1, 2, 3, 4}, {1, 2, 3, 4}, 0},
                      TCompareCase{"ThirdPartDecidesFourthIgnored", {1, 2, 3, 4}, {1, 2, 4, 0}, -1},
                      TCompareCase{"MajorDecidesOverLowerParts", {3, 0, 0, 0}, {1, 9, 9, 9}, 2},
                      TCompareCase{"LargestPositiveDifference", {1, 0, 0, 65535}, {1, 0, 0, 0}, 65535},
                      TCompareCase{"LargestNegativeDifference", {0, 0, 0, 0}, {65535, 0, 0, 0}, -65535},
                      TCompareCase{"SecondPart", {28, 1, 65535, 65535}, {28, 2, 0, 0}, -1},
                      TCompareCase{"AllZero", {}, {}, 0},
                      TCompareCase{"AllMaximal", {65535, 65535, 65535, 65535}, {65535, 65535, 65535, 65535}, 0}),
    TParamName());

TEST(VerNumToStr, WritesFourDecimalPartsWithoutLeadingZeros) {
    EXPECT_EQ(VerNumToStr({28, 2, 3, 4}), L"28.2.3.4");
    EXPECT_EQ(VerNumToStr({}), L"0.0.0.0");
    EXPECT_EQ(VerNumToStr({65535, 65535, 65535, 65535}), L"65535.65535.65535.65535");
    EXPECT_EQ(VerNumToStr({1, 0, 10, 100}), L"1.0.10.100");
}

TEST(VerNumToStr, IsTheImplicitTextForm) {
    const std::wstring text = TFileVersionNumber{7, 1, 0, 9};
    EXPECT_EQ(text, L"7.1.0.9");
}

}  // namespace
