// Which program a stored command starts.
#ifndef PROGRAM_LOOKUP_H
#define PROGRAM_LOOKUP_H

#include <windows.h>

// Which program a stored command starts, found before the system gets to search for it, so that
// the program checked is the one started. TRUE: `program` (MAX_PATH bytes) holds its full name.
// FALSE: nothing may be started, because the program is named without a path and none of the
// system folder, the Windows folder and the full paths on PATH holds it, is named by a path
// relative to the current folder, or is an unquoted full path of which no reading names a file.
BOOL FindProgramToStart(const char* command, char* program);

#endif
