#pragma once
// Failures of creating and writing a file, naming the file.
#include <string>

#include "errors.h"

// "Datei "%s" kann nicht erstellt werden. %s": the full path and the platform's text.
class EFCreateError : public Exception {
public:
    EFCreateError(const std::wstring& fullPath, const std::wstring& systemText)
        : Exception(L"Datei \"" + fullPath + L"\" kann nicht erstellt werden. " + systemText) {}
    const wchar_t* ClassName() const noexcept override { return L"EFCreateError"; }
};

// "Datei "%s" kann nicht geschrieben werden. %s": the full path and the platform's text.
class EFWriteError : public Exception {
public:
    EFWriteError(const std::wstring& fullPath, const std::wstring& systemText)
        : Exception(L"Datei \"" + fullPath + L"\" kann nicht geschrieben werden. " + systemText) {}
    const wchar_t* ClassName() const noexcept override { return L"EFWriteError"; }
};
