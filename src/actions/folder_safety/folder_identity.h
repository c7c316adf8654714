#ifndef FOLDER_IDENTITY_H
#define FOLDER_IDENTITY_H

#include <windows.h>

// A folder as its volume knows it: the same for every path that leads to it.
struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

// Folders are opened with full sharing so that no other open can hide them.
#define FOLDER_SHARE_ALL (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)

// "X:" or "\\server\share", or less: never a folder to remove.
BOOL IsVolumeRoot(const char* path);

// Copies an absolute path ("X:\..." or "\\...") below its volume root, without trailing
// backslashes, into a MAX_PATH buffer.
BOOL CopyAbsoluteFolderPath(const char* path, char* folder);

// Opens `path` only to learn which folder (or file) it is; `attributes` may be NULL.
BOOL ReadFolderIdentity(const char* path, DWORD shareMode, FolderIdentity* identity,
                        DWORD* attributes);

// The same, for a folder already held open.
BOOL ReadHeldFolderIdentity(HANDLE handle, FolderIdentity* identity, DWORD* attributes);

BOOL IsFolderListed(const FolderIdentity* list, int count, const FolderIdentity* identity);

#endif
