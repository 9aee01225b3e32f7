// The build with dependencies, as a vendor's library may have them: it imports
// a library that lies beside it (standin_beside.dll), and when it is asked for
// its application object it loads another by bare name (standin_onpath.dll),
// which only a folder on PATH holds. Both work only in a process that keeps
// the search order Windows gives it.
#include "BoundFunction.h"
#include "dependency_marks.h"
#include "standin_objects.h"

extern "C" __declspec(dllimport) int StandInBesideMark(void);

HRESULT LoadApplicationDependencies() noexcept {
    if (StandInBesideMark() != STANDIN_BESIDE_MARK) return E_UNEXPECTED;
    // Kept loaded, as a library keeps what it loads late.
    const HMODULE onPath = ::LoadLibraryW(L"standin_onpath.dll");
    if (!onPath) return HRESULT_FROM_WIN32(::GetLastError());
    using TMarkFn = int (*)();
    const TMarkFn mark = BindFunction<TMarkFn>(onPath, "StandInOnPathMark");
    if (!mark || mark() != STANDIN_ON_PATH_MARK) return E_UNEXPECTED;
    return S_OK;
}
