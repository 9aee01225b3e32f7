#pragma once
// What a caught failure shows: its class name and message, or nothing for
// the silent kind.
#include <exception>
#include <string>

struct TFailureText {
    std::wstring ClassName;
    std::wstring Message;
    bool Silent = false;
};

TFailureText DescribeFailure(std::exception_ptr failure);
