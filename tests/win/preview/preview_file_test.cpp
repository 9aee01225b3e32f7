// Writing the preview file: the JPEG bytes, an empty file for no preview, and
// what stays of an existing file when encoding, creating or writing fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <jpeglib.h>
#include <jerror.h>

#include "file_errors.h"
#include "handles.h"
#include "jpeg_writer.h"
#include "os_error.h"
#include "preview_file.h"
#include "preview_test_support.h"

namespace {

const TBytes cOldPreview(5000, 0xA5);

// Height and width from the frame header, or 0 x 0 when there is none.
std::pair<int, int> FrameSize(const TBytes& jpeg) {
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            return {(jpeg[i + 5] << 8) | jpeg[i + 6], (jpeg[i + 7] << 8) | jpeg[i + 8]};
        }
    }
    return {0, 0};
}

class PreviewFileTest : public testing::Test {
protected:
    TTempFolder folder;
    const std::wstring fileName = folder.File(L"Teil1.sldprtKS");
};

TEST_F(PreviewFileTest, ReplacesAnExistingFileWithTheJpegOfTheBitmap) {
    WriteBytes(fileName, TBytes(200000, 0x5A));  // longer than the JPEG
    const TScreenBitmap bitmap = FilledBitmap(50, 30, RGB(255, 0, 0));
    WritePreviewFile(fileName, bitmap);
    const TBytes written = ReadBytes(fileName);
    EXPECT_EQ(written, EncodeJpeg(bitmap.Bgr24Copy().Pixels()));
    ASSERT_GT(written.size(), 20u);
    EXPECT_EQ(TBytes(written.begin(), written.begin() + 4), (TBytes{0xFF, 0xD8, 0xFF, 0xE0}));
    EXPECT_EQ(FrameSize(written), std::make_pair(30, 50));
    EXPECT_EQ(TBytes(written.end() - 2, written.end()), (TBytes{0xFF, 0xD9}));
}

TEST_F(PreviewFileTest, NoPixelsGiveAFileOfLengthZero) {
    WritePreviewFile(fileName, TScreenBitmap());
    ASSERT_TRUE(FileExists(fileName));
    EXPECT_TRUE(ReadBytes(fileName).empty());

    WriteBytes(fileName, cOldPreview);
    WritePreviewFile(fileName, TScreenBitmap());
    EXPECT_TRUE(ReadBytes(fileName).empty());
}

TEST_F(PreviewFileTest, FailedEncodingLeavesTheOldPreviewAsItWas) {
    const TScreenBitmap tooWide = FilledBitmap(JPEG_MAX_DIMENSION + 1, 1, RGB(255, 0, 0));
    ASSERT_FALSE(tooWide.Empty());
    WriteBytes(fileName, cOldPreview);
    try {
        WritePreviewFile(fileName, tooWide);
        ADD_FAILURE() << "no error raised";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.MessageNumber, JERR_IMAGE_TOO_BIG);
        EXPECT_EQ(e.Message(), L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_IMAGE_TOO_BIG)));
    }
    EXPECT_EQ(ReadBytes(fileName), cOldPreview);

    const std::wstring newName = folder.File(L"Neu.sldprtKS");
    EXPECT_THROW(WritePreviewFile(newName, tooWide), EJPEG);
    EXPECT_FALSE(FileExists(newName));
}

TEST_F(PreviewFileTest, FileHeldWithoutSharingGivesTheCreationErrorWithTheFullPath) {
    WriteBytes(fileName, cOldPreview);
    {
        const TFileHandle held(::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        // A relative name: the message names the file by its full path.
        wchar_t previous[MAX_PATH] = {};
        ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
        ASSERT_TRUE(::SetCurrentDirectoryW(folder.Path().c_str()));
        try {
            WritePreviewFile(L"Teil1.sldprtKS", FilledBitmap(8, 8, RGB(0, 0, 255)));
            ADD_FAILURE() << "no error raised";
        } catch (const EFCreateError& e) {
            EXPECT_EQ(e.Message(), L"Datei \"" + fileName + L"\" kann nicht erstellt werden. " +
                                       SysErrorMessage(ERROR_SHARING_VIOLATION));
        }
        ::SetCurrentDirectoryW(previous);
    }
    EXPECT_EQ(ReadBytes(fileName), cOldPreview);
}

TEST_F(PreviewFileTest, MissingFolderGivesTheCreationError) {
    const std::wstring inMissingFolder = folder.File(L"fehlt\\Teil1.sldprtKS");
    try {
        WritePreviewFile(inMissingFolder, TScreenBitmap());
        ADD_FAILURE() << "no error raised";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), L"Datei \"" + inMissingFolder + L"\" kann nicht erstellt werden. " +
                                   SysErrorMessage(ERROR_PATH_NOT_FOUND));
    }
}

TEST_F(PreviewFileTest, RefusedWriteIsReportedWithTheFileName) {
    WriteBytes(fileName, cOldPreview);
    const TFileHandle readOnly(::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(readOnly);
    try {
        WriteFileBytes(readOnly.Get(), TBytes(100, 1), fileName);
        ADD_FAILURE() << "no error raised";
    } catch (const EFWriteError& e) {
        EXPECT_EQ(e.Message(), L"Datei \"" + fileName + L"\" kann nicht geschrieben werden. " +
                                   SysErrorMessage(ERROR_ACCESS_DENIED));
    }
}

// Under Wine, Z: is the Unix root: /dev/full takes no byte and reports a full disk.
TEST_F(PreviewFileTest, FullMediumIsReportedAndNotTakenForSuccess) {
    const std::wstring full = L"Z:\\dev\\full";
    if (!TFileHandle(::CreateFileW(full.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
        GTEST_SKIP() << "no Z:\\dev\\full here";
    }
    try {
        WritePreviewFile(full, FilledBitmap(16, 16, RGB(0, 255, 0)));
        ADD_FAILURE() << "no error raised";
    } catch (const EFWriteError& e) {
        EXPECT_EQ(e.Message(), L"Datei \"" + full + L"\" kann nicht geschrieben werden. " +
                                   SysErrorMessage(ERROR_DISK_FULL));
    }
}

}  // namespace
