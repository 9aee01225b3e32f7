/* A stand-in VERSION.dll for the search-order test. Planted beside a program,
   it records what happens to it in files named by the environment variable
   KESTRUM_PLANTED_MARK followed by ".loaded" (created when it is loaded) and
   ".called" (one line, UTF-16, per call of one of its functions: the path of
   the module that called). Its functions answer as for a file without
   version information, so a program that takes it still runs. */
#include <windows.h>

static HINSTANCE gInstance;

/* The mark file of the given suffix, opened for appending. */
static HANDLE OpenMark(const wchar_t* suffix) {
    wchar_t markPath[MAX_PATH + 16];
    const DWORD length = GetEnvironmentVariableW(L"KESTRUM_PLANTED_MARK", markPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return INVALID_HANDLE_VALUE;
    lstrcatW(markPath, suffix);
    return CreateFileW(markPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, NULL);
}

static void AppendLine(const wchar_t* suffix, const wchar_t* text) {
    HANDLE file = OpenMark(suffix);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, (DWORD)(lstrlenW(text) * sizeof(wchar_t)), &written, NULL);
    WriteFile(file, L"\n", sizeof(wchar_t), &written, NULL);
    CloseHandle(file);
}

/* Records the first module on the call stack that is not this library. */
static void RecordCaller(void) {
    void* frames[16];
    const USHORT count = RtlCaptureStackBackTrace(0, 16, frames, NULL);
    wchar_t caller[MAX_PATH * 2] = L"(unknown)";
    for (USHORT i = 0; i < count; ++i) {
        HMODULE module = NULL;
        if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                (LPCWSTR)frames[i], &module))
            continue;
        if (module == gInstance) continue;
        if (!GetModuleFileNameW(module, caller, MAX_PATH * 2)) lstrcpyW(caller, L"(unnamed)");
        break;
    }
    AppendLine(L".called", caller);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        gInstance = instance;
        DisableThreadLibraryCalls(instance);
        wchar_t ownPath[MAX_PATH * 2] = L"";
        GetModuleFileNameW(instance, ownPath, MAX_PATH * 2);
        AppendLine(L".loaded", ownPath);
    }
    return TRUE;
}

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
    (void)fileName;
    RecordCaller();
    if (handle) *handle = 0;
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return 0;
}

__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data) {
    (void)fileName;
    (void)handle;
    (void)length;
    (void)data;
    RecordCaller();
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return FALSE;
}

__declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length) {
    (void)block;
    (void)subBlock;
    RecordCaller();
    if (buffer) *buffer = NULL;
    if (length) *length = 0;
    return FALSE;
}
