#pragma once
// The program's filter for structured exceptions that nothing handles, kept
// in one place so that it can be put back when a library replaces it with a
// filter of its own.
#include <windows.h>

// Makes filter the process's filter for unhandled structured exceptions and
// remembers it as the program's.
void SetProgramExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

// Makes the program's filter the process's filter again; call it after a
// library had the chance to put in its own (after its objects were made).
// Does nothing while the program has set none.
void RestoreProgramExceptionFilter();

// Puts the program's filter back when it goes out of scope, on every path
// (a failure raised meanwhile too): held across each call into a library
// that may put in a filter of its own.
class TProgramFilterRestorer {
public:
    TProgramFilterRestorer() noexcept = default;
    ~TProgramFilterRestorer() { RestoreProgramExceptionFilter(); }
    TProgramFilterRestorer(const TProgramFilterRestorer&) = delete;
    TProgramFilterRestorer& operator=(const TProgramFilterRestorer&) = delete;
};
