// Program entry: the program with its own operations.
#include <windows.h>

#include "MainDlg.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunProgram(ProgramOperations()); }
