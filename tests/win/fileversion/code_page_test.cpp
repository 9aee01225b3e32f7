#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "FileVersionInfo.h"

namespace {

TEST(CodePageQuery, IsThePlatformsWhereItHasOne) {
    const FARPROC platform = ::GetProcAddress(::GetModuleHandleW(L"Kernel32.dll"), "GetCPInfoExW");
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetCPInfoExFn), reinterpret_cast<void*>(platform));
}

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
