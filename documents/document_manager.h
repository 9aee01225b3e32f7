#pragma once
// Access to the Document Manager. The steps, one object after the other, and
// TSwDMOpenDocument, the one way the operations open a document with them.
#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "library_object.h"
#include "swdocmgr.h"

// In each step below, every call into the library (the creation, each method,
// each cast, each release) is a TLibraryCall (library_call.h) of its own: it
// puts the program's filter for unhandled structured exceptions back when it
// ends, on every path (loading the library or any of its methods may put in
// a filter of the library's own), the watchdog bounds it, and once a call has
// been given up none of them runs the library's code again.

// An instance of SwDMClassFactory, in-process or local server, as
// ISwDMClassFactory. Raises EOleSysError (system text or "OLE-Fehler %.8x",
// ", ClassID: " and the class identifier) when it cannot be created, and
// EIntfCastError when it refuses ISwDMClassFactory.
Microsoft::WRL::ComPtr<ISwDMClassFactory> CreateSwDMClassFactory();

// The application object for this program's license key; null when the
// Document Manager gives none, with GetApplication's result in result (a
// refused key: CLASS_E_NOTLICENSED).
Microsoft::WRL::ComPtr<ISwDMApplication> GetSwDMApplication(ISwDMClassFactory& classFactory, HRESULT& result);

// Opens the document at path with the type code of its extension; writing
// when allowReadOnly is false. Null when the Document Manager gives no
// document, with its reason in openError; without an application object
// there is no document and openError is swDmDocumentOpenErrorFail.
Microsoft::WRL::ComPtr<ISwDMDocument> GetSwDMDocument(ISwDMApplication* application, const std::wstring& path,
                                                      bool allowReadOnly, SwDmDocumentOpenError& openError);

// The document's ISwDMDocument10. No document gives none and no failure; a
// document that refuses it raises EIntfCastError.
Microsoft::WRL::ComPtr<ISwDMDocument10> QuerySwDMDocument10(ISwDMDocument* document);

// A document open for one operation, with every object that opened it. Once
// the document is open, CloseDoc runs on every path: by Close, or when the
// object goes out of scope (after a failure too). All references are released
// with it. The objects are held as TLibraryObject: every call through
// Document(), CloseDoc and each release put the program's filter back.
class TSwDMOpenDocument {
public:
    // The class factory, the application object, the document (read-only
    // when allowReadOnly) and its ISwDMDocument10, in this order. Raises the
    // failures of CreateSwDMClassFactory; EOleSysError "Dokument "%s" kann
    // nicht geöffnet werden. " with the platform's text for the code (or
    // "OLE-Fehler %.8x") when GetApplication fails; "Dokument "%s" kann nicht
    // geöffnet werden. Fehlercode: %d" with the open error when no application
    // object or no document comes back; EIntfCastError (after CloseDoc) when
    // the document refuses ISwDMDocument10.
    TSwDMOpenDocument(const std::wstring& path, bool allowReadOnly);
    ~TSwDMOpenDocument();
    TSwDMOpenDocument(const TSwDMOpenDocument&) = delete;
    TSwDMOpenDocument& operator=(const TSwDMOpenDocument&) = delete;

    // The open document: Document()->Method(...).
    const TLibraryObject<ISwDMDocument10>& Document() const noexcept { return fDocument10; }
    // CloseDoc, once; the result is not looked at.
    void Close() noexcept;

private:
    TLibraryObject<ISwDMClassFactory> fClassFactory;
    TLibraryObject<ISwDMApplication> fApplication;
    TLibraryObject<ISwDMDocument> fDocument;
    TLibraryObject<ISwDMDocument10> fDocument10;
    bool fOpen = false;
};
