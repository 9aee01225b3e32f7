/* A library of the fault module tests: loaded, looked at, freed again. */
__declspec(dllexport) int FaultModuleProbe(void) { return 1; }
