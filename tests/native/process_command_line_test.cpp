#include "process_command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "command_line.h"
#include "param_name.h"

namespace {

struct LaunchCase {
    const char* name;
    std::wstring FileName, Params, Folder;
    std::wstring cmdLine, workingFolder;
    std::size_t argumentsAfterProgram;  // as the command line splits again
};
void PrintTo(const LaunchCase& c, std::ostream* os) { *os << c.name; }

class ProcessLaunchTest : public testing::TestWithParam<LaunchCase> {};

TEST_P(ProcessLaunchTest, BuildsCommandLineAndWorkingFolder) {
    const LaunchCase& c = GetParam();
    const std::wstring cmdLine = ProcessCommandLine(c.FileName, c.Params);
    EXPECT_EQ(cmdLine, c.cmdLine);
    EXPECT_EQ(ProcessWorkingFolder(c.FileName, c.Folder), c.workingFolder);
    const auto items = SplitCommandLine(cmdLine);
    EXPECT_EQ(items.front(), c.FileName);
    EXPECT_EQ(items.size() - 1, c.argumentsAfterProgram);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProcessLaunchTest,
    testing::Values(
        LaunchCase{"TwoWordsFolderFromProgram", L"C:\\Tools\\app.exe", L"a b", L"",
                   L"\"C:\\Tools\\app.exe\" a b", L"C:\\Tools", 2},
        LaunchCase{"EmptyParamsKeepTheBlank", L"C:\\Tools\\app.exe", L"", L"", L"\"C:\\Tools\\app.exe\" ",
                   L"C:\\Tools", 0},
        LaunchCase{"UnquotedPathWithBlanksIsNotQuoted", L"C:\\Tools\\app.exe", L"C:\\Meine Dateien\\Teil 1.pdf", L"",
                   L"\"C:\\Tools\\app.exe\" C:\\Meine Dateien\\Teil 1.pdf", L"C:\\Tools", 3},
        LaunchCase{"ParamsTakenUnchanged", L"C:\\Tools\\app.exe", L"  \"x y\"  z ", L"",
                   L"\"C:\\Tools\\app.exe\"   \"x y\"  z ", L"C:\\Tools", 2},
        LaunchCase{"ProgramWithoutFolderGivesNone", L"app.exe", L"a", L"", L"\"app.exe\" a", L"", 1},
        LaunchCase{"ProgramInDriveRootGivesDriveAlone", L"C:\\app.exe", L"", L"", L"\"C:\\app.exe\" ", L"C:", 0},
        LaunchCase{"DriveRelativeProgram", L"C:app.exe", L"", L"", L"\"C:app.exe\" ", L"C:", 0},
        LaunchCase{"UncProgram", L"\\\\srv\\share\\app.exe", L"", L"", L"\"\\\\srv\\share\\app.exe\" ",
                   L"\\\\srv\\share", 0},
        LaunchCase{"ProgramPathWithBlanks", L"C:\\Program Files\\App\\app.exe", L"x", L"",
                   L"\"C:\\Program Files\\App\\app.exe\" x", L"C:\\Program Files\\App", 1},
        LaunchCase{"GivenFolderWithBackslashUnchanged", L"C:\\Tools\\app.exe", L"", L"D:\\Work\\",
                   L"\"C:\\Tools\\app.exe\" ", L"D:\\Work\\", 0},
        LaunchCase{"GivenFolderWithoutBackslashUnchanged", L"app.exe", L"", L"D:\\Work", L"\"app.exe\" ",
                   L"D:\\Work", 0}),
    TParamName());

struct PathArgumentCase {
    const char* name;
    std::wstring path, argument;
};
void PrintTo(const PathArgumentCase& c, std::ostream* os) { *os << c.name; }

class PathArgumentTest : public testing::TestWithParam<PathArgumentCase> {};

TEST_P(PathArgumentTest, QuotesAndProtectsTheClosingQuote) {
    EXPECT_EQ(PathArgument(GetParam().path), GetParam().argument);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathArgumentTest,
    testing::Values(
        PathArgumentCase{"Plain", L"C:\\x.txt", L"\"C:\\x.txt\""},
        PathArgumentCase{"BlanksAndUmlauts", L"C:\\Meine Dateien\\Teil 1 Änderung.pdf",
                         L"\"C:\\Meine Dateien\\Teil 1 Änderung.pdf\""},
        PathArgumentCase{"InnerBackslashesStay", L"\\\\srv\\share\\a b\\x.pdf", L"\"\\\\srv\\share\\a b\\x.pdf\""},
        PathArgumentCase{"TrailingBackslashDoubled", L"C:\\Meine Dateien\\", L"\"C:\\Meine Dateien\\\\\""},
        PathArgumentCase{"TwoTrailingBackslashesDoubled", L"C:\\a\\\\", L"\"C:\\a\\\\\\\\\""},
        PathArgumentCase{"OnlyBackslashes", L"\\", L"\"\\\\\""},
        PathArgumentCase{"EmptyGivesNoArgument", L"", L""}),
    TParamName());

}  // namespace
