// Which folder a path leads to, whatever the path's spelling.
#include "folder_identity.h"

#include <string.h>

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

BOOL IsSameFolder(const FolderIdentity* first, const FolderIdentity* second)
{
    return first->volume == second->volume && first->indexHigh == second->indexHigh &&
           first->indexLow == second->indexLow;
}

BOOL IsFolderInTable(const FolderIdentity* table, int count, const FolderIdentity* identity)
{
    for (int i = 0; i < count; ++i) {
        if (IsSameFolder(&table[i], identity)) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL ReadFinalFolderPath(const char* folder, char* final)
{
    HANDLE handle = CreateFileA(folder, 0, FOLDER_SHARE_ALL, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        final[0] = 0;  // nothing there to keep
        return TRUE;
    }
    char found[MAX_PATH];
    DWORD length = GetFinalPathNameByHandleA(handle, found, MAX_PATH, 0);
    CloseHandle(handle);
    // "\\?\C:\..." or "\\?\UNC\server\share\...", for "C:\..." or "\\server\share\..."
    if (length < 8 || length >= MAX_PATH || found[0] != '\\' || found[1] != '\\' ||
        found[2] != '?' || found[3] != '\\') {
        return FALSE;
    }
    if (found[4] == 'U' && found[5] == 'N' && found[6] == 'C' && found[7] == '\\') {
        strcpy(final, found + 6);
        final[0] = '\\';
    } else {
        strcpy(final, found + 4);
    }
    return TRUE;
}
