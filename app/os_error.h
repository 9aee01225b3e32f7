#pragma once
// Operating-system failures as raised errors.
#include <string>

// The platform's text for an error code, or empty when it has none.
std::wstring SysErrorMessage(unsigned long code);

// Raises EOSError for the code ("Systemfehler.  Code: %d." and the platform text).
[[noreturn]] void RaiseOSError(unsigned long code);
[[noreturn]] void RaiseLastOSError();
