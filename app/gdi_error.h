#pragma once
// Failures of graphics calls (device contexts, bitmaps).

// Raises EOutOfResources with the platform's text for the error code, or
// "Systemressourcen erschöpft" when there is no error code or no text for it.
[[noreturn]] void RaiseGdiError(unsigned long code);
// The same for the last error: only right after the failing call, before any
// other call can replace it.
[[noreturn]] void RaiseGdiError();
