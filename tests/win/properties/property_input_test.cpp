// The property file's input sources and failures, and the system's text rules.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "errors.h"
#include "param_name.h"
#include "property_input.h"
#include "property_test_support.h"
#include "standin_support.h"
#include "system_text_rules.h"

namespace {

const wchar_t* const cPathPlaceholder = L"<path>";


// A relative path of exactly length characters to name, padded with ".\".
std::wstring PaddedPath(const std::wstring& name, std::size_t length) {
    std::wstring path;
    while (path.size() + name.size() < length) path += L".\\";
    return path + name;
}

class PropertyInput : public testing::Test {
protected:
    TTempFolder folder;
};

TEST_F(PropertyInput, ReadsAFileByPathInTheAnsiCodePage) {
    if (::GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << ::GetACP() << ", not 1252";
    const std::wstring file = folder.File(L"Eigenschaften \u00e4.txt");
    WriteTestFile(file, "Gr\xf6\xdf" "e\r\nwei\xdf\r\nL\xe4nge\n12 \x80\n");
    EXPECT_EQ(AsTuples(ReadPropertyFile(file)),
              (std::vector<TEntryTuple>{{L"Gr\u00f6\u00dfe", L"wei\u00df", 0}, {L"L\u00e4nge", L"12 \u20ac", 1}}));
}

TEST_F(PropertyInput, ReadsStandardInputForAnEmptyPathUpToTheBrokenPipe) {
    // Far more than the pipe holds, so that the reads wait for the writer.
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "Name" + std::to_string(i) + "\r\nWert " + std::to_string(i) + "\r\n";
    const TPipedStdIn input(bytes);
    const std::vector<TPropertyEntry> entries = ReadPropertyFile(L"");
    ASSERT_EQ(entries.size(), 20000u);
    EXPECT_EQ(AsTuples({entries.back()}), (std::vector<TEntryTuple>{{L"Name19999", L"Wert 19999", 19999}}));
}

TEST_F(PropertyInput, PathLengthLimitIs259Characters) {
    WriteTestFile(folder.File(L"props.txt"), "A\n1\n");
    WriteTestFile(folder.File(L"props1.txt"), "A\n1\n");
    const TCurrentFolderScope inFolder(folder.File(L""));
    const std::wstring fits = PaddedPath(L"props.txt", 259);
    EXPECT_EQ(ReadPropertyFile(fits).size(), 1u);
    // The file exists, but a longer path is refused before it is opened.
    const std::wstring tooLong = PaddedPath(L"props1.txt", 260);
    try {
        ReadPropertyFile(tooLong);
        FAIL() << "no failure";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 3);
        EXPECT_EQ(e.Message(), L"Ung\u00fcltiger Dateiname - " + tooLong);
    }
}

TEST_F(PropertyInput, OthersMayReadButNotWriteWhileOpenAndItIsClosedAfterReading) {
    const std::wstring file = folder.File(L"props.txt");
    WriteTestFile(file, "A\n1\n");
    {
        TPropertyInput input(file);
        const TFileHandle reader(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_TRUE(reader);
        const TFileHandle writer(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(writer);
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(ReadPropertyFile(file).size(), 1u);
    const TFileHandle exclusive(::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(exclusive) << "still open after reading";
}

enum class TInputProblem { MissingFile, MissingFolder, FolderNamed, HeldByWriter, NoStandardInput, WriteOnlyStandardInput };

struct InputFailureCase {
    const char* name;
    TInputProblem problem;
    int code;
    std::wstring message;
};
void PrintTo(const InputFailureCase& c, std::ostream* os) { *os << c.name; }

class PropertyInputFailure : public PropertyInput, public testing::WithParamInterface<InputFailureCase> {};

TEST_P(PropertyInputFailure, RaisesInOutErrorWithCodeAndMessage) {
    const std::wstring file = folder.File(L"props.txt");
    WriteTestFile(file, "A\n1\n");
    std::wstring path = file;
    TFileHandle held;
    std::optional<TStdInScope> standardInput;
    switch (GetParam().problem) {
        case TInputProblem::MissingFile: path = folder.File(L"fehlt.txt"); break;
        case TInputProblem::MissingFolder: path = folder.File(L"fehlt\\props.txt"); break;
        case TInputProblem::FolderNamed: path = folder.File(L""); break;
        case TInputProblem::HeldByWriter:
            held.Reset(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(held);
            break;
        case TInputProblem::NoStandardInput:
            path.clear();
            standardInput.emplace(nullptr);
            break;
        case TInputProblem::WriteOnlyStandardInput:
            path.clear();
            held.Reset(::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(held);
            standardInput.emplace(held.Get());
            break;
    }
    std::wstring message = GetParam().message;
    if (const std::size_t at = message.find(cPathPlaceholder); at != std::wstring::npos) {
        message.replace(at, std::wstring(cPathPlaceholder).size(), path);
    }
    try {
        ReadPropertyFile(path);
        FAIL() << "no failure";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, GetParam().code);
        EXPECT_EQ(e.Message(), message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Problems, PropertyInputFailure,
    testing::Values(
        InputFailureCase{"MissingFile", TInputProblem::MissingFile, 104, L"E/A-Fehler 104"},
        InputFailureCase{"MissingFolder", TInputProblem::MissingFolder, 104, L"E/A-Fehler 104"},
        InputFailureCase{"FolderInPlaceOfFile", TInputProblem::FolderNamed, 104, L"E/A-Fehler 104"},
        InputFailureCase{"HeldOpenForWriting", TInputProblem::HeldByWriter, 104, L"E/A-Fehler 104"},
        // Without standard input the read fails with its own system error code.
        InputFailureCase{"NoStandardInput", TInputProblem::NoStandardInput, ERROR_INVALID_HANDLE, L"E/A-Fehler 6"},
        InputFailureCase{"WriteOnlyStandardInput", TInputProblem::WriteOnlyStandardInput, ERROR_ACCESS_DENIED,
                         L"Dateizugriff verweigert"}),
    TParamName());

TEST(SystemTextRules, NamesMatchWithoutCaseInTheUserLocale) {
    EXPECT_EQ(CompareNamesInUserLocale(L"L\u00e4nge", L"L\u00c4NGE"), 0);
    EXPECT_EQ(CompareNamesInUserLocale(L"Farbe", L"fARBE"), 0);
    EXPECT_LT(CompareNamesInUserLocale(L"Farbe", L"Farben"), 0);
    EXPECT_GT(CompareNamesInUserLocale(L"b", L"A"), 0);
    EXPECT_NE(CompareNamesInUserLocale(L" Farbe", L"Farbe"), 0);
}

TEST(SystemTextRules, NamesThatMatchHaveEqualKeys) {
    // The index of names relies on it; the list mixes case, composed and
    // decomposed letters, sharp s, ignorable and odd characters.
    const std::wstring names[] = {L"Stra\u00dfe", L"STRASSE",  L"strasse", L"Stra\u00adsse", L"L\u00e4nge",
                                  L"LA\u0308NGE",   L"l\u00e4nge", L"Lange",   L"Gr\u00f6\u00dfe", L"GR\u00d6SSE",
                                  L"a=b",           L"A=B",     L"",        L" ",            std::wstring(L"N\0a", 3),
                                  L"\u00ad",        std::wstring(1, L'\0')};
    for (const std::wstring& a : names) {
        for (const std::wstring& b : names) {
            if (CompareNamesInUserLocale(a, b) == 0) {
                EXPECT_EQ(NameSortKeyInUserLocale(a), NameSortKeyInUserLocale(b)) << Utf8Text(a) << " / " << Utf8Text(b);
            }
        }
    }
    EXPECT_EQ(NameSortKeyInUserLocale(L"Farbe"), NameSortKeyInUserLocale(L"FARBE"));
    EXPECT_NE(NameSortKeyInUserLocale(L"Farbe"), NameSortKeyInUserLocale(L"Farben"));
}

TEST(SystemTextRules, DecodesLongLinesWhole) {
    EXPECT_EQ(DecodeAnsiLine(""), L"");
    const std::wstring text = DecodeAnsiLine(std::string(3'000'000, 'x') + "\xe4");
    ASSERT_EQ(text.size(), 3'000'001u);
    EXPECT_EQ(text.front(), L'x');
    if (::GetACP() == 1252) {
        EXPECT_EQ(text.back(), L'\u00e4');
    }
}

}  // namespace
