#pragma once
// Operating-system failures as raised errors, graphics calls included.
#include <string>

// The platform's text for an error code, or empty when it has none.
std::wstring SysErrorMessage(unsigned long code);

// The text of a failed COM result: the platform's text for it, or
// "OLE-Fehler %.8x" when the platform has none (OleFailureText).
std::wstring OleErrorMessage(long result);

// Raises EOSError for the code ("Systemfehler.  Code: %d." and the platform text).
[[noreturn]] void RaiseOSError(unsigned long code);
[[noreturn]] void RaiseLastOSError();

// Raises EOutOfResources for a failed graphics call (device contexts,
// bitmaps) with the platform's text for the error code, or "Systemressourcen
// erschöpft" when there is no error code or no text for it.
[[noreturn]] void RaiseGdiError(unsigned long code);
// The same for the last error: only right after the failing call, before any
// other call can replace it.
[[noreturn]] void RaiseGdiError();
