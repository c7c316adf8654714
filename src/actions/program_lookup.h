#ifndef PROGRAM_LOOKUP_H
#define PROGRAM_LOOKUP_H

#include <windows.h>

// Which program a stored command may start, decided before the system gets to search for it.
// FALSE: nothing may be started, because the program is named without a path and none of the
// system folder, the Windows folder and the full paths on PATH holds it, or is named by a path
// relative to the current folder. TRUE: `program` (MAX_PATH bytes) holds the full name to start it
// by, or is empty where the command names its program by a full path the system takes as it is.
BOOL FindProgramToStart(const char* command, char* program);

#endif
