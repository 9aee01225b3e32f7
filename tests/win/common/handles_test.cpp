// The handle wrappers close what they own and keep the thread's last error
// code while they do, so that a failure read after them is still the one that
// counted.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "handles.h"
#include "param_name.h"

namespace {

const DWORD cFailureBeforeClose = ERROR_FILE_NOT_FOUND;
int gClosed = 0;

// A close that fails and says so in the last error, as a close may.
BOOL WINAPI FailingClose(HANDLE) {
    ++gClosed;
    ::SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
using TFailingCloseHandle = TUniqueHandle<HANDLE, THandleTraits<HANDLE, &FailingClose>>;
HANDLE SomeHandle() { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x1234)); }

struct TCloseCase {
    const char* name;
    // Sets the last error to cFailureBeforeClose and then lets a wrapper close what it holds.
    std::function<void()> closeAfterFailure;
    int closes;  // how often the failing close ran
};
void PrintTo(const TCloseCase& c, std::ostream* os) { *os << c.name; }

class HandleCloseTest : public testing::TestWithParam<TCloseCase> {};

TEST_P(HandleCloseTest, LastErrorKept) {
    gClosed = 0;
    GetParam().closeAfterFailure();
    EXPECT_EQ(::GetLastError(), cFailureBeforeClose);
    EXPECT_EQ(gClosed, GetParam().closes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandleCloseTest,
    testing::Values(TCloseCase{"Reset",
                               [] {
                                   TFailingCloseHandle handle(SomeHandle());
                                   ::SetLastError(cFailureBeforeClose);
                                   handle.Reset();
                               },
                               1},
                    TCloseCase{"OutOfScope",
                               [] {
                                   const TFailingCloseHandle handle(SomeHandle());
                                   ::SetLastError(cFailureBeforeClose);
                               },
                               1},
                    TCloseCase{"Put",
                               [] {
                                   TFailingCloseHandle handle(SomeHandle());
                                   ::SetLastError(cFailureBeforeClose);
                                   EXPECT_EQ(*handle.Put(), nullptr);
                               },
                               1}),
    TParamName());

TEST(ObjectSelectionTest, PreviousObjectSelectedAgain) {
    const TMemoryDC dc(::CreateCompatibleDC(nullptr));
    const TBitmapHandle bitmap(::CreateCompatibleBitmap(dc.Get(), 4, 4));
    const HGDIOBJ before = ::GetCurrentObject(dc.Get(), OBJ_BITMAP);
    {
        const TObjectSelection selection(dc.Get(), bitmap.Get());
        ASSERT_TRUE(selection);
        EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), bitmap.Get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BITMAP), before);
    // Nothing to give back when the selection failed.
    const TObjectSelection failed(dc.Get(), nullptr);
    EXPECT_FALSE(failed);
}

}  // namespace
