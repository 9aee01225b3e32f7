#pragma once
// What a caught failure shows: its class name and message, or nothing for
// the silent kind; and what a structured exception (a fault of the processor
// or the system, no C++ exception) shows.
#include <cstdint>
#include <exception>
#include <string>

struct TFailureText {
    std::wstring ClassName;
    std::wstring Message;
    bool Silent = false;
};

TFailureText DescribeFailure(std::exception_ptr failure);

// A structured exception by its code: EAccessViolation for 0xC0000005,
// EExternalException for any other; the message "Externe Exception " and the
// code as eight upper-case hexadecimal digits.
TFailureText DescribeStructuredException(std::uint32_t code);

// The message of the form's error box for a structured exception raised
// inside a handler: "Zugriffsverletzung bei Adresse %p in Modul %s" for an
// access violation, "Externe Exception %X bei Adresse %p in Modul %s" for any
// other code; the address as 16 upper-case hexadecimal digits, the module
// as FaultModuleName gives it.
std::wstring HandlerFaultMessage(std::uint32_t code, std::uint64_t address, const std::wstring& moduleName);

// The module named for a faulting address: the file name of the module's path,
// or "(unbekannt)" when no module holds the address (modulePath empty).
std::wstring FaultModuleName(const std::wstring& modulePath);
