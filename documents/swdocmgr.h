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

#include "swdm_codes.h"

// COM class SwDMClassFactory. Its class object is an IClassFactory; the
// instance it creates answers ISwDMClassFactory.
inline constexpr CLSID CLSID_SwDMClassFactory = {
    0x00AB5D8D, 0x2B8F, 0x416B, {0x97, 0x61, 0x92, 0xFA, 0xCC, 0x88, 0x72, 0xBE}};
// The Document Manager's type library.
inline constexpr GUID LIBID_SwDocumentMgr = {
    0x4F55C30F, 0x4CFD, 0x49E9, {0xA1, 0xA2, 0x00, 0xC1, 0x61, 0xEF, 0x43, 0x95}};

inline constexpr IID IID_ISwDMClassFactory = {
    0xBDF10361, 0x1191, 0x42F8, {0x80, 0xD7, 0x55, 0xB8, 0x6E, 0xBC, 0x9E, 0xDD}};
inline constexpr IID IID_ISwDMApplication = {
    0xEC65A486, 0xE0E8, 0x42CD, {0xBF, 0x7D, 0x27, 0x29, 0x11, 0xB2, 0xB9, 0xE0}};
inline constexpr IID IID_ISwDMDocument = {
    0x9563DEA3, 0x1ABB, 0x4C3E, {0xA5, 0xFD, 0x98, 0x3F, 0x8F, 0x1A, 0x24, 0x89}};
inline constexpr IID IID_ISwDMDocument2 = {
    0x3D656942, 0x584B, 0x4091, {0xA0, 0x36, 0xD6, 0x22, 0x0D, 0xCD, 0xA4, 0x3B}};
inline constexpr IID IID_ISwDMDocument3 = {
    0x7979AB22, 0xA9B6, 0x41CE, {0xB6, 0xD5, 0xA0, 0x13, 0x0C, 0xDB, 0x0E, 0x5A}};
inline constexpr IID IID_ISwDMDocument4 = {
    0x614BF2DC, 0x36EA, 0x440F, {0xA3, 0x6F, 0x31, 0x1E, 0x6E, 0xEA, 0x4D, 0xF4}};
inline constexpr IID IID_ISwDMDocument5 = {
    0x14D492D4, 0x08CF, 0x4E59, {0x8B, 0x4E, 0x2E, 0xCF, 0xF3, 0xF0, 0x33, 0x4A}};
inline constexpr IID IID_ISwDMDocument6 = {
    0xA43F6D6A, 0xD940, 0x4E0B, {0x9B, 0x9D, 0x7C, 0xDB, 0x53, 0x5D, 0x77, 0x3E}};
inline constexpr IID IID_ISwDMDocument7 = {
    0xD4D7B833, 0x3422, 0x445D, {0xBC, 0xDE, 0x75, 0xDA, 0xDA, 0x87, 0x30, 0x31}};
inline constexpr IID IID_ISwDMDocument8 = {
    0xA247843D, 0xB85D, 0x4D38, {0x82, 0xBC, 0xAF, 0x99, 0xF2, 0xE4, 0x08, 0xC2}};
inline constexpr IID IID_ISwDMDocument9 = {
    0x9CEB5B0E, 0x5E50, 0x4333, {0xB2, 0x3E, 0x51, 0x91, 0x07, 0x87, 0x6B, 0x48}};
inline constexpr IID IID_ISwDMDocument10 = {
    0x5C23AE78, 0x4008, 0x46C9, {0xAA, 0xBB, 0x03, 0xD2, 0x98, 0x89, 0xBE, 0x77}};

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
