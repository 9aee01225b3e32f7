#include "document_errors.h"

std::wstring DocumentNotOpenedText(const std::wstring& documentPath, const std::wstring& reason) {
    return L"Dokument \"" + documentPath + L"\" kann nicht geöffnet werden. " + reason;
}

std::wstring DocumentOpenErrorText(const std::wstring& documentPath, int openError) {
    return DocumentNotOpenedText(documentPath, L"Fehlercode: " + std::to_wstring(openError));
}

std::wstring DocumentSaveErrorText(const std::wstring& documentPath, int saveError) {
    return L"Dokument \"" + documentPath + L"\" kann nicht gespeichert werden. Fehlercode: " +
           std::to_wstring(saveError);
}

std::wstring PropertyNotAddedText(const std::wstring& documentPath, const std::wstring& propertyName) {
    return L"Dokument \"" + documentPath + L"\" wird nicht gespeichert: Property \"" + propertyName +
           L"\" kann nicht angelegt werden";
}
