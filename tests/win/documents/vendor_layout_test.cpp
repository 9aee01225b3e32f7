// The Document Manager's interfaces as the vendor lays them out: every slot
// the program calls, the number of slots of each interface, the identifiers;
// and the stand-in built on the same layout.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "bstr.h"
#include "com_support.h"
#include "document_errors.h"
#include "docmgr_license.h"
#include "document_manager.h"
#include "errors.h"
#include "os_error.h"
#include "param_name.h"
#include "standin_support.h"

using Microsoft::WRL::ComPtr;

// The number of slots of an interface: a method declared after all of them
// enters by the first slot behind the last. Outside the unnamed namespace: a
// compiler that sees every class derived from it, and none that implements
// NextSlot, may take the call for one that is never reached.
template <typename Interface>
struct TNextSlot : public Interface {
    virtual HRESULT STDMETHODCALLTYPE NextSlot() = 0;
};

namespace {

// ---- A probe whose vtable records the slot it was entered by ---------------

// Slots of IUnknown come first; the probe counts every entry from 0, so an
// interface method's slot is the entry minus 3.
const std::size_t cIUnknownSlots = 3;
const std::size_t cProbeSlots = 80;
const std::size_t cNoSlot = static_cast<std::size_t>(-1);

std::size_t gEnteredSlot = cNoSlot;

// Every entry takes the object pointer and ignores the rest: on x64 the caller
// cleans up the arguments, so a call with more of them lands here safely.
template <std::size_t Entry>
HRESULT STDMETHODCALLTYPE RecordEntry(void*) {
    gEnteredSlot = Entry >= cIUnknownSlots ? Entry - cIUnknownSlots : cNoSlot;
    return S_OK;
}

using TEntry = HRESULT(STDMETHODCALLTYPE*)(void*);

template <std::size_t... Entries>
constexpr std::array<TEntry, sizeof...(Entries)> MakeEntries(std::index_sequence<Entries...>) {
    return {&RecordEntry<Entries>...};
}

const std::array<TEntry, cProbeSlots> cProbeTable = MakeEntries(std::make_index_sequence<cProbeSlots>());

// A COM object in memory: a pointer to its vtable.
struct TProbeObject {
    const TEntry* Table = cProbeTable.data();
};

// The slot by which Call enters the interface.
template <typename Interface, typename Call>
std::size_t SlotOf(Call call) {
    TProbeObject probe;
    gEnteredSlot = cNoSlot;
    call(*reinterpret_cast<Interface*>(&probe));
    return gEnteredSlot;
}


template <typename Interface>
std::size_t SlotCount() {
    return SlotOf<TNextSlot<Interface>>([](TNextSlot<Interface>& probe) { probe.NextSlot(); });
}

// The calls the program makes, each with the vendor's slot.
struct CalledSlotCase {
    const char* name;
    std::size_t slot;
    std::size_t (*enter)();
};
void PrintTo(const CalledSlotCase& c, std::ostream* os) { *os << c.name; }

class VendorLayoutCalledSlot : public testing::TestWithParam<CalledSlotCase> {};

TEST_P(VendorLayoutCalledSlot, IsTheVendorsSlot) { EXPECT_EQ(GetParam().enter(), GetParam().slot); }

INSTANTIATE_TEST_SUITE_P(
    Calls, VendorLayoutCalledSlot,
    testing::Values(
        CalledSlotCase{"ClassFactoryGetApplication", 0,
                       [] {
                           return SlotOf<ISwDMClassFactory>(
                               [](ISwDMClassFactory& f) { f.GetApplication(nullptr, nullptr); });
                       }},
        CalledSlotCase{"ApplicationGetDocument", 0,
                       [] {
                           return SlotOf<ISwDMApplication>([](ISwDMApplication& a) {
                               a.GetDocument(nullptr, swDmDocumentPart, VARIANT_FALSE, nullptr, nullptr);
                           });
                       }},
        CalledSlotCase{"AddCustomProperty", 8,
                       [] {
                           return SlotOf<ISwDMDocument10>([](ISwDMDocument10& d) {
                               d.AddCustomProperty(nullptr, swDmCustomInfoText, nullptr, nullptr);
                           });
                       }},
        CalledSlotCase{"DeleteCustomProperty", 11,
                       [] {
                           return SlotOf<ISwDMDocument10>(
                               [](ISwDMDocument10& d) { d.DeleteCustomProperty(nullptr, nullptr); });
                       }},
        CalledSlotCase{"GetCustomPropertyCount", 12,
                       [] {
                           return SlotOf<ISwDMDocument10>(
                               [](ISwDMDocument10& d) { d.GetCustomPropertyCount(nullptr); });
                       }},
        CalledSlotCase{"CloseDocThroughRevision10", 15,
                       [] { return SlotOf<ISwDMDocument10>([](ISwDMDocument10& d) { d.CloseDoc(); }); }},
        CalledSlotCase{"CloseDocThroughTheDocument", 15,
                       [] { return SlotOf<ISwDMDocument>([](ISwDMDocument& d) { d.CloseDoc(); }); }},
        CalledSlotCase{"Save", 33,
                       [] { return SlotOf<ISwDMDocument10>([](ISwDMDocument10& d) { d.Save(nullptr); }); }},
        CalledSlotCase{"GetPreviewBitmap", 57,
                       [] {
                           return SlotOf<ISwDMDocument10>(
                               [](ISwDMDocument10& d) { d.GetPreviewBitmap(nullptr, nullptr); });
                       }},
        CalledSlotCase{"GetPreviewPNGBitmap", 59,
                       [] {
                           return SlotOf<ISwDMDocument10>(
                               [](ISwDMDocument10& d) { d.GetPreviewPNGBitmap(nullptr, nullptr); });
                       }}),
    TParamName());

// The identifier the interface type carries.
template <typename T>
const IID& TypeIdentifier() {
    return __uuidof(T);
}

// Each interface with its number of slots and its identifier, as the constant
// and as carried by the type.
struct InterfaceCase {
    const char* name;
    std::size_t (*slotCount)();
    std::size_t slots;
    const IID* iid;
    const wchar_t* iidText;
    const IID& (*typeIdentifier)();
};
void PrintTo(const InterfaceCase& c, std::ostream* os) { *os << c.name; }

class VendorLayoutInterface : public testing::TestWithParam<InterfaceCase> {};

TEST_P(VendorLayoutInterface, HasTheVendorsSlotsAndIdentifier) {
    EXPECT_EQ(GetParam().slotCount(), GetParam().slots);
    EXPECT_EQ(GuidText(*GetParam().iid), GetParam().iidText);
    EXPECT_EQ(GuidText(GetParam().typeIdentifier()), GetParam().iidText);
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, VendorLayoutInterface,
    testing::Values(
        InterfaceCase{"ClassFactory", SlotCount<ISwDMClassFactory>, 1, &IID_ISwDMClassFactory,
                      L"{BDF10361-1191-42F8-80D7-55B86EBC9EDD}", TypeIdentifier<ISwDMClassFactory>},
        InterfaceCase{"Application", SlotCount<ISwDMApplication>, 5, &IID_ISwDMApplication,
                      L"{EC65A486-E0E8-42CD-BF7D-272911B2B9E0}", TypeIdentifier<ISwDMApplication>},
        InterfaceCase{"Document", SlotCount<ISwDMDocument>, 38, &IID_ISwDMDocument,
                      L"{9563DEA3-1ABB-4C3E-A5FD-983F8F1A2489}", TypeIdentifier<ISwDMDocument>},
        InterfaceCase{"Document2", SlotCount<ISwDMDocument2>, 44, &IID_ISwDMDocument2,
                      L"{3D656942-584B-4091-A036-D6220DCDA43B}", TypeIdentifier<ISwDMDocument2>},
        InterfaceCase{"Document3", SlotCount<ISwDMDocument3>, 45, &IID_ISwDMDocument3,
                      L"{7979AB22-A9B6-41CE-B6D5-A0130CDB0E5A}", TypeIdentifier<ISwDMDocument3>},
        InterfaceCase{"Document4", SlotCount<ISwDMDocument4>, 47, &IID_ISwDMDocument4,
                      L"{614BF2DC-36EA-440F-A36F-311E6EEA4DF4}", TypeIdentifier<ISwDMDocument4>},
        InterfaceCase{"Document5", SlotCount<ISwDMDocument5>, 50, &IID_ISwDMDocument5,
                      L"{14D492D4-08CF-4E59-8B4E-2ECFF3F0334A}", TypeIdentifier<ISwDMDocument5>},
        InterfaceCase{"Document6", SlotCount<ISwDMDocument6>, 51, &IID_ISwDMDocument6,
                      L"{A43F6D6A-D940-4E0B-9B9D-7CDB535D773E}", TypeIdentifier<ISwDMDocument6>},
        InterfaceCase{"Document7", SlotCount<ISwDMDocument7>, 52, &IID_ISwDMDocument7,
                      L"{D4D7B833-3422-445D-BCDE-75DADA873031}", TypeIdentifier<ISwDMDocument7>},
        InterfaceCase{"Document8", SlotCount<ISwDMDocument8>, 55, &IID_ISwDMDocument8,
                      L"{A247843D-B85D-4D38-82BC-AF99F2E408C2}", TypeIdentifier<ISwDMDocument8>},
        InterfaceCase{"Document9", SlotCount<ISwDMDocument9>, 56, &IID_ISwDMDocument9,
                      L"{9CEB5B0E-5E50-4333-B23E-519107876B48}", TypeIdentifier<ISwDMDocument9>},
        InterfaceCase{"Document10", SlotCount<ISwDMDocument10>, 65, &IID_ISwDMDocument10,
                      L"{5C23AE78-4008-46C9-AABB-03D29889BE77}", TypeIdentifier<ISwDMDocument10>}),
    TParamName());

TEST(VendorLayout, ClassAndTypeLibraryIdentifiers) {
    EXPECT_EQ(GuidText(CLSID_SwDMClassFactory), L"{00AB5D8D-2B8F-416B-9761-92FACC8872BE}");
    EXPECT_EQ(GuidText(LIBID_SwDocumentMgr), L"{4F55C30F-4CFD-49E9-A1A2-00C161EF4395}");
}

// ---- The stand-in on the same layout ---------------------------------------

class StandInLayout : public testing::Test {
protected:
    void SetUp() override { WriteDocument(path, swDmDocumentPart, {}); }

    ComPtr<ISwDMDocument> OpenDocument() {
        const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
        SwDmDocumentOpenError openError = swDmDocumentOpenErrorFail;
        ComPtr<ISwDMDocument> document = GetSwDMDocument(ApplicationOf(*classFactory.Get()).Get(), path, true, openError);
        EXPECT_EQ(openError, swDmDocumentOpenErrorNone);
        return document;
    }

    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
};

TEST_F(StandInLayout, DocumentAnswersEveryRevisionAsOneObject) {
    const ComPtr<ISwDMDocument> document = OpenDocument();
    ASSERT_TRUE(document);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(document.As(&identity), S_OK);
    for (const IID* iid : {&IID_ISwDMDocument, &IID_ISwDMDocument2, &IID_ISwDMDocument3, &IID_ISwDMDocument4,
                           &IID_ISwDMDocument5, &IID_ISwDMDocument6, &IID_ISwDMDocument7, &IID_ISwDMDocument8,
                           &IID_ISwDMDocument9, &IID_ISwDMDocument10}) {
        SCOPED_TRACE(Utf8Text(GuidText(*iid)));
        ComPtr<IUnknown> revision;
        EXPECT_EQ(document->QueryInterface(*iid, reinterpret_cast<void**>(revision.GetAddressOf())), S_OK);
        ComPtr<IUnknown> revisionIdentity;
        ASSERT_EQ(revision.As(&revisionIdentity), S_OK);
        EXPECT_EQ(revisionIdentity.Get(), identity.Get());
    }
    document->CloseDoc();
}

// A slot the stand-in does not build answers E_NOTIMPL and is logged, so
// that the tests of the operations see any call outside their sequence.
TEST_F(StandInLayout, SlotsNotBuiltAnswerNotImplementedAndAreLogged) {
    const TCallLog calls;
    const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
    const ComPtr<ISwDMApplication> application = ApplicationOf(*classFactory.Get());
    ASSERT_TRUE(application);
    long version = -1;
    EXPECT_EQ(application->GetLatestSupportedFileVersion(&version), E_NOTIMPL);
    SwDmDocumentOpenError openError = swDmDocumentOpenErrorFail;
    const ComPtr<ISwDMDocument10> document =
        QuerySwDMDocument10(GetSwDMDocument(application.Get(), path, true, openError).Get());
    ASSERT_TRUE(document);
    EXPECT_EQ(document->get_Application(), E_NOTIMPL);
    EXPECT_EQ(document->GetEDrawingsData(), E_NOTIMPL);
    EXPECT_EQ(document->GetXmlStream(), E_NOTIMPL);
    EXPECT_EQ(document->GetKeyWordStream2(), E_NOTIMPL);
    EXPECT_EQ(document->GetCutListItems(), E_NOTIMPL);
    EXPECT_EQ(document->CloseDoc(), S_OK);
    EXPECT_EQ(calls.Calls(), (std::vector<std::string>{
                                 "ClassFactory 0 GetApplication", "Application 4 GetLatestSupportedFileVersion",
                                 "Application 0 GetDocument", "Document 0 get_Application",
                                 "Document 5 GetEDrawingsData", "Document 37 GetXmlStream",
                                 "Document 55 GetKeyWordStream2", "Document 64 GetCutListItems",
                                 "Document 15 CloseDoc"}));
}

// Created as the vendor's server is: the class object is an IClassFactory
// only; the instance it creates answers ISwDMClassFactory.
TEST(StandInCreation, ClassObjectIsAClassFactoryWhoseInstanceIsTheDocumentManagersFactory) {
    ComPtr<IClassFactory> classObject;
    ASSERT_EQ(::CoGetClassObject(CLSID_SwDMClassFactory, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                 reinterpret_cast<void**>(classObject.GetAddressOf())),
              S_OK);
    ComPtr<ISwDMClassFactory> notTheFactory;
    EXPECT_EQ(classObject->QueryInterface(IID_ISwDMClassFactory, reinterpret_cast<void**>(notTheFactory.GetAddressOf())),
              E_NOINTERFACE);
    ComPtr<ISwDMClassFactory> instance;
    EXPECT_EQ(classObject->CreateInstance(nullptr, IID_ISwDMClassFactory,
                                          reinterpret_cast<void**>(instance.GetAddressOf())),
              S_OK);
    EXPECT_TRUE(instance);
    EXPECT_TRUE(CreateSwDMClassFactory());
}

// With KESTRUM_DOCMGR_ACCEPTED_LICENSE set, the stand-in takes that key only,
// to the character, and refuses every other as the vendor's does.
const wchar_t* const cAcceptedLicenseVariable = L"KESTRUM_DOCMGR_ACCEPTED_LICENSE";

struct LicenseCase {
    const char* name;
    std::optional<std::wstring> accepted;  // none: the setting is absent
    const wchar_t* key;
    bool taken;
};
void PrintTo(const LicenseCase& c, std::ostream* os) { *os << c.name; }

class StandInLicense : public testing::TestWithParam<LicenseCase> {};

TEST_P(StandInLicense, TakesOnlyTheAcceptedKey) {
    const TEnvironmentScope accepted(cAcceptedLicenseVariable, GetParam().accepted);
    const ComPtr<ISwDMClassFactory> classFactory = CreateSwDMClassFactory();
    ASSERT_TRUE(classFactory);
    const TBstr key(GetParam().key);
    ComPtr<ISwDMApplication> application;
    const HRESULT result = classFactory->GetApplication(key.Get(), application.GetAddressOf());
    if (GetParam().taken) {
        EXPECT_EQ(result, S_OK);
        EXPECT_TRUE(application);
    } else {
        EXPECT_EQ(result, CLASS_E_NOTLICENSED);
        EXPECT_FALSE(application);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, StandInLicense,
    testing::Values(LicenseCase{"NoSettingTakesAnyKey", std::nullopt, L"beliebig", true},
                    LicenseCase{"NoSettingTakesTheEmptyKey", std::nullopt, L"", true},
                    LicenseCase{"SameKeyTaken", L"Firma:swdocmgr-1,\u00e4\"\\;$", L"Firma:swdocmgr-1,\u00e4\"\\;$", true},
                    LicenseCase{"OtherKeyRefused", L"Firma:abc", L"Firma:abd", false},
                    LicenseCase{"KeyOneShortRefused", L"Firma:abc", L"Firma:ab", false},
                    LicenseCase{"KeyOneLongerRefused", L"Firma:abc", L"Firma:abcd", false},
                    LicenseCase{"OtherCaseRefused", L"Firma:abc", L"FIRMA:ABC", false},
                    LicenseCase{"EmptyKeyRefused", L"Firma:abc", L"", false},
                    LicenseCase{"EmptySettingTakesTheEmptyKeyOnly", L"", L"", true},
                    LicenseCase{"EmptySettingRefusesAnyOther", L"", L"Firma:abc", false}),
    TParamName());

// ---- Opening a document for an operation -----------------------------------

// The license key refused, by the fault or because the stand-in wants a key
// that is not the program's.
struct LicenseRefusalCase {
    const char* name;
    const wchar_t* fault;
    std::optional<std::wstring> accepted;
};
void PrintTo(const LicenseRefusalCase& c, std::ostream* os) { *os << c.name; }

class OpenDocumentLicense : public testing::TestWithParam<LicenseRefusalCase> {};

TEST_P(OpenDocumentLicense, RefusedKeyNamesTheDocumentAndThePlatformsReason) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
    WriteDocument(path, swDmDocumentPart, {});
    const TFaultScope fault(GetParam().fault);
    const TEnvironmentScope accepted(cAcceptedLicenseVariable, GetParam().accepted);
    try {
        TSwDMOpenDocument document(path, true);
        ADD_FAILURE() << "no failure";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode, CLASS_E_NOTLICENSED);
        EXPECT_EQ(e.Message(), DocumentNotOpenedText(path, OleErrorMessage(CLASS_E_NOTLICENSED)))
            << Utf8Text(e.Message());
        EXPECT_EQ(e.Message().find(L"Fehlercode"), std::wstring::npos) << Utf8Text(e.Message());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ways, OpenDocumentLicense,
    testing::Values(LicenseRefusalCase{"Fault", L"license", std::nullopt},
                    LicenseRefusalCase{"StandInWantsAnotherKey", nullptr,
                                       std::wstring(L"not the program's ") + cSwDMLicense}),
    TParamName());

// The read-only open is honoured: a document another process holds open for
// writing opens for reading, but not for writing.
TEST(OpenDocument, DocumentHeldByAWriterOpensOnlyForReading) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
    WriteDocument(path, swDmDocumentPart, {{L"Farbe", swDmCustomInfoText, L"rot"}});
    const TFileHandle held(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    {
        TSwDMOpenDocument reader(path, true);
        long count = -1;
        EXPECT_EQ(reader.Document()->GetCustomPropertyCount(&count), S_OK);
        EXPECT_EQ(count, 1);
    }
    try {
        TSwDMOpenDocument writer(path, false);
        ADD_FAILURE() << "opened for writing";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), DocumentOpenErrorText(path, swDmDocumentOpenErrorFileReadOnly));
    }
}

// CloseDoc runs once on every path after a successful open.
struct CloseCase {
    const char* name;
    const wchar_t* fault;
    bool failsToOpen;
    std::vector<std::string> calls;
};
void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class OpenDocumentCloses : public testing::TestWithParam<CloseCase> {};

TEST_P(OpenDocumentCloses, OnceAfterASuccessfulOpen) {
    TTempFolder folder;
    const std::wstring path = folder.File(L"Teil1.sldprt");
    WriteDocument(path, swDmDocumentPart, {});
    const TCallLog calls;
    const TFaultScope fault(GetParam().fault);
    try {
        TSwDMOpenDocument document(path, true);
        EXPECT_FALSE(GetParam().failsToOpen);
        document.Close();
        document.Close();
    } catch (const Exception&) {
        EXPECT_TRUE(GetParam().failsToOpen);
    }
    EXPECT_EQ(calls.Calls(), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OpenDocumentCloses,
    testing::Values(CloseCase{"Opened", L"", false,
                              {"ClassFactory 0 GetApplication", "Application 0 GetDocument", "Document 15 CloseDoc"}},
                    CloseCase{"Revision10Refused", L"revision10", true,
                              {"ClassFactory 0 GetApplication", "Application 0 GetDocument", "Document 15 CloseDoc"}},
                    CloseCase{"NoDocument", L"document", true,
                              {"ClassFactory 0 GetApplication", "Application 0 GetDocument"}},
                    CloseCase{"NoApplication", L"application", true, {"ClassFactory 0 GetApplication"}}),
    TParamName());

}  // namespace
