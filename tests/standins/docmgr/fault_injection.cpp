#include "fault_injection.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

const wchar_t* const cFaultVariable = L"KESTRUM_DOCMGR_FAULT";

const wchar_t* FaultName(TFault fault) {
    switch (fault) {
        case TFault::ClassFactory: return L"classfactory";
        case TFault::License: return L"license";
        case TFault::Application: return L"application";
        case TFault::Document: return L"document";
        case TFault::Revision10: return L"revision10";
        case TFault::Save: return L"save";
        case TFault::Preview: return L"preview";
        case TFault::NotPicture: return L"notpicture";
        case TFault::Add: return L"add";
        case TFault::EmptyPicture: return L"emptypicture";
        case TFault::Crash: return L"crash";
        case TFault::CrashOverflow: return L"crash-overflow";
        case TFault::CrashThread: return L"crash-thread";
        case TFault::CrashFilter: return L"crash-filter";
        case TFault::CrashFilterLate: return L"crash-filter-late";
        case TFault::FilterCalls: return L"filter-calls";
        case TFault::Instance: return L"instance";
        case TFault::CrashThreadNoWait: return L"crash-thread-nowait";
        case TFault::CrashLoaderLock: return L"crash-loaderlock";
        case TFault::CrashTimerProc: return L"crash-timerproc";
        case TFault::CrashTwice: return L"crash-twice";
        case TFault::CrashSendHang: return L"crash-sendhang";
        case TFault::CrashThreadDuringSave: return L"crash-thread-during-save";
        case TFault::HangOpen: return L"hang-open";
        case TFault::HangPreview: return L"hang-preview";
        case TFault::HangAdd: return L"hang-add";
        case TFault::HangSave: return L"hang-save";
        case TFault::HangClose: return L"hang-close";
        case TFault::HangRelease: return L"hang-release";
        case TFault::PngStraight: return L"png-straight";
        case TFault::PngBottomUp: return L"png-bottomup";
        case TFault::PngSelected: return L"png-selected";
    }
    return L"";
}

std::wstring FaultVariable() {
    const DWORD size = ::GetEnvironmentVariableW(cFaultVariable, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(cFaultVariable, value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

}  // namespace

namespace {

// The entry of the list that names fault ("name" or "name:seconds"); empty
// when there is none.
std::wstring FaultEntry(TFault fault) {
    const std::wstring list = FaultVariable();
    const std::wstring name = FaultName(fault);
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(L',', start);
        if (end == std::wstring::npos) end = list.size();
        const std::wstring entry = list.substr(start, end - start);
        if (entry == name || entry.rfind(name + L":", 0) == 0) return entry;
        start = end + 1;
    }
    return std::wstring();
}

}  // namespace

bool FaultActive(TFault fault) { return !FaultEntry(fault).empty(); }

unsigned long FaultDuration(TFault fault) {
    const std::wstring entry = FaultEntry(fault);
    const std::size_t colon = entry.find(L':');
    if (colon == std::wstring::npos) return INFINITE;
    return static_cast<unsigned long>(std::wcstoul(entry.c_str() + colon + 1, nullptr, 10) * 1000);
}
