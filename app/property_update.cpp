#include "property_update.h"

#include <wrl/client.h>

#include <vector>

#include "bstr.h"
#include "document_manager.h"
#include "document_open_error.h"
#include "document_save_error.h"
#include "errors.h"
#include "property_input.h"
#include "property_tally.h"

using Microsoft::WRL::ComPtr;

namespace {

// Closes an open document once: by Close, or on the way out of a failure.
class TDocumentCloser {
public:
    explicit TDocumentCloser(ISwDMDocument* document) noexcept : fDocument(document) {}
    ~TDocumentCloser() { Close(); }
    TDocumentCloser(const TDocumentCloser&) = delete;
    TDocumentCloser& operator=(const TDocumentCloser&) = delete;

    void Close() noexcept {
        if (fDocument) fDocument->CloseDoc();
        fDocument = nullptr;
    }

private:
    ISwDMDocument* fDocument;
};

bool Succeeded(HRESULT hr, VARIANT_BOOL success) { return SUCCEEDED(hr) && success != VARIANT_FALSE; }

}  // namespace

int UpdateCustomProperties(const std::wstring& SldFileName, const std::wstring& PropFileName, int& AnzAkt) {
    // The property file is read whole and closed before the document is opened.
    const std::vector<TPropertyEntry> StrgL = ReadPropertyFile(PropFileName);

    const ComPtr<ISwDMClassFactory> swClassFac = CreateSwDMClassFactory();
    if (!swClassFac) throw EIntfCastError();
    const ComPtr<ISwDMApplication> swDocMgr = GetSwDMApplication(*swClassFac.Get());
    SwDmDocumentOpenError swResult = swDmDocumentOpenErrorFail;
    const ComPtr<ISwDMDocument> swDoc = GetSwDMDocument(swDocMgr.Get(), SldFileName, false, swResult);
    // Without an application object there is no document either.
    if (!swDoc) throw Exception(DocumentOpenErrorText(SldFileName, swResult));
    TDocumentCloser closer(swDoc.Get());
    const ComPtr<ISwDMDocument10> swDoc10 = QuerySwDMDocument10(swDoc.Get());

    long fCount = 0;
    swDoc10->GetCustomPropertyCount(&fCount);  // the answer is not needed

    // Every listed name is deleted first, then added anew as text with the
    // value of the first entry of that name.
    TPropertyTally tally(StrgL);
    for (std::size_t A = 0; A < StrgL.size(); ++A) {
        const TBstr name(StrgL[A].Name);
        VARIANT_BOOL fSucess = VARIANT_FALSE;
        const HRESULT hr = swDoc10->DeleteCustomProperty(name.Get(), &fSucess);
        tally.Deleted(A, Succeeded(hr, fSucess));
    }
    for (std::size_t A = 0; A < StrgL.size(); ++A) {
        const TBstr name(StrgL[A].Name);
        const TBstr value(StrgL[StrgL[A].First].Value);
        VARIANT_BOOL fSucess = VARIANT_FALSE;
        const HRESULT hr = swDoc10->AddCustomProperty(name.Get(), swDmCustomInfoText, value.Get(), &fSucess);
        tally.Added(A, Succeeded(hr, fSucess));
    }

    SwDmDocumentSaveError saveError = swDmDocumentSaveErrorFail;
    const HRESULT saved = swDoc10->Save(&saveError);
    if (FAILED(saved) && saveError == swDmDocumentSaveErrorNone) saveError = swDmDocumentSaveErrorFail;
    closer.Close();
    // Nothing reached the disk: no counts to report.
    if (saveError != swDmDocumentSaveErrorNone) {
        throw Exception(DocumentSaveErrorText(SldFileName, saveError));
    }

    AnzAkt = tally.UpdatedCount();
    return tally.NewCount();
}
