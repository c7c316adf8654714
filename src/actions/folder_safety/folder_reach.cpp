// Whether a path someone else wrote may be opened: on this machine, through no link.
#include "folder_reach.h"

#include <string.h>

#include "../../common/ansi_text.h"
#include "../../common/path_text.h"
#include "clearable_path.h"

// Tags of mount points and symbolic links carry this bit; cloud placeholders do not redirect.
#define REPARSE_TAG_NAME_SURROGATE 0x20000000u

BOOL IsLocalDrivePath(const char* path)
{
    if (!IsDrivePath(path)) {
        return FALSE;
    }
    for (const char* position = path + 2; *position != 0; position = SkipCharacter(position)) {
        if (SkipCharacter(position) - position == 1 &&
            IsForbiddenPathCharacter((unsigned char)*position)) {
            return FALSE;
        }
    }
    char root[4] = {path[0], ':', '\\', 0};
    return GetDriveTypeA(root) != DRIVE_REMOTE;
}

BOOL PassesThroughLink(const char* path)
{
    if (strlen(path) <= 3) {
        return FALSE;  // a drive alone: no part to follow
    }
    char part[MAX_PATH];
    strcpy(part, path);  // every caller holds it in a MAX_PATH buffer
    for (char* position = part + 3;; position = (char*)SkipCharacter(position)) {
        if (*position != 0 && *position != '\\') {
            continue;
        }
        char kept = *position;
        *position = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(part, &found);
        if (search == INVALID_HANDLE_VALUE) {
            return FALSE;  // nothing there, so nothing further to follow
        }
        FindClose(search);
        // A tag that names no kind (as some systems give) may be any link.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            ((found.dwReserved0 & REPARSE_TAG_NAME_SURROGATE) != 0 || found.dwReserved0 == 0)) {
            return TRUE;
        }
        if (kept == 0) {
            return FALSE;
        }
        *position = kept;
    }
}
