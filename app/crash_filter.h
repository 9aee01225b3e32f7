#pragma once
// The last resort for a structured exception that nothing handles (an access
// violation in the Document Manager, say): the "Anwendungsfehler" box instead
// of the system's crash dialog, then the end of the process.

// Makes the filter the process's filter for unhandled structured exceptions.
// It shows the box (class by the exception code, the module that holds the
// faulting address, that address, the code) and ends the process with exit
// code 1 at once: no library's detach code runs after the fault, no dump is
// written and no second dialog comes.
void InstallCrashFilter();
