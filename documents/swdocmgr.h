#pragma once
// The Document Manager's COM layout as the vendor publishes it: the class and
// interface identifiers, the interfaces and every method in its vtable slot.
// The interfaces derive from IUnknown only (no IDispatch), so the order of the
// methods is the vendor's, not ours: a method this program never calls still
// takes its place, declared with its name and no parameters, because only its
// position matters. Every method returns an HRESULT and hands its results back
// through trailing out-parameters; texts are BSTRs, flags VARIANT_BOOL,
// numbers long, enumerations 32 bits.
#include <windows.h>
#include <oaidl.h>

#include "interface_id.h"
#include "swdm_codes.h"

// COM class SwDMClassFactory. Its class object is an IClassFactory; the
// instance it creates answers ISwDMClassFactory.
inline constexpr CLSID CLSID_SwDMClassFactory = {
    0x00AB5D8D, 0x2B8F, 0x416B, {0x97, 0x61, 0x92, 0xFA, 0xCC, 0x88, 0x72, 0xBE}};
// The Document Manager's type library.
inline constexpr GUID LIBID_SwDocumentMgr = {
    0x4F55C30F, 0x4CFD, 0x49E9, {0xA1, 0xA2, 0x00, 0xC1, 0x61, 0xEF, 0x43, 0x95}};

struct ISwDMApplication;
struct ISwDMDocument;

// Slot comments count from 0 after IUnknown's three methods.

// Hands out the application object for a license key. A wrong or missing key
// answers CLASS_E_NOTLICENSED and no object.
struct ISwDMClassFactory : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetApplication(BSTR LicKey, ISwDMApplication** Application) = 0;  // 0
};

// Opens documents. allowReadOnly VARIANT_FALSE opens for writing.
struct ISwDMApplication : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDocument(BSTR FullPathName, SwDmDocumentType DocumentType,
                                                  VARIANT_BOOL allowReadOnly, SwDmDocumentOpenError* Result,
                                                  ISwDMDocument** Document) = 0;  // 0
    virtual HRESULT STDMETHODCALLTYPE CopyDocument() = 0;                            // 1
    virtual HRESULT STDMETHODCALLTYPE MoveDocument() = 0;                            // 2
    virtual HRESULT STDMETHODCALLTYPE GetSearchOptionObject() = 0;                   // 3
    virtual HRESULT STDMETHODCALLTYPE GetLatestSupportedFileVersion(long* Version) = 0;  // 4
};

// An open document, revision 1: slots 0 to 37.
struct ISwDMDocument : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Application() = 0;           // 0
    virtual HRESULT STDMETHODCALLTYPE get_FullName() = 0;              // 1
    virtual HRESULT STDMETHODCALLTYPE GetAllExternalReferences() = 0;  // 2
    virtual HRESULT STDMETHODCALLTYPE WhereUsed() = 0;                 // 3
    virtual HRESULT STDMETHODCALLTYPE get_ConfigurationManager() = 0;  // 4
    virtual HRESULT STDMETHODCALLTYPE GetEDrawingsData() = 0;          // 5
    virtual HRESULT STDMETHODCALLTYPE ReplaceReference() = 0;          // 6
    virtual HRESULT STDMETHODCALLTYPE GetLastUpdateStamp() = 0;        // 7
    virtual HRESULT STDMETHODCALLTYPE AddCustomProperty(BSTR FieldName, SwDmCustomInfoType FieldType, BSTR FieldValue,
                                                        VARIANT_BOOL* Success) = 0;  // 8
    virtual HRESULT STDMETHODCALLTYPE GetCustomProperty() = 0;                       // 9
    virtual HRESULT STDMETHODCALLTYPE SetCustomProperty() = 0;                       // 10
    virtual HRESULT STDMETHODCALLTYPE DeleteCustomProperty(BSTR FieldName, VARIANT_BOOL* Success) = 0;  // 11
    virtual HRESULT STDMETHODCALLTYPE GetCustomPropertyCount(long* Count) = 0;                          // 12
    virtual HRESULT STDMETHODCALLTYPE GetCustomPropertyNames() = 0;                                     // 13
    virtual HRESULT STDMETHODCALLTYPE GetVersion() = 0;                                                 // 14
    virtual HRESULT STDMETHODCALLTYPE CloseDoc() = 0;                                                   // 15
    virtual HRESULT STDMETHODCALLTYPE get_Title() = 0;                                                  // 16
    virtual HRESULT STDMETHODCALLTYPE put_Title() = 0;                                                  // 17
    virtual HRESULT STDMETHODCALLTYPE get_Subject() = 0;                                                // 18
    virtual HRESULT STDMETHODCALLTYPE put_Subject() = 0;                                                // 19
    virtual HRESULT STDMETHODCALLTYPE get_Author() = 0;                                                 // 20
    virtual HRESULT STDMETHODCALLTYPE put_Author() = 0;                                                 // 21
    virtual HRESULT STDMETHODCALLTYPE get_Keywords() = 0;                                               // 22
    virtual HRESULT STDMETHODCALLTYPE put_Keywords() = 0;                                               // 23
    virtual HRESULT STDMETHODCALLTYPE get_Comments() = 0;                                               // 24
    virtual HRESULT STDMETHODCALLTYPE put_Comments() = 0;                                               // 25
    virtual HRESULT STDMETHODCALLTYPE get_LastSavedBy() = 0;                                            // 26
    virtual HRESULT STDMETHODCALLTYPE get_CreationDate() = 0;                                           // 27
    virtual HRESULT STDMETHODCALLTYPE get_LastSavedDate() = 0;                                          // 28
    virtual HRESULT STDMETHODCALLTYPE GetHyperLinksCount() = 0;                                         // 29
    virtual HRESULT STDMETHODCALLTYPE GetHyperLinkAt() = 0;                                             // 30
    virtual HRESULT STDMETHODCALLTYPE ModifyHyperLinkAt() = 0;                                          // 31
    virtual HRESULT STDMETHODCALLTYPE IsDetachedDrawing() = 0;                                          // 32
    virtual HRESULT STDMETHODCALLTYPE Save(SwDmDocumentSaveError* Result) = 0;                          // 33
    virtual HRESULT STDMETHODCALLTYPE SaveAs() = 0;                                                     // 34
    virtual HRESULT STDMETHODCALLTYPE get_ToolboxPart() = 0;                                            // 35
    virtual HRESULT STDMETHODCALLTYPE put_ToolboxPart() = 0;                                            // 36
    virtual HRESULT STDMETHODCALLTYPE GetXmlStream() = 0;                                               // 37
};

// The revisions chain one after the other, each adding slots behind the last.
struct ISwDMDocument2 : public ISwDMDocument {
    virtual HRESULT STDMETHODCALLTYPE AddInvisibleCustomProperty() = 0;       // 38
    virtual HRESULT STDMETHODCALLTYPE GetInvisibleCustomProperty() = 0;       // 39
    virtual HRESULT STDMETHODCALLTYPE SetInvisibleCustomProperty() = 0;       // 40
    virtual HRESULT STDMETHODCALLTYPE DeleteInvisibleCustomProperty() = 0;    // 41
    virtual HRESULT STDMETHODCALLTYPE GetInvisibleCustomPropertyCount() = 0;  // 42
    virtual HRESULT STDMETHODCALLTYPE GetInvisibleCustomPropertyNames() = 0;  // 43
};

struct ISwDMDocument3 : public ISwDMDocument2 {
    virtual HRESULT STDMETHODCALLTYPE GetAllCustomPropertyNamesAndValues() = 0;  // 44
};

struct ISwDMDocument4 : public ISwDMDocument3 {
    virtual HRESULT STDMETHODCALLTYPE GetSheetCount() = 0;       // 45
    virtual HRESULT STDMETHODCALLTYPE GetActiveSheetName() = 0;  // 46
};

struct ISwDMDocument5 : public ISwDMDocument4 {
    virtual HRESULT STDMETHODCALLTYPE GetCustomPropertyValues() = 0;    // 47
    virtual HRESULT STDMETHODCALLTYPE GetLinkedAttachments() = 0;       // 48
    virtual HRESULT STDMETHODCALLTYPE GetAllExternalReferences2() = 0;  // 49
};

struct ISwDMDocument6 : public ISwDMDocument5 {
    virtual HRESULT STDMETHODCALLTYPE GetSheetNames() = 0;  // 50
};

struct ISwDMDocument7 : public ISwDMDocument6 {
    virtual HRESULT STDMETHODCALLTYPE IsSmartComponentDocument() = 0;  // 51
};

struct ISwDMDocument8 : public ISwDMDocument7 {
    virtual HRESULT STDMETHODCALLTYPE GetChangedReferences() = 0;  // 52
    virtual HRESULT STDMETHODCALLTYPE GetKeyWordStream() = 0;      // 53
    virtual HRESULT STDMETHODCALLTYPE GetComponentCount() = 0;     // 54
};

struct ISwDMDocument9 : public ISwDMDocument8 {
    virtual HRESULT STDMETHODCALLTYPE GetKeyWordStream2() = 0;  // 55
};

// Revision 10 carries every document call of this program. Picture is an OLE
// picture that also answers IPictureDisp, or null when there is none.
struct ISwDMDocument10 : public ISwDMDocument9 {
    virtual HRESULT STDMETHODCALLTYPE get_PreviewStreamName() = 0;                                       // 56
    virtual HRESULT STDMETHODCALLTYPE GetPreviewBitmap(SwDmPreviewError* Result, IDispatch** Picture) = 0;  // 57
    virtual HRESULT STDMETHODCALLTYPE get_PreviewPNGStreamName() = 0;                                    // 58
    virtual HRESULT STDMETHODCALLTYPE GetPreviewPNGBitmap(SwDmPreviewError* Result, IDispatch** Picture) = 0;  // 59
    virtual HRESULT STDMETHODCALLTYPE GetTableNames() = 0;                                               // 60
    virtual HRESULT STDMETHODCALLTYPE GetTable() = 0;                                                    // 61
    virtual HRESULT STDMETHODCALLTYPE GetViews() = 0;                                                    // 62
    virtual HRESULT STDMETHODCALLTYPE GetSheets() = 0;                                                   // 63
    virtual HRESULT STDMETHODCALLTYPE GetCutListItems() = 0;                                             // 64
};

// The interfaces' identifiers: the constants IID_... and __uuidof(...).
KESTRUM_INTERFACE_ID(ISwDMClassFactory, "BDF10361-1191-42F8-80D7-55B86EBC9EDD")
KESTRUM_INTERFACE_ID(ISwDMApplication, "EC65A486-E0E8-42CD-BF7D-272911B2B9E0")
KESTRUM_INTERFACE_ID(ISwDMDocument, "9563DEA3-1ABB-4C3E-A5FD-983F8F1A2489")
KESTRUM_INTERFACE_ID(ISwDMDocument2, "3D656942-584B-4091-A036-D6220DCDA43B")
KESTRUM_INTERFACE_ID(ISwDMDocument3, "7979AB22-A9B6-41CE-B6D5-A0130CDB0E5A")
KESTRUM_INTERFACE_ID(ISwDMDocument4, "614BF2DC-36EA-440F-A36F-311E6EEA4DF4")
KESTRUM_INTERFACE_ID(ISwDMDocument5, "14D492D4-08CF-4E59-8B4E-2ECFF3F0334A")
KESTRUM_INTERFACE_ID(ISwDMDocument6, "A43F6D6A-D940-4E0B-9B9D-7CDB535D773E")
KESTRUM_INTERFACE_ID(ISwDMDocument7, "D4D7B833-3422-445D-BCDE-75DADA873031")
KESTRUM_INTERFACE_ID(ISwDMDocument8, "A247843D-B85D-4D38-82BC-AF99F2E408C2")
KESTRUM_INTERFACE_ID(ISwDMDocument9, "9CEB5B0E-5E50-4333-B23E-519107876B48")
KESTRUM_INTERFACE_ID(ISwDMDocument10, "5C23AE78-4008-46C9-AABB-03D29889BE77")
