#include "document_manager.h"

#include "bstr.h"
#include "com_support.h"
#include "docmgr_license.h"
#include "document_errors.h"
#include "document_type.h"
#include "errors.h"
#include "library_call.h"
#include "os_error.h"

using Microsoft::WRL::ComPtr;

ComPtr<ISwDMClassFactory> CreateSwDMClassFactory() {
    // CoCreateInstance asks the class object (an IClassFactory) for an
    // instance; the instance answers ISwDMClassFactory. The creation (which
    // loads the library), the cast and the instance's release are calls of
    // their own.
    TLibraryObject<IUnknown> instance;
    {
        const TLibraryCall creation;
        instance = TLibraryObject<IUnknown>(CreateComObject(CLSID_SwDMClassFactory));
    }
    return LibraryCast<ISwDMClassFactory>(instance.Get()).Take();
}

ComPtr<ISwDMApplication> GetSwDMApplication(ISwDMClassFactory& classFactory, HRESULT& result) {
    const TBstr licenseKey(cSwDMLicense);
    TLibraryObject<ISwDMApplication> application;
    {
        const TLibraryCall call;
        ComPtr<ISwDMApplication> handedOut;
        result = classFactory.GetApplication(licenseKey.Get(), handedOut.GetAddressOf());
        application = TLibraryObject<ISwDMApplication>(std::move(handedOut));
    }
    // What comes with a failure is released, a call of its own.
    if (FAILED(result)) application.Reset();
    return application.Take();
}

ComPtr<ISwDMDocument> GetSwDMDocument(ISwDMApplication* application, const std::wstring& path, bool allowReadOnly,
                                      SwDmDocumentOpenError& openError) {
    openError = swDmDocumentOpenErrorFail;
    ComPtr<ISwDMDocument> document;
    if (!application) return document;
    const TBstr fullPath(path);
    const TLibraryCall call;
    // The open error and the document tell the outcome; the result code is not looked at.
    static_cast<void>(application->GetDocument(fullPath.Get(), DocumentTypeOfPath(path),
                                               allowReadOnly ? VARIANT_TRUE : VARIANT_FALSE, &openError,
                                               document.GetAddressOf()));
    return document;
}

ComPtr<ISwDMDocument10> QuerySwDMDocument10(ISwDMDocument* document) {
    return LibraryCast<ISwDMDocument10>(document).Take();
}

TSwDMOpenDocument::TSwDMOpenDocument(const std::wstring& path, bool allowReadOnly)
    : fClassFactory(CreateSwDMClassFactory()) {
    if (!fClassFactory) throw EIntfCastError();

    HRESULT applicationResult = S_OK;
    fApplication = TLibraryObject<ISwDMApplication>(GetSwDMApplication(*fClassFactory.Get(), applicationResult));
    // A refused license key comes back as a failure code and no object.
    if (FAILED(applicationResult)) {
        throw EOleSysError(DocumentNotOpenedText(path, OleErrorMessage(applicationResult)), applicationResult);
    }

    SwDmDocumentOpenError openError = swDmDocumentOpenErrorFail;
    fDocument = TLibraryObject<ISwDMDocument>(GetSwDMDocument(fApplication.Get(), path, allowReadOnly, openError));
    // Without an application object there is no document either.
    if (!fDocument) throw Exception(DocumentOpenErrorText(path, openError));
    fOpen = true;
    try {
        fDocument10 = TLibraryObject<ISwDMDocument10>(QuerySwDMDocument10(fDocument.Get()));
    } catch (...) {
        Close();
        throw;
    }
}

TSwDMOpenDocument::~TSwDMOpenDocument() { Close(); }

void TSwDMOpenDocument::Close() noexcept {
    if (!fOpen) return;
    fOpen = false;
    static_cast<void>(fDocument->CloseDoc());  // nothing is left to do when closing fails
}
