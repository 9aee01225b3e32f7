#include "environment_rules.h"

#include "errors.h"
#include "paths.h"

std::wstring Slash(const std::wstring& St) {
    if (!St.empty() && St.back() != L'\\') return St + L"\\";
    return St;
}

bool ForceFolders(const std::wstring& Dir, const TFolderOps& ops) {
    if (Dir.empty()) throw EInOutError(L"Verzeichnis kann nicht erstellt werden", 3);
    std::wstring path = Dir;
    if (path.back() == L'\\') path.pop_back();
    if (ops.FolderExists(path)) return true;
    const std::wstring parent = ExtractFilePath(path);
    if (path.size() < 3 || parent == path) return ops.CreateFolder(path);
    return ForceFolders(parent, ops) && ops.CreateFolder(path);
}

std::wstring RegistrationParameters(const std::wstring& libraryPath) { return L"/s \"" + libraryPath + L"\""; }

std::wstring VersionMessageText() {
    return L"Die installierte SolidWorks Version wird nicht von Kestrum unterstützt (bis Solidworks 2020)\r"
           L"Bitte aktualisieren Sie Kestrum auf eine aktuellen Version\r"
           L"Funktion wird abgebrochen!!!";
}
