// Writing the preview file in place: the JPEG bytes into the same file, an
// empty file for no preview, the wait for a preview another program holds for
// a moment, a hidden or system preview kept so, and what stays of an existing
// file when encoding, creating or writing fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <new>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "errors.h"
#include "handles.h"
#include "jpeg_writer.h"
#include "os_error.h"
#include "param_name.h"
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

// What tells one file from another on a volume: the volume's serial number
// and the file index (the file id); all zero when the file cannot be opened.
std::tuple<DWORD, DWORD, DWORD> FileIdentity(const std::wstring& path) {
    const TFileHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!file || !::GetFileInformationByHandle(file.Get(), &information)) {
        ADD_FAILURE() << "no file information, error " << ::GetLastError();
        return {0, 0, 0};
    }
    return {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow};
}

// Milliseconds since start.
long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

// The names in a folder, sorted, without "." and "..".
std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const TFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.Get(), &found));
    std::sort(names.begin(), names.end());
    return names;
}

class PreviewFileTest : public testing::Test {
protected:
    TTempFolder folder;
    const std::wstring fileName = folder.File(L"Teil1.sldprtKS");

    // Only the preview itself is in the folder: nothing is written beside it.
    void ExpectOnlyThePreview() const {
        EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::wstring>{L"Teil1.sldprtKS"});
    }
};

// The JPEG goes into the existing file itself: the same file id afterwards,
// as after a second run.
TEST_F(PreviewFileTest, ReplacesAnExistingFileWithTheJpegOfTheBitmap) {
    WriteTestFile(fileName, TBytes(200000, 0x5A));  // longer than the JPEG
    const auto identity = FileIdentity(fileName);
    const TScreenBitmap bitmap = FilledBitmap(50, 30, RGB(255, 0, 0));
    WritePreviewFile(fileName, bitmap);
    EXPECT_EQ(FileIdentity(fileName), identity) << "a new file took the preview's place";
    WritePreviewFile(fileName, bitmap);
    EXPECT_EQ(FileIdentity(fileName), identity) << "a new file took the preview's place";
    const TBytes written = ReadFileBytes(fileName);
    EXPECT_EQ(written, EncodeJpeg(bitmap.Bgr24Copy().Pixels()));
    ASSERT_GT(written.size(), 20u);
    EXPECT_EQ(TBytes(written.begin(), written.begin() + 4), (TBytes{0xFF, 0xD8, 0xFF, 0xE0}));
    EXPECT_EQ(FrameSize(written), std::make_pair(30, 50));
    EXPECT_EQ(TBytes(written.end() - 2, written.end()), (TBytes{0xFF, 0xD9}));
    EXPECT_EQ(::GetFileAttributesW(fileName.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ExpectOnlyThePreview();
}

TEST_F(PreviewFileTest, NoPixelsGiveAFileOfLengthZero) {
    WritePreviewFile(fileName, TScreenBitmap());
    ASSERT_TRUE(IsExistingFile(fileName));
    EXPECT_TRUE(ReadFileBytes(fileName).empty());

    WriteTestFile(fileName, cOldPreview);
    WritePreviewFile(fileName, TScreenBitmap());
    EXPECT_TRUE(ReadFileBytes(fileName).empty());
    ExpectOnlyThePreview();
}

TEST_F(PreviewFileTest, RelativeNameIsWrittenInTheCurrentFolder) {
    const TCurrentFolderScope inFolder(folder.Path());
    WritePreviewFile(L"Teil1.sldprtKS", FilledBitmap(8, 8, RGB(0, 0, 255)));
    EXPECT_EQ(FrameSize(ReadFileBytes(fileName)), std::make_pair(8, 8));
    ExpectOnlyThePreview();
}

// The message of what f raises: an Exception's message, "std::bad_alloc",
// or "nothing raised".
std::wstring RaisedMessage(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::bad_alloc&) {
        return L"std::bad_alloc";
    }
    return L"nothing raised";
}

std::wstring CreationMessage(const std::wstring& path, DWORD error) {
    return L"Datei \"" + path + L"\" kann nicht erstellt werden. " + SysErrorMessage(error);
}

// A failed encoding: a picture the JPEG library refuses (wider than 65500
// pixels), a 24-bit copy that cannot be made, memory that runs out. Whatever
// failed, the preview has length 0 by then, in place of an old one or new, and
// the encoding's failure is raised. A preview that cannot be opened (its
// folder missing, or held past the wait) stays as it was, and its creation
// failure is the one raised: the file is created before the encoding in the
// order of the steps.
enum class TEncodingFailure { JpegError, No24BitCopy, OutOfMemory };
enum class TEncodingTarget { ExistingPreview, NoPreview, FolderMissing, HeldThroughout };

struct FailedEncodingCase {
    const char* name;
    TEncodingFailure failure;
    TEncodingTarget target;
};
void PrintTo(const FailedEncodingCase& c, std::ostream* os) { *os << c.name; }

class FailedEncodingTest : public PreviewFileTest, public testing::WithParamInterface<FailedEncodingCase> {};

TEST_P(FailedEncodingTest, LeavesAPreviewOfLengthZeroOrTheOldOneWhenItCannotBeOpened) {
    const FailedEncodingCase& c = GetParam();
    const TScreenBitmap tooWide = FilledBitmap(JPEG_MAX_DIMENSION + 1, 1, RGB(255, 0, 0));
    ASSERT_FALSE(tooWide.Empty());
    std::function<TBytes()> encode;
    std::wstring encodingMessage;
    switch (c.failure) {
        case TEncodingFailure::JpegError:
            encode = [&tooWide] { return EncodeJpeg(tooWide.Bgr24Copy().Pixels()); };
            encodingMessage = L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_IMAGE_TOO_BIG));
            break;
        case TEncodingFailure::No24BitCopy:
            // What the 24-bit copy raises when the platform gives no reason.
            encode = []() -> TBytes { RaiseGdiError(0); };
            encodingMessage = L"Systemressourcen erschöpft";
            break;
        case TEncodingFailure::OutOfMemory:
            encode = []() -> TBytes { throw std::bad_alloc(); };
            encodingMessage = L"std::bad_alloc";
            break;
    }
    const std::wstring target =
        c.target == TEncodingTarget::FolderMissing ? folder.File(L"fehlt\\Teil1.sldprtKS") : fileName;
    TFileHandle held;
    if (c.target == TEncodingTarget::ExistingPreview || c.target == TEncodingTarget::HeldThroughout) {
        WriteTestFile(fileName, cOldPreview);
    }
    const auto identity = c.target == TEncodingTarget::ExistingPreview ? FileIdentity(fileName)
                                                                       : std::tuple<DWORD, DWORD, DWORD>();
    if (c.target == TEncodingTarget::HeldThroughout) {
        held.Reset(::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        ASSERT_TRUE(held);
    }
    const std::wstring raised = RaisedMessage([&] { WriteEncodedPreview(target, encode, &::CreateFileW); });
    held.Reset();
    switch (c.target) {
        case TEncodingTarget::ExistingPreview:
            EXPECT_EQ(raised, encodingMessage);
            EXPECT_TRUE(ReadFileBytes(fileName).empty()) << "the old preview was left";
            EXPECT_EQ(FileIdentity(fileName), identity) << "a new file took the preview's place";
            ExpectOnlyThePreview();
            break;
        case TEncodingTarget::NoPreview:
            EXPECT_EQ(raised, encodingMessage);
            ASSERT_TRUE(IsExistingFile(fileName)) << "no preview created";
            EXPECT_TRUE(ReadFileBytes(fileName).empty());
            ExpectOnlyThePreview();
            break;
        case TEncodingTarget::FolderMissing:
            EXPECT_EQ(raised, CreationMessage(target, ERROR_PATH_NOT_FOUND));
            EXPECT_TRUE(NamesIn(folder.Path()).empty());
            break;
        case TEncodingTarget::HeldThroughout:
            EXPECT_EQ(raised, CreationMessage(fileName, ERROR_SHARING_VIOLATION));
            EXPECT_EQ(ReadFileBytes(fileName), cOldPreview);
            ExpectOnlyThePreview();
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedEncodingTest,
    testing::Values(
        FailedEncodingCase{"JpegErrorExistingPreview", TEncodingFailure::JpegError, TEncodingTarget::ExistingPreview},
        FailedEncodingCase{"JpegErrorNoPreview", TEncodingFailure::JpegError, TEncodingTarget::NoPreview},
        FailedEncodingCase{"JpegErrorFolderMissing", TEncodingFailure::JpegError, TEncodingTarget::FolderMissing},
        FailedEncodingCase{"JpegErrorHeldThroughout", TEncodingFailure::JpegError, TEncodingTarget::HeldThroughout},
        FailedEncodingCase{"No24BitCopyExistingPreview", TEncodingFailure::No24BitCopy,
                           TEncodingTarget::ExistingPreview},
        FailedEncodingCase{"OutOfMemoryExistingPreview", TEncodingFailure::OutOfMemory,
                           TEncodingTarget::ExistingPreview},
        FailedEncodingCase{"OutOfMemoryNoPreview", TEncodingFailure::OutOfMemory, TEncodingTarget::NoPreview}),
    TParamName());

// Windows refuses to empty a hidden or system file with normal attributes
// (CreateFile, Remarks: "specify the same attributes as the existing file");
// Wine does not, so the preview is opened through a stand-in that refuses as
// Windows does. A hidden or system preview is then opened again with its own
// attributes: written (or emptied after a failed encoding) in place, it stays
// hidden or system, also when another program holds it for a moment. A
// read-only one is refused at once and stays whole.
std::vector<DWORD> gOpenAttributes;

HANDLE WINAPI CreateFileAsWindows(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                  DWORD disposition, DWORD flags, HANDLE templateFile) {
    gOpenAttributes.push_back(flags);
    const DWORD existing = ::GetFileAttributesW(name);
    if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD needed = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        // Windows refuses to write a read-only file to everyone; Wine lets
        // the superuser.
        const bool readOnlyRefused = (existing & FILE_ATTRIBUTE_READONLY) && (access & GENERIC_WRITE);
        const bool overwriteRefused =
            (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) && (flags & needed) != needed;
        if (readOnlyRefused || overwriteRefused) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
    }
    return ::CreateFileW(name, access, share, security, disposition, flags, templateFile);
}

const DWORD cHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct HiddenPreviewCase {
    const char* name;
    DWORD attributes;        // of the old preview
    bool heldForAMoment;     // by another program, 300 ms
    bool encodingFails;      // a JPEG error
    DWORD error;             // ERROR_SUCCESS: written (or emptied)
    std::vector<DWORD> opens;  // the attributes of each open, in order
};
void PrintTo(const HiddenPreviewCase& c, std::ostream* os) { *os << c.name; }

class HiddenPreviewTest : public PreviewFileTest, public testing::WithParamInterface<HiddenPreviewCase> {
protected:
    void SetUp() override { gOpenAttributes.clear(); }
    void TearDown() override { ::SetFileAttributesW(fileName.c_str(), FILE_ATTRIBUTE_NORMAL); }
};

TEST_P(HiddenPreviewTest, IsWrittenWithItsOwnAttributesOrLeftWhole) {
    const HiddenPreviewCase& c = GetParam();
    WriteTestFile(fileName, cOldPreview);
    ASSERT_TRUE(::SetFileAttributesW(fileName.c_str(), c.attributes));
    ASSERT_EQ(::GetFileAttributesW(fileName.c_str()) & (cHiddenSystem | FILE_ATTRIBUTE_READONLY),
              c.attributes & (cHiddenSystem | FILE_ATTRIBUTE_READONLY))
        << "the attributes are not kept here";
    const auto identity = FileIdentity(fileName);
    TFileHandle held;
    std::thread release;
    if (c.heldForAMoment) {
        held.Reset(::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        ASSERT_TRUE(held);
        release = std::thread([&held] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            held.Reset();
        });
    }
    const TScreenBitmap bitmap = c.encodingFails ? FilledBitmap(JPEG_MAX_DIMENSION + 1, 1, RGB(255, 0, 0))
                                                 : FilledBitmap(8, 8, RGB(0, 0, 255));
    const auto encode = [&bitmap] { return EncodeJpeg(bitmap.Bgr24Copy().Pixels()); };
    const auto started = std::chrono::steady_clock::now();
    const std::wstring raised =
        RaisedMessage([&] { WriteEncodedPreview(fileName, encode, &CreateFileAsWindows); });
    const long long took = MillisecondsSince(started);
    if (release.joinable()) release.join();

    if (c.error != ERROR_SUCCESS) {
        EXPECT_EQ(raised, CreationMessage(fileName, c.error));
        EXPECT_LT(took, 1000) << "not refused at once";
        EXPECT_EQ(ReadFileBytes(fileName), cOldPreview);
    } else if (c.encodingFails) {
        EXPECT_EQ(raised, L"JPEG-Fehler #" + std::to_wstring(static_cast<int>(JERR_IMAGE_TOO_BIG)));
        EXPECT_TRUE(ReadFileBytes(fileName).empty()) << "the old preview was left";
    } else {
        EXPECT_EQ(raised, L"nothing raised");
        EXPECT_EQ(ReadFileBytes(fileName), EncodeJpeg(bitmap.Bgr24Copy().Pixels()));
    }
    EXPECT_EQ(::GetFileAttributesW(fileName.c_str()) & (cHiddenSystem | FILE_ATTRIBUTE_READONLY),
              c.attributes & (cHiddenSystem | FILE_ATTRIBUTE_READONLY))
        << "the attributes changed";
    EXPECT_EQ(FileIdentity(fileName), identity) << "a new file took the preview's place";
    if (c.heldForAMoment) {
        // Refused, then opened again with the file's attributes, waited for
        // while held, written.
        ASSERT_GE(gOpenAttributes.size(), 3u);
        EXPECT_EQ(gOpenAttributes.front(), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
        EXPECT_TRUE(std::all_of(gOpenAttributes.begin() + 1, gOpenAttributes.end(),
                                [](DWORD flags) { return flags == FILE_ATTRIBUTE_HIDDEN; }));
        EXPECT_GE(took, 250);
    } else {
        EXPECT_EQ(gOpenAttributes, c.opens);
    }
    ExpectOnlyThePreview();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiddenPreviewTest,
    testing::Values(
        HiddenPreviewCase{"Hidden", FILE_ATTRIBUTE_HIDDEN, false, false, ERROR_SUCCESS,
                          {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN}},
        HiddenPreviewCase{"System", FILE_ATTRIBUTE_SYSTEM, false, false, ERROR_SUCCESS,
                          {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_SYSTEM}},
        HiddenPreviewCase{"HiddenAndSystem", cHiddenSystem, false, false, ERROR_SUCCESS,
                          {FILE_ATTRIBUTE_NORMAL, cHiddenSystem}},
        HiddenPreviewCase{"ReadOnlyAndHidden", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, false, false,
                          ERROR_ACCESS_DENIED, {FILE_ATTRIBUTE_NORMAL}},
        HiddenPreviewCase{"Normal", FILE_ATTRIBUTE_NORMAL, false, false, ERROR_SUCCESS, {FILE_ATTRIBUTE_NORMAL}},
        HiddenPreviewCase{"HiddenEmptiedAfterAFailedEncoding", FILE_ATTRIBUTE_HIDDEN, false, true, ERROR_SUCCESS,
                          {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_HIDDEN}},
        HiddenPreviewCase{"HiddenHeldForAMoment", FILE_ATTRIBUTE_HIDDEN, true, false, ERROR_SUCCESS, {}}),
    TParamName());

// An existing preview that another program holds open (whatever it shares),
// of which it keeps only a mapped view (its handles closed, as scanners and
// thumbnailers do), or that is read-only. A hold of a moment is waited out and
// the new preview written; a hold that lasts is waited for 2 s, a read-only
// preview not at all. Then the creation fails with the preview's full path,
// the old preview stays whole (and read-only) and nothing appears beside it.
enum class THold { NoSharing, OthersMayRead, OthersMayDoAnything, MappedView, ReadOnly };

// A read-only view of the whole file, with the file and mapping handles
// closed again: only the view holds the file.
TMappedView MapAView(const std::wstring& path) {
    const TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return TMappedView();
    const TKernelHandle mapping(::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return TMappedView();
    return TMappedView(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
}

// Held until the writer has given up.
const int cHeldThroughout = -1;

struct HeldPreviewCase {
    const char* name;
    THold hold;
    int releasedAfterMs;  // or cHeldThroughout
    DWORD error;          // ERROR_SUCCESS: the new preview is written
    long long minMs, maxMs;  // how long the writer takes
};
void PrintTo(const HeldPreviewCase& c, std::ostream* os) { *os << c.name; }

class HeldPreviewTest : public PreviewFileTest, public testing::WithParamInterface<HeldPreviewCase> {};

TEST_P(HeldPreviewTest, IsWaitedForOrStaysWholeWithTheCreationError) {
    const HeldPreviewCase& c = GetParam();
    WriteTestFile(fileName, cOldPreview);
    TFileHandle held;
    TMappedView view;
    switch (c.hold) {
        case THold::NoSharing:
            held.Reset(::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
            break;
        case THold::OthersMayRead:
            held.Reset(::CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            break;
        case THold::OthersMayDoAnything:
            held.Reset(::CreateFileW(fileName.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            break;
        case THold::MappedView:
            view = MapAView(fileName);
            break;
        case THold::ReadOnly:
            ASSERT_TRUE(::SetFileAttributesW(fileName.c_str(), FILE_ATTRIBUTE_READONLY));
            // Windows refuses to write a read-only file to everyone. Wine keeps
            // the attribute as the Unix permission bits, which the superuser
            // passes over; the end-to-end test stages it there.
            if (TFileHandle(::CreateFileW(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr))) {
                GTEST_SKIP() << "a read-only file can be opened for writing here";
            }
            break;
    }
    if (c.hold != THold::ReadOnly) {
        ASSERT_TRUE(held || view) << "not held, error " << ::GetLastError();
    }
    // The other program lets go of the preview after a while.
    std::thread release;
    if (c.releasedAfterMs != cHeldThroughout) {
        release = std::thread([&held, &view, &c] {
            std::this_thread::sleep_for(std::chrono::milliseconds(c.releasedAfterMs));
            held.Reset();
            view.Reset();
        });
    }
    const TScreenBitmap bitmap = FilledBitmap(8, 8, RGB(0, 0, 255));
    const auto started = std::chrono::steady_clock::now();
    try {
        WritePreviewFile(fileName, bitmap);
        EXPECT_EQ(c.error, static_cast<DWORD>(ERROR_SUCCESS)) << "no error raised";
    } catch (const EFCreateError& e) {
        if (c.error == ERROR_SUCCESS) {
            ADD_FAILURE() << "raised: " << e.what();
        } else {
            EXPECT_EQ(e.Message(),
                      L"Datei \"" + fileName + L"\" kann nicht erstellt werden. " + SysErrorMessage(c.error));
        }
    } catch (const Exception& e) {
        ADD_FAILURE() << "raised: " << e.what();
    }
    const long long took = MillisecondsSince(started);
    if (release.joinable()) release.join();
    EXPECT_GE(took, c.minMs);
    EXPECT_LE(took, c.maxMs);
    held.Reset();
    view.Reset();
    if (c.error == ERROR_SUCCESS) {
        EXPECT_EQ(ReadFileBytes(fileName), EncodeJpeg(bitmap.Bgr24Copy().Pixels()));
    } else {
        EXPECT_EQ(ReadFileBytes(fileName), cOldPreview);
    }
    if (c.hold == THold::ReadOnly) {
        EXPECT_NE(::GetFileAttributesW(fileName.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << "no longer read-only";
    }
    ExpectOnlyThePreview();
}

// The wait ends 2 s after the first attempt, at one 50 ms step more at most;
// the upper bounds leave room for a busy machine.
INSTANTIATE_TEST_SUITE_P(
    Cases, HeldPreviewTest,
    testing::Values(
        HeldPreviewCase{"HeldWithoutSharingForAMoment", THold::NoSharing, 300, ERROR_SUCCESS, 250, 1900},
        HeldPreviewCase{"HeldForWritingForAMoment", THold::OthersMayRead, 300, ERROR_SUCCESS, 250, 1900},
        HeldPreviewCase{"MappedForOneAndAHalfSeconds", THold::MappedView, 1500, ERROR_SUCCESS, 1450, 2100},
        HeldPreviewCase{"HeldWithoutSharing", THold::NoSharing, cHeldThroughout, ERROR_SHARING_VIOLATION, 1950, 5000},
        HeldPreviewCase{"HeldForWritingOthersMayRead", THold::OthersMayRead, cHeldThroughout,
                        ERROR_SHARING_VIOLATION, 1950, 5000},
        HeldPreviewCase{"HeldSharingEverything", THold::OthersMayDoAnything, cHeldThroughout,
                        ERROR_SHARING_VIOLATION, 1950, 5000},
        HeldPreviewCase{"Mapped", THold::MappedView, cHeldThroughout, ERROR_USER_MAPPED_FILE, 1950, 5000},
        HeldPreviewCase{"ReadOnly", THold::ReadOnly, cHeldThroughout, ERROR_ACCESS_DENIED, 0, 1000}),
    TParamName());

TEST_F(PreviewFileTest, RelativeNameOfAHeldPreviewIsReportedByItsFullPath) {
    WriteTestFile(fileName, cOldPreview);
    const TFileHandle held(::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    const TCurrentFolderScope inFolder(folder.Path());
    try {
        WritePreviewFile(L"Teil1.sldprtKS", FilledBitmap(8, 8, RGB(0, 0, 255)));
        ADD_FAILURE() << "no error raised";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), L"Datei \"" + fileName + L"\" kann nicht erstellt werden. " +
                                   SysErrorMessage(ERROR_SHARING_VIOLATION));
    }
}

TEST_F(PreviewFileTest, MissingFolderGivesTheCreationError) {
    const std::wstring inMissingFolder = folder.File(L"fehlt\\Teil1.sldprtKS");
    const auto started = std::chrono::steady_clock::now();
    try {
        WritePreviewFile(inMissingFolder, TScreenBitmap());
        ADD_FAILURE() << "no error raised";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), L"Datei \"" + inMissingFolder + L"\" kann nicht erstellt werden. " +
                                   SysErrorMessage(ERROR_PATH_NOT_FOUND));
    }
    EXPECT_LT(MillisecondsSince(started), 1000) << "not reported at once";
    EXPECT_TRUE(NamesIn(folder.Path()).empty());
}

TEST_F(PreviewFileTest, RefusedWriteIsReportedWithTheFileName) {
    WriteTestFile(fileName, cOldPreview);
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

// Under Wine, Z: is the Unix root: /dev/full takes no byte and reports a full
// disk. The write itself is tried on it; the whole preview on a full disk
// (written in place into the emptied preview, so the old preview is gone, and
// cut back to length 0 when the write fails) is an end-to-end case on a full
// file system (PreviewInPlaceTest in test_bad_input.py).
TEST_F(PreviewFileTest, FullMediumIsReportedAndNotTakenForSuccess) {
    const TFileHandle full(::CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!full) GTEST_SKIP() << "no Z:\\dev\\full here";
    try {
        WriteFileBytes(full.Get(), TBytes(5000, 0x11), fileName);
        ADD_FAILURE() << "no error raised";
    } catch (const EFWriteError& e) {
        EXPECT_EQ(e.Message(), L"Datei \"" + fileName + L"\" kann nicht geschrieben werden. " +
                                   SysErrorMessage(ERROR_DISK_FULL));
    }
}

}  // namespace
