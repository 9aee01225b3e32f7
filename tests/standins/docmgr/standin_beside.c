/* A small library that the stand-in's build with dependencies imports; it
   lies beside the stand-in. */
#include "dependency_marks.h"

__declspec(dllexport) int StandInBesideMark(void) { return STANDIN_BESIDE_MARK; }
