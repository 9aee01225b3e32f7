#pragma once
// Preparing the environment at start: the per-user folders, the Document
// Manager's presence and version, and its type-library registration.
#include <windows.h>

#include <string>

#include "environment.h"

// The form's fields that the preparation sets, each at the step that
// computes it: a failure in a later step leaves what was set before.
struct TStartupFields {
    std::wstring& ProgrammPfad;  // %APPDATA%\KesTrum\ with its trailing backslash
    std::wstring& ProgrammIni;   // ProgrammPfad and "Kestrum.ini"
    bool& fswdocmgrFound;        // installed at its fixed path, version accepted
};

class TVersionFunctions;

// The platform calls the preparation goes through: the platform's own, or
// stand-ins that a test hands in.
struct TStartupCalls {
    TRegOpenKey OpenKey = &::RegOpenKeyExW;
    TGetSystemDirectory GetSystemDirectory = &::GetSystemDirectoryW;
    // The version reader's functions; null: the system's VERSION.dll.
    const TVersionFunctions* VersionFunctions = nullptr;
};

enum class TStartupOutcome {
    Continue,
    DocMgrTooNew,  // the version message was shown: the program is to end
};

// Makes sure that the per-user data folder and its "DBExt" exist, looks for
// the Document Manager at its fixed path and reads its major version. A
// version above 28 shows the message (centred, owned by no window) and gives
// DocMgrTooNew. When the type library's key is missing from
// HKEY_CLASSES_ROOT (64-bit view), starts its registration with administrator
// rights, owned by registrationOwner. Raises EInOutError when a folder cannot
// be made, EOSError when the version cannot be read (the platform's version
// functions not bound: fswdocmgrFound stays false) or when the system folder
// cannot be told; whatever escapes the opener escapes too.
[[nodiscard]] TStartupOutcome PrepareEnvironment(const TStartupFields& fields, const TStartupCalls& calls,
                                                 HWND registrationOwner);
