// RunAsAdmin: the shell request it makes, and what the shell does with it
// (the registration program started with the library's parameters).
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "process_test_support.h"
#include "run_as_admin.h"

namespace {

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

// What the started program cannot show: that the call waits for the shell
// (SEE_MASK_NOASYNC) and asks for no process handle, the elevation verb
// (every process runs elevated under Wine), and that empty parameters are
// handed over as none rather than as an empty text. The rest of the request
// is checked on the started programs below.
TEST(RunAsAdminRequestTest, WaitsForTheShellAsksForElevationAndGivesNoEmptyParameters) {
    const std::wstring filename = L"C:\\Windows\\system32\\regsvr32.exe";
    const SHELLEXECUTEINFOW sei = RunAsAdminRequest(nullptr, filename, L"");
    EXPECT_EQ(sei.fMask, 0x500u);  // SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI, no process handle asked for
    EXPECT_STREQ(sei.lpVerb, L"runas");
    EXPECT_EQ(sei.lpParameters, nullptr) << "an empty text instead of none";
}

class RunAsAdminTest : public testing::Test {
protected:
    TTempFolder temp;
};

TEST_F(RunAsAdminTest, StartsRegistrationProgramElevatedWithQuotedLibraryPath) {
    // The test library stands in for a library in a folder with blanks.
    const std::wstring folder = temp.MakeFolder(L"Common Files\\Kestrum Shared");
    const std::wstring library = folder + L"\\reg mark.dll";
    ASSERT_TRUE(CopyFileW(BinFile(L"regmark.dll").c_str(), library.c_str(), FALSE));
    const std::wstring regsvr32 = SystemFolder() + L"\\regsvr32.exe";
    const std::wstring parameters = L"/s \"" + library + L"\"";

    ASSERT_TRUE(RunAsAdmin(nullptr, regsvr32, parameters));

    const std::wstring report = library + L".txt";
    ASSERT_TRUE(WaitForFile(report, 30000)) << "the library was not registered";
    const auto seen = ReadArgDump(report);
    ASSERT_TRUE(seen);
    ASSERT_GE(seen->cmdline.size(), parameters.size());
    EXPECT_EQ(seen->cmdline.substr(seen->cmdline.size() - parameters.size()), parameters) << "parameters changed";
    EXPECT_EQ(seen->args, (std::vector<std::wstring>{L"/s", library}));
    EXPECT_TRUE(seen->elevated) << "the registration program runs without administrator rights";
    // regsvr32 ends by itself; give it the time to let go of the library.
    for (int i = 0; i < 100 && !DeleteFileW(library.c_str()); ++i) Sleep(100);
}

TEST_F(RunAsAdminTest, StartsProgramWithoutParametersShownNormallyInTheCurrentFolder) {
    const std::wstring dump = temp.Path() + L"\\runas.txt";
    TEnvironmentScope out(L"KESTRUM_ARGDUMP_OUT", dump);
    ASSERT_TRUE(RunAsAdmin(nullptr, BinFile(L"argdump.exe"), L""));
    ASSERT_TRUE(WaitForFile(dump + L".end", 30000));
    const auto seen = ReadArgDump(dump);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->args.empty());
    EXPECT_TRUE(seen->elevated);
    // No folder given: the program starts in this one's current folder.
    wchar_t current[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryW(MAX_PATH, current), 0u);
    EXPECT_EQ(_wcsicmp(seen->cwd.c_str(), current), 0) << "started in another folder";
    EXPECT_NE(seen->startflags & STARTF_USESHOWWINDOW, 0u);
    EXPECT_EQ(seen->show, static_cast<DWORD>(SW_SHOWNORMAL));
}

TEST_F(RunAsAdminTest, MissingProgramFailsWithoutMessage) {
    // A message box of the shell would block this call: it returns at once instead.
    const ULONGLONG started = GetTickCount64();
    EXPECT_FALSE(RunAsAdmin(nullptr, temp.Path() + L"\\nicht vorhanden.exe", L"/s"));
    EXPECT_LT(GetTickCount64() - started, 10000u);
}

}  // namespace
