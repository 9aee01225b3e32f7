#pragma once
// Failures of graphics calls (device contexts, bitmaps).

// Raises EOutOfResources with the platform's text for the last error, or
// "Systemressourcen erschöpft" when there is no error code or no text for it.
[[noreturn]] void RaiseGdiError();
