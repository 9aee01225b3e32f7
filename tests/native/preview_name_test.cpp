#include "paths.h"

#include <gtest/gtest.h>

#include <string>

#include "param_name.h"

namespace {

struct PreviewNameCase {
    const char* name;
    std::wstring document;
    std::wstring preview;
};

class PreviewNameTest : public testing::TestWithParam<PreviewNameCase> {};

TEST_P(PreviewNameTest, LowerCasedExtensionFollowedByKS) {
    EXPECT_EQ(PreviewFileName(GetParam().document), GetParam().preview);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PreviewNameTest,
    testing::Values(
        PreviewNameCase{"Part", L"C:\\Docs\\Part1.SLDPRT", L"C:\\Docs\\Part1.sldprtKS"},
        PreviewNameCase{"AssemblyMixedCase", L"C:\\Docs\\Asm.SldAsm", L"C:\\Docs\\Asm.sldasmKS"},
        PreviewNameCase{"NoExtensionDotInFolder", L"C:\\Docs.old\\Part1", L"C:\\Docs.old\\Part1KS"},
        PreviewNameCase{"EndsInDot", L"C:\\Docs\\Part1.", L"C:\\Docs\\Part1.KS"},
        PreviewNameCase{"OnlyLastExtensionLowered", L"C:\\Docs\\Part1.Backup.SLDDRW",
                        L"C:\\Docs\\Part1.Backup.slddrwKS"},
        PreviewNameCase{"OnlyAToZLowered", L"C:\\Docs\\Teil.\u00C4B", L"C:\\Docs\\Teil.\u00C4bKS"},
        PreviewNameCase{"FolderAndBaseKeepTheirCase", L"C:\\DOCS\\PART1.SLDPRT", L"C:\\DOCS\\PART1.sldprtKS"},
        PreviewNameCase{"ForwardSlashIsNoDelimiter", L"C:\\Docs\\a.B/Part1", L"C:\\Docs\\a.b/part1KS"},
        PreviewNameCase{"DriveRelative", L"C:Part1", L"C:Part1KS"},
        PreviewNameCase{"Relative", L"Docs\\Part1.SLDPRT", L"Docs\\Part1.sldprtKS"},
        PreviewNameCase{"Empty", L"", L"KS"}),
    TParamName());

}  // namespace
