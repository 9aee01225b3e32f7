#pragma once
// A function of a library loaded at run time, as the function type it stands for.
#include <windows.h>

// Name's address in Library through the generic function type, which converts
// to any other; null when Library is null or has no such function.
template <typename TFunction>
TFunction BindFunction(HMODULE Library, const char* Name) noexcept {
    if (!Library) return nullptr;
    const FARPROC address = ::GetProcAddress(Library, Name);
    return address ? reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(address)) : nullptr;
}
