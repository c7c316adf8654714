// The process entry, before the runtime or anything else runs.
#ifndef PROGRAM_START_H
#define PROGRAM_START_H

#include "dll_search.h"

// The process entry: restricts the DLL search, runs WinMain and ends with its status.
extern "C" void StartProgram(void);

#endif
