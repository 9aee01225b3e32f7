#pragma once
// The program's filter for structured exceptions that nothing handles, kept
// in one place so that it can be put back when a library replaces it with a
// filter of its own.
#include <windows.h>

// Makes filter the process's filter for unhandled structured exceptions and
// remembers it as the program's.
void SetProgramExceptionFilter(LPTOP_LEVEL_EXCEPTION_FILTER filter);

// Makes the program's filter the process's filter again; call it after a
// library had the chance to put in its own (after its objects were made;
// every TLibraryCall does, library_call.h). Does nothing while the program
// has set none.
void RestoreProgramExceptionFilter();
