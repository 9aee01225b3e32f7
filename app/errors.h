#pragma once
// The program's failures. Each carries the German message that the error box
// shows; the class name appears in the "Anwendungsfehler" box.
#include <stdexcept>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : fMessage(std::move(message)) {}
    const std::wstring& Message() const noexcept { return fMessage; }
    virtual const wchar_t* ClassName() const noexcept { return L"Exception"; }
    const char* what() const noexcept override { return "Exception"; }

private:
    std::wstring fMessage;
};

// An operating-system call failed; the message holds the code and the platform text.
class EOSError : public Exception {
public:
    EOSError(std::wstring message, unsigned long errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    const wchar_t* ClassName() const noexcept override { return L"EOSError"; }
    unsigned long ErrorCode;
};

// Input/output failure on a text file or folder, with its numeric code.
class EInOutError : public Exception {
public:
    EInOutError(std::wstring message, int errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    const wchar_t* ClassName() const noexcept override { return L"EInOutError"; }
    int ErrorCode;
};

// An object refused an interface that was asked for.
class EIntfCastError : public Exception {
public:
    EIntfCastError() : Exception(L"Interface nicht unterstützt") {}
    const wchar_t* ClassName() const noexcept override { return L"EIntfCastError"; }
};

// A COM or OLE call reported a failure result.
class EOleSysError : public Exception {
public:
    EOleSysError(std::wstring message, long errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    const wchar_t* ClassName() const noexcept override { return L"EOleSysError"; }
    long ErrorCode;
};

// A system resource (bitmap, device context) could not be had.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EOutOfResources"; }
};

// The silent kind: caught like any failure, but shows nothing.
class EAbort : public Exception {
public:
    EAbort() : Exception(L"") {}
    const wchar_t* ClassName() const noexcept override { return L"EAbort"; }
};
