// Whether the install folder's path is written in a form this program takes as written.
#ifndef CLEARABLE_PATH_H
#define CLEARABLE_PATH_H

#include <windows.h>

// Room for "\*.*" and the shell list's two terminators.
#define LONGEST_CLEARABLE_PATH (MAX_PATH - 6)

// A control character, a wildcard, a stream's colon, a quote or a forward slash: never part of a
// folder name this program opens as written.
BOOL IsForbiddenPathCharacter(unsigned char character);

// Whether `path` is written as an absolute folder path that is safe to hand to the shell: on a
// drive or share, below its root, no "." or ".." and no component the system would quietly
// rewrite (trailing dots or blanks), no wildcards or streams, and short enough for the shell's
// list. `folder` (MAX_PATH) receives it without trailing backslashes.
BOOL HasClearableForm(const char* path, char* folder);

#endif
