// The product's binding to the Document Manager, run against the stand-in.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "bstr.h"
#include "document_manager.h"
#include "errors.h"
#include "exception_filter.h"
#include "os_error.h"
#include "param_name.h"
#include "standin_support.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t* const cClassIdText = L"{00AB5D8D-2B8F-416B-9761-92FACC8872BE}";

ComPtr<ISwDMApplication> OpenApplication() {
    const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
    EXPECT_TRUE(classFactory);
    return classFactory ? ApplicationOf(*classFactory.Get()) : nullptr;
}

// Each document is stored with the type of its extension, so that it opens
// only when the binding hands over the right type code.
struct TypeCodeCase {
    const char* name;
    std::wstring fileName;
    SwDmDocumentType storedType;
};
void PrintTo(const TypeCodeCase& c, std::ostream* os) { *os << c.name; }

class BindingOpensDocument : public testing::TestWithParam<TypeCodeCase> {
protected:
    TTempFolder folder;
};

TEST_P(BindingOpensDocument, ForReadingAndForWritingAndClosesIt) {
    const std::wstring path = folder.File(GetParam().fileName);
    WriteDocument(path, GetParam().storedType, {{L"Benennung", swDmCustomInfoText, L"Welle"}});
    const ComPtr<ISwDMApplication> application = OpenApplication();
    ASSERT_TRUE(application);
    for (const bool allowReadOnly : {true, false}) {
        SCOPED_TRACE(allowReadOnly ? "reading" : "writing");
        SwDmDocumentOpenError openError = swDmDocumentOpenErrorFail;
        const ComPtr<ISwDMDocument> document = GetSwDMDocument(application.Get(), path, allowReadOnly, openError);
        ASSERT_EQ(openError, swDmDocumentOpenErrorNone);
        ASSERT_TRUE(document);
        const ComPtr<ISwDMDocument10> document10 = QuerySwDMDocument10(document.Get());
        ASSERT_TRUE(document10);
        long count = -1;
        EXPECT_EQ(document10->GetCustomPropertyCount(&count), S_OK);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(document->CloseDoc(), S_OK);
    }
}

INSTANTIATE_TEST_SUITE_P(
    TypeCodes, BindingOpensDocument,
    testing::Values(TypeCodeCase{"Part", L"Teil1.SLDPRT", swDmDocumentPart},
                    TypeCodeCase{"Assembly", L"Baugruppe.SldAsm", swDmDocumentAssembly},
                    TypeCodeCase{"Drawing", L"Zeichnung.slddrw", swDmDocumentDrawing},
                    TypeCodeCase{"OtherExtension", L"Notiz.sldprt.bak", swDmDocumentUnknown},
                    TypeCodeCase{"NoExtension", L"Ohne Endung", swDmDocumentUnknown}),
    TParamName());

TEST(BindingFailures, DocumentOfAnotherTypeGivesNoDocumentAndNoInterface) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldasm");
    WriteDocument(path, swDmDocumentPart, {});
    SwDmDocumentOpenError openError = swDmDocumentOpenErrorNone;
    const ComPtr<ISwDMDocument> document = GetSwDMDocument(OpenApplication().Get(), path, true, openError);
    EXPECT_EQ(openError, swDmDocumentOpenErrorNonSW);
    EXPECT_FALSE(document);
    EXPECT_FALSE(QuerySwDMDocument10(document.Get()));
}

TEST(BindingFailures, ClassObjectNotRegisteredNamesReasonAndClassId) {
    const TUnregisteredStandIn unregistered;
    EXPECT_FALSE(ClassesRootKeyExists(cClassKey));
    EXPECT_FALSE(ClassesRootKeyExists(cTypeLibKey));
    try {
        CreateSwDMClassFactory();
        ADD_FAILURE() << "no failure";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode, REGDB_E_CLASSNOTREG);
        const std::wstring systemText = SysErrorMessage(static_cast<unsigned long>(REGDB_E_CLASSNOTREG));
        const std::wstring reason = systemText.empty() ? L"OLE-Fehler 80040154" : systemText;
        EXPECT_EQ(e.Message(), reason + L", ClassID: " + cClassIdText) << Utf8Text(e.Message());
    }
}

TEST(BindingFailures, RegistrationIsInThe64BitViewWithApartmentThreading) {
    std::wstring server, threading;
    ASSERT_TRUE(ReadClassesRootText(std::wstring(cClassKey) + L"\\InprocServer32", nullptr, server));
    EXPECT_EQ(::CompareStringOrdinal(server.c_str(), -1, StandInLibraryPath().c_str(), -1, TRUE), CSTR_EQUAL)
        << Utf8Text(server);
    ASSERT_TRUE(ReadClassesRootText(std::wstring(cClassKey) + L"\\InprocServer32", L"ThreadingModel", threading));
    EXPECT_EQ(threading, L"Apartment");
    EXPECT_TRUE(ClassesRootKeyExists(cTypeLibKey));
}

// A refused interface raises "Interface nicht unterstützt".
struct RefusedQueryCase {
    const char* name;
    const wchar_t* fault;
    void (*step)(const std::wstring& documentPath);
};
void PrintTo(const RefusedQueryCase& c, std::ostream* os) { *os << c.name; }

class BindingRefusedQuery : public testing::TestWithParam<RefusedQueryCase> {};

TEST_P(BindingRefusedQuery, RaisesInterfaceNotSupported) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
    WriteDocument(path, swDmDocumentPart, {});
    const TFaultScope fault(GetParam().fault);
    try {
        GetParam().step(path);
        ADD_FAILURE() << "no failure";
    } catch (const EIntfCastError& e) {
        EXPECT_EQ(e.Message(), L"Interface nicht unterst\u00FCtzt");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BindingRefusedQuery,
    testing::Values(RefusedQueryCase{"ClassFactory", L"classfactory", [](const std::wstring&) { CreateSwDMClassFactory(); }},
                    RefusedQueryCase{"Revision10", L"revision10",
                                     [](const std::wstring& path) {
                                         SwDmDocumentOpenError openError;
                                         const ComPtr<ISwDMDocument> document =
                                             GetSwDMDocument(OpenApplication().Get(), path, true, openError);
                                         ASSERT_TRUE(document);
                                         QuerySwDMDocument10(document.Get());
                                     }}),
    TParamName());

// A missing application object or document is passed on as none, without a failure.
struct MissingObjectCase {
    const char* name;
    const wchar_t* fault;
    bool applicationGiven;
};
void PrintTo(const MissingObjectCase& c, std::ostream* os) { *os << c.name; }

class BindingMissingObject : public testing::TestWithParam<MissingObjectCase> {};

TEST_P(BindingMissingObject, GivesNoDocumentAndNoInterface) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
    WriteDocument(path, swDmDocumentPart, {});
    const TFaultScope fault(GetParam().fault);
    const ComPtr<ISwDMApplication> application = OpenApplication();
    EXPECT_EQ(static_cast<bool>(application), GetParam().applicationGiven);
    SwDmDocumentOpenError openError = swDmDocumentOpenErrorNone;
    const ComPtr<ISwDMDocument> document = GetSwDMDocument(application.Get(), path, false, openError);
    EXPECT_FALSE(document);
    EXPECT_EQ(openError, swDmDocumentOpenErrorFail);
    EXPECT_FALSE(QuerySwDMDocument10(document.Get()));
}

INSTANTIATE_TEST_SUITE_P(Objects, BindingMissingObject,
                         testing::Values(MissingObjectCase{"Application", L"application", false},
                                         MissingObjectCase{"Document", L"document", true}),
                         TParamName());

// A library may put in a crash filter of its own at any entry (fault
// "filter-calls": the class object's CreateInstance, every method, every
// Release). After each step of the binding the program's filter is the
// process's again, also when the step fails.
LONG WINAPI ProgramFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
LONG WINAPI OtherFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }

// The process's filter now, left in place.
LPTOP_LEVEL_EXCEPTION_FILTER CurrentFilter() {
    const LPTOP_LEVEL_EXCEPTION_FILTER current = ::SetUnhandledExceptionFilter(&OtherFilter);
    ::SetUnhandledExceptionFilter(current);
    return current;
}

struct FilterCase {
    const char* name;
    const wchar_t* faults;
    // Runs the step on a document that opens (the preview "ab" and a
    // property); failures it raises are expected and dropped by the test.
    std::function<void(const std::wstring& documentPath)> step;
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

class BindingPutsFilterBack : public testing::TestWithParam<FilterCase> {
protected:
    void SetUp() override { SetProgramExceptionFilter(&ProgramFilter); }
    void TearDown() override { ::SetUnhandledExceptionFilter(nullptr); }
};

// Calls method on the open document after the opening, with the program's
// filter put in anew so that only the method's own filter counts.
template <typename Method>
void CallOnOpenDocument(const std::wstring& path, bool allowReadOnly, Method method) {
    TSwDMOpenDocument document(path, allowReadOnly);
    ::SetUnhandledExceptionFilter(&ProgramFilter);
    method(document);
    EXPECT_EQ(CurrentFilter(), &ProgramFilter) << "left in by the call";
    ::SetUnhandledExceptionFilter(&ProgramFilter);
}

TEST_P(BindingPutsFilterBack, AfterTheStep) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
    WriteDocument(path, swDmDocumentPart, {{L"Farbe", swDmCustomInfoText, L"rot"}}, MakeBitmapFile(2, 2, RGB(0, 0, 255)));
    const TFaultScope fault(GetParam().faults);
    try {
        GetParam().step(path);
    } catch (const Exception&) {
        // The failing steps fail as the other tests expect; here only the filter counts.
    }
    EXPECT_EQ(CurrentFilter(), &ProgramFilter);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BindingPutsFilterBack,
    testing::Values(
        FilterCase{"CreateInstanceFails", L"filter-calls,instance", [](const std::wstring&) { CreateSwDMClassFactory(); }},
        FilterCase{"ClassFactoryRefused", L"filter-calls,classfactory",
                   [](const std::wstring&) { CreateSwDMClassFactory(); }},
        FilterCase{"LicenseRefused", L"filter-calls,license",
                   [](const std::wstring& path) { TSwDMOpenDocument document(path, /*allowReadOnly=*/true); }},
        FilterCase{"DocumentOpened", L"filter-calls",
                   [](const std::wstring& path) {
                       TSwDMOpenDocument document(path, /*allowReadOnly=*/true);
                       EXPECT_EQ(CurrentFilter(), &ProgramFilter) << "left in by the opening";
                   }},
        FilterCase{"DocumentNotOpened", L"filter-calls,document",
                   [](const std::wstring& path) { TSwDMOpenDocument document(path, /*allowReadOnly=*/true); }},
        FilterCase{"Revision10Refused", L"filter-calls,revision10",
                   [](const std::wstring& path) { TSwDMOpenDocument document(path, /*allowReadOnly=*/true); }},
        FilterCase{"GetPreviewBitmap", L"filter-calls",
                   [](const std::wstring& path) {
                       CallOnOpenDocument(path, /*allowReadOnly=*/true, [](const TSwDMOpenDocument& document) {
                           SwDmPreviewError error = swDmPreviewErrorNone;
                           ComPtr<IDispatch> picture;
                           EXPECT_EQ(document.Document()->GetPreviewBitmap(&error, picture.GetAddressOf()), S_OK);
                       });
                   }},
        FilterCase{"GetPreviewPNGBitmap", L"filter-calls",
                   [](const std::wstring& path) {
                       CallOnOpenDocument(path, /*allowReadOnly=*/true, [](const TSwDMOpenDocument& document) {
                           SwDmPreviewError error = swDmPreviewErrorNone;
                           ComPtr<IDispatch> picture;
                           static_cast<void>(document.Document()->GetPreviewPNGBitmap(&error, picture.GetAddressOf()));
                       });
                   }},
        FilterCase{"GetCustomPropertyCount", L"filter-calls",
                   [](const std::wstring& path) {
                       CallOnOpenDocument(path, /*allowReadOnly=*/true, [](const TSwDMOpenDocument& document) {
                           long count = 0;
                           EXPECT_EQ(document.Document()->GetCustomPropertyCount(&count), S_OK);
                       });
                   }},
        FilterCase{"DeleteAndAddCustomProperty", L"filter-calls",
                   [](const std::wstring& path) {
                       CallOnOpenDocument(path, /*allowReadOnly=*/false, [](const TSwDMOpenDocument& document) {
                           const TBstr name(L"Farbe");
                           VARIANT_BOOL done = VARIANT_FALSE;
                           EXPECT_EQ(document.Document()->DeleteCustomProperty(name.Get(), &done), S_OK);
                           EXPECT_EQ(CurrentFilter(), &ProgramFilter) << "left in by DeleteCustomProperty";
                           ::SetUnhandledExceptionFilter(&ProgramFilter);
                           const TBstr value(L"blau");
                           EXPECT_EQ(document.Document()->AddCustomProperty(name.Get(), swDmCustomInfoText,
                                                                             value.Get(), &done),
                                     S_OK);
                       });
                   }},
        FilterCase{"Save", L"filter-calls",
                   [](const std::wstring& path) {
                       CallOnOpenDocument(path, /*allowReadOnly=*/false, [](const TSwDMOpenDocument& document) {
                           SwDmDocumentSaveError error = swDmDocumentSaveErrorFail;
                           EXPECT_EQ(document.Document()->Save(&error), S_OK);
                       });
                   }},
        FilterCase{"CloseDoc", L"filter-calls",
                   [](const std::wstring& path) {
                       CallOnOpenDocument(path, /*allowReadOnly=*/true,
                                          [](TSwDMOpenDocument& document) { document.Close(); });
                   }},
        // The last releases, when the document object ends: the step's own
        // end, checked by the test.
        FilterCase{"Release", L"filter-calls",
                   [](const std::wstring& path) {
                       TSwDMOpenDocument document(path, /*allowReadOnly=*/true);
                       document.Close();
                       ::SetUnhandledExceptionFilter(&ProgramFilter);
                   }}),
    TParamName());

}  // namespace
