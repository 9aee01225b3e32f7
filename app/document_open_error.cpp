#include "document_open_error.h"

std::wstring DocumentOpenErrorText(const std::wstring& documentPath, int openError) {
    return L"Dokument \"" + documentPath + L"\" kann nicht geöffnet werden. Fehlercode: " +
           std::to_wstring(openError);
}
