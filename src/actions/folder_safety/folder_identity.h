// Which folder a path leads to, whatever the path's spelling.
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

// Opens `path` only to learn which folder (or file) it is; `attributes` may be NULL.
BOOL ReadFolderIdentity(const char* path, DWORD shareMode, FolderIdentity* identity,
                        DWORD* attributes);

// The same, for a folder already held open.
BOOL ReadHeldFolderIdentity(HANDLE handle, FolderIdentity* identity, DWORD* attributes);

// Where the folder at `folder` really is, through every link on its way, into a MAX_PATH buffer:
// "" when nothing is there. FALSE when that cannot be told.
BOOL ReadFinalFolderPath(const char* folder, char* final);

BOOL IsSameFolder(const FolderIdentity* first, const FolderIdentity* second);

// Whether `identity` is one of the `count` folders of `table`.
BOOL IsFolderInTable(const FolderIdentity* table, int count, const FolderIdentity* identity);

#endif
