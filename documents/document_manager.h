#pragma once
// Access to the Document Manager, one object after the other, each handed to
// the caller, who keeps and releases them for the length of one operation.
#include <windows.h>
#include <wrl/client.h>

#include <string>

#include "swdocmgr.h"

// The class object of SwDMClassFactory, in-process or local server, as
// ISwDMClassFactory. Raises EOleSysError (system text or "OLE-Fehler %.8x",
// ", ClassID: " and the class identifier) when it cannot be created, and
// EIntfCastError when it refuses ISwDMClassFactory.
Microsoft::WRL::ComPtr<ISwDMClassFactory> CreateSwDMClassFactory();

// The application object for this program's license; null when the Document
// Manager gives none.
Microsoft::WRL::ComPtr<ISwDMApplication> GetSwDMApplication(ISwDMClassFactory& classFactory);

// Opens the document at path with the type code of its extension; writing
// when allowReadOnly is false. Null when the Document Manager gives no
// document, with its reason in openError; without an application object
// there is no document and openError is swDmDocumentOpenErrorFail.
Microsoft::WRL::ComPtr<ISwDMDocument> GetSwDMDocument(ISwDMApplication* application, const std::wstring& path,
                                                      bool allowReadOnly, SwDmDocumentOpenError& openError);

// The document's ISwDMDocument10. No document gives none and no failure; a
// document that refuses it raises EIntfCastError.
Microsoft::WRL::ComPtr<ISwDMDocument10> QuerySwDMDocument10(ISwDMDocument* document);
