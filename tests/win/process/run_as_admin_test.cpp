// RunAsAdmin: the shell request it makes, and what the shell does with it
// (the registration program started with the library's parameters).
#include <gtest/gtest.h>

#include <string>

#include "MainDlg.h"
#include "process_test_support.h"
#include "run_as_admin.h"

namespace {

std::wstring SystemFolder() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

struct RequestCase {
    const char* name;
    std::wstring Parameters;
    bool parametersGiven;
};
void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class RunAsAdminRequestTest : public testing::TestWithParam<RequestCase> {};

TEST_P(RunAsAdminRequestTest, AsksForElevationWithoutShellMessages) {
    const RequestCase& c = GetParam();
    const HWND owner = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
    const std::wstring filename = L"C:\\Windows\\system32\\regsvr32.exe";
    const SHELLEXECUTEINFOW sei = RunAsAdminRequest(owner, filename, c.Parameters);

    EXPECT_EQ(sei.cbSize, 112u);
    EXPECT_EQ(sei.fMask, 0x500u);  // SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI, no process handle asked for
    EXPECT_EQ(sei.hwnd, owner);
    EXPECT_STREQ(sei.lpVerb, L"runas");
    EXPECT_EQ(sei.lpFile, filename.c_str());
    EXPECT_EQ(sei.lpParameters, c.parametersGiven ? c.Parameters.c_str() : nullptr)
        << "an empty text instead of none, or the wrong text";
    EXPECT_EQ(sei.lpDirectory, nullptr);
    EXPECT_EQ(sei.nShow, SW_SHOWNORMAL);
    EXPECT_EQ(sei.hProcess, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunAsAdminRequestTest,
    testing::Values(RequestCase{"WithParameters", L"/s \"C:\\Shared Files\\lib.dll\"", true},
                    RequestCase{"EmptyParametersGiveNone", L"", false}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

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

TEST_F(RunAsAdminTest, StartsProgramWithoutParameters) {
    const std::wstring dump = temp.Path() + L"\\runas.txt";
    TEnvironmentVariable out(L"KESTRUM_ARGDUMP_OUT", dump);
    ASSERT_TRUE(RunAsAdmin(nullptr, BinFile(L"argdump.exe"), L""));
    ASSERT_TRUE(WaitForFile(dump + L".end", 30000));
    const auto seen = ReadArgDump(dump);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(seen->args.empty());
    EXPECT_TRUE(seen->elevated);
}

TEST_F(RunAsAdminTest, MissingProgramFailsWithoutMessage) {
    // A message box of the shell would block this call: it returns at once instead.
    const ULONGLONG started = GetTickCount64();
    EXPECT_FALSE(RunAsAdmin(nullptr, temp.Path() + L"\\nicht vorhanden.exe", L"/s"));
    EXPECT_LT(GetTickCount64() - started, 10000u);
}

}  // namespace
