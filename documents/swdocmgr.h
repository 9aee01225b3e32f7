#pragma once
// The Document Manager's COM layout as this program calls it: the class and
// interface identifiers, the interfaces and the order of their methods. All of
// it lives in this one header so that it can be replaced as a whole by the
// vendor's own layout. Every method returns an HRESULT and hands its results
// back through trailing out-parameters; texts are BSTRs.
#include <windows.h>
#include <oaidl.h>

#include "swdm_codes.h"

// COM class SwDMClassFactory.
inline constexpr CLSID CLSID_SwDMClassFactory = {
    0x00AB5D8D, 0x2B8F, 0x416B, {0x97, 0x61, 0x92, 0xFA, 0xCC, 0x88, 0x72, 0xBE}};
// The Document Manager's type library.
inline constexpr GUID LIBID_SwDocumentMgr = {
    0x4F55C30F, 0x4CFD, 0x49E9, {0xA1, 0xA2, 0x00, 0xC1, 0x61, 0xEF, 0x43, 0x95}};

inline constexpr IID IID_ISwDMClassFactory = {
    0xBDF10361, 0x1191, 0x42F8, {0x80, 0xD7, 0x55, 0xB8, 0x6E, 0xBC, 0x9E, 0xDD}};
inline constexpr IID IID_ISwDMApplication = {
    0x38C03BB4, 0xAC68, 0x4EA9, {0xB4, 0xCE, 0x66, 0x6D, 0xE7, 0x31, 0x75, 0xAA}};
inline constexpr IID IID_ISwDMDocument = {
    0xF1132C32, 0xFF7F, 0x45A4, {0xBD, 0xF0, 0x9C, 0x4D, 0x61, 0x0C, 0x90, 0x55}};
inline constexpr IID IID_ISwDMDocument10 = {
    0x5C23AE78, 0x4008, 0x46C9, {0xAA, 0xBB, 0x03, 0xD2, 0x98, 0x89, 0xBE, 0x77}};

struct ISwDMApplication;
struct ISwDMDocument;

// Hands out the application object for a license string.
struct ISwDMClassFactory : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetApplication(BSTR License, ISwDMApplication** Application) = 0;
};

// Opens documents. AllowReadOnly VARIANT_FALSE opens for writing.
struct ISwDMApplication : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetDocument(BSTR FullPathName, SwDmDocumentType DocType,
                                                  VARIANT_BOOL AllowReadOnly, SwDmDocumentOpenError* Result,
                                                  ISwDMDocument** Document) = 0;
};

// An open document.
struct ISwDMDocument : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CloseDoc() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCustomPropertyCount(long* Count) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddCustomProperty(BSTR FieldName, SwDmCustomInfoType FieldType,
                                                        BSTR FieldValue, VARIANT_BOOL* Success) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteCustomProperty(BSTR FieldName, VARIANT_BOOL* Success) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(SwDmDocumentSaveError* Result) = 0;
};

// The document's revision-10 interface (revisions 2 to 9 add nothing this
// program calls). Picture is an OLE picture that also answers IPictureDisp,
// or null when there is none.
struct ISwDMDocument10 : public ISwDMDocument {
    virtual HRESULT STDMETHODCALLTYPE GetPreviewBitmap(SwDmPreviewError* Result, IDispatch** Picture) = 0;
};
