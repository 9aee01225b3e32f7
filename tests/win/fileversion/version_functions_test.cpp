// The binding of VERSION.dll's functions. Without the library (or the system
// folder it is taken from, or one of its functions) the platform cannot tell
// any version: every call raises the platform's error, and so does the reader
// that goes through it, so that no version gate reads version 0. (The bound
// functions serve every other test of the reader; that a copy beside the
// program is passed over is tested end to end in test_dll_search.py.)
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "errors.h"
#include "files.h"
#include "FileVersionInfo.h"
#include "param_name.h"
#include "VersionFunctions.h"

namespace {

// A system folder the platform cannot tell, for a reason of its own.
UINT WINAPI NoSystemFolder(LPWSTR, UINT) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return 0;
}

struct TUnboundCase {
    const char* name;
    const wchar_t* library;
    TGetSystemDirectory getSystemDirectory;
    DWORD expectedError;
};
void PrintTo(const TUnboundCase& c, std::ostream* os) { *os << c.name; }

class UnboundVersionFunctions : public ::testing::TestWithParam<TUnboundCase> {};

// The call raises EOSError with the binding's code and the platform's text.
void ExpectSystemError(const std::function<void()>& call, DWORD code, const char* what) {
    try {
        call();
        ADD_FAILURE() << what << " raised nothing";
    } catch (const EOSError& error) {
        EXPECT_EQ(error.ErrorCode, code) << what;
        const std::wstring prefix = L"Systemfehler.  Code: " + std::to_wstring(code) + L".\r\n";
        EXPECT_EQ(error.Message().substr(0, prefix.size()), prefix) << what;
        EXPECT_GT(error.Message().size(), prefix.size()) << what << ": no platform text";
    }
}

TEST_P(UnboundVersionFunctions, EveryCallAndTheReaderRaiseThePlatformError) {
    const TUnboundCase& c = GetParam();
    const TVersionFunctions unbound(c.library, c.getSystemDirectory);
    EXPECT_FALSE(unbound.Bound());
    EXPECT_EQ(unbound.BindError(), c.expectedError);

    const std::wstring program = ProgramPath();
    unsigned char block[64] = {};
    ExpectSystemError([&] {
        DWORD handle = 0;
        static_cast<void>(unbound.GetFileVersionInfoSizeW(program.c_str(), &handle));
    }, c.expectedError, "GetFileVersionInfoSizeW");
    ExpectSystemError([&] {
        static_cast<void>(unbound.GetFileVersionInfoW(program.c_str(), 0, sizeof block, block));
    }, c.expectedError, "GetFileVersionInfoW");
    ExpectSystemError([&] {
        void* value = nullptr;
        UINT length = 0;
        static_cast<void>(unbound.VerQueryValueW(block, L"\\", &value, &length));
    }, c.expectedError, "VerQueryValueW");
    // The reader reads the program's own file as it is made, and any file named later.
    ExpectSystemError([&] { TFileVersionInfo info(nullptr, &unbound); }, c.expectedError, "TFileVersionInfo");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnboundVersionFunctions,
    ::testing::Values(
        // Not in the system folder: a library only the program's folder could hold.
        TUnboundCase{"LibraryNotInSystemFolder", L"kestrum_no_such_library.dll", &::GetSystemDirectoryW,
                     ERROR_MOD_NOT_FOUND},
        // Nothing is loaded by name alone when the system folder is unknown.
        TUnboundCase{"SystemFolderUnknown", L"version.dll", &NoSystemFolder, ERROR_ACCESS_DENIED},
        // A system library without the version functions is not used.
        TUnboundCase{"FunctionsMissing", L"gdi32.dll", &::GetSystemDirectoryW, ERROR_PROC_NOT_FOUND}),
    TParamName());

TEST(VersionFunctions, TheSystemLibraryIsBoundAndAFileWithoutVersionStillReadsAsZero) {
    const TVersionFunctions bound(L"version.dll");
    EXPECT_TRUE(bound.Bound());
    EXPECT_EQ(bound.BindError(), 0u);
    TFileVersionInfo info(nullptr, &bound);
    info.SetFileName(ProgramFolder() + L"fv_no_version.dll");
    EXPECT_FALSE(info.HaveInfo());
    EXPECT_EQ(info.FileVersionNumber().V1, 0);
    info.SetFileName(ProgramFolder() + L"fv_main.dll");
    EXPECT_TRUE(info.HaveInfo());
}

}  // namespace
