// Console test program: writes what it saw of its start (argdump_report.h) to
// the file named by KESTRUM_ARGDUMP_OUT, runs on for KESTRUM_ARGDUMP_WAIT_MS
// and marks its end.
#include <windows.h>

#include "argdump_report.h"

int wmain() {
    const std::wstring path = DumpPathFromEnvironment();
    if (!WriteArgDump(path, nullptr)) return 3;
    Sleep(MillisecondsFromEnvironment(L"KESTRUM_ARGDUMP_WAIT_MS"));
    WriteEndMark(path);
    return 0;
}
