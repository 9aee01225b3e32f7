#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "CharSetNames.h"
#include "FileVersionInfo.h"
#include "FileVersionTexts.h"
#include "param_name.h"

namespace {

// ---- Binding the code-page query ------------------------------------------

struct TBindingCase {
    const char* name;
    HMODULE (*module)();
    bool platformsOwn;  // GetCPInfoExW of the module, else the fallback
};
void PrintTo(const TBindingCase& c, std::ostream* os) { *os << c.name; }

class CodePageQueryBinding : public ::testing::TestWithParam<TBindingCase> {};

TEST_P(CodePageQueryBinding, TakesTheModulesQueryOrTheFallback) {
    const TBindingCase& c = GetParam();
    const HMODULE module = c.module();
    const TGetCPInfoExFn bound = BindGetCPInfoExFn(module);
    if (c.platformsOwn) {
        const FARPROC platform = ::GetProcAddress(module, "GetCPInfoExW");
        ASSERT_NE(platform, nullptr);
        EXPECT_EQ(reinterpret_cast<void*>(bound), reinterpret_cast<void*>(platform));
    } else {
        EXPECT_EQ(bound, &GetCPInfoAlt);
    }
    // Either way the bound query answers.
    CPINFOEXW info{};
    ASSERT_TRUE(bound(1252, 0, &info));
    EXPECT_EQ(info.CodePage, 1252u);
    if (!c.platformsOwn) {
        EXPECT_EQ(std::wstring(info.CodePageName), L"Code Page 1252");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modules, CodePageQueryBinding,
    ::testing::Values(TBindingCase{"Kernel32", [] { return ::GetModuleHandleW(L"Kernel32.dll"); }, true},
                      // This test program exports nothing of the kind.
                      TBindingCase{"ModuleWithoutTheQuery", [] { return ::GetModuleHandleW(nullptr); }, false},
                      TBindingCase{"NoModule", []() -> HMODULE { return nullptr; }, false}),
    TParamName());

// ---- The texts of the program's string table -------------------------------

struct TTextCase {
    const char* name;
    std::wstring (*text)();
    std::wstring expected;
};
void PrintTo(const TTextCase& c, std::ostream* os) { *os << c.name; }

class VersionTexts : public ::testing::TestWithParam<TTextCase> {};

TEST_P(VersionTexts, ComeFromTheStringTableByteForByte) { EXPECT_EQ(GetParam().text(), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Texts, VersionTexts,
    ::testing::Values(
        TTextCase{"Utf16LE", [] { return UnicodeCharSetName(1200).value_or(L"-"); },
                  L"1200 (Unicode UTF-16, little endian byte order)"},
        TTextCase{"Utf16BE", [] { return UnicodeCharSetName(1201).value_or(L"-"); },
                  L"1201 (Unicode UTF-16, big endian byte order)"},
        TTextCase{"Utf32LE", [] { return UnicodeCharSetName(12000).value_or(L"-"); },
                  L"12000 (Unicode UTF-32, little endian byte order)"},
        TTextCase{"Utf32BE", [] { return UnicodeCharSetName(12001).value_or(L"-"); },
                  L"12001 (Unicode UTF-32, big endian byte order)"},
        TTextCase{"NoUnicodeName", [] { return UnicodeCharSetName(1252).value_or(L"-"); }, L"-"},
        TTextCase{"UnknownCodePage", [] { return UnknownCodePageName(4660); }, L"4660 (Unknown Code Page)"},
        TTextCase{"UnknownCodePageZero", [] { return UnknownCodePageName(0); }, L"0 (Unknown Code Page)"},
        TTextCase{"PlainCodePage", [] { return PlainCodePageName(1252); }, L"Code Page 1252"},
        // The text as the table holds it, before the code is filled in.
        TTextCase{"UnformattedText", [] { return LoadVersionText(IDS_CODE_PAGE); }, L"Code Page %d"},
        TTextCase{"MissingText", [] { return LoadVersionText(IDS_CODE_PAGE + 100); }, L""}),
    TParamName());

// ---- The fallback query ------------------------------------------------------

TEST(GetCPInfoAlt, DescribesAKnownCodePage) {
    CPINFO plain{};
    ASSERT_TRUE(::GetCPInfo(1252, &plain));

    CPINFOEXW info;
    std::memset(&info, 0xAB, sizeof info);
    // The flags are ignored.
    ASSERT_TRUE(GetCPInfoAlt(1252, 0xFFFFFFFF, &info));
    EXPECT_EQ(info.MaxCharSize, plain.MaxCharSize);
    EXPECT_EQ(std::memcmp(info.DefaultChar, plain.DefaultChar, sizeof plain.DefaultChar), 0);
    EXPECT_EQ(std::memcmp(info.LeadByte, plain.LeadByte, sizeof plain.LeadByte), 0);
    EXPECT_EQ(info.UnicodeDefaultChar, 0);
    EXPECT_EQ(info.CodePage, 1252u);
    EXPECT_EQ(std::wstring(info.CodePageName), L"Code Page 1252");
}

TEST(GetCPInfoAlt, NamesTheDefaultAnsiCodePageByTheCodeAskedFor) {
    CPINFOEXW info{};
    ASSERT_TRUE(GetCPInfoAlt(0, 0, &info));
    EXPECT_EQ(info.CodePage, 0u);
    EXPECT_EQ(std::wstring(info.CodePageName), L"Code Page 0");
}

TEST(GetCPInfoAlt, LeavesTheResultUntouchedForARejectedCodePage) {
    CPINFOEXW info;
    std::memset(&info, 0xAB, sizeof info);
    CPINFOEXW before;
    std::memcpy(&before, &info, sizeof info);
    EXPECT_FALSE(GetCPInfoAlt(4660, 0, &info));
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
}

}  // namespace
