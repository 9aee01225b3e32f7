// dmfixture: documents made with it read back through dmfixture and through
// the Document Manager's interfaces.
#include <gtest/gtest.h>
#include <olectl.h>

#include <ostream>
#include <string>

#include "bstr.h"
#include "document_manager.h"
#include "handles.h"
#include "param_name.h"
#include "standin_support.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t* const cFixture = L"dmfixture.exe";

TEST(Dmfixture, PropertiesRoundTripWithUmlautsInStoredOrder) {
    TTempFolder folder;
    const std::wstring document = folder.File(L"Geh\u00E4use.sldasm");
    const TProgramResult created = RunTestProgram(
        cFixture, {L"create", document, L"--prop", L"Gr\u00F6\u00DFe \u00C4\u00D6\u00DC", L"30", L"\u00E4u\u00DFen \"rund\"",
                   L"--prop", L"Anzahl", L"3", L"12", L"--prop", L"Pr\u00FCfdatum", L"64", L"29.02.2024", L"--prop",
                   L"Gepr\u00FCft", L"11", L"Ja", L"--prop", L"Leer", L"30", L""});
    ASSERT_EQ(created.ExitCode, 0u) << created.Err;
    EXPECT_EQ(created.Out, "");

    const TProgramResult props = RunTestProgram(cFixture, {L"props", document});
    ASSERT_EQ(props.ExitCode, 0u) << props.Err;
    EXPECT_EQ(props.Out,
              "Gr\xC3\xB6\xC3\x9F" "e \xC3\x84\xC3\x96\xC3\x9C\t30\t\xC3\xA4u\xC3\x9F" "en \"rund\"\n"
              "Anzahl\t3\t12\n"
              "Pr\xC3\xBC" "fdatum\t64\t29.02.2024\n"
              "Gepr\xC3\xBC" "ft\t11\tJa\n"
              "Leer\t30\t\n");
    EXPECT_EQ(ReadDocument(document).Kind, swDmDocumentAssembly);
}

TEST(Dmfixture, PropsShowsWhatTheDocumentManagerAdded) {
    TTempFolder folder;
    const std::wstring document = folder.File(L"Teil.sldprt");
    ASSERT_EQ(RunTestProgram(cFixture, {L"create", document}).ExitCode, 0u);
    {
        SwDmDocumentOpenError openError = swDmDocumentOpenErrorFail;
        const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
        const ComPtr<ISwDMDocument10> document10 = QuerySwDMDocument10(
            GetSwDMDocument(ApplicationOf(*classFactory.Get()).Get(), document, false, openError).Get());
        ASSERT_TRUE(document10);
        VARIANT_BOOL success = VARIANT_FALSE;
        document10->AddCustomProperty(TBstr(L"Oberfl\u00E4che").Get(), swDmCustomInfoText, TBstr(L"gr\u00FCn").Get(),
                                      &success);
        EXPECT_EQ(success, VARIANT_TRUE);
        SwDmDocumentSaveError saveError = swDmDocumentSaveErrorFail;
        document10->Save(&saveError);
        EXPECT_EQ(saveError, swDmDocumentSaveErrorNone);
        document10->CloseDoc();
    }
    const TProgramResult props = RunTestProgram(cFixture, {L"props", document});
    EXPECT_EQ(props.Out, "Oberfl\xC3\xA4" "che\t30\tgr\xC3\xBCn\n");
}

// A preview stored by dmfixture: what info tells and what GetPreviewBitmap hands back.
struct PreviewCase {
    const char* name;
    std::vector<std::uint8_t> (*image)();  // null: no preview
    std::wstring imageName;
    std::string info;
    SHORT pictureType;
    long himetricWidth;   // 0: that of the bitmap's pixels on this screen
    long himetricHeight;
};
void PrintTo(const PreviewCase& c, std::ostream* os) { *os << c.name; }

class DmfixturePreview : public testing::TestWithParam<PreviewCase> {};

TEST_P(DmfixturePreview, InfoAndPicture) {
    const PreviewCase& c = GetParam();
    TTempFolder folder;
    const std::wstring document = folder.File(L"Vorschau.slddrw");
    std::vector<std::wstring> args = {L"create", document};
    if (c.image) {
        WriteTestFile(folder.File(c.imageName), c.image());
        args.insert(args.end(), {L"--preview", folder.File(c.imageName)});
    }
    const TProgramResult created = RunTestProgram(cFixture, args);
    ASSERT_EQ(created.ExitCode, 0u) << created.Err;
    if (c.image) {
        EXPECT_EQ(ReadDocument(document).Preview, c.image()) << "stored as it is";
    }
    const TProgramResult info = RunTestProgram(cFixture, {L"info", document});
    EXPECT_EQ(info.ExitCode, 0u);
    EXPECT_EQ(info.Out, c.info);

    SwDmDocumentOpenError openError = swDmDocumentOpenErrorFail;
    const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
    const ComPtr<ISwDMDocument10> document10 = QuerySwDMDocument10(
        GetSwDMDocument(ApplicationOf(*classFactory.Get()).Get(), document, true, openError).Get());
    ASSERT_TRUE(document10);
    ComPtr<IDispatch> object;
    SwDmPreviewError previewError = swDmPreviewErrorNone;
    EXPECT_EQ(document10->GetPreviewBitmap(&previewError, object.GetAddressOf()), S_OK);
    if (!c.image) {
        EXPECT_EQ(previewError, swDmPreviewErrorNoPreview);
        EXPECT_FALSE(object);
        return;
    }
    EXPECT_EQ(previewError, swDmPreviewErrorNone);
    ComPtr<IPictureDisp> disp;
    EXPECT_EQ(object.As(&disp), S_OK);
    ComPtr<IPicture> picture;
    ASSERT_EQ(object.As(&picture), S_OK);
    SHORT type = 0;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Type(&type);
    picture->get_Width(&width);
    picture->get_Height(&height);
    EXPECT_EQ(type, c.pictureType);
    if (c.pictureType == PICTYPE_BITMAP) {
        const TWindowDC screen(nullptr);
        EXPECT_EQ(width, ::MulDiv(96, 2540, ::GetDeviceCaps(screen.Get(), LOGPIXELSX)));
        EXPECT_EQ(height, ::MulDiv(48, 2540, ::GetDeviceCaps(screen.Get(), LOGPIXELSY)));
        // The pixels came along: the picture's bitmap is red throughout.
        OLE_HANDLE handle = 0;
        picture->get_Handle(&handle);
        const TMemoryDC memory(::CreateCompatibleDC(screen.Get()));
        const TObjectSelection selection(memory.Get(), reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
        EXPECT_EQ(::GetPixel(memory.Get(), 0, 0), RGB(255, 0, 0));
        EXPECT_EQ(::GetPixel(memory.Get(), 95, 47), RGB(255, 0, 0));
    } else {
        EXPECT_EQ(width, c.himetricWidth);
        EXPECT_EQ(height, c.himetricHeight);
    }
    document10->CloseDoc();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DmfixturePreview,
    testing::Values(PreviewCase{"Bitmap", [] { return MakeBitmapFile(96, 48, RGB(255, 0, 0)); }, L"rot.bmp",
                                "preview bmp 96x48\n", PICTYPE_BITMAP, 0, 0},
                    PreviewCase{"Metafile", [] { return MakeMetafile(2540, 1270); }, L"blau.emf",
                                "preview emf 2540x1270\n", PICTYPE_ENHMETAFILE, 2540, 1270},
                    PreviewCase{"None", nullptr, L"", "preview none\n", PICTYPE_NONE, 0, 0}),
    TParamName());

// Every failure ends with a non-zero code and one line on standard error.
struct FailureCase {
    const char* name;
    std::vector<std::wstring> args;  // "DIR\" stands for the test folder
    DWORD exitCode;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class DmfixtureFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(DmfixtureFailure, ExitsNonZeroWithOneLine) {
    TTempFolder folder;
    WriteTestFile(folder.File(L"text.bmp"), {'n', 'o', ' ', 'b', 'm', 'p'});
    WriteTestFile(folder.File(L"text.sldprt"), {'n', 'o', ' ', 'd', 'o', 'c'});
    std::vector<std::wstring> args;
    for (const std::wstring& arg : GetParam().args) {
        args.push_back(arg.rfind(L"DIR\\", 0) == 0 ? folder.File(arg.substr(4)) : arg);
    }
    const TProgramResult result = RunTestProgram(cFixture, args);
    EXPECT_EQ(result.ExitCode, GetParam().exitCode);
    EXPECT_EQ(result.Out, "");
    ASSERT_FALSE(result.Err.empty());
    EXPECT_EQ(result.Err.rfind("dmfixture: ", 0), 0u) << result.Err;
    EXPECT_EQ(result.Err.find('\n'), result.Err.size() - 1) << result.Err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DmfixtureFailure,
    testing::Values(
        FailureCase{"NoCommand", {}, 2},
        FailureCase{"UnknownCommand", {L"list", L"DIR\\a.sldprt"}, 2},
        FailureCase{"CreateWithoutDocument", {L"create"}, 2},
        FailureCase{"PropWithoutValue", {L"create", L"DIR\\a.sldprt", L"--prop", L"Name", L"30"}, 2},
        FailureCase{"UnknownPropertyType", {L"create", L"DIR\\a.sldprt", L"--prop", L"Name", L"31", L"x"}, 2},
        FailureCase{"PropertyTwice",
                    {L"create", L"DIR\\a.sldprt", L"--prop", L"Name", L"30", L"x", L"--prop", L"NAME", L"30", L"y"},
                    2},
        FailureCase{"MissingImage", {L"create", L"DIR\\a.sldprt", L"--preview", L"DIR\\fehlt.bmp"}, 1},
        FailureCase{"ImageNotAPicture", {L"create", L"DIR\\a.sldprt", L"--preview", L"DIR\\text.bmp"}, 1},
        FailureCase{"CreateInMissingFolder", {L"create", L"DIR\\fehlt\\a.sldprt"}, 1},
        FailureCase{"PropsOfMissingDocument", {L"props", L"DIR\\fehlt.sldprt"}, 1},
        FailureCase{"InfoOfNonDocument", {L"info", L"DIR\\text.sldprt"}, 1}),
    TParamName());

}  // namespace
