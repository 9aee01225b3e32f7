#include "extract_thumbnail.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <utility>

#include "document_manager.h"
#include "library_call.h"
#include "library_object.h"
#include "paths.h"
#include "preview_file.h"
#include "process_picture.h"

using Microsoft::WRL::ComPtr;

void ExtractDocumentThumbnail(const std::wstring& SldFilename) {
    // Read-only: the document is never changed. Without a document (or an
    // application object to open it) no preview file is created or changed.
    TSwDMOpenDocument swDoc(SldFilename, /*allowReadOnly=*/true);
    const TLibraryObject<ISwDMDocument10>& swDoc10 = swDoc.Document();

    // The preview error codes are not looked at: no picture means no preview.
    // A document that keeps its preview only as PNG gives none as a bitmap.
    // The PNG preview may be transparent in parts: those stay white.
    SwDmPreviewError swResult = swDmPreviewErrorNone;
    ComPtr<IDispatch> handedOut;
    TPictureAlpha alpha = TPictureAlpha::Ignored;
    static_cast<void>(swDoc10->GetPreviewBitmap(&swResult, handedOut.GetAddressOf()));
    if (!handedOut) {
        static_cast<void>(swDoc10->GetPreviewPNGBitmap(&swResult, handedOut.ReleaseAndGetAddressOf()));
        alpha = TPictureAlpha::OverWhite;
    }
    // The picture is the library's object: its calls and releases are calls
    // into the library.
    const TLibraryObject<IDispatch> previewPicture(std::move(handedOut));

    const TLibraryObject<IPicture> picture = LibraryCast<IPicture>(previewPicture.Get());
    const TScreenBitmap bitmap = processPicture(picture.Get(), alpha);
    WritePreviewFile(PreviewFileName(SldFilename), bitmap);
    // The preview is written: closing the document and the releases only
    // finish the work.
    MarkLibraryWorkDone();

    swDoc.Close();
}
