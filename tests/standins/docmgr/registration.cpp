// Registration under HKEY_CLASSES_ROOT in the 64-bit view: the class with its
// in-process server (apartment threading) and the type library's key.
#include <windows.h>
#include <combaseapi.h>
#include <olectl.h>

#include <string>

#include "com_object.h"
#include "com_support.h"
#include "registry_key.h"
#include "swdocmgr.h"

namespace {

std::wstring ClassKey() { return L"CLSID\\" + GuidText(CLSID_SwDMClassFactory); }
std::wstring TypeLibKey() { return L"TypeLib\\" + GuidText(LIBID_SwDocumentMgr); }

// Creates HKCR\path and sets its value name (empty: the default value) to text.
LSTATUS SetText(const std::wstring& path, const wchar_t* name, const std::wstring& text) {
    TRegistryKey key;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, key.Put(), nullptr);
    if (status != ERROR_SUCCESS) return status;
    return ::RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Deletes HKCR\parent\child with everything below it; a missing key is fine.
LSTATUS DeleteTree(const wchar_t* parent, const std::wstring& child) {
    TRegistryKey key;
    LSTATUS status = ::RegOpenKeyExW(HKEY_CLASSES_ROOT, parent, 0,
                                     KEY_WOW64_64KEY | DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE |
                                         KEY_SET_VALUE,
                                     key.Put());
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    status = ::RegDeleteTreeW(key.Get(), child.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(ModuleHandle(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

}  // namespace

STDAPI DllRegisterServer() {
    const std::wstring module = ModulePath();
    if (module.empty()) return SELFREG_E_CLASS;
    const std::wstring server = ClassKey() + L"\\InprocServer32";
    if (SetText(ClassKey(), L"", L"SwDMClassFactory") != ERROR_SUCCESS ||
        SetText(server, L"", module) != ERROR_SUCCESS ||
        SetText(server, L"ThreadingModel", L"Apartment") != ERROR_SUCCESS) {
        return SELFREG_E_CLASS;
    }
    if (SetText(TypeLibKey() + L"\\1.0", L"", L"SwDocumentMgr 1.0 Type Library") != ERROR_SUCCESS) {
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    if (DeleteTree(L"CLSID", GuidText(CLSID_SwDMClassFactory)) != ERROR_SUCCESS) return SELFREG_E_CLASS;
    if (DeleteTree(L"TypeLib", GuidText(LIBID_SwDocumentMgr)) != ERROR_SUCCESS) return SELFREG_E_TYPELIB;
    return S_OK;
}
