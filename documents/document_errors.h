#pragma once
// The texts of a document that the Document Manager does not open or save.
#include <string>

// "Dokument "%s" kann nicht geöffnet werden. " followed by reason, with the
// document path as given.
std::wstring DocumentNotOpenedText(const std::wstring& documentPath, const std::wstring& reason);

// "Dokument "%s" kann nicht geöffnet werden. Fehlercode: %d" with the
// Document Manager's open error code.
std::wstring DocumentOpenErrorText(const std::wstring& documentPath, int openError);

// "Dokument "%s" kann nicht gespeichert werden. Fehlercode: %d" with the
// Document Manager's save error code.
std::wstring DocumentSaveErrorText(const std::wstring& documentPath, int saveError);

// "Dokument "%s" wird nicht gespeichert: Property "%s" kann nicht angelegt
// werden", for a property that was deleted and could not be added again.
std::wstring PropertyNotAddedText(const std::wstring& documentPath, const std::wstring& propertyName);
