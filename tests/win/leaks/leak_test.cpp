// A thousand runs of each document operation in one process, on stand-in
// documents, with and without failures: after a few warm-up runs the GDI and
// USER objects and the kernel handles stay as they were, and the stand-in
// Document Manager has no object left alive.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "application.h"
#include "errors.h"
#include "MainDlg.h"
#include "param_name.h"
#include "paths.h"
#include "resource_counts.h"
#include "standin_support.h"

namespace {

const int cWarmUpRuns = 10;  // DLLs, caches and stock objects made on first use
const int cRuns = 1000;
const int cSampleEvery = 250;

// The stand-in's count of its live COM objects; -1 when it cannot be asked.
long StandInLiveObjects() {
    const HMODULE standIn = ::GetModuleHandleW(StandInLibraryPath().c_str());
    if (!standIn) return -1;
    using TCount = LONG(STDAPICALLTYPE*)();
    const auto count =
        reinterpret_cast<TCount>(reinterpret_cast<void*>(::GetProcAddress(standIn, "StandInLiveObjectCount")));
    return count ? count() : -1;
}

enum class TOperation { Thumbnail, Properties };
enum class TPreview { Bitmap, Metafile };

struct LeakCase {
    const char* name;
    TOperation operation;
    TPreview preview;
    const wchar_t* faults;  // stand-in faults for the whole case, or null
    bool fails;             // every run raises
};
void PrintTo(const LeakCase& c, std::ostream* os) { *os << c.name; }

// The operations are members of the form, so the form is made as the program
// makes it: inside the application object (COM, the hidden window), with its
// creation handler run (the per-user folders, the check of the Document
// Manager at its fixed path). What sits at that path depends on the prefix;
// the stand-in built with this test is registered for the run instead, so
// the form is told that the Document Manager was found. Each case has an
// application and a form of its own; the counts are taken after both exist.
class OperationLeaks : public testing::TestWithParam<LeakCase> {
public:
    static void SetUpTestSuite() { std::printf("[ leaks    ] counted by %s\n", ResourceSources().c_str()); }

protected:
    void SetUp() override {
        application.Initialize();
        form = std::make_unique<TfrmMain>();
        form->fswdocmgrFound = true;
        const LeakCase& c = GetParam();
        const std::vector<std::uint8_t> preview =
            c.preview == TPreview::Bitmap ? MakeBitmapFile(320, 240, RGB(40, 120, 200)) : MakeMetafile(5080, 3810);
        WriteDocument(Document(), swDmDocumentPart, {{L"Benennung", swDmCustomInfoText, L"Welle"}}, preview);
        const std::string pairs = "Benennung\r\nWelle 2\r\nMaterial\r\nStahl\r\n";
        WriteTestFile(PropertyFile(), std::vector<std::uint8_t>(pairs.begin(), pairs.end()));
    }

    std::wstring Document() const { return folder.File(L"Welle.SLDPRT"); }
    std::wstring PropertyFile() const { return folder.File(L"props.txt"); }

    // Runs the case's operation; the number of runs that raised.
    int Run(int runs) {
        int failed = 0;
        for (int i = 0; i < runs; ++i) {
            try {
                if (GetParam().operation == TOperation::Thumbnail) {
                    form->ExtractThumbnail(Document());
                } else {
                    int updated = 0;
                    form->FillSolidworksProperties(Document(), PropertyFile(), updated);
                }
            } catch (const Exception&) {
                ++failed;
            }
            application.ProcessMessages();
        }
        return failed;
    }

    TApplication application;
    std::unique_ptr<TfrmMain> form;  // made after the application's Initialize, destroyed before the application
    TTempFolder folder;
};

TEST_P(OperationLeaks, CountsStayFlatOverAThousandRuns) {
    const LeakCase& c = GetParam();
    std::optional<TFaultScope> faults;
    if (c.faults) faults.emplace(c.faults);

    ASSERT_EQ(Run(cWarmUpRuns), c.fails ? cWarmUpRuns : 0);
    ASSERT_EQ(StandInLiveObjects(), 0) << "after the warm-up";
    const TResourceCounts before = MeasureResources();
    std::string trace = ToString(before);
    int failed = 0;
    for (int done = 0; done < cRuns; done += cSampleEvery) {
        failed += Run(cSampleEvery);
        trace += " | " + ToString(MeasureResources());
    }
    const TResourceCounts after = MeasureResources();
    std::printf("[ leaks    ] %s: %s\n", c.name, trace.c_str());

    EXPECT_EQ(failed, c.fails ? cRuns : 0);
    EXPECT_EQ(after, before) << "every " << cSampleEvery << " runs: " << trace;
    EXPECT_EQ(StandInLiveObjects(), 0) << "stand-in objects left alive";
    faults.reset();

    // The runs did their work.
    if (c.fails) return;
    if (c.operation == TOperation::Thumbnail) {
        const std::vector<std::uint8_t> jpeg = ReadFileBytes(PreviewFileName(Document()));
        ASSERT_GE(jpeg.size(), 2u);
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
    } else {
        EXPECT_EQ(ReadDocument(Document()).Properties.Count(), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OperationLeaks,
    testing::Values(LeakCase{"ThumbnailOfBitmap", TOperation::Thumbnail, TPreview::Bitmap, nullptr, false},
                    LeakCase{"ThumbnailOfMetafile", TOperation::Thumbnail, TPreview::Metafile, nullptr, false},
                    // Raises after the document was opened and the picture handed out.
                    LeakCase{"ThumbnailOfNoPicture", TOperation::Thumbnail, TPreview::Bitmap, L"notpicture", true},
                    LeakCase{"PropertiesSaved", TOperation::Properties, TPreview::Bitmap, nullptr, false},
                    // Raises after the document was opened for writing and changed.
                    LeakCase{"PropertiesNotSaved", TOperation::Properties, TPreview::Bitmap, L"save", true}),
    TParamName());

}  // namespace
