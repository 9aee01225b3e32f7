#pragma once
// The calls a program makes on the stand-in's interfaces, for tests that check
// which methods are called and in what order. When the environment variable
// KESTRUM_DOCMGR_CALLS names a file, every call of an interface method (not of
// IUnknown's) appends one line "<interface> <slot> <method>" to it, in ASCII
// with LF; the slot counts from 0 after IUnknown's three methods. Without the
// variable nothing is written. The variable is read at every call.
#include <windows.h>

void LogCall(const char* interfaceName, int slot, const char* method) noexcept;

// A slot the stand-in does not build: logged like every call, answers E_NOTIMPL.
HRESULT NotBuilt(const char* interfaceName, int slot, const char* method) noexcept;
