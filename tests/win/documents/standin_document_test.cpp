// The stand-in Document Manager's documents: open errors, the write lock,
// custom properties, Save, previews and the faults it can be told to make.
#include <gtest/gtest.h>
#include <olectl.h>

#include <ostream>
#include <string>

#include "bstr.h"
#include "document_manager.h"
#include "param_name.h"
#include "standin_support.h"

using Microsoft::WRL::ComPtr;

namespace {

struct TOpened {
    SwDmDocumentOpenError Error = swDmDocumentOpenErrorFail;
    ComPtr<ISwDMDocument10> Document;
};

TOpened Open(const std::wstring& path, bool allowReadOnly) {
    TOpened opened;
    const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
    const ComPtr<ISwDMDocument> document =
        GetSwDMDocument(ApplicationOf(*classFactory.Get()).Get(), path, allowReadOnly, opened.Error);
    opened.Document = QuerySwDMDocument10(document.Get());
    return opened;
}

bool Add(ISwDMDocument10& document, const std::wstring& name, SwDmCustomInfoType type, const std::wstring& value) {
    VARIANT_BOOL success = VARIANT_FALSE;
    EXPECT_EQ(document.AddCustomProperty(TBstr(name).Get(), type, TBstr(value).Get(), &success), S_OK);
    return success == VARIANT_TRUE;
}

bool Delete(ISwDMDocument10& document, const std::wstring& name) {
    VARIANT_BOOL success = VARIANT_FALSE;
    EXPECT_EQ(document.DeleteCustomProperty(TBstr(name).Get(), &success), S_OK);
    return success == VARIANT_TRUE;
}

long Count(ISwDMDocument10& document) {
    long count = -1;
    EXPECT_EQ(document.GetCustomPropertyCount(&count), S_OK);
    return count;
}

SwDmDocumentSaveError Save(ISwDMDocument10& document) {
    SwDmDocumentSaveError result = swDmDocumentSaveErrorNone;
    document.Save(&result);
    return result;
}

// ---- Open errors -----------------------------------------------------------

const wchar_t* const cPartName = L"Teil1.sldprt";

struct OpenErrorCase {
    const char* name;
    void (*prepare)(const std::wstring& path);  // makes what stands at path
    bool allowReadOnly;
    SwDmDocumentOpenError expected;
};
void PrintTo(const OpenErrorCase& c, std::ostream* os) { *os << c.name; }

class StandInOpenError : public testing::TestWithParam<OpenErrorCase> {
protected:
    TTempFolder folder;
};

TEST_P(StandInOpenError, ReportsReasonAndGivesDocumentOnlyWithoutError) {
    const std::wstring path = folder.File(cPartName);
    GetParam().prepare(path);
    const TOpened opened = Open(path, GetParam().allowReadOnly);
    EXPECT_EQ(opened.Error, GetParam().expected);
    EXPECT_EQ(static_cast<bool>(opened.Document), GetParam().expected == swDmDocumentOpenErrorNone);
}

void MakePart(const std::wstring& path) { WriteDocument(path, swDmDocumentPart, {}); }
void MakeReadOnlyPart(const std::wstring& path) {
    MakePart(path);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandInOpenError,
    testing::Values(
        OpenErrorCase{"Writable", MakePart, false, swDmDocumentOpenErrorNone},
        OpenErrorCase{"Missing", [](const std::wstring&) {}, true, swDmDocumentOpenErrorFileNotFound},
        OpenErrorCase{"Folder", [](const std::wstring& p) { ::CreateDirectoryW(p.c_str(), nullptr); }, true,
                      swDmDocumentOpenErrorFileNotFound},
        OpenErrorCase{"TextFile", [](const std::wstring& p) { WriteTestFile(p, {'T', 'e', 'x', 't', '\n'}); }, true,
                      swDmDocumentOpenErrorNonSW},
        OpenErrorCase{"EmptyFile", [](const std::wstring& p) { WriteTestFile(p, TBytes()); }, true,
                      swDmDocumentOpenErrorNonSW},
        OpenErrorCase{"StoredAsAssembly",
                      [](const std::wstring& p) { WriteDocument(p, swDmDocumentAssembly, {}); }, true,
                      swDmDocumentOpenErrorNonSW},
        OpenErrorCase{"ReadOnlyForWriting", MakeReadOnlyPart, false, swDmDocumentOpenErrorFileReadOnly},
        OpenErrorCase{"ReadOnlyForReading", MakeReadOnlyPart, true, swDmDocumentOpenErrorNone}),
    TParamName());

// ---- An open document ------------------------------------------------------

class StandInDocument : public testing::Test {
protected:
    void SetUp() override {
        WriteDocument(path, swDmDocumentPart,
                      {{L"Gr\u00F6\u00DFe", swDmCustomInfoText, L"M8"}, {L"Anzahl", swDmCustomInfoNumber, L"4"}},
                      MakeBitmapFile(8, 4, RGB(255, 0, 0)));
        saved = ReadFileBytes(path);
    }

    TTempFolder folder;
    const std::wstring path = folder.File(cPartName);
    std::vector<std::uint8_t> saved;  // the file as written by SetUp
};

TEST_F(StandInDocument, WriterLocksOutOtherWritersUntilClosedOrReleased) {
    TOpened writer = Open(path, false);
    ASSERT_TRUE(writer.Document);
    const TOpened second = Open(path, false);
    EXPECT_EQ(second.Error, swDmDocumentOpenErrorFileReadOnly);
    EXPECT_FALSE(second.Document);
    EXPECT_EQ(Open(path, true).Error, swDmDocumentOpenErrorNone) << "readers are not locked out";

    EXPECT_EQ(writer.Document->CloseDoc(), S_OK);
    TOpened afterClose = Open(path, false);
    EXPECT_EQ(afterClose.Error, swDmDocumentOpenErrorNone);
    afterClose.Document.Reset();  // released without CloseDoc
    EXPECT_EQ(Open(path, false).Error, swDmDocumentOpenErrorNone);
}

TEST_F(StandInDocument, PropertyNamesMatchWithoutCase) {
    const TOpened opened = Open(path, false);
    ASSERT_TRUE(opened.Document);
    ISwDMDocument10& document = *opened.Document.Get();
    EXPECT_EQ(Count(document), 2);
    EXPECT_FALSE(Add(document, L"GR\u00D6\u00DFE", swDmCustomInfoText, L"M10")) << "name exists";
    EXPECT_FALSE(Add(document, L"Typ", static_cast<SwDmCustomInfoType>(99), L"x")) << "no such type";
    EXPECT_TRUE(Add(document, L"Oberfl\u00E4che", swDmCustomInfoText, L"verzinkt"));
    EXPECT_EQ(Count(document), 3);
    EXPECT_TRUE(Delete(document, L"gr\u00F6\u00DFE"));
    EXPECT_FALSE(Delete(document, L"Gr\u00F6\u00DFe")) << "already deleted";
    EXPECT_FALSE(Delete(document, L"Fehlt"));
    EXPECT_EQ(Count(document), 2);
}

TEST_F(StandInDocument, SaveWritesPropertiesInOrderAndKeepsPreview) {
    const TOpened opened = Open(path, false);
    ASSERT_TRUE(opened.Document);
    ISwDMDocument10& document = *opened.Document.Get();
    EXPECT_TRUE(Delete(document, L"GR\u00D6\u00DFE"));
    EXPECT_TRUE(Add(document, L"Gr\u00F6\u00DFe", swDmCustomInfoText, L"M10"));
    EXPECT_TRUE(Add(document, L"Datum", swDmCustomInfoDate, L"2020-02-29"));
    EXPECT_EQ(Save(document), swDmDocumentSaveErrorNone);
    EXPECT_EQ(document.CloseDoc(), S_OK);

    const TDocumentContent stored = ReadDocument(path);
    ASSERT_EQ(stored.Properties.Count(), 3);
    const auto& items = stored.Properties.Items();
    EXPECT_EQ(items[0].Name, L"Anzahl");
    EXPECT_EQ(items[1].Name, L"Gr\u00F6\u00DFe");
    EXPECT_EQ(items[1].Value, L"M10");
    EXPECT_EQ(items[2].Type, swDmCustomInfoDate);
    EXPECT_EQ(stored.Preview, MakeBitmapFile(8, 4, RGB(255, 0, 0)));
    EXPECT_EQ(stored.Kind, swDmDocumentPart);
}

TEST_F(StandInDocument, ChangesWithoutSaveOrOpenedForReadingAreNotWritten) {
    for (const bool allowReadOnly : {false, true}) {
        SCOPED_TRACE(allowReadOnly ? "reading" : "writing");
        const TOpened opened = Open(path, allowReadOnly);
        ASSERT_TRUE(opened.Document);
        EXPECT_TRUE(Add(*opened.Document.Get(), L"Neu", swDmCustomInfoText, L"1"));
        if (allowReadOnly) {
            EXPECT_EQ(Save(*opened.Document.Get()), swDmDocumentSaveErrorReadOnly);
        }
        EXPECT_EQ(opened.Document->CloseDoc(), S_OK);
        EXPECT_EQ(ReadFileBytes(path), saved);
    }
}

TEST_F(StandInDocument, CallsAfterCloseDocFail) {
    const TOpened opened = Open(path, false);
    ASSERT_TRUE(opened.Document);
    EXPECT_EQ(opened.Document->CloseDoc(), S_OK);
    long count = -1;
    EXPECT_TRUE(FAILED(opened.Document->GetCustomPropertyCount(&count)));
    SwDmDocumentSaveError saveError = swDmDocumentSaveErrorNone;
    EXPECT_TRUE(FAILED(opened.Document->Save(&saveError)));
    EXPECT_EQ(saveError, swDmDocumentSaveErrorFail);
    EXPECT_EQ(ReadFileBytes(path), saved);
}

// ---- Faults ----------------------------------------------------------------

struct FaultCase {
    const char* name;
    const wchar_t* fault;
    void (*check)(ISwDMDocument10& document);
};
void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class StandInFault : public StandInDocument, public testing::WithParamInterface<FaultCase> {};

TEST_P(StandInFault, RefusesItsStepAndLeavesTheFile) {
    const TOpened opened = Open(path, false);
    ASSERT_TRUE(opened.Document);
    {
        const TFaultScope fault(GetParam().fault);
        GetParam().check(*opened.Document.Get());
    }
    EXPECT_EQ(opened.Document->CloseDoc(), S_OK);
    EXPECT_EQ(ReadFileBytes(path), saved);
}

ComPtr<IDispatch> Preview(ISwDMDocument10& document, HRESULT expectedResult, SwDmPreviewError expectedError) {
    ComPtr<IDispatch> picture;
    SwDmPreviewError error = swDmPreviewErrorNone;
    EXPECT_EQ(document.GetPreviewBitmap(&error, picture.GetAddressOf()), expectedResult);
    EXPECT_EQ(error, expectedError);
    return picture;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StandInFault,
    testing::Values(
        FaultCase{"Save", L"save",
                  [](ISwDMDocument10& d) {
                      EXPECT_TRUE(Delete(d, L"Anzahl"));
                      EXPECT_EQ(Save(d), swDmDocumentSaveErrorFail);
                  }},
        FaultCase{"Add", L"add",
                  [](ISwDMDocument10& d) {
                      EXPECT_FALSE(Add(d, L"Neu", swDmCustomInfoText, L"1"));
                      EXPECT_EQ(Count(d), 2);
                  }},
        FaultCase{"Preview", L"preview",
                  [](ISwDMDocument10& d) { EXPECT_FALSE(Preview(d, E_FAIL, swDmPreviewErrorNoPreview)); }},
        FaultCase{"NotAPicture", L"notpicture",
                  [](ISwDMDocument10& d) {
                      const ComPtr<IDispatch> object = Preview(d, S_OK, swDmPreviewErrorNone);
                      ASSERT_TRUE(object);
                      ComPtr<IPicture> picture;
                      EXPECT_EQ(object.As(&picture), E_NOINTERFACE);
                  }},
        FaultCase{"EmptyPictureWithSize", L"emptypicture",
                  [](ISwDMDocument10& d) {
                      const ComPtr<IDispatch> object = Preview(d, S_OK, swDmPreviewErrorNone);
                      ComPtr<IPicture> picture;
                      ASSERT_EQ(object.As(&picture), S_OK);
                      SHORT type = -1;
                      OLE_XSIZE_HIMETRIC width = 0;
                      OLE_YSIZE_HIMETRIC height = 0;
                      EXPECT_EQ(picture->get_Type(&type), S_OK);
                      EXPECT_EQ(type, PICTYPE_NONE);
                      picture->get_Width(&width);
                      picture->get_Height(&height);
                      EXPECT_GT(width, 0);
                      EXPECT_GT(height, 0);
                      ComPtr<IPictureDisp> disp;
                      EXPECT_EQ(object.As(&disp), S_OK);
                  }}),
    TParamName());

}  // namespace
