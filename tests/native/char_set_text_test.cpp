#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "CharSetText.h"

namespace {

TEST(FormatCodeText, ReplacesEveryPlaceholderAndKeepsOtherText) {
    EXPECT_EQ(FormatCodeText(L"Code Page %d", 1252), L"Code Page 1252");
    EXPECT_EQ(FormatCodeText(L"%d (x) %d", 7), L"7 (x) 7");
    EXPECT_EQ(FormatCodeText(L"ohne Zahl", 7), L"ohne Zahl");
    // A translated text with a stray '%' or another format letter stays harmless.
    EXPECT_EQ(FormatCodeText(L"100% %s %", 5), L"100% %s %");
    EXPECT_EQ(FormatCodeText(L"", 5), L"");
    EXPECT_EQ(FormatCodeText(L"%d", 4294967295u), L"4294967295");
}

struct TCharSetCase {
    const char* name;
    std::uint16_t code;
    std::optional<std::wstring> expected;
};

class UnicodeCharSetNameTest : public ::testing::TestWithParam<TCharSetCase> {};

TEST_P(UnicodeCharSetNameTest, NamesOnlyTheFourUnicodeCodePages) {
    EXPECT_EQ(UnicodeCharSetName(GetParam().code), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, UnicodeCharSetNameTest,
    ::testing::Values(TCharSetCase{"Utf16LE", 1200, L"1200 (Unicode UTF-16, little endian byte order)"},
                      TCharSetCase{"Utf16BE", 1201, L"1201 (Unicode UTF-16, big endian byte order)"},
                      TCharSetCase{"Utf32LE", 12000, L"12000 (Unicode UTF-32, little endian byte order)"},
                      TCharSetCase{"Utf32BE", 12001, L"12001 (Unicode UTF-32, big endian byte order)"},
                      TCharSetCase{"DefaultAnsi", 0, std::nullopt},
                      TCharSetCase{"Ansi1252", 1252, std::nullopt},
                      TCharSetCase{"Utf8", 65001, std::nullopt},
                      TCharSetCase{"NextToUtf16BE", 1202, std::nullopt}),
    [](const ::testing::TestParamInfo<TCharSetCase>& info) { return std::string(info.param.name); });

TEST(CodePageNames, UnknownAndFallbackNamesCarryTheCode) {
    EXPECT_EQ(UnknownCodePageName(4660), L"4660 (Unknown Code Page)");
    EXPECT_EQ(UnknownCodePageName(0), L"0 (Unknown Code Page)");
    EXPECT_EQ(PlainCodePageName(1252), L"Code Page 1252");
}

}  // namespace
