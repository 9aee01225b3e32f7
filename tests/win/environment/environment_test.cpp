// The platform routines of the preparation at start: environment values, the
// system folder, folder and file tests, and the registry view of the key test.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "environment.h"
#include "environment_scope.h"
#include "file_tests.h"
#include "handles.h"
#include "param_name.h"
#include "temp_folder.h"

namespace {

TEST(GetEnvVarValueTest, SetEmptyAndUnset) {
    SetEnvironmentVariableW(L"KESTRUM_TEST_VALUE", L"C:\\Users\\Anna\\AppData\\Roaming");
    EXPECT_EQ(GetEnvVarValue(L"KESTRUM_TEST_VALUE"), L"C:\\Users\\Anna\\AppData\\Roaming");
    SetEnvironmentVariableW(L"KESTRUM_TEST_VALUE", L"");
    EXPECT_EQ(GetEnvVarValue(L"KESTRUM_TEST_VALUE"), L"");
    SetEnvironmentVariableW(L"KESTRUM_TEST_VALUE", nullptr);
    EXPECT_EQ(GetEnvVarValue(L"KESTRUM_TEST_VALUE"), L"");
    const std::wstring longValue(5000, L'x');
    SetEnvironmentVariableW(L"KESTRUM_TEST_VALUE", longValue.c_str());
    EXPECT_EQ(GetEnvVarValue(L"KESTRUM_TEST_VALUE"), longValue);
}

// The tests' scope of an environment variable: inside it the variable is as
// asked, afterwards exactly as before.
struct TScopeCase {
    const char* name;
    std::optional<std::wstring> before;  // none: not set
    std::optional<std::wstring> inside;
};
void PrintTo(const TScopeCase& c, std::ostream* os) { *os << c.name; }

class EnvironmentScopeTest : public testing::TestWithParam<TScopeCase> {};

TEST_P(EnvironmentScopeTest, VariableIsAsBeforeAfterTheScope) {
    const TScopeCase& c = GetParam();
    const wchar_t* const name = L"KESTRUM_SCOPE_VALUE";
    ASSERT_TRUE(::SetEnvironmentVariableW(name, c.before ? c.before->c_str() : nullptr) || !c.before);
    ASSERT_EQ(EnvironmentValue(name), c.before) << "the state before the scope could not be made";
    {
        const TEnvironmentScope scope(name, c.inside);
        EXPECT_EQ(EnvironmentValue(name), c.inside);
    }
    EXPECT_EQ(EnvironmentValue(name), c.before);
    ::SetEnvironmentVariableW(name, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnvironmentScopeTest,
    testing::Values(TScopeCase{"SetThenChanged", L"C:\\Users\\Anna", L"D:\\Daten äöü"},
                    TScopeCase{"SetThenRemoved", L"alt", std::nullopt},
                    TScopeCase{"EmptyThenSet", L"", L"neu"},
                    TScopeCase{"UnsetThenSet", std::nullopt, L"neu"},
                    TScopeCase{"UnsetThenEmpty", std::nullopt, L""},
                    TScopeCase{"LongValueThenEmpty", std::wstring(300, L'x'), L""}),
    TParamName());

TEST(GetSystemDirTest, FolderWithoutTrailingBackslash) {
    const std::wstring dir = GetSystemDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'\\');
    EXPECT_TRUE(DirectoryExists(dir));
    EXPECT_TRUE(FileExists(dir + L"\\regsvr32.exe"));
}

TEST(FileTestsTest, FoldersFilesAndMissingPaths) {
    const TTempFolder temp;
    const std::wstring folder = temp.Path();
    const std::wstring file = folder + L"\\Datei mit Ümlaut.txt";
    {
        TFileHandle created(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        ASSERT_TRUE(created.Valid());
    }
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_TRUE(DirectoryExists(folder + L"\\"));
    EXPECT_FALSE(FileExists(folder));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));
    EXPECT_FALSE(DirectoryExists(folder + L"\\missing"));
    EXPECT_FALSE(DirectoryExists(folder + L"\\missing\\deeper"));
    EXPECT_FALSE(FileExists(folder + L"\\missing.dll"));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_FALSE(DirectoryExists(L"\\\\?\\bad<name>"));
    {
        // Held open by another handle without sharing: still a file.
        TFileHandle locked(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(locked.Valid());
        EXPECT_TRUE(FileExists(file));
    }
    EXPECT_TRUE(CreateFolder(folder + L"\\neu"));
    EXPECT_FALSE(CreateFolder(folder + L"\\neu"));
    EXPECT_FALSE(CreateFolder(folder + L"\\a\\b"));
}

// Software under HKEY_LOCAL_MACHINE is kept apart for 32-bit programs, so a
// key written only in the 32-bit view shows which view a test reads.
TEST(RegistryAccessTest, ReadsOnlyItsOwnView) {
    const wchar_t* const path = L"Software\\KestrumViewTest";
    {
        TRegistryKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                                  key.Put(), nullptr),
                  ERROR_SUCCESS);
    }
    TRegistryAccess view64(KEY_WOW64_64KEY);
    view64.SetRootKey(HKEY_LOCAL_MACHINE);
    TRegistryAccess view32(KEY_WOW64_32KEY);
    view32.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(view64.KeyExists(path));
    EXPECT_TRUE(view32.KeyExists(path));
    EXPECT_FALSE(view64.KeyExists(L"Software\\KestrumNoSuchKey"));
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, KEY_WOW64_32KEY, 0);
}

}  // namespace
