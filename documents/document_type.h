#pragma once
// The document type code handed to the Document Manager when a document is opened.
#include <string>

#include "swdm_codes.h"

// The type code of a lower-cased extension, compared exactly: ".sldprt" part,
// ".sldasm" assembly, ".slddrw" drawing, anything else unknown.
SwDmDocumentType DocumentTypeOfExt(const std::wstring& lowerExt);

// The type code of a document path, from its lower-cased extension.
SwDmDocumentType DocumentTypeOfPath(const std::wstring& path);
