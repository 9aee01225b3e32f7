#include "document_type.h"

#include "paths.h"

SwDmDocumentType DocumentTypeOfExt(const std::wstring& lowerExt) {
    if (lowerExt == L".sldprt") return swDmDocumentPart;
    if (lowerExt == L".sldasm") return swDmDocumentAssembly;
    if (lowerExt == L".slddrw") return swDmDocumentDrawing;
    return swDmDocumentUnknown;
}

SwDmDocumentType DocumentTypeOfPath(const std::wstring& path) { return DocumentTypeOfExt(LowerFileExt(path)); }
