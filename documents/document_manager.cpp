#include "document_manager.h"

#include "bstr.h"
#include "com_support.h"
#include "docmgr_license.h"
#include "document_type.h"

using Microsoft::WRL::ComPtr;

ComPtr<ISwDMClassFactory> CreateSwDMClassFactory() {
    const ComPtr<IUnknown> classObject = CreateComObject(CLSID_SwDMClassFactory);
    return InterfaceCast<ISwDMClassFactory>(classObject.Get(), IID_ISwDMClassFactory);
}

ComPtr<ISwDMApplication> GetSwDMApplication(ISwDMClassFactory& classFactory) {
    const TBstr license(cSwDMLicense);
    ComPtr<ISwDMApplication> application;
    // Only the application object tells; the result code is not looked at.
    classFactory.GetApplication(license.Get(), application.GetAddressOf());
    return application;
}

ComPtr<ISwDMDocument> GetSwDMDocument(ISwDMApplication* application, const std::wstring& path, bool allowReadOnly,
                                      SwDmDocumentOpenError& openError) {
    openError = swDmDocumentOpenErrorFail;
    ComPtr<ISwDMDocument> document;
    if (!application) return document;
    const TBstr fullPath(path);
    application->GetDocument(fullPath.Get(), DocumentTypeOfPath(path), allowReadOnly ? VARIANT_TRUE : VARIANT_FALSE,
                             &openError, document.GetAddressOf());
    return document;
}

ComPtr<ISwDMDocument10> QuerySwDMDocument10(ISwDMDocument* document) {
    return InterfaceCast<ISwDMDocument10>(document, IID_ISwDMDocument10);
}
