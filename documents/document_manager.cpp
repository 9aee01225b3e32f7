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
    // Declared first, so that it ends last: after a failed creation, and
    // after the instance's release too.
    const TLibraryCall call;
    // CoCreateInstance asks the class object (an IClassFactory) for an
    // instance; the instance answers ISwDMClassFactory.
    const ComPtr<IUnknown> instance = CreateComObject(CLSID_SwDMClassFactory);
    return InterfaceCast<ISwDMClassFactory>(instance.Get());
}

ComPtr<ISwDMApplication> GetSwDMApplication(ISwDMClassFactory& classFactory, HRESULT& result) {
    const TLibraryCall call;
    const TBstr licenseKey(cSwDMLicense);
    ComPtr<ISwDMApplication> application;
    result = classFactory.GetApplication(licenseKey.Get(), application.GetAddressOf());
    if (FAILED(result)) application.Reset();
    return application;
}

ComPtr<ISwDMDocument> GetSwDMDocument(ISwDMApplication* application, const std::wstring& path, bool allowReadOnly,
                                      SwDmDocumentOpenError& openError) {
    const TLibraryCall call;
    openError = swDmDocumentOpenErrorFail;
    ComPtr<ISwDMDocument> document;
    if (!application) return document;
    const TBstr fullPath(path);
    // The open error and the document tell the outcome; the result code is not looked at.
    static_cast<void>(application->GetDocument(fullPath.Get(), DocumentTypeOfPath(path),
                                               allowReadOnly ? VARIANT_TRUE : VARIANT_FALSE, &openError,
                                               document.GetAddressOf()));
    return document;
}

ComPtr<ISwDMDocument10> QuerySwDMDocument10(ISwDMDocument* document) {
    const TLibraryCall call;
    return InterfaceCast<ISwDMDocument10>(document);
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
