#include "environment_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "errors.h"
#include "param_name.h"

namespace {

struct SlashCase {
    const char* name;
    std::wstring in, out;
};

class SlashTest : public testing::TestWithParam<SlashCase> {};

TEST_P(SlashTest, EnsuresOneTrailingBackslash) { EXPECT_EQ(Slash(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(Cases, SlashTest,
                         testing::Values(SlashCase{"Folder", L"C:\\Windows\\System32", L"C:\\Windows\\System32\\"},
                                         SlashCase{"DriveRoot", L"C:\\", L"C:\\"}, SlashCase{"Empty", L"", L""},
                                         SlashCase{"ForwardSlashIsNoDelimiter", L"C:/Tools/", L"C:/Tools/\\"},
                                         SlashCase{"DriveOnly", L"C:", L"C:\\"}),
                         TParamName());

// A file system of folder names; creation can be refused for chosen names.
struct FakeFolders {
    std::set<std::wstring> existing;
    std::set<std::wstring> refused;
    std::vector<std::wstring> created;

    TFolderOps Ops() {
        return TFolderOps{[this](const std::wstring& p) { return existing.count(p) > 0; },
                          [this](const std::wstring& p) {
                              if (refused.count(p) || p.empty()) return false;
                              existing.insert(p);
                              created.push_back(p);
                              return true;
                          }};
    }
};

TEST(ForceFoldersTest, CreatesEveryMissingFolderFromTheTopDown) {
    FakeFolders fs;
    fs.existing = {L"C:", L"C:\\Users", L"C:\\Users\\Anna\\AppData\\Roaming", L"C:\\Users\\Anna",
                   L"C:\\Users\\Anna\\AppData"};
    EXPECT_TRUE(ForceFolders(L"C:\\Users\\Anna\\AppData\\Roaming\\KesTrum\\DBExt", fs.Ops()));
    EXPECT_EQ(fs.created, (std::vector<std::wstring>{L"C:\\Users\\Anna\\AppData\\Roaming\\KesTrum",
                                                     L"C:\\Users\\Anna\\AppData\\Roaming\\KesTrum\\DBExt"}));
}

TEST(ForceFoldersTest, ExistingFolderTouchesNothing) {
    FakeFolders fs;
    fs.existing = {L"C:\\Data\\KesTrum\\DBExt"};
    EXPECT_TRUE(ForceFolders(L"C:\\Data\\KesTrum\\DBExt\\", fs.Ops()));
    EXPECT_TRUE(fs.created.empty());
}

TEST(ForceFoldersTest, RefusedParentStopsBeforeTheChild) {
    FakeFolders fs;
    fs.existing = {L"C:"};
    fs.refused = {L"C:\\Locked"};
    EXPECT_FALSE(ForceFolders(L"C:\\Locked\\DBExt", fs.Ops()));
    EXPECT_TRUE(fs.created.empty());
}

TEST(ForceFoldersTest, EmptyPathIsAnInputOutputError) {
    FakeFolders fs;
    try {
        ForceFolders(L"", fs.Ops());
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 3);
        EXPECT_EQ(e.Message(), L"Verzeichnis kann nicht erstellt werden");
    }
}

TEST(ForceFoldersTest, RelativeNameWithoutDelimiterReachesTheEmptyPath) {
    // An APPDATA such as "appdata" gives "appdata\KesTrum\DBExt".
    FakeFolders fs;
    EXPECT_THROW(ForceFolders(L"appdata\\KesTrum\\DBExt", fs.Ops()), EInOutError);
    EXPECT_TRUE(fs.created.empty());
}

TEST(ForceFoldersTest, ShortAndRootPathsCreateJustThemselves) {
    FakeFolders fs;
    EXPECT_TRUE(ForceFolders(L"ab", fs.Ops()));
    EXPECT_EQ(fs.created, std::vector<std::wstring>{L"ab"});
    // Without APPDATA the folder hangs from the root of the current drive:
    // the root itself ("" once its backslash is gone) cannot be created.
    FakeFolders root;
    EXPECT_FALSE(ForceFolders(L"\\KesTrum\\DBExt", root.Ops()));
    EXPECT_TRUE(root.created.empty());
}

TEST(RegistrationTextTest, ParametersAre70Characters) {
    const std::wstring params =
        RegistrationParameters(L"c:\\Program Files\\Common Files\\SOLIDWORKS Shared\\swdocumentmgr.dll");
    EXPECT_EQ(params, L"/s \"c:\\Program Files\\Common Files\\SOLIDWORKS Shared\\swdocumentmgr.dll\"");
    EXPECT_EQ(params.size(), 70u);
}

TEST(RegistrationTextTest, VersionMessageIsThreeLinesOf180Characters) {
    const std::wstring text = VersionMessageText();
    EXPECT_EQ(text.size(), 180u);
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\r'), 2);
    EXPECT_NE(text.back(), L'\r');
    EXPECT_EQ(text.substr(text.rfind(L'\r') + 1), L"Funktion wird abgebrochen!!!");
}

}  // namespace
