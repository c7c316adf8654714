// The table of folders never cleared, what adds to it, and whether a folder is one of them.
#ifndef PROTECTED_FOLDERS_H
#define PROTECTED_FOLDERS_H

// What the system and each user's settings name feed it from their own files.

#include <windows.h>

#include "folder_identity.h"
#include "folder_values.h"

// Tables of fixed size, in static storage: on a machine with more than this, nothing is cleared.
// Room for a Remote Desktop host with dozens of users logged on and thousands of profiles.
#define MOST_LINKED_FOLDERS 1024
#define MOST_PROFILES 4096
#define MOST_PROFILE_ROOTS 4

// Empties the table, for a new look at the machine.
void StartProtectedFolders(void);

// Once a lookup could not be finished, any folder may be protected: nothing is cleared. Which
// lookup it was (`lookup`, in words) and where (`concerns`) is kept only for a verdict.
#ifdef SAFETY_VERDICTS
void MarkProtectionIncomplete(const char* lookup, const char* concerns);
#else
void MarkProtectionIncompleteUnsaid(void);
inline void MarkProtectionIncomplete(const char*, const char*)
{
    MarkProtectionIncompleteUnsaid();
}
#endif
BOOL IsProtectionComplete(void);

// A folder value that cannot be read (folder_values.h) may name any folder.
inline void MarkIncompleteUnlessRead(int read, const char* lookup, const char* concerns)
{
    if (read == FOLDER_VALUE_UNREADABLE || read == FOLDER_VALUES_BROKEN) {
        MarkProtectionIncomplete(lookup, concerns);
    }
}

// The Windows folder, and everything inside it. FALSE when it cannot be told apart.
BOOL KeepWindowsFolder(const char* path);

// Names the folder at `path` and every folder that holds it, also where a link on its way leads.
void KeepFolderAndHolders(const char* path);

// The same for a folder that a user's own settings name (`whose`: the user's SID, or "" for the
// launcher's own), which nobody has checked: never opened off a local drive, and never through a
// link: such a path is kept by its text.
void KeepFolderNamedByUser(const char* path, const char* whose);

// A user profile, and a folder that holds profiles. FALSE when it was there already.
BOOL KeepProfile(const FolderIdentity* identity);
BOOL KeepProfilesRoot(const FolderIdentity* identity);

// TRUE when the folder at `path` must stay: it is protected, holds a protected folder, is a
// profile or directly inside one, lies inside the Windows folder, or cannot be told apart.
BOOL IsProtectedFolder(const char* path);

#endif
