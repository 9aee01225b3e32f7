// The stack kept back on a thread for the report of its overflow: which
// reserves give it up.
#include "fault_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>

#include "param_name.h"

namespace {

const std::uintptr_t cLow = 0x7FF000000000;  // somewhere a 64-bit stack may lie

struct GuaranteeCase {
    const char* name;
    std::uintptr_t low, high;
    std::uint32_t guarantee;
};
void PrintTo(const GuaranteeCase& c, std::ostream* os) { *os << c.name; }

class StackGuaranteeTest : public testing::TestWithParam<GuaranteeCase> {};

TEST_P(StackGuaranteeTest, OnlyAReserveLargeEnoughGivesItUp) {
    EXPECT_EQ(StackGuaranteeFor(GetParam().low, GetParam().high), GetParam().guarantee);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StackGuaranteeTest,
    testing::Values(
        // The program's own reserve (its image header) and the usual 1 MiB,
        // the smallest that gives it up.
        GuaranteeCase{"TwoMebibytes", cLow, cLow + 2 * 1024 * 1024, cThreadStackGuarantee},
        GuaranteeCase{"OneMebibyte", cLow, cLow + 1024 * 1024, cThreadStackGuarantee},
        GuaranteeCase{"OnePageBelowOneMebibyte", cLow, cLow + 1020 * 1024, 0},
        // Workers sized to their need by their library keep all of it.
        GuaranteeCase{"QuarterMebibyte", cLow, cLow + 256 * 1024, 0},
        GuaranteeCase{"SixtyFourKibibytes", cLow, cLow + 64 * 1024, 0},
        // Limits that make no reserve: none told, or upside down.
        GuaranteeCase{"NoLimitsTold", 0, 0, 0},
        GuaranteeCase{"HighBelowLow", cLow + 1024 * 1024, cLow, 0}),
    TParamName());

}  // namespace
