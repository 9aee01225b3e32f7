#include "property_update.h"

#include <optional>
#include <vector>

#include "bstr.h"
#include "document_errors.h"
#include "document_manager.h"
#include "errors.h"
#include "library_call.h"
#include "property_input.h"
#include "property_tally.h"

namespace {

bool Succeeded(HRESULT result, VARIANT_BOOL success) { return SUCCEEDED(result) && success != VARIANT_FALSE; }

}  // namespace

TPropertyCounts UpdateCustomProperties(const std::wstring& SldFileName, const std::wstring& PropFileName) {
    // The property file is read whole and closed before the document is opened.
    const std::vector<TPropertyEntry> StrgL = ReadPropertyFile(PropFileName);

    TSwDMOpenDocument swDoc(SldFileName, /*allowReadOnly=*/false);
    const TLibraryObject<ISwDMDocument10>& swDoc10 = swDoc.Document();

    long propertyCount = 0;
    static_cast<void>(swDoc10->GetCustomPropertyCount(&propertyCount));  // the answer is not needed

    // Every listed name is deleted first, then added anew as text with the
    // value of the first entry of that name.
    TPropertyTally tally(StrgL);
    for (std::size_t entry = 0; entry < StrgL.size(); ++entry) {
        const TBstr name(StrgL[entry].Name);
        VARIANT_BOOL deleted = VARIANT_FALSE;
        const HRESULT result = swDoc10->DeleteCustomProperty(name.Get(), &deleted);
        tally.Deleted(entry, Succeeded(result, deleted));
    }
    for (std::size_t entry = 0; entry < StrgL.size(); ++entry) {
        const TBstr name(StrgL[entry].Name);
        const TBstr value(StrgL[StrgL[entry].First].Value);
        VARIANT_BOOL added = VARIANT_FALSE;
        const HRESULT result = swDoc10->AddCustomProperty(name.Get(), swDmCustomInfoText, value.Get(), &added);
        tally.Added(entry, Succeeded(result, added));
    }

    // A property that was deleted and could not be added again would be lost
    // with the save: the document is closed unsaved, so it keeps its old value.
    if (const std::optional<std::size_t> lost = tally.FirstLostEntry()) {
        throw Exception(PropertyNotAddedText(SldFileName, StrgL[*lost].Name));
    }

    // The save is not cut, however long it takes (unless a fault came);
    // after a successful one the calls that follow only finish the work.
    // After a failed one they stay under the operation's deadline: a hang
    // there still brings a box, and with it the failure.
    SwDmDocumentSaveError saveError = swDmDocumentSaveErrorFail;
    const HRESULT saved = swDoc10.Call(TLibraryCallKind::Save)->Save(&saveError);
    if (FAILED(saved) && saveError == swDmDocumentSaveErrorNone) saveError = swDmDocumentSaveErrorFail;
    if (saveError == swDmDocumentSaveErrorNone) MarkLibraryWorkDone();
    swDoc.Close();
    // Nothing reached the disk: no counts to report.
    if (saveError != swDmDocumentSaveErrorNone) throw Exception(DocumentSaveErrorText(SldFileName, saveError));

    return TPropertyCounts{tally.NewCount(), tally.UpdatedCount()};
}
