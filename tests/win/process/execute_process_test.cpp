// ExecuteProcess against the test programs argdump.exe (console) and
// argdump_gui.exe (windowed), which write down what they saw of their start.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "application.h"
#include "handles.h"
#include "param_name.h"
#include "process_command_line.h"
#include "process_launch.h"
#include "process_test_support.h"

namespace {

// The application's message processing, as the form hands it over.
const TMessagePump cProcessMessages = [] {
    if (Application) Application->ProcessMessages();
};

const DWORD cUntouched = 0xDEADBEEF;
const wchar_t* const cConsoleChild = L"argdump.exe";
const wchar_t* const cGuiChild = L"argdump_gui.exe";

class ExecuteProcessTest : public testing::Test {
protected:
    void SetUp() override {
        temp.MakeFolder(L"Meine Dateien äöü");
        temp.MakeFolder(L"Arbeits Ordner");
    }

    // Points the started programs at a dump file of their own and sets how long they run.
    void PrepareChild(const std::wstring& name, DWORD runMs = 0, DWORD startupMs = 0) {
        dump = temp.Path() + L"\\" + name + L".txt";
        dumpVariable.emplace(L"KESTRUM_ARGDUMP_OUT", dump);
        runVariable.emplace(L"KESTRUM_ARGDUMP_WAIT_MS", std::to_wstring(runMs));
        startupVariable.emplace(L"KESTRUM_ARGDUMP_STARTUP_MS", std::to_wstring(startupMs));
    }
    std::wstring EndMark() const { return dump + L".end"; }
    // The started program has ended: nothing of the test folder is in use any more.
    void WaitForChildEnd() { EXPECT_TRUE(WaitForFile(EndMark(), 15000)) << "the started program did not end"; }

    TApplication application;  // its message processing runs during the wait for termination
    TTempFolder temp;
    std::wstring dump;
    std::optional<TEnvironmentScope> dumpVariable, runVariable, startupVariable;
};

// --- command line, arguments and working folder --------------------------------

struct ArgumentCase {
    const char* name;
    std::wstring params;  // "%T" stands for the test's folder
    bool asPathArgument;  // params handed over as one path argument, as "/O" does
    std::wstring folder;  // empty: derived from the program's path
    std::vector<std::wstring> args;
    std::wstring cwd;  // empty: the program's folder
};
void PrintTo(const ArgumentCase& c, std::ostream* os) { *os << c.name; }

class ExecuteProcessArgumentTest : public ExecuteProcessTest, public testing::WithParamInterface<ArgumentCase> {};

TEST_P(ExecuteProcessArgumentTest, ChildSeesCommandLineArgumentsAndFolder) {
    const ArgumentCase& c = GetParam();
    const std::wstring program = BinFile(cConsoleChild);
    const std::wstring expanded = Expand(c.params, temp.Path());
    const std::wstring params = c.asPathArgument ? PathArgument(expanded) : expanded;
    PrepareChild(L"args");

    DWORD ErrorCode = cUntouched;
    ASSERT_TRUE(ExecuteProcess(program, params, Expand(c.folder, temp.Path()), /*WaitUntilTerminated=*/true,
                               /*WaitUntilIdle=*/false, /*RunMinimized=*/false, ErrorCode, cProcessMessages));
    EXPECT_EQ(ErrorCode, cUntouched) << "written on success";

    const auto seen = ReadArgDump(dump);
    ASSERT_TRUE(seen) << "the started program wrote nothing";
    EXPECT_EQ(seen->cmdline, L"\"" + program + L"\" " + params);
    std::vector<std::wstring> expected;
    for (const auto& arg : c.args) expected.push_back(Expand(arg, temp.Path()));
    EXPECT_EQ(seen->args, expected);
    const std::wstring cwd = c.cwd.empty() ? BinFile(L"") : Expand(c.cwd, temp.Path());
    EXPECT_TRUE(SameFolder(seen->cwd, cwd)) << "ran in " << testing::PrintToString(seen->cwd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecuteProcessArgumentTest,
    testing::Values(
        ArgumentCase{"TwoPlainWords", L"a b", false, L"", {L"a", L"b"}, L""},
        ArgumentCase{"EmptyParams", L"", false, L"", {}, L""},
        ArgumentCase{"UnquotedPathWithBlanksFallsApart", L"C:\\Meine Dateien\\Teil 1.pdf", false, L"",
                     {L"C:\\Meine", L"Dateien\\Teil", L"1.pdf"}, L""},
        ArgumentCase{"PathArgumentWithBlanksAndUmlauts", L"%T\\Meine Dateien äöü\\Teil 1 Übersicht.pdf", true, L"",
                     {L"%T\\Meine Dateien äöü\\Teil 1 Übersicht.pdf"}, L""},
        ArgumentCase{"PathArgumentEndingInBackslash", L"%T\\Meine Dateien äöü\\", true, L"",
                     {L"%T\\Meine Dateien äöü\\"}, L""},
        ArgumentCase{"GivenFolderWithTrailingBackslash", L"x", false, L"%T\\Arbeits Ordner\\", {L"x"},
                     L"%T\\Arbeits Ordner"},
        ArgumentCase{"GivenFolderWithUmlauts", L"", false, L"%T\\Meine Dateien äöü", {},
                     L"%T\\Meine Dateien äöü"}),
    TParamName());

TEST_F(ExecuteProcessTest, ProgramWithoutFolderStartsInCurrentFolder) {
    const std::wstring current = temp.Path() + L"\\Arbeits Ordner";
    PrepareChild(L"nofolder");

    DWORD ErrorCode = cUntouched;
    bool started = false;
    {
        const TCurrentFolderScope inFolder(current);
        // Found beside this program, where the platform looks first.
        started = ExecuteProcess(cConsoleChild, L"", L"", /*WaitUntilTerminated=*/true, /*WaitUntilIdle=*/false,
                                 /*RunMinimized=*/false, ErrorCode, cProcessMessages);
    }

    ASSERT_TRUE(started) << ErrorCode;
    const auto seen = ReadArgDump(dump);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->cmdline, L"\"argdump.exe\" ");
    EXPECT_TRUE(SameFolder(seen->cwd, current)) << "ran in " << testing::PrintToString(seen->cwd);
}

// --- failures ------------------------------------------------------------------

struct FailureCase {
    const char* name;
    std::wstring fileName;  // "%T" the test's folder, "%B" the folder of the test programs
    std::wstring folder;
    std::vector<DWORD> errorCodes;  // the codes the platform may give
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ExecuteProcessFailureTest : public ExecuteProcessTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ExecuteProcessFailureTest, ReportsPlatformErrorCode) {
    const FailureCase& c = GetParam();
    std::wstring fileName = Expand(c.fileName, temp.Path());
    if (fileName.rfind(L"%B", 0) == 0) fileName = BinFile(fileName.substr(3));
    // Not a program: a text file under a program's name.
    const std::wstring textFile = temp.Path() + L"\\kein programm.exe";
    HANDLE file = CreateFileW(textFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "kein Programm\r\n", 15, &written, nullptr);
    CloseHandle(file);
    PrepareChild(L"failure");

    DWORD ErrorCode = cUntouched;
    EXPECT_FALSE(ExecuteProcess(fileName, L"a", Expand(c.folder, temp.Path()), /*WaitUntilTerminated=*/true,
                                /*WaitUntilIdle=*/true, /*RunMinimized=*/false, ErrorCode, cProcessMessages));
    EXPECT_NE(std::find(c.errorCodes.begin(), c.errorCodes.end(), ErrorCode), c.errorCodes.end())
        << "error code " << ErrorCode;
    EXPECT_FALSE(IsExistingFile(dump)) << "a program was started";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecuteProcessFailureTest,
    testing::Values(FailureCase{"MissingProgramInExistingFolder", L"%B\\nicht vorhanden.exe", L"",
                                {ERROR_FILE_NOT_FOUND}},
                    FailureCase{"MissingProgramFolder", L"%T\\fehlt\\argdump.exe", L"",
                                // Windows tells the missing folder apart, Wine does not
                                {ERROR_PATH_NOT_FOUND, ERROR_FILE_NOT_FOUND}},
                    FailureCase{"MissingWorkingFolder", L"%B\\argdump.exe", L"%T\\fehlt\\", {ERROR_DIRECTORY}},
                    FailureCase{"NotAProgram", L"%T\\kein programm.exe", L"", {ERROR_BAD_EXE_FORMAT}}),
    TParamName());

// The highest of many new handles: it grows when handles below it stay in use.
// (GetProcessHandleCount has no count to give under Wine.)
UINT_PTR HighestFreshHandle() {
    std::vector<HANDLE> events;
    for (int i = 0; i < 64; ++i) events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    UINT_PTR highest = 0;
    for (HANDLE event : events) {
        highest = std::max(highest, reinterpret_cast<UINT_PTR>(event));
        CloseHandle(event);
    }
    return highest;
}

TEST_F(ExecuteProcessTest, LeavesNoHandlesBehind) {
    PrepareChild(L"handles");
    DWORD ErrorCode = 0;
    auto runAll = [&] {
        DeleteFileW(EndMark().c_str());
        EXPECT_TRUE(ExecuteProcess(BinFile(cConsoleChild), L"", L"", /*WaitUntilTerminated=*/false,
                                   /*WaitUntilIdle=*/false, /*RunMinimized=*/false, ErrorCode, cProcessMessages));
        WaitForChildEnd();
        // Without the idle wait: Wine's WaitForInputIdle keeps one handle of its own per call.
        EXPECT_TRUE(ExecuteProcess(BinFile(cGuiChild), L"", L"", /*WaitUntilTerminated=*/true,
                                   /*WaitUntilIdle=*/false, /*RunMinimized=*/true, ErrorCode, cProcessMessages));
        EXPECT_FALSE(ExecuteProcess(BinFile(L"nicht vorhanden.exe"), L"", L"", /*WaitUntilTerminated=*/true,
                                    /*WaitUntilIdle=*/true, /*RunMinimized=*/false, ErrorCode, cProcessMessages));
    };
    runAll();  // first use may set up lasting state of its own
    const UINT_PTR before = HighestFreshHandle();
    for (int i = 0; i < 3; ++i) runAll();
    EXPECT_EQ(HighestFreshHandle(), before);
}

// --- waits -----------------------------------------------------------------------

// A visible window of this thread that a timer invalidates every 50 ms; it
// counts the paints that reach it.
class TRepaintWindow {
public:
    TRepaintWindow() {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KestrumRepaintTestWindow";
        RegisterClassExW(&wc);  // fails harmlessly when already there
        fWindow = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"repaint", WS_POPUP, 0, 0, 60, 40, nullptr,
                                  nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(fWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(fWindow, SW_SHOWNOACTIVATE);
        UpdateWindow(fWindow);
        paints = 0;
        SetTimer(fWindow, 1, 50, nullptr);
    }
    ~TRepaintWindow() { DestroyWindow(fWindow); }
    TRepaintWindow(const TRepaintWindow&) = delete;
    TRepaintWindow& operator=(const TRepaintWindow&) = delete;

    int paints = 0;

private:
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TRepaintWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_TIMER) {
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        }
        if (message == WM_PAINT) {
            const TPaint paint(window);
            if (self) ++self->paints;
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND fWindow = nullptr;
};

struct TerminationCase {
    const char* name;
    const wchar_t* child;
};

class ExecuteProcessTerminationTest : public ExecuteProcessTest, public testing::WithParamInterface<TerminationCase> {};

TEST_P(ExecuteProcessTerminationTest, ReturnsAfterChildEndedWhileWindowsRepaint) {
    TRepaintWindow window;
    PrepareChild(L"terminated", 1500);
    const ULONGLONG started = GetTickCount64();
    DWORD ErrorCode = cUntouched;
    ASSERT_TRUE(ExecuteProcess(BinFile(GetParam().child), L"", L"", /*WaitUntilTerminated=*/true,
                               /*WaitUntilIdle=*/true, /*RunMinimized=*/false, ErrorCode, cProcessMessages));
    const ULONGLONG elapsed = GetTickCount64() - started;
    EXPECT_TRUE(IsExistingFile(EndMark())) << "returned before the program ended";
    EXPECT_GE(elapsed, 1400u);
    EXPECT_GE(window.paints, 5) << "no repaints during the wait";
    EXPECT_EQ(ErrorCode, cUntouched);
}

INSTANTIATE_TEST_SUITE_P(Children, ExecuteProcessTerminationTest,
                         testing::Values(TerminationCase{"Console", cConsoleChild}, TerminationCase{"Gui", cGuiChild}),
                         TParamName());

TEST_F(ExecuteProcessTest, QuitMessageDoesNotEndTheWaitForTermination) {
    PrepareChild(L"quit", 1000);
    PostQuitMessage(0);
    DWORD ErrorCode = cUntouched;
    ASSERT_TRUE(ExecuteProcess(BinFile(cConsoleChild), L"", L"", /*WaitUntilTerminated=*/true, /*WaitUntilIdle=*/false,
                               /*RunMinimized=*/false, ErrorCode, cProcessMessages));
    EXPECT_TRUE(IsExistingFile(EndMark())) << "the quit message ended the wait";
    EXPECT_TRUE(application.Terminated()) << "the quit message was not taken";
}

struct IdleCase {
    const char* name;
    const wchar_t* program;
    DWORD startupMs, runMs;
    bool waitUntilIdle;
    std::optional<bool> readyOnReturn;  // the program has written its dump when the call returns
    DWORD minElapsedMs, maxElapsedMs;
};
void PrintTo(const IdleCase& c, std::ostream* os) { *os << c.name; }

class ExecuteProcessIdleTest : public ExecuteProcessTest, public testing::WithParamInterface<IdleCase> {};

TEST_P(ExecuteProcessIdleTest, WaitsUntilReadyForInputOnlyWhereThereIsInput) {
    const IdleCase& c = GetParam();
    PrepareChild(L"idle", c.runMs, c.startupMs);
    const ULONGLONG started = GetTickCount64();
    DWORD ErrorCode = cUntouched;
    ASSERT_TRUE(ExecuteProcess(BinFile(c.program), L"", L"", /*WaitUntilTerminated=*/false,
                               /*WaitUntilIdle=*/c.waitUntilIdle, /*RunMinimized=*/false, ErrorCode, cProcessMessages));
    const ULONGLONG elapsed = GetTickCount64() - started;
    const bool ready = IsExistingFile(dump);
    const bool ended = IsExistingFile(EndMark());

    if (c.readyOnReturn) {
        EXPECT_EQ(ready, *c.readyOnReturn);
    }
    EXPECT_FALSE(ended) << "waited for the program's end";
    EXPECT_GE(elapsed, c.minElapsedMs);
    EXPECT_LE(elapsed, c.maxElapsedMs);
    WaitForChildEnd();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExecuteProcessIdleTest,
    testing::Values(IdleCase{"WindowedChildWaitedForUntilReady", cGuiChild, 1500, 3000, true, true, 1400, 4000},
                    IdleCase{"ConsoleChildNotWaitedFor", cConsoleChild, 0, 3000, true, std::nullopt, 0, 2000},
                    IdleCase{"NoWaitReturnsRightAfterStart", cGuiChild, 1500, 0, false, false, 0, 1000}),
    TParamName());

// --- how the first window is shown -------------------------------------------------

struct ShowCase {
    const char* name;
    const wchar_t* program;
    bool RunMinimized;
};
void PrintTo(const ShowCase& c, std::ostream* os) { *os << c.name; }

class ExecuteProcessShowTest : public ExecuteProcessTest, public testing::WithParamInterface<ShowCase> {};

TEST_P(ExecuteProcessShowTest, AsksForMinimizedWindowOnlyWhenTold) {
    const ShowCase& c = GetParam();
    PrepareChild(L"show");
    DWORD ErrorCode = cUntouched;
    ASSERT_TRUE(ExecuteProcess(BinFile(c.program), L"", L"", /*WaitUntilTerminated=*/true, /*WaitUntilIdle=*/false,
                               /*RunMinimized=*/c.RunMinimized, ErrorCode, cProcessMessages));
    const auto seen = ReadArgDump(dump);
    ASSERT_TRUE(seen);
    EXPECT_EQ((seen->startflags & STARTF_USESHOWWINDOW) != 0, c.RunMinimized);
    if (c.RunMinimized) {
        EXPECT_EQ(seen->show, static_cast<DWORD>(SW_SHOWMINIMIZED));
    }
    if (seen->window) {
        EXPECT_EQ(seen->iconic, c.RunMinimized);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ExecuteProcessShowTest,
                         testing::Values(ShowCase{"WindowedMinimized", cGuiChild, true},
                                         ShowCase{"WindowedOwnDefault", cGuiChild, false},
                                         ShowCase{"ConsoleMinimized", cConsoleChild, true}),
                         TParamName());

}  // namespace
