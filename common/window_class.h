#pragma once
// Window classes of this program, registered once per process.
#include <windows.h>

// Registers the class. A class of the same name and window procedure that this
// module registered before (an earlier object of the same kind in this
// process) is taken as it is. Raises the operating-system error on any other
// failure, also for a class of that name with another window procedure.
void RegisterWindowClass(const WNDCLASSEXW& windowClass);
