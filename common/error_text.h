#pragma once
// Texts of the error boxes: operating-system, input/output and COM failures.
#include <cstdint>
#include <string>

// The message as the error box shows it: a "." is added when the message is
// not empty and its last character has a code above that of ".".
std::wstring WithFinalDot(const std::wstring& message);

// The application title: the program file's name without its folder and
// without everything from its first full stop on, with every character after
// the first passed through lowerCase.
using LowerCaseFn = std::wstring (*)(const std::wstring&);
std::wstring ApplicationTitle(const std::wstring& programPath, LowerCaseFn lowerCase);

// A platform message without its trailing blanks, line breaks and dots.
std::wstring TrimSystemText(std::wstring text);

// "Systemfehler.  Code: %d." CR LF and the platform text, with trailing blanks,
// line breaks and dots removed from it; the general text when the code is 0.
// The code is printed as a signed 32-bit number (above 0x7FFFFFFF negative).
std::wstring OsErrorText(unsigned long code, const std::wstring& platformText);

// Text of the "Anwendungsfehler" box for a failure outside the handlers.
std::wstring ApplicationErrorText(const std::wstring& className, const std::wstring& moduleName,
                                  std::uint64_t address, const std::wstring& message);

// value as hexadecimal digits, at least minDigits of them.
std::wstring HexText(std::uint64_t value, int minDigits, bool upperCase);

// Messages of input/output failures on text files, chosen by the failure
// code: 2, 4, 5, 100, 101 and 106 have texts of their own; code 3 reads
// "Ungültiger Dateiname - " and fileName; any other "E/A-Fehler " and the
// code in decimal.
std::wstring InOutErrorText(int code, const std::wstring& fileName);

// systemText (the platform's text for code), or "OLE-Fehler %.8x" with the
// code when that is empty.
std::wstring OleFailureText(std::uint32_t code, const std::wstring& systemText);

// OleFailureText, then ", ClassID: " and classIdText, the class identifier
// in braces.
std::wstring ComObjectFailureText(std::uint32_t code, const std::wstring& systemText,
                                  const std::wstring& classIdText);
