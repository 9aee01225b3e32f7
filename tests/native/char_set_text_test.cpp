#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "CharSetText.h"
#include "param_name.h"

namespace {

TEST(FormatCodeText, ReplacesEveryPlaceholderAndKeepsOtherText) {
    EXPECT_EQ(FormatCodeText(L"Code Page %d", 1252), L"Code Page 1252");
    EXPECT_EQ(FormatCodeText(L"%d (x) %d", 7), L"7 (x) 7");
    EXPECT_EQ(FormatCodeText(L"ohne Zahl", 7), L"ohne Zahl");
    // A translated text with a stray '%' or another format letter stays harmless.
    EXPECT_EQ(FormatCodeText(L"100% %s %", 5), L"100% %s %");
    EXPECT_EQ(FormatCodeText(L"%%d", 5), L"%5");
    EXPECT_EQ(FormatCodeText(L"", 5), L"");
    EXPECT_EQ(FormatCodeText(L"%d", 4294967295u), L"4294967295");
}

struct TCharSetCase {
    const char* name;
    std::uint16_t code;
    std::optional<unsigned> textId;
};

class UnicodeCharSetTextIdTest : public ::testing::TestWithParam<TCharSetCase> {};

TEST_P(UnicodeCharSetTextIdTest, NamesOnlyTheFourUnicodeCodePages) {
    EXPECT_EQ(UnicodeCharSetTextId(GetParam().code), GetParam().textId);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, UnicodeCharSetTextIdTest,
    ::testing::Values(TCharSetCase{"Utf16LE", 1200, IDS_CHARSET_UTF16_LE},
                      TCharSetCase{"Utf16BE", 1201, IDS_CHARSET_UTF16_BE},
                      TCharSetCase{"Utf32LE", 12000, IDS_CHARSET_UTF32_LE},
                      TCharSetCase{"Utf32BE", 12001, IDS_CHARSET_UTF32_BE},
                      TCharSetCase{"DefaultAnsi", 0, std::nullopt},
                      TCharSetCase{"Ansi1252", 1252, std::nullopt},
                      TCharSetCase{"Utf8", 65001, std::nullopt},
                      TCharSetCase{"NextToUtf16BE", 1202, std::nullopt}),
    TParamName());

}  // namespace

