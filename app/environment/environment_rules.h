#pragma once
// Rules of the environment preparation at start that need no Windows API.
#include <functional>
#include <string>

// St with a trailing backslash ensured; the empty string stays empty. A
// forward slash is no path delimiter.
std::wstring Slash(const std::wstring& St);

// The file-system operations the folder creation rule needs.
struct TFolderOps {
    std::function<bool(const std::wstring&)> FolderExists;
    std::function<bool(const std::wstring&)> CreateFolder;  // one folder; true when it was created
};

// Creates the folder Dir with every missing folder above it. An empty path
// raises EInOutError 3 "Verzeichnis kann nicht erstellt werden". True when
// the folder exists or was created.
bool ForceFolders(const std::wstring& Dir, const TFolderOps& ops);

// The parameters of the type-library registration: /s "<library path>".
std::wstring RegistrationParameters(const std::wstring& libraryPath);

// The message shown when the installed Document Manager is too new.
std::wstring VersionMessageText();
inline const wchar_t* const cVersionMessageCaption = L"Informationen";
