#pragma once
// The name of a parameterised test case: the case's own name field, or the
// parameter itself where the parameter is a name. For the last argument of
// INSTANTIATE_TEST_SUITE_P in every GoogleTest program, native and Windows:
//   INSTANTIATE_TEST_SUITE_P(Cases, SomeTest, testing::Values(...), TParamName());
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

struct TParamName {
    template <class TParam>
    std::string operator()(const testing::TestParamInfo<TParam>& info) const {
        if constexpr (std::is_convertible_v<const TParam&, const char*>) {
            return info.param;
        } else {
            return info.param.name;
        }
    }
};
