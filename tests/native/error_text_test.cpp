#include "error_text.h"

#include <gtest/gtest.h>

#include <cstdint>
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

struct StructuredExceptionCase {
    const char* name;
    std::uint32_t code;
    std::wstring className;
    std::wstring message;
};

class StructuredExceptionTest : public testing::TestWithParam<StructuredExceptionCase> {};

TEST_P(StructuredExceptionTest, ClassByCodeAndCodeInHexadecimal) {
    const TFailureText text = DescribeStructuredException(GetParam().code);
    EXPECT_EQ(text.ClassName, GetParam().className);
    EXPECT_EQ(text.Message, GetParam().message);
    EXPECT_FALSE(text.Silent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StructuredExceptionTest,
    testing::Values(
        StructuredExceptionCase{"AccessViolation", 0xC0000005, L"EAccessViolation", L"Externe Exception C0000005"},
        // Codes next to it are no access violation.
        StructuredExceptionCase{"InPageError", 0xC0000006, L"EExternalException", L"Externe Exception C0000006"},
        StructuredExceptionCase{"DataMisalignment", 0x80000002, L"EExternalException",
                                L"Externe Exception 80000002"},
        StructuredExceptionCase{"StackOverflow", 0xC00000FD, L"EExternalException", L"Externe Exception C00000FD"},
        StructuredExceptionCase{"ForeignCppException", 0xE06D7363, L"EExternalException",
                                L"Externe Exception E06D7363"},
        StructuredExceptionCase{"SmallCodePadded", 0x1, L"EExternalException", L"Externe Exception 00000001"}),
    TParamName());

struct FaultModuleCase {
    const char* name;
    std::wstring modulePath;
    std::wstring shown;
};

class FaultModuleNameTest : public testing::TestWithParam<FaultModuleCase> {};

TEST_P(FaultModuleNameTest, FileNameOrUnknown) {
    EXPECT_EQ(FaultModuleName(GetParam().modulePath), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultModuleNameTest,
    testing::Values(
        FaultModuleCase{"LibraryPath", L"C:\\Program Files\\Common Files\\SOLIDWORKS Shared\\swdocumentmgr.dll",
                        L"swdocumentmgr.dll"},
        FaultModuleCase{"LongPathPrefix", L"\\\\?\\C:\\Tools\\KestrumHelper.exe", L"KestrumHelper.exe"},
        FaultModuleCase{"NameOnly", L"ntdll.dll", L"ntdll.dll"},
        FaultModuleCase{"NoModule", L"", L"(unbekannt)"}),
    TParamName());

struct HandlerFaultCase {
    const char* name;
    std::uint32_t code;
    std::uint64_t address;
    std::wstring moduleName;
    std::wstring shown;  // as the error box shows it, with the final dot
};

class HandlerFaultMessageTest : public testing::TestWithParam<HandlerFaultCase> {};

TEST_P(HandlerFaultMessageTest, ExceptionAddressAndModule) {
    EXPECT_EQ(WithFinalDot(HandlerFaultMessage(GetParam().code, GetParam().address, GetParam().moduleName)),
              GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandlerFaultMessageTest,
    testing::Values(
        HandlerFaultCase{"AccessViolationByName", 0xC0000005, 0x7FF812345678, L"swdocumentmgr.dll",
                         L"Zugriffsverletzung bei Adresse 00007FF812345678 in Modul swdocumentmgr.dll."},
        HandlerFaultCase{"OtherByCode", 0xC0000094, 0x1000, L"KestrumHelper.exe",
                         L"Externe Exception C0000094 bei Adresse 0000000000001000 in Modul KestrumHelper.exe."},
        HandlerFaultCase{"StackOverflowByCode", 0xC00000FD, 0xFFFFFFFFFFFFFFFF, L"swdocumentmgr.dll",
                         L"Externe Exception C00000FD bei Adresse FFFFFFFFFFFFFFFF in Modul swdocumentmgr.dll."},
        // A module name ending in a closing parenthesis takes no dot.
        HandlerFaultCase{"NoModule", 0xC0000005, 0, L"(unbekannt)",
                         L"Zugriffsverletzung bei Adresse 0000000000000000 in Modul (unbekannt)"}),
    TParamName());

TEST(StructuredExceptionBoxTest, ClassModuleAddressAndCode) {
    const TFailureText text = DescribeStructuredException(0xC0000005);
    EXPECT_EQ(ApplicationErrorText(text.ClassName, FaultModuleName(L"C:\\x\\swdocumentmgr.dll"), 0x7FF812345678,
                                   text.Message),
              L"Exception EAccessViolation in Modul swdocumentmgr.dll bei 00007FF812345678.\r\n"
              L"Externe Exception C0000005.");
}

}  // namespace
