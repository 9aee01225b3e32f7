// "/T": the document's preview picture as a JPEG file beside it.
#include "MainDlg.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include "com_support.h"
#include "document_manager.h"
#include "document_open_error.h"
#include "errors.h"
#include "preview_file.h"
#include "preview_name.h"
#include "process_picture.h"

using Microsoft::WRL::ComPtr;

void TfrmMain::ExtractThumbnail(const std::wstring& SldFilename) {
    if (!fswdocmgrFound) return;

    const ComPtr<ISwDMClassFactory> swClassFac = CreateSwDMClassFactory();
    const ComPtr<ISwDMApplication> swDocMgr = GetSwDMApplication(*swClassFac.Get());

    // Read-only: the document is never changed.
    SwDmDocumentOpenError openError = swDmDocumentOpenErrorNone;
    const ComPtr<ISwDMDocument> swDoc = GetSwDMDocument(swDocMgr.Get(), SldFilename, true, openError);
    // Without a document (or without an application object to open it) there
    // is nothing to ask for a preview; no preview file is created or changed.
    if (!swDoc) throw Exception(DocumentOpenErrorText(SldFilename, openError));
    const ComPtr<ISwDMDocument10> swDoc10 = QuerySwDMDocument10(swDoc.Get());

    // The preview error code is not looked at: no picture means no preview.
    SwDmPreviewError previewError = swDmPreviewErrorNone;
    ComPtr<IDispatch> fBmp;
    swDoc10->GetPreviewBitmap(&previewError, fBmp.GetAddressOf());

    const ComPtr<IPicture> picture = InterfaceCast<IPicture>(fBmp.Get(), IID_IPicture);
    const TScreenBitmap bitmap = processPicture(picture.Get());
    WritePreviewFile(PreviewFileName(SldFilename), bitmap);

    swDoc->CloseDoc();
}
