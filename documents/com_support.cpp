#include "com_support.h"

#include <combaseapi.h>

#include <cstdint>

#include "error_text.h"
#include "os_error.h"

Microsoft::WRL::ComPtr<IUnknown> CreateComObject(REFCLSID classId) {
    Microsoft::WRL::ComPtr<IUnknown> object;
    const HRESULT hr = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                          reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr)) {
        const auto code = static_cast<std::uint32_t>(hr);
        throw EOleSysError(ComObjectFailureText(code, SysErrorMessage(code), GuidText(classId)), hr);
    }
    return object;
}

void OleCheck(HRESULT result) {
    if (SUCCEEDED(result)) return;
    throw EOleSysError(OleErrorMessage(result), result);
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    const int length = ::StringFromGUID2(guid, text, 40);  // includes the NUL
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length - 1)) : std::wstring();
}
