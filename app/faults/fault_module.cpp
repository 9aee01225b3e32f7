#include "fault_module.h"

#include <windows.h>
#include <psapi.h>

namespace {

// Room for the mapped file's path as the system gives it, its device's name
// first (\Device\HarddiskVolume2\...): a long path is named whole, and a
// path that fills it is taken as cut short.
const DWORD cMappedPathCapacity = 4096;

}  // namespace

TModuleName ModuleNameAt(const void* address) noexcept {
    TModuleName name;
    MEMORY_BASIC_INFORMATION region = {};
    if (!address || ::VirtualQuery(address, &region, sizeof region) != sizeof region) return name;
    if (region.State != MEM_COMMIT || region.Type != MEM_IMAGE || !region.AllocationBase) return name;

    wchar_t path[cMappedPathCapacity];
    const DWORD length =
        ::K32GetMappedFileNameW(::GetCurrentProcess(), region.AllocationBase, path, cMappedPathCapacity);
    if (length == 0 || length >= cMappedPathCapacity - 1) return name;
    DWORD start = length;
    while (start > 0 && path[start - 1] != L'\\' && path[start - 1] != L'/') --start;
    const DWORD nameLength = length - start;
    if (nameLength == 0 || nameLength >= TModuleName::cCapacity) return name;
    for (DWORD at = 0; at < nameLength; ++at) name.Text[at] = path[start + at];
    name.Text[nameLength] = 0;
    return name;
}
