#ifndef PROTECTED_FOLDERS_H
#define PROTECTED_FOLDERS_H

#include <windows.h>

#include "folder_identity.h"
#include "folder_names.h"

// Tables of fixed size, in static storage: on a machine with more than this, nothing is cleared.
// Room for a Remote Desktop host with dozens of users logged on and thousands of profiles.
#define MOST_LINKED_FOLDERS 1024
#define MOST_PROFILES 4096
#define MOST_PROFILE_ROOTS 4

// The folders that are never cleared or removed, found once per removal.
struct ProtectedFolders {
    char windowsPath[MAX_PATH];
    FolderIdentity windows;
    FolderNameList named;  // folders the system names and every profile, as full paths
    // Folders users' own settings name: on a local drive and reached through no link when found,
    // and looked at again before each open; anywhere else, compared as text and never opened.
    FolderNameList namedByUser;
    FolderNameList namedByText;
    FolderIdentity linked[MOST_LINKED_FOLDERS];  // where links on those paths lead
    int linkedCount;
    FolderIdentity profiles[MOST_PROFILES];  // every user profile, wherever it lies
    int profileCount;
    FolderIdentity profileRoots[MOST_PROFILE_ROOTS];
    int profileRootCount;
    BOOL complete;  // FALSE when a table overflowed or a lookup could not be read whole
};

// Gathers the folders the system names for this user and for all users, every user profile and
// the folders that hold any of them.
void CollectProtectedFolders(ProtectedFolders* folders);

// For the collectors: names the folder at `path` (expanded) and every folder that holds it, also
// where a link on its way leads; adds `identity` to one of the tables, once.
void KeepFolderAndHolders(ProtectedFolders* folders, const char* path);
// The same for a folder that a user's own settings name, which nobody has checked: never opened
// off a local drive, and never through a link (then nothing is cleared).
void KeepFolderNamedByUser(ProtectedFolders* folders, const char* path);
void AddFolderIdentity(ProtectedFolders* folders, FolderIdentity* list, int* count, int most,
                       const FolderIdentity* identity);

// TRUE when the folder at `path` must stay: it is protected, holds a protected folder, is a
// profile or directly inside one, lies inside the Windows folder, or cannot be told apart.
BOOL IsProtectedFolder(const ProtectedFolders* folders, const char* path);

#endif
