#include "preview_name.h"

#include "file_extension.h"

std::wstring PreviewFileName(const std::wstring& documentPath) {
    const std::wstring ext = ExtractFileExt(documentPath);
    return documentPath.substr(0, documentPath.size() - ext.size()) + LowerCaseAscii(ext) + L"KS";
}
