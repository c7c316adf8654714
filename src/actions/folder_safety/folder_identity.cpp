#include "folder_identity.h"

#include <string.h>

#include "../ansi_text.h"

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
    BOOL onDrive = length >= 3 && path[1] == ':' && path[2] == '\\';
    BOOL onShare = path[0] == '\\' && path[1] == '\\';
    if ((!onDrive && !onShare) || length >= MAX_PATH) {
        return FALSE;
    }
    memcpy(folder, path, length + 1);
    char* last;
    while ((last = FindLastBackslash(folder)) != NULL && last[1] == 0) {
        *last = 0;
    }
    return !IsVolumeRoot(folder);
}

BOOL ReadHeldFolderIdentity(HANDLE handle, FolderIdentity* identity, DWORD* attributes)
{
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) {
        return FALSE;
    }
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    if (attributes != NULL) {
        *attributes = information.dwFileAttributes;
    }
    return TRUE;
}

BOOL ReadFolderIdentity(const char* path, DWORD shareMode, FolderIdentity* identity,
                        DWORD* attributes)
{
    HANDLE handle = CreateFileA(path, 0, shareMode, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BOOL known = ReadHeldFolderIdentity(handle, identity, attributes);
    CloseHandle(handle);
    return known;
}

BOOL IsFolderListed(const FolderIdentity* list, int count, const FolderIdentity* identity)
{
    for (int i = 0; i < count; ++i) {
        if (list[i].volume == identity->volume && list[i].indexHigh == identity->indexHigh &&
            list[i].indexLow == identity->indexLow) {
            return TRUE;
        }
    }
    return FALSE;
}
