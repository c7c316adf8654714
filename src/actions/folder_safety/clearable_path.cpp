#include "clearable_path.h"

#include <string.h>

#include "../ansi_text.h"
#include "folder_identity.h"

BOOL IsForbiddenPathCharacter(unsigned char character)
{
    return character < 32 || strchr("*?/\"<>|:", character) != NULL;
}

BOOL CopyClearableFolderPath(const char* path, char* folder)
{
    size_t length = strlen(path);
    if (length == 0 || length >= MAX_PATH) {
        return FALSE;
    }
    memcpy(folder, path, length + 1);
    char* last;
    while ((last = FindLastBackslash(folder)) != NULL && last[1] == 0) {
        *last = 0;
    }
    if (strlen(folder) > LONGEST_CLEARABLE_PATH) {
        return FALSE;
    }

    const char* components;
    unsigned char drive = (unsigned char)folder[0];
    if (((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && folder[1] == ':' &&
        folder[2] == '\\') {
        components = folder + 3;
    } else if (folder[0] == '\\' && folder[1] == '\\') {
        components = folder + 2;
    } else {
        return FALSE;
    }
    if (IsVolumeRoot(folder)) {
        return FALSE;
    }

    const char* position = components;
    const char* lastCharacter = NULL;  // where the current component's last character starts
    for (;;) {
        if (*position == 0 || *position == '\\') {
            if (lastCharacter == NULL) {
                return FALSE;  // empty component
            }
            if (position - lastCharacter == 1 && (*lastCharacter == '.' || *lastCharacter == ' ')) {
                return FALSE;
            }
            if (*position == 0) {
                return TRUE;
            }
            lastCharacter = NULL;
            ++position;
            continue;
        }
        const char* next = SkipCharacter(position);
        if (next - position == 1 && IsForbiddenPathCharacter((unsigned char)*position)) {
            return FALSE;
        }
        lastCharacter = position;
        position = next;
    }
}
