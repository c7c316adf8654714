#include "user_folders.h"

#include <string.h>

#include "../ansi_text.h"
#include "folder_values.h"

// Downloads, Saved Games, Links and others have no folder number; each user's settings name them.
static const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

static const char kProfileListKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
static const char* const kListedProfileValues[] = {"Default", "Public"};

// A 32-bit program sees its own registry view; the profiles may be listed in the other.
#ifdef _WIN64
static const REGSAM kRegistryViews[] = {0};
#else
static const REGSAM kRegistryViews[] = {0, KEY_WOW64_64KEY};
#endif

static void AddProfile(ProtectedFolders* folders, const char* path)
{
    char folder[MAX_PATH];
    FolderIdentity identity;
    if (!CopyAbsoluteFolderPath(path, folder) ||
        !ReadFolderIdentity(folder, FOLDER_SHARE_ALL, &identity, NULL)) {
        return;
    }
    AddFolderIdentity(folders, folders->profiles, &folders->profileCount, MOST_PROFILES, &identity);
    KeepFolderAndHolders(folders, folder);
}

static BOOL IsDotName(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Every real folder directly inside a profiles root is a profile: other users, Public, Default.
// Links there ("All Users") are not profiles; a moved profile is found through the list instead.
static void AddProfilesInRoot(ProtectedFolders* folders, const char* path)
{
    char root[MAX_PATH];
    FolderIdentity identity;
    if (!CopyAbsoluteFolderPath(path, root) ||
        !ReadFolderIdentity(root, FOLDER_SHARE_ALL, &identity, NULL) ||
        IsFolderListed(folders->profileRoots, folders->profileRootCount, &identity)) {
        return;
    }
    AddFolderIdentity(folders, folders->profileRoots, &folders->profileRootCount,
                      MOST_PROFILE_ROOTS, &identity);
    KeepFolderAndHolders(folders, root);

    size_t length = strlen(root);
    char entry[MAX_PATH];
    if (length + 3 > MAX_PATH) {
        folders->complete = FALSE;
        return;
    }
    memcpy(entry, root, length);
    memcpy(entry + length, "\\*", 3);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(entry, &found);
    if (search == INVALID_HANDLE_VALUE) {
        folders->complete = FALSE;  // a root that cannot be listed may hide any profile
        return;
    }
    do {
        DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || IsDotName(found.cFileName)) {
            continue;
        }
        size_t nameLength = strlen(found.cFileName);
        if (length + 1 + nameLength >= MAX_PATH) {
            folders->complete = FALSE;
            continue;
        }
        entry[length] = '\\';
        memcpy(entry + length + 1, found.cFileName, nameLength + 1);
        AddProfile(folders, entry);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A value that cannot be read may name any folder: then nothing is cleared.
static void NoteFolderValue(ProtectedFolders* folders, int read)
{
    if (read == FOLDER_VALUE_UNREADABLE || read == FOLDER_VALUES_BROKEN) {
        folders->complete = FALSE;
    }
}

// One user's settings, with `profile` for %USERPROFILE% (NULL: the launcher's own environment).
static void KeepShellFoldersOf(ProtectedFolders* folders, HKEY root, const char* keyPath,
                               const char* profile)
{
    HKEY key;
    LONG opened = RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        if (opened != ERROR_FILE_NOT_FOUND) {
            folders->complete = FALSE;  // settings that cannot be read may name any folder
        }
        return;
    }
    char path[MAX_PATH];
    int read = FOLDER_VALUES_END;
    // Once the protection is incomplete nothing is cleared: nothing more a user wrote is opened.
    for (DWORD index = 0;
         folders->complete &&
         (read = ReadFolderValueAt(key, index, profile, path)) != FOLDER_VALUES_END &&
         read != FOLDER_VALUES_BROKEN;
         ++index) {
        NoteFolderValue(folders, read);
        KeepFolderNamedByUser(folders, path);
    }
    NoteFolderValue(folders, read);
    RegCloseKey(key);
}

// The profile folder the profile list gives for the account `user` (a SID).
static BOOL ReadUserProfile(const char* user, char* profile)
{
    char keyPath[MAX_PATH];
    size_t listLength = sizeof kProfileListKey - 1;
    size_t userLength = strlen(user);
    if (listLength + 1 + userLength >= MAX_PATH) {
        return FALSE;
    }
    memcpy(keyPath, kProfileListKey, listLength);
    keyPath[listLength] = '\\';
    memcpy(keyPath + listLength + 1, user, userLength + 1);
    for (size_t i = 0; i < sizeof kRegistryViews / sizeof kRegistryViews[0]; ++i) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | kRegistryViews[i], &key) ==
            ERROR_SUCCESS) {
            int read = ReadFolderValue(key, "ProfileImagePath", NULL, profile);
            RegCloseKey(key);
            return read == FOLDER_VALUE_READ;
        }
    }
    return FALSE;
}

// Run as SYSTEM by a deployment tool, the launcher's own settings are SYSTEM's: the person at the
// machine has theirs among the users logged on. Users not logged on have no settings loaded.
static void KeepShellFoldersOfEveryUser(ProtectedFolders* folders)
{
    KeepShellFoldersOf(folders, HKEY_CURRENT_USER, kUserShellFoldersKey, NULL);
    for (DWORD index = 0; folders->complete; ++index) {
        char user[MAX_PATH];
        DWORD userSize = MAX_PATH;
        LONG result = RegEnumKeyExA(HKEY_USERS, index, user, &userSize, NULL, NULL, NULL, NULL);
        if (result != ERROR_SUCCESS) {
            if (result != ERROR_NO_MORE_ITEMS) {
                folders->complete = FALSE;
            }
            break;
        }
        char keyPath[MAX_PATH];
        size_t settingsLength = sizeof kUserShellFoldersKey - 1;
        if (userSize + 1 + settingsLength >= MAX_PATH) {
            folders->complete = FALSE;
            continue;
        }
        memcpy(keyPath, user, userSize);
        keyPath[userSize] = '\\';
        memcpy(keyPath + userSize + 1, kUserShellFoldersKey, settingsLength + 1);
        char profile[MAX_PATH];
        BOOL knownProfile = ReadUserProfile(user, profile);
        KeepShellFoldersOf(folders, HKEY_USERS, keyPath, knownProfile ? profile : NULL);
    }
}

static void AddListedProfiles(ProtectedFolders* folders, REGSAM view)
{
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ | view, &list) !=
        ERROR_SUCCESS) {
        return;
    }
    char path[MAX_PATH];
    NoteFolderValue(folders, ReadFolderValue(list, "ProfilesDirectory", NULL, path));
    AddProfilesInRoot(folders, path);
    for (size_t i = 0; i < sizeof kListedProfileValues / sizeof kListedProfileValues[0]; ++i) {
        NoteFolderValue(folders, ReadFolderValue(list, kListedProfileValues[i], NULL, path));
        AddProfile(folders, path);
    }
    for (DWORD index = 0;; ++index) {
        char name[MAX_PATH];
        DWORD nameSize = MAX_PATH;
        LONG result = RegEnumKeyExA(list, index, name, &nameSize, NULL, NULL, NULL, NULL);
        if (result != ERROR_SUCCESS) {
            if (result != ERROR_NO_MORE_ITEMS) {
                folders->complete = FALSE;  // an error may repeat for ever, and hide any profile
            }
            break;
        }
        HKEY profile;
        if (RegOpenKeyExA(list, name, 0, KEY_READ | view, &profile) != ERROR_SUCCESS) {
            folders->complete = FALSE;
            continue;
        }
        NoteFolderValue(folders, ReadFolderValue(profile, "ProfileImagePath", NULL, path));
        AddProfile(folders, path);
        RegCloseKey(profile);
    }
    RegCloseKey(list);
}

void KeepUserFolders(ProtectedFolders* folders, const char* ownProfile)
{
    KeepShellFoldersOfEveryUser(folders);
    for (size_t i = 0; i < sizeof kRegistryViews / sizeof kRegistryViews[0]; ++i) {
        AddListedProfiles(folders, kRegistryViews[i]);
    }
    // The launcher's own profile, and the folder that holds it as a profiles root, wherever it is.
    char root[MAX_PATH];
    strcpy(root, ownProfile);
    AddProfile(folders, root);
    char* cut = FindLastBackslash(root);
    if (cut != NULL) {
        *cut = 0;
        AddProfilesInRoot(folders, root);
    }
}
