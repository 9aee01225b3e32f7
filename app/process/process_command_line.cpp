#include "process_command_line.h"

#include "paths.h"

std::wstring ProcessCommandLine(const std::wstring& FileName, const std::wstring& Params) {
    return L"\"" + FileName + L"\" " + Params;
}

std::wstring ProcessWorkingFolder(const std::wstring& FileName, const std::wstring& Folder) {
    if (!Folder.empty()) return Folder;
    std::wstring folder = ExtractFilePath(FileName);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

std::wstring PathArgument(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    // A run of backslashes right before a double quote is read as escapes, two
    // for one; inside the text, with no quote after them, they stay literal.
    const std::size_t textEnd = path.find_last_not_of(L'\\') + 1;  // npos + 1 == 0
    const std::size_t trailing = path.size() - textEnd;
    return L"\"" + path + std::wstring(trailing, L'\\') + L"\"";
}
