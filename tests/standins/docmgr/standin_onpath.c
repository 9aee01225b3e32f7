/* A small library that the stand-in's build with dependencies loads by bare
   name when it is asked for its application object; only a folder on PATH
   holds it. */
#include "dependency_marks.h"

__declspec(dllexport) int StandInOnPathMark(void) { return STANDIN_ON_PATH_MARK; }
