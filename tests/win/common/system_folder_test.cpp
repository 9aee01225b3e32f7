// The one reader of the system folder, against a platform call that reports
// folders of any length, or fails.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "param_name.h"
#include "system_folder.h"

namespace {

struct TFolderCase {
    const char* name;
    std::wstring reported;            // what the platform holds as the system folder
    DWORD failure;                    // not 0: the platform call fails with this code
    bool growing;                     // the needed size grows with every call
    std::vector<UINT> askedSizes;     // the buffer sizes the reader offers, in order
    std::wstring expected;            // empty: no folder
    DWORD expectedError;              // the last error after an empty result
};
void PrintTo(const TFolderCase& c, std::ostream* os) { *os << c.name; }

const TFolderCase* gCase = nullptr;
std::vector<UINT> gAskedSizes;

// GetSystemDirectoryW's answers for the case's folder.
UINT WINAPI ReportFolder(LPWSTR buffer, UINT size) {
    gAskedSizes.push_back(size);
    if (gCase->failure) {
        ::SetLastError(gCase->failure);
        return 0;
    }
    if (gCase->growing) return size + 10;
    const auto length = static_cast<UINT>(gCase->reported.size());
    if (length >= size) return length + 1;  // the size needed, NUL included
    gCase->reported.copy(buffer, length);
    buffer[length] = L'\0';
    return length;
}

class SystemFolderTest : public testing::TestWithParam<TFolderCase> {};

TEST_P(SystemFolderTest, WholeFolderOrNone) {
    const TFolderCase& c = GetParam();
    gCase = &c;
    gAskedSizes.clear();
    ::SetLastError(ERROR_SUCCESS);
    const std::wstring folder = SystemFolder(&ReportFolder);
    const DWORD error = ::GetLastError();
    EXPECT_EQ(folder, c.expected);
    EXPECT_EQ(gAskedSizes, c.askedSizes);
    if (c.expected.empty()) {
        EXPECT_EQ(error, c.expectedError);
    }
}

const std::wstring cUsual = L"C:\\Windows\\system32";
const std::wstring cLongestFitting = L"C:\\" + std::wstring(256, L'a');    // 259 characters
const std::wstring cOneTooLong = L"C:\\" + std::wstring(257, L'b');        // 260 characters
const std::wstring cVeryLong = L"\\\\?\\C:\\" + std::wstring(993, L'c');  // 1000 characters

INSTANTIATE_TEST_SUITE_P(
    Cases, SystemFolderTest,
    testing::Values(TFolderCase{"Usual", cUsual, 0, false, {260}, cUsual, 0},
                    TFolderCase{"LongestThatFitsTheFirstBuffer", cLongestFitting, 0, false, {260}, cLongestFitting, 0},
                    TFolderCase{"OneCharacterTooLong", cOneTooLong, 0, false, {260, 261}, cOneTooLong, 0},
                    TFolderCase{"VeryLong", cVeryLong, 0, false, {260, 1001}, cVeryLong, 0},
                    TFolderCase{"PlatformFails", cUsual, ERROR_ACCESS_DENIED, false, {260}, L"", ERROR_ACCESS_DENIED},
                    TFolderCase{"NeededSizeKeepsGrowing", cUsual, 0, true, {260, 270, 280}, L"",
                                ERROR_INSUFFICIENT_BUFFER}),
    TParamName());

TEST(SystemFolderTest, PlatformFolderWithoutTrailingBackslash) {
    const std::wstring folder = SystemFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
