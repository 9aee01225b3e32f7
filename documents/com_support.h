#pragma once
// Creating COM objects and asking them for interfaces, with the program's failures.
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <string>

#include "errors.h"

// An object of the class, in-process or local server, as IUnknown. A failure
// raises EOleSysError with ComObjectFailureText.
Microsoft::WRL::ComPtr<IUnknown> CreateComObject(REFCLSID classId);

// Raises EOleSysError for a failure result: the platform's text for it, or
// "OLE-Fehler %.8x" when the platform has none.
void OleCheck(HRESULT result);

// The identifier in braces: "{00000000-0000-0000-0000-000000000000}".
std::wstring GuidText(REFGUID guid);

// The interface T of source, by the identifier the type carries. No source
// gives no interface and no failure; a source that refuses the interface
// raises EIntfCastError.
template <typename T>
Microsoft::WRL::ComPtr<T> InterfaceCast(IUnknown* source) {
    Microsoft::WRL::ComPtr<T> result;
    if (!source) return result;
    const HRESULT hr = source->QueryInterface(IID_PPV_ARGS(result.GetAddressOf()));
    if (FAILED(hr) || !result) throw EIntfCastError();
    return result;
}
