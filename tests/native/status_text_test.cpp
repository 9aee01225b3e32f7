#include "status_text.h"

#include <gtest/gtest.h>

#include <string>

#include "param_name.h"

namespace {

struct ResultCase {
    const char* name;
    int created, updated;
    std::wstring text;
};

class PropertyResultTest : public testing::TestWithParam<ResultCase> {};

TEST_P(PropertyResultTest, ComposesBothLines) {
    EXPECT_EQ(ComposePropertyResult(GetParam().created, GetParam().updated), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyResultTest,
    testing::Values(
        ResultCase{"NothingAtAll", 0, 0, L" keine neue Properties angelegt...\rkeine Properties aktualisiert..."},
        ResultCase{"TwoNewNoneUpdated", 2, 0, L"2 Properties neu angelegt...\rkeine Properties aktualisiert..."},
        ResultCase{"OneNewThreeUpdated", 1, 3, L" ein Propertie neu angelegt...\r3 Properties aktualisiert..."},
        ResultCase{"NoneNewOneUpdated", 0, 1, L" keine neue Properties angelegt...\r ein Propertie aktualisiert..."},
        ResultCase{"Large", 120, 45, L"120 Properties neu angelegt...\r45 Properties aktualisiert..."}),
    TParamName());

}  // namespace
