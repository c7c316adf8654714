// How a path is written: absolute or not, a volume root or below one, and the folder above it.
#include "path_text.h"

#include <string.h>

#include "ansi_text.h"

BOOL IsDrivePath(const char* path)
{
    unsigned char drive = (unsigned char)(path[0] | 0x20);
    return drive >= 'a' && drive <= 'z' && path[1] == ':' && path[2] == '\\';
}

BOOL IsAbsolutePath(const char* path)
{
    return IsDrivePath(path) || (path[0] == '\\' && path[1] == '\\');
}

BOOL IsVolumeRoot(const char* path)
{
    if (path[0] == '\\' && path[1] == '\\') {
        int separators = 0;
        for (const char* position = path + 2; *position != 0; position = SkipCharacter(position)) {
            if (*position == '\\') {
                ++separators;
            }
        }
        return separators <= 1;
    }
    return path[0] == 0 || (path[1] == ':' && path[2] == 0);
}

BOOL CopyAbsoluteFolderPath(const char* path, char* folder)
{
    size_t length = strlen(path);
    if (!IsAbsolutePath(path) || length >= MAX_PATH) {
        return FALSE;
    }
    memcpy(folder, path, length + 1);
    char* last;
    while ((last = FindLastBackslash(folder)) != NULL && last[1] == 0) {
        *last = 0;
    }
    return !IsVolumeRoot(folder);
}

char* CutLastPart(char* path)
{
    char* cut = FindLastBackslash(path);
    if (cut != NULL) {
        *cut = 0;
    }
    return cut;
}
