// The property update against the stand-in Document Manager.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "document_errors.h"
#include "errors.h"
#include "os_error.h"
#include "param_name.h"
#include "property_test_support.h"
#include "property_update.h"
#include "standin_support.h"

namespace {

using TPropertyTuple = std::tuple<std::wstring, long, std::wstring>;  // name, type, value

std::vector<TPropertyTuple> PropertiesOf(const std::wstring& document) {
    std::vector<TPropertyTuple> result;
    const TDocumentContent content = ReadDocument(document);
    for (const TCustomProperty& p : content.Properties.Items()) {
        result.emplace_back(p.Name, static_cast<long>(p.Type), p.Value);
    }
    return result;
}

// True when nobody holds the file open for writing any more.
bool OpenForWriting(const std::wstring& path) {
    const TFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

class PropertyUpdate : public testing::Test {
protected:
    std::wstring Document() const { return folder.File(L"Welle 1.SLDPRT"); }
    std::wstring PropertyFile() const { return folder.File(L"props.txt"); }

    TTempFolder folder;
};

struct UpdateCase {
    const char* name;
    std::vector<TCustomProperty> before;
    std::string file;
    int created;
    int updated;
    std::vector<TPropertyTuple> after;
};
void PrintTo(const UpdateCase& c, std::ostream* os) { *os << c.name; }

class PropertyUpdateWrites : public PropertyUpdate, public testing::WithParamInterface<UpdateCase> {};

TEST_P(PropertyUpdateWrites, ReplacesListedPropertiesByTextAndCounts) {
    const UpdateCase& c = GetParam();
    WriteDocument(Document(), swDmDocumentPart, c.before);
    WriteTestFile(PropertyFile(), c.file);
    const TPropertyCounts counts = UpdateCustomProperties(Document(), PropertyFile());
    EXPECT_EQ(counts.AnzNeu, c.created);
    EXPECT_EQ(counts.AnzAkt, c.updated);
    EXPECT_EQ(PropertiesOf(Document()), c.after);
    EXPECT_TRUE(OpenForWriting(Document())) << "the document was not closed";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyUpdateWrites,
    testing::Values(
        UpdateCase{"TwoNewNoneUpdated",
                   {{L"Material", swDmCustomInfoText, L"Stahl"}},
                   "Farbe\r\nrot\r\nGewicht\r\n12\r\n",
                   2,
                   0,
                   {{L"Material", 30, L"Stahl"}, {L"Farbe", 30, L"rot"}, {L"Gewicht", 30, L"12"}}},
        // Names match without case; a number becomes text; the date and the
        // yes/no property are not listed and stay as they are.
        UpdateCase{"OneNewThreeUpdated",
                   {{L"Benennung", swDmCustomInfoText, L"Welle"},
                    {L"Masse", swDmCustomInfoNumber, L"12.5"},
                    {L"Datum", swDmCustomInfoDate, L"2024-05-01"},
                    {L"Lieferant", swDmCustomInfoText, L"Meier"},
                    {L"Gepr\u00fcft", swDmCustomInfoYesOrNo, L"Yes"}},
                   "benennung\nNabe\nMasse\n13,0 kg\nLIEFERANT\nM\xfcller\nOberfl\xe4" "che\nverzinkt\n",
                   1,
                   3,
                   {{L"Datum", 64, L"2024-05-01"},
                    {L"Gepr\u00fcft", 11, L"Yes"},
                    {L"benennung", 30, L"Nabe"},
                    {L"Masse", 30, L"13,0 kg"},
                    {L"LIEFERANT", 30, L"M\u00fcller"},
                    {L"Oberfl\u00e4che", 30, L"verzinkt"}}},
        UpdateCase{"EmptyFileChangesNothing", {{L"A", swDmCustomInfoNumber, L"1"}}, "", 0, 0, {{L"A", 3, L"1"}}},
        UpdateCase{"EmptyValueKeepsTheProperty",
                   {{L"Masse", swDmCustomInfoNumber, L"12.5"}},
                   "Masse\n\nFarbe\nrot\n",
                   1,
                   0,
                   {{L"Masse", 3, L"12.5"}, {L"Farbe", 30, L"rot"}}},
        UpdateCase{"RepeatedNameFirstWins", {}, "Farbe\nrot\nFARBE\nblau\n", 1, 0, {{L"Farbe", 30, L"rot"}}},
        // Two entries of one property: it is written once, with the first value.
        UpdateCase{"SharedNameCountsOnce",
                   {{L"Teil", swDmCustomInfoText, L"alt"}},
                   "Teil\n7\nTEIL=Nr\n42\n",
                   0,
                   1,
                   {{L"Teil", 30, L"7"}}},
        // A blank line between pairs: an empty name with the next name as value.
        UpdateCase{"BlankLineGivesAnEmptyName", {}, "N1\nV1\n\nN2\nV2\n", 2, 0, {{L"N1", 30, L"V1"}, {L"", 30, L"N2"}}}),
    TParamName());

// A refused add of a name the document did not have loses nothing: it counts
// in neither number, and the document is saved.
TEST_F(PropertyUpdate, RefusedAddsOfNewNamesCountInNeither) {
    WriteDocument(Document(), swDmDocumentPart, {{L"Material", swDmCustomInfoText, L"Stahl"}});
    WriteTestFile(PropertyFile(), "Farbe\nrot\nGewicht\n12\n");
    const TCallLog calls;
    const TFaultScope fault(L"add");
    const TPropertyCounts counts = UpdateCustomProperties(Document(), PropertyFile());
    EXPECT_EQ(counts.AnzNeu, 0);
    EXPECT_EQ(counts.AnzAkt, 0);
    EXPECT_EQ(PropertiesOf(Document()), (std::vector<TPropertyTuple>{{L"Material", 30, L"Stahl"}}));
    ASSERT_GE(calls.Calls().size(), 2u);
    EXPECT_EQ(calls.Calls().end()[-2], "Document 33 Save");
}

enum class TDocumentState { Plain, ReadOnly, HeldByWriter, Missing };
enum class TFailure { Open, License, Save, LostProperty, Interface, PropertyFile };

// The stand-in's call log lines of the steps.
const std::string cGetApplication = "ClassFactory 0 GetApplication";
const std::string cGetDocument = "Application 0 GetDocument";
const std::string cCount = "Document 12 GetCustomPropertyCount";
const std::string cDelete = "Document 11 DeleteCustomProperty";
const std::string cAdd = "Document 8 AddCustomProperty";
const std::string cSave = "Document 33 Save";
const std::string cClose = "Document 15 CloseDoc";

struct UpdateFailureCase {
    const char* name;
    const wchar_t* faults;
    TDocumentState state;
    TFailure failure;
    int code;  // open or save error
    std::vector<std::string> calls;  // every call on the Document Manager, in order
};
void PrintTo(const UpdateFailureCase& c, std::ostream* os) { *os << c.name; }

class PropertyUpdateFails : public PropertyUpdate, public testing::WithParamInterface<UpdateFailureCase> {};

TEST_P(PropertyUpdateFails, RaisesAndLeavesTheDocumentAsItWas) {
    const UpdateFailureCase& c = GetParam();
    if (c.state != TDocumentState::Missing) {
        WriteDocument(Document(), swDmDocumentPart, {{L"Farbe", swDmCustomInfoText, L"alt"}});
    }
    const std::vector<std::uint8_t> before =
        c.state == TDocumentState::Missing ? std::vector<std::uint8_t>() : ReadFileBytes(Document());
    if (c.failure != TFailure::PropertyFile) WriteTestFile(PropertyFile(), "Farbe\nrot\nNeu\n1\n");
    TFileHandle held;
    if (c.state == TDocumentState::ReadOnly) {
        ASSERT_TRUE(::SetFileAttributesW(Document().c_str(), FILE_ATTRIBUTE_READONLY));
    }
    if (c.state == TDocumentState::HeldByWriter) {
        held.Reset(::CreateFileW(Document().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
    }
    std::wstring expected;
    switch (c.failure) {
        case TFailure::Open: expected = DocumentOpenErrorText(Document(), c.code); break;
        case TFailure::License:
            expected = DocumentNotOpenedText(Document(), OleErrorMessage(CLASS_E_NOTLICENSED));
            break;
        case TFailure::LostProperty: expected = PropertyNotAddedText(Document(), L"Farbe"); break;
        case TFailure::Save: expected = DocumentSaveErrorText(Document(), c.code); break;
        case TFailure::Interface: expected = L"Interface nicht unterst\u00fctzt"; break;
        case TFailure::PropertyFile: expected = L"E/A-Fehler 104"; break;
    }
    {
        const TCallLog calls;
        const TFaultScope fault(c.faults);
        try {
            UpdateCustomProperties(Document(), PropertyFile());
            ADD_FAILURE() << "no failure";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), expected);
            if (c.failure == TFailure::Interface) {
                EXPECT_NE(dynamic_cast<const EIntfCastError*>(&e), nullptr);
            }
            if (c.failure == TFailure::PropertyFile) {
                EXPECT_NE(dynamic_cast<const EInOutError*>(&e), nullptr);
            }
        }
        // Once the document is open, it is closed on every path.
        EXPECT_EQ(calls.Calls(), c.calls);
    }
    held.Reset();
    if (c.state != TDocumentState::Missing) {
        ::SetFileAttributesW(Document().c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(ReadFileBytes(Document()), before) << "the document changed";
        EXPECT_TRUE(OpenForWriting(Document())) << "the document was not closed";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PropertyUpdateFails,
    testing::Values(
        UpdateFailureCase{"SaveFails", L"save", TDocumentState::Plain, TFailure::Save, swDmDocumentSaveErrorFail,
                          {cGetApplication, cGetDocument, cCount, cDelete, cDelete, cAdd, cAdd, cSave, cClose}},
        // "Farbe" is deleted, and its add refused: the document is closed
        // unsaved, so it keeps the old value.
        UpdateFailureCase{"RefusedAddOfAnExistingProperty", L"add", TDocumentState::Plain, TFailure::LostProperty, 0,
                          {cGetApplication, cGetDocument, cCount, cDelete, cDelete, cAdd, cAdd, cClose}},
        UpdateFailureCase{"LicenseRefused", L"license", TDocumentState::Plain, TFailure::License, 0,
                          {cGetApplication}},
        UpdateFailureCase{"NoApplicationObject", L"application", TDocumentState::Plain, TFailure::Open,
                          swDmDocumentOpenErrorFail, {cGetApplication}},
        UpdateFailureCase{"NoDocumentObject", L"document", TDocumentState::Plain, TFailure::Open,
                          swDmDocumentOpenErrorFail, {cGetApplication, cGetDocument}},
        UpdateFailureCase{"ReadOnlyDocument", L"", TDocumentState::ReadOnly, TFailure::Open,
                          swDmDocumentOpenErrorFileReadOnly, {cGetApplication, cGetDocument}},
        UpdateFailureCase{"DocumentHeldByAnotherWriter", L"", TDocumentState::HeldByWriter, TFailure::Open,
                          swDmDocumentOpenErrorFileReadOnly, {cGetApplication, cGetDocument}},
        UpdateFailureCase{"MissingDocument", L"", TDocumentState::Missing, TFailure::Open,
                          swDmDocumentOpenErrorFileNotFound, {cGetApplication, cGetDocument}},
        UpdateFailureCase{"NoRevision10Interface", L"revision10", TDocumentState::Plain, TFailure::Interface, 0,
                          {cGetApplication, cGetDocument, cClose}},
        UpdateFailureCase{"ClassFactoryRefused", L"classfactory", TDocumentState::Plain, TFailure::Interface, 0, {}},
        UpdateFailureCase{"MissingPropertyFile", L"", TDocumentState::Plain, TFailure::PropertyFile, 0, {}}),
    TParamName());

}  // namespace
