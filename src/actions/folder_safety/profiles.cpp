// Which folders are user profiles or hold them.
#include "profiles.h"

#include <string.h>

#include "../../common/path_text.h"
#include "../../common/registry_text.h"
#include "protected_folders.h"

static const char kProfileListKey[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
static const char* const kListedProfileValues[] = {"Default", "Public"};

// A 32-bit program sees its own registry view; the profiles may be listed in the other.
#ifdef _WIN64
static const REGSAM kRegistryViews[] = {0};
#else
static const REGSAM kRegistryViews[] = {0, KEY_WOW64_64KEY};
#endif

static void AddProfile(const char* path)
{
    char folder[MAX_PATH];
    FolderIdentity identity;
    if (!CopyAbsoluteFolderPath(path, folder) ||
        !ReadFolderIdentity(folder, FOLDER_SHARE_ALL, &identity, NULL)) {
        return;
    }
    KeepProfile(&identity);
    KeepFolderAndHolders(folder);
}

static BOOL IsDotName(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Every real folder directly inside a profiles root is a profile: other users, Public, Default.
// Links there ("All Users") are not profiles; a moved profile is found through the list instead.
static void AddProfilesInRoot(const char* path)
{
    char root[MAX_PATH];
    FolderIdentity identity;
    if (!CopyAbsoluteFolderPath(path, root) ||
        !ReadFolderIdentity(root, FOLDER_SHARE_ALL, &identity, NULL) ||
        !KeepProfilesRoot(&identity)) {
        return;
    }
    KeepFolderAndHolders(root);

    size_t length = strlen(root);
    char entry[MAX_PATH];
    if (length + 3 > MAX_PATH) {
        MarkProtectionIncomplete("the folders in a profiles root", root);
        return;
    }
    memcpy(entry, root, length);
    memcpy(entry + length, "\\*", 3);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(entry, &found);
    if (search == INVALID_HANDLE_VALUE) {
        // A root that cannot be listed may hide any profile.
        MarkProtectionIncomplete("the folders in a profiles root", root);
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
            MarkProtectionIncomplete("the folders in a profiles root", root);
            continue;
        }
        entry[length] = '\\';
        memcpy(entry + length + 1, found.cFileName, nameLength + 1);
        AddProfile(entry);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

BOOL ReadUserProfile(const char* user, char* profile)
{
    char keyPath[MAX_PATH];
    if (!JoinKeyPath(keyPath, kProfileListKey, user)) {
        return FALSE;
    }
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

static void AddListedProfiles(REGSAM view)
{
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ | view, &list) !=
        ERROR_SUCCESS) {
        return;
    }
    char path[MAX_PATH];
    MarkIncompleteUnlessRead(ReadFolderValue(list, "ProfilesDirectory", NULL, path),
                             "the profile list", kProfileListKey);
    AddProfilesInRoot(path);
    for (size_t i = 0; i < sizeof kListedProfileValues / sizeof kListedProfileValues[0]; ++i) {
        MarkIncompleteUnlessRead(ReadFolderValue(list, kListedProfileValues[i], NULL, path),
                                 "the profile list", kProfileListKey);
        AddProfile(path);
    }
    for (DWORD index = 0;; ++index) {
        char name[MAX_PATH];
        DWORD nameSize = MAX_PATH;
        LONG result = RegEnumKeyExA(list, index, name, &nameSize, NULL, NULL, NULL, NULL);
        if (result != ERROR_SUCCESS) {
            if (result != ERROR_NO_MORE_ITEMS) {
                // An error may repeat for ever, and hide any profile.
                MarkProtectionIncomplete("the profile list", kProfileListKey);
            }
            break;
        }
        HKEY profile;
        if (RegOpenKeyExA(list, name, 0, KEY_READ | view, &profile) != ERROR_SUCCESS) {
            MarkProtectionIncomplete("a profile in the profile list", name);
            continue;
        }
        MarkIncompleteUnlessRead(ReadFolderValue(profile, "ProfileImagePath", NULL, path),
                                 "a profile in the profile list", name);
        AddProfile(path);
        RegCloseKey(profile);
    }
    RegCloseKey(list);
}

void KeepProfiles(const char* ownProfile)
{
    for (size_t i = 0; i < sizeof kRegistryViews / sizeof kRegistryViews[0]; ++i) {
        AddListedProfiles(kRegistryViews[i]);
    }
    // The launcher's own profile, and the folder that holds it as a profiles root, wherever it is.
    char root[MAX_PATH];
    strcpy(root, ownProfile);
    AddProfile(root);
    if (CutLastPart(root)) {
        AddProfilesInRoot(root);
    }
}
