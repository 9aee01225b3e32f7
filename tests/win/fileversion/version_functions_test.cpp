// The binding of VERSION.dll's functions: without the library every call
// answers as for a file without version information. (The bound functions
// serve every other test of the reader; that a copy beside the program is
// passed over is tested end to end in test_dll_search.py.)
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>
#include <string>

#include "files.h"
#include "VersionFunctions.h"

namespace {

TEST(VersionFunctions, WithoutTheLibraryEveryCallAnswersNoInformation) {
    // Not in the system folder: a library only the program's folder could hold.
    const TVersionFunctions unbound(L"kestrum_no_such_library.dll");
    EXPECT_FALSE(unbound.Bound());

    DWORD handle = 0xDEADBEEF;
    EXPECT_EQ(unbound.GetFileVersionInfoSizeW(ProgramPath().c_str(), &handle), 0u);
    EXPECT_EQ(handle, 0u);
    unsigned char block[64] = {};
    EXPECT_FALSE(unbound.GetFileVersionInfoW(ProgramPath().c_str(), 0, sizeof block, block));
    void* value = &handle;
    UINT length = 7;
    EXPECT_FALSE(unbound.VerQueryValueW(block, L"\\", &value, &length));
}

}  // namespace
