// The usual builds: the application object needs nothing loaded first.
#include "standin_objects.h"

HRESULT LoadApplicationDependencies() noexcept { return S_OK; }
