#include "property_input.h"

#include <algorithm>

#include "error_text.h"
#include "errors.h"
#include "system_text_rules.h"

namespace {

const int cCannotOpen = 104;
const int cBadFileName = 3;
const DWORD cMaxReadSize = 1u << 30;

}  // namespace

void RaiseInOutError(int code, const std::wstring& fileName) {
    throw EInOutError(InOutErrorText(code, fileName), code);
}

TPropertyInput::TPropertyInput(const std::wstring& path) : fPath(path) {
    if (fPath.size() > cMaxPropertyPath) RaiseInOutError(cBadFileName, fPath);
    if (fPath.empty()) {
        fHandle = ::GetStdHandle(STD_INPUT_HANDLE);  // a missing one fails at the read
        fOpened = true;
        return;
    }
    fFile.Reset(::CreateFileW(fPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    fHandle = fFile.Get();
    fOpened = fFile.Valid();
}

std::size_t TPropertyInput::Read(char* buffer, std::size_t size) {
    if (!fOpened) RaiseInOutError(cCannotOpen, fPath);
    DWORD read = 0;
    if (!::ReadFile(fHandle, buffer, static_cast<DWORD>(std::min<std::size_t>(size, cMaxReadSize)), &read, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE) return 0;
        RaiseInOutError(static_cast<int>(error), fPath);
    }
    return read;
}

std::vector<TPropertyEntry> ReadPropertyFile(const std::wstring& path) {
    TPropertyInput input(path);
    return ReadPropertyEntries(input, SystemPropertyTextRules());
}
