#pragma once
/* What the two small libraries of the stand-in's build with dependencies
   answer, so that the stand-in knows it reached the right ones. Shared by the
   C libraries and the stand-in. */
#define STANDIN_BESIDE_MARK 0x42E51DE
#define STANDIN_ON_PATH_MARK 0x0BA7B
