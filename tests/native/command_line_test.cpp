#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_name.h"

namespace {

struct SplitCase {
    const char* name;
    std::wstring line;
    std::vector<std::wstring> items;  // program item first
};

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsTheWindowsRuleSays) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    testing::Values(
        SplitCase{"EmptyLine", L"", {L""}},
        SplitCase{"ProgramOnly", L"KestrumHelper.exe", {L"KestrumHelper.exe"}},
        SplitCase{"ProgramOnlyTrailingBlanks", L"KestrumHelper.exe   ", {L"KestrumHelper.exe"}},
        SplitCase{"SwitchAndPath", L"k.exe /T C:\\Docs\\Part1.SLDPRT", {L"k.exe", L"/T", L"C:\\Docs\\Part1.SLDPRT"}},
        SplitCase{"QuotedProgramAndPaths",
                  L"\"C:\\Program Files\\K\\KestrumHelper.exe\" /P \"C:\\Meine Dateien\\Teil 1.sldprt\" "
                  L"\"C:\\T\\p.txt\"",
                  {L"C:\\Program Files\\K\\KestrumHelper.exe", L"/P", L"C:\\Meine Dateien\\Teil 1.sldprt",
                   L"C:\\T\\p.txt"}},
        SplitCase{"QuotesInsideAnItemAreDropped", L"p a\"b c\"d e", {L"p", L"ab cd", L"e"}},
        SplitCase{"LonePairYieldsNoArgument", L"p \"\" /R", {L"p", L"/R"}},
        SplitCase{"SeveralLonePairs", L"p \"\" \"\"\"\" x", {L"p", L"x"}},
        SplitCase{"PairBeforeTextJoinsIt", L"p \"\"abc", {L"p", L"abc"}},
        SplitCase{"ControlCharactersSeparate", L"p\t/T\x01" L"a\x1f" L"b\nc", {L"p", L"/T", L"a", L"b", L"c"}},
        SplitCase{"UnterminatedQuoteRunsToTheEnd", L"p \"C:\\a b", {L"p", L"C:\\a b"}},
        SplitCase{"QuotedBlankIsAnArgument", L"p \" \"", {L"p", L" "}},
        SplitCase{"TripleQuoteAtEndEndsTheList", L"p /T \"\"\"", {L"p", L"/T"}},
        SplitCase{"UmlautsKept", L"p /T C:\\Müller\\Größe.sldprt", {L"p", L"/T", L"C:\\Müller\\Größe.sldprt"}},
        SplitCase{"TextAfterNulIgnored", std::wstring(L"p /R\0/T", 7), {L"p", L"/R"}}),
    TParamName());

struct ArgsCase {
    const char* name;
    std::wstring line;
    std::size_t count;
    std::wstring p1, p2, p3;
};

class ReadCommandArgsTest : public testing::TestWithParam<ArgsCase> {};

TEST_P(ReadCommandArgsTest, ReadsUpToThreeArguments) {
    const TCommandArgs args = ReadCommandArgs(GetParam().line);
    EXPECT_EQ(args.Count, GetParam().count);
    EXPECT_EQ(args.Param1, GetParam().p1);
    EXPECT_EQ(args.Param2, GetParam().p2);
    EXPECT_EQ(args.Param3, GetParam().p3);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadCommandArgsTest,
    testing::Values(ArgsCase{"None", L"k.exe", 0, L"", L"", L""},
                    ArgsCase{"SwitchOnly", L"k.exe /R", 1, L"/R", L"", L""},
                    ArgsCase{"LowerCaseKeptAsIs", L"k.exe /t x", 2, L"/t", L"x", L""},
                    ArgsCase{"Three", L"k.exe /P a b", 3, L"/P", L"a", L"b"},
                    ArgsCase{"MoreThanThreeCounted", L"k.exe /O a b c d", 5, L"/O", L"a", L"b"}),
    TParamName());

}  // namespace
