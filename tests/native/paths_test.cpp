#include "paths.h"

#include <gtest/gtest.h>

#include <string>

#include "param_name.h"

namespace {

struct PathCase {
    const char* name;
    std::wstring path, folder, file;
};

class PathsTest : public testing::TestWithParam<PathCase> {};

TEST_P(PathsTest, SplitsAtLastBackslashOrColon) {
    EXPECT_EQ(ExtractFilePath(GetParam().path), GetParam().folder);
    EXPECT_EQ(ExtractFileName(GetParam().path), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathsTest,
    testing::Values(PathCase{"Folder", L"C:\\Tools\\app.exe", L"C:\\Tools\\", L"app.exe"},
                    PathCase{"Root", L"C:\\app.exe", L"C:\\", L"app.exe"},
                    PathCase{"DriveRelative", L"C:app.exe", L"C:", L"app.exe"},
                    PathCase{"NoFolder", L"app.exe", L"", L"app.exe"},
                    PathCase{"ForwardSlashIsNoDelimiter", L"C:/a/b.txt", L"C:", L"/a/b.txt"},
                    PathCase{"Unc", L"\\\\srv\\share\\x.pdf", L"\\\\srv\\share\\", L"x.pdf"},
                    PathCase{"Empty", L"", L"", L""}),
    TParamName());

}  // namespace
