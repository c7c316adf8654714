// How a path is written: absolute or not, a volume root or below one, and the folder above it.
#ifndef PATH_TEXT_H
#define PATH_TEXT_H

#include <windows.h>

// "X:\..." on a drive letter.
BOOL IsDrivePath(const char* path);

// "X:\..." or "\\...": the only paths that do not depend on the current folder.
BOOL IsAbsolutePath(const char* path);

// "X:" or "\\server\share", or less: never a folder to remove.
BOOL IsVolumeRoot(const char* path);

// Copies an absolute path below its volume root, without trailing backslashes, into a MAX_PATH
// buffer.
BOOL CopyAbsoluteFolderPath(const char* path, char* folder);

// Ends the text at its last backslash, so that it names the folder above. Returns where it cut,
// NULL when there is no backslash.
char* CutLastPart(char* path);

#endif
