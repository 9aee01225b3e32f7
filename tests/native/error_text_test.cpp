#include "error_text.h"

#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "errors.h"
#include "failure_text.h"
#include "param_name.h"

namespace {

struct DotCase {
    const char* name;
    std::wstring message;
    std::wstring shown;
};

class FinalDotTest : public testing::TestWithParam<DotCase> {};

TEST_P(FinalDotTest, AddsTheDotOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(WithFinalDot(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FinalDotTest,
    testing::Values(DotCase{"Empty", L"", L""}, DotCase{"Letter", L"Datei fehlt", L"Datei fehlt."},
                    DotCase{"Digit", L"Code 5", L"Code 5."}, DotCase{"FullStop", L"Ende.", L"Ende."},
                    DotCase{"Exclamation", L"Achtung!", L"Achtung!"},
                    DotCase{"ClosingParenthesis", L"(x)", L"(x)"}, DotCase{"LineBreak", L"Zeile\r\n", L"Zeile\r\n"},
                    DotCase{"Blank", L"a ", L"a "}, DotCase{"Hyphen", L"a-", L"a-"},
                    DotCase{"Slash", L"a/", L"a/."}, DotCase{"Umlaut", L"Größe", L"Größe."},
                    DotCase{"Ellipsis", L"wird aktualisiert...", L"wird aktualisiert..."}),
    TParamName());

std::wstring AsciiLower(const std::wstring& text) {
    std::wstring lower = text;
    for (auto& c : lower)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return lower;
}

struct TitleCase {
    const char* name;
    std::wstring path;
    std::wstring title;
};

class ApplicationTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(ApplicationTitleTest, KeepsFirstCharacterAndLowersTheRest) {
    EXPECT_EQ(ApplicationTitle(GetParam().path, &AsciiLower), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ApplicationTitleTest,
    testing::Values(TitleCase{"Program", L"C:\\Program Files\\KesTrum\\KestrumHelper.exe", L"Kestrumhelper"},
                    TitleCase{"DottedFolderIgnored", L"C:\\v1.2\\KestrumHelper.exe", L"Kestrumhelper"},
                    TitleCase{"CutAtFirstDot", L"D:\\KESTRUM.HELPER.EXE", L"Kestrum"},
                    TitleCase{"DriveOnly", L"C:x.exe", L"x"}, TitleCase{"NoFolder", L"kestrum", L"kestrum"},
                    TitleCase{"Empty", L"", L""}),
    TParamName());

struct OsErrorCase {
    const char* name;
    unsigned long code;
    std::wstring platformText;
    std::wstring text;
};

class OsErrorTextTest : public testing::TestWithParam<OsErrorCase> {};

TEST_P(OsErrorTextTest, SignedCodeAndTrimmedPlatformText) {
    EXPECT_EQ(OsErrorText(GetParam().code, GetParam().platformText), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OsErrorTextTest,
    testing::Values(OsErrorCase{"TrimmedPlatformText", 2, L"Das System kann die angegebene Datei nicht finden. \r\n",
                                L"Systemfehler.  Code: 2.\r\nDas System kann die angegebene Datei nicht finden"},
                    OsErrorCase{"NoPlatformText", 5, L"", L"Systemfehler.  Code: 5.\r\n"},
                    OsErrorCase{"HighestPositiveCode", 0x7FFFFFFF, L"", L"Systemfehler.  Code: 2147483647.\r\n"},
                    // %d prints the code signed: an HRESULT-like code reads negative.
                    OsErrorCase{"CodeAboveInt32ReadsNegative", 0x80070005, L"Zugriff verweigert",
                                L"Systemfehler.  Code: -2147024891.\r\nZugriff verweigert"},
                    OsErrorCase{"LowestNegativeCode", 0x80000000, L"", L"Systemfehler.  Code: -2147483648.\r\n"},
                    OsErrorCase{"AllBitsSetIsMinusOne", 0xFFFFFFFF, L"", L"Systemfehler.  Code: -1.\r\n"},
                    OsErrorCase{"CodeZeroGivesTheGeneralText", 0, L"ignored",
                                L"Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen"}),
    TParamName());

TEST(ApplicationErrorTextTest, ClassModuleAddressAndMessage) {
    EXPECT_EQ(ApplicationErrorText(L"EOSError", L"KestrumHelper.exe", 0x4A5B3C, L"Zu wenig Arbeitsspeicher"),
              L"Exception EOSError in Modul KestrumHelper.exe bei 00000000004A5B3C.\r\nZu wenig Arbeitsspeicher.");
}

TEST(HexTextTest, PadsAndCases) {
    EXPECT_EQ(HexText(0x80040154u, 8, false), L"80040154");
    EXPECT_EQ(HexText(0xABu, 8, false), L"000000ab");
    EXPECT_EQ(HexText(0xABu, 2, true), L"AB");
    EXPECT_EQ(HexText(0, 1, true), L"0");
}

TEST(DescribeFailureTest, OwnFailuresCarryClassAndMessage) {
    const TFailureText os = DescribeFailure(std::make_exception_ptr(EOSError(L"Systemfehler", 5)));
    EXPECT_EQ(os.ClassName, L"EOSError");
    EXPECT_EQ(os.Message, L"Systemfehler");
    EXPECT_FALSE(os.Silent);
    const TFailureText cast = DescribeFailure(std::make_exception_ptr(EIntfCastError()));
    EXPECT_EQ(cast.ClassName, L"EIntfCastError");
    EXPECT_EQ(cast.Message, L"Interface nicht unterstützt");
    const TFailureText io = DescribeFailure(std::make_exception_ptr(EInOutError(L"Datei nicht gefunden", 2)));
    EXPECT_EQ(io.ClassName, L"EInOutError");
}

TEST(DescribeFailureTest, AbortIsSilent) {
    EXPECT_TRUE(DescribeFailure(std::make_exception_ptr(EAbort())).Silent);
}

TEST(DescribeFailureTest, ForeignFailures) {
    EXPECT_EQ(DescribeFailure(std::make_exception_ptr(std::bad_alloc())).Message, L"Zu wenig Arbeitsspeicher");
    EXPECT_EQ(DescribeFailure(std::make_exception_ptr(std::runtime_error("boom"))).Message, L"boom");
    EXPECT_EQ(DescribeFailure(std::make_exception_ptr(42)).Message, L"");
}

}  // namespace
