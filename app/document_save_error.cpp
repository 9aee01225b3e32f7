#include "document_save_error.h"

std::wstring DocumentSaveErrorText(const std::wstring& documentPath, int saveError) {
    return L"Dokument \"" + documentPath + L"\" kann nicht gespeichert werden. Fehlercode: " +
           std::to_wstring(saveError);
}
