#pragma once
// Texts of COM failures.
#include <cstdint>
#include <string>

// systemText (the platform's text for code), or "OLE-Fehler %.8x" with the
// code when that is empty, then ", ClassID: " and classIdText, the class
// identifier in braces.
std::wstring ComObjectFailureText(std::uint32_t code, const std::wstring& systemText,
                                  const std::wstring& classIdText);

// systemText (the platform's text for code), or "OLE-Fehler %.8x" with the
// code when that is empty.
std::wstring OleFailureText(std::uint32_t code, const std::wstring& systemText);
