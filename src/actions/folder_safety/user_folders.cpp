// Which folders the users' own shell folder settings name.
#include "user_folders.h"

#include <windows.h>

#include "../../common/registry_text.h"
#include "profiles.h"
#include "protected_folders.h"

// Downloads, Saved Games, Links and others have no folder number; each user's settings name them.
static const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// One user's settings, with `profile` for %USERPROFILE% (NULL: the launcher's own environment).
// `whose`: the user's SID, or "" for the launcher's own settings.
static void KeepShellFoldersOf(HKEY root, const char* keyPath, const char* profile,
                               const char* whose)
{
    const char* lookup = whose[0] == 0 ? "the shell folder settings in HKEY_CURRENT_USER"
                                       : "a user's shell folder settings in HKEY_USERS";
    HKEY key;
    LONG opened = RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        if (opened != ERROR_FILE_NOT_FOUND) {
            // Settings that cannot be read may name any folder.
            MarkProtectionIncomplete(lookup, keyPath);
        }
        return;
    }
    char path[MAX_PATH];
    int read = FOLDER_VALUES_END;
    // Once the protection is incomplete nothing is cleared: nothing more a user wrote is opened.
    for (DWORD index = 0;
         IsProtectionComplete() &&
         (read = ReadFolderValueAt(key, index, profile, path)) != FOLDER_VALUES_END &&
         read != FOLDER_VALUES_BROKEN;
         ++index) {
        MarkIncompleteUnlessRead(read, lookup, keyPath);
        KeepFolderNamedByUser(path, whose);
    }
    MarkIncompleteUnlessRead(read, lookup, keyPath);
    RegCloseKey(key);
}

// Run as SYSTEM by a deployment tool, the launcher's own settings are SYSTEM's: the person at the
// machine has theirs among the users logged on. Users not logged on have no settings loaded.
void KeepFoldersUsersName(void)
{
    KeepShellFoldersOf(HKEY_CURRENT_USER, kUserShellFoldersKey, NULL, "");
    for (DWORD index = 0; IsProtectionComplete(); ++index) {
        char user[MAX_PATH];
        DWORD userSize = MAX_PATH;
        LONG result = RegEnumKeyExA(HKEY_USERS, index, user, &userSize, NULL, NULL, NULL, NULL);
        if (result != ERROR_SUCCESS) {
            if (result != ERROR_NO_MORE_ITEMS) {
                MarkProtectionIncomplete("the users logged on", "HKEY_USERS");
            }
            break;
        }
        char keyPath[MAX_PATH];
        if (!JoinKeyPath(keyPath, user, kUserShellFoldersKey)) {
            MarkProtectionIncomplete("a user's shell folder settings in HKEY_USERS", user);
            continue;
        }
        char profile[MAX_PATH];
        BOOL knownProfile = ReadUserProfile(user, profile);
        KeepShellFoldersOf(HKEY_USERS, keyPath, knownProfile ? profile : NULL, user);
    }
}
