#include "system_folder.h"

#include <vector>

namespace {
const UINT cFirstBufferSize = MAX_PATH;
// Asks at most this often: a size that keeps growing is not believed.
const int cAttempts = 3;
}  // namespace

std::wstring SystemFolder(TGetSystemDirectory getSystemDirectory) {
    std::vector<wchar_t> buffer(cFirstBufferSize);
    for (int attempt = 0; attempt < cAttempts; ++attempt) {
        const UINT length = getSystemDirectory(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return std::wstring();  // the platform's reason stays in the last error
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.assign(length, L'\0');
    }
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return std::wstring();
}
