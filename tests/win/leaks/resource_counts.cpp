#include "resource_counts.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace {

// Used entries of the GDI handle table the process environment block points
// to (GdiSharedHandleTable). Wine keeps the table per process, so every used
// entry is one of ours, stock objects included.
struct TGdiHandleEntry {
    std::uint64_t Object;
    std::uint16_t ProcessId;
    std::uint16_t Count;
    std::uint16_t Unique;
    std::uint8_t Type;
    std::uint8_t Flags;
    std::uint64_t UserPointer;
};
static_assert(sizeof(TGdiHandleEntry) == 24);
const std::size_t cGdiHandleCount = 0x10000;
#if defined(_WIN64)
const std::size_t cPebGdiSharedHandleTable = 0xF8;
#else
const std::size_t cPebGdiSharedHandleTable = 0x94;
#endif

long GdiTableCount() {
    PROCESS_BASIC_INFORMATION basic = {};
    if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) <
        0) {
        throw std::runtime_error("NtQueryInformationProcess failed");
    }
    const auto* peb = reinterpret_cast<const std::uint8_t*>(basic.PebBaseAddress);
    const auto* table = *reinterpret_cast<const TGdiHandleEntry* const*>(peb + cPebGdiSharedHandleTable);
    if (!table) throw std::runtime_error("no GDI handle table");
    long used = 0;
    for (std::size_t i = 0; i < cGdiHandleCount; ++i) {
        if (table[i].Type != 0) ++used;
    }
    return used;
}

// Windows of this process: top-level ones (shown or not), message-only ones,
// and every child of both.
BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

bool Ours(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process == ::GetCurrentProcessId();
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
    if (Ours(window)) {
        ++*reinterpret_cast<long*>(count);
        ::EnumChildWindows(window, &CountChild, count);
    }
    return TRUE;
}

long WindowCount() {
    long count = 0;
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&count));
    for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
        CountTopLevel(window, reinterpret_cast<LPARAM>(&count));
    }
    return count;
}

// This process's entries in the system's handle list
// (SystemExtendedHandleInformation).
const auto cSystemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
const NTSTATUS cStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

struct TSystemHandleEntry {
    void* Object;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR HandleValue;
    ULONG GrantedAccess;
    USHORT CreatorBackTraceIndex;
    USHORT ObjectTypeIndex;
    ULONG HandleAttributes;
    ULONG Reserved;
};
struct TSystemHandleList {
    ULONG_PTR NumberOfHandles;
    ULONG_PTR Reserved;
    TSystemHandleEntry Handles[1];
};

long SystemListHandleCount() {
    std::vector<ULONG_PTR> buffer(64 * 1024);
    for (;;) {
        const auto size = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
        ULONG needed = 0;
        const NTSTATUS status = ::NtQuerySystemInformation(cSystemExtendedHandleInformation, buffer.data(), size,
                                                           &needed);
        if (status == cStatusInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status < 0) throw std::runtime_error("NtQuerySystemInformation failed");
        const auto* list = reinterpret_cast<const TSystemHandleList*>(buffer.data());
        const ULONG_PTR self = ::GetCurrentProcessId();
        long count = 0;
        for (ULONG_PTR i = 0; i < list->NumberOfHandles; ++i) {
            if (list->Handles[i].UniqueProcessId == self) ++count;
        }
        return count;
    }
}

// GetGuiResources, or -1 where the system does not implement it.
long GuiResources(DWORD kind) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD count = ::GetGuiResources(::GetCurrentProcess(), kind);
    if (count == 0 && ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return -1;
    return static_cast<long>(count);
}

// GetProcessHandleCount, or -1 where it gives no answer; a running process
// always holds handles, so 0 is none.
long OwnHandleCount() {
    DWORD count = 0;
    if (!::GetProcessHandleCount(::GetCurrentProcess(), &count) || count == 0) return -1;
    return static_cast<long>(count);
}

}  // namespace

bool operator==(const TResourceCounts& a, const TResourceCounts& b) {
    return a.Gdi == b.Gdi && a.User == b.User && a.Handles == b.Handles;
}

std::string ToString(const TResourceCounts& counts) {
    return "gdi " + std::to_string(counts.Gdi) + ", user " + std::to_string(counts.User) + ", handles " +
           std::to_string(counts.Handles);
}

void PrintTo(const TResourceCounts& counts, std::ostream* os) { *os << ToString(counts); }

TResourceCounts MeasureResources() {
    TResourceCounts counts;
    counts.Gdi = GuiResources(GR_GDIOBJECTS);
    if (counts.Gdi < 0) counts.Gdi = GdiTableCount();
    counts.User = GuiResources(GR_USEROBJECTS);
    if (counts.User < 0) counts.User = WindowCount();
    counts.Handles = OwnHandleCount();
    if (counts.Handles < 0) counts.Handles = SystemListHandleCount();
    return counts;
}

std::string ResourceSources() {
    std::string text = GuiResources(GR_GDIOBJECTS) < 0 ? "gdi: GDI handle table" : "gdi: GetGuiResources";
    text += GuiResources(GR_USEROBJECTS) < 0 ? ", user: windows of the process" : ", user: GetGuiResources";
    text += OwnHandleCount() < 0 ? ", handles: system handle list" : ", handles: GetProcessHandleCount";
    return text;
}
