// Whether the install folder's path is written in a form this program takes as written.
#include "clearable_path.h"

#include <string.h>

#include "../../common/ansi_text.h"
#include "../../common/path_text.h"
#include "safety_verdict.h"

BOOL IsForbiddenPathCharacter(unsigned char character)
{
    return character < 32 || strchr("*?/\"<>|:", character) != NULL;
}

static BOOL HasSafeComponents(const char* folder)
{
    if (strlen(folder) > LONGEST_CLEARABLE_PATH) {
        return FALSE;
    }
    const char* components = folder + (IsDrivePath(folder) ? 3 : 2);
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

BOOL HasClearableForm(const char* path, char* folder)
{
    if (!CopyAbsoluteFolderPath(path, folder) || !HasSafeComponents(folder)) {
        RecordRefusal(SAFETY_PATH_FORM, path);
        return FALSE;
    }
    return TRUE;
}
