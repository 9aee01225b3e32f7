#pragma once
// The program's failures. Each carries the German message that the error box
// shows; the class name appears in the "Anwendungsfehler" box.
#include <stdexcept>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const noexcept { return fMessage; }
    virtual const wchar_t* ClassName() const noexcept { return L"Exception"; }
    // The message in UTF-8, for whatever logs standard exceptions.
    const char* what() const noexcept override { return fUtf8Message.c_str(); }

private:
    std::wstring fMessage;
    std::string fUtf8Message;
};

// A failure that also carries the numeric code it was reported with.
template <typename TCode>
class ECodedError : public Exception {
public:
    ECodedError(std::wstring message, TCode errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
    TCode ErrorCode;
};

// An operating-system call failed; the message holds the code and the platform text.
class EOSError : public ECodedError<unsigned long> {
public:
    using ECodedError::ECodedError;
    const wchar_t* ClassName() const noexcept override { return L"EOSError"; }
};

// Input/output failure on a text file or folder, with its numeric code.
class EInOutError : public ECodedError<int> {
public:
    using ECodedError::ECodedError;
    const wchar_t* ClassName() const noexcept override { return L"EInOutError"; }
};

// A COM or OLE call reported a failure result.
class EOleSysError : public ECodedError<long> {
public:
    using ECodedError::ECodedError;
    const wchar_t* ClassName() const noexcept override { return L"EOleSysError"; }
};

// An object refused an interface that was asked for.
class EIntfCastError : public Exception {
public:
    EIntfCastError() : Exception(L"Interface nicht unterstützt") {}
    const wchar_t* ClassName() const noexcept override { return L"EIntfCastError"; }
};

// A system resource (bitmap, device context) could not be had.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
    const wchar_t* ClassName() const noexcept override { return L"EOutOfResources"; }
};

// "Datei "%s" kann nicht erstellt werden. %s": the full path and the platform's text.
class EFCreateError : public Exception {
public:
    EFCreateError(const std::wstring& fullPath, const std::wstring& systemText);
    const wchar_t* ClassName() const noexcept override { return L"EFCreateError"; }
};

// "Datei "%s" kann nicht geschrieben werden. %s": the full path and the platform's text.
class EFWriteError : public Exception {
public:
    EFWriteError(const std::wstring& fullPath, const std::wstring& systemText);
    const wchar_t* ClassName() const noexcept override { return L"EFWriteError"; }
};

// The silent kind: caught like any failure, but shows nothing.
class EAbort : public Exception {
public:
    EAbort() : Exception(L"") {}
    const wchar_t* ClassName() const noexcept override { return L"EAbort"; }
};

// text in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8Text(const std::wstring& text);
