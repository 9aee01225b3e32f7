#pragma once
// The module that holds a faulting address, named without the loader: a
// library that hangs while it holds the loader lock (or a heap lock) must not
// keep the report of a fault from coming.
#include <cstddef>

// A module's file name without its folder, as a report prints it; empty
// (Text[0] == 0) when no module is named.
struct TModuleName {
    // The longest file name a volume allows, and its terminating zero.
    static constexpr std::size_t cCapacity = 256;
    wchar_t Text[cCapacity] = {};
    bool Empty() const noexcept { return Text[0] == 0; }
};

// The file name of the image mapped at address: the allocation that holds it
// (VirtualQuery) and the file mapped there (K32GetMappedFileNameW), neither
// of which takes the loader lock, and no heap allocation on the way. Empty
// when address lies in no mapped image (null, freed, heap, stack, a mapped
// data file), or when the platform cannot tell the file's name whole.
TModuleName ModuleNameAt(const void* address) noexcept;
