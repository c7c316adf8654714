#include "protected_folders.h"

#include <shlobj.h>
#include <string.h>

#include "ansi_text.h"
#include "folder_values.h"

// Every folder number the shell knows lies below this.
static const int kFolderNumberEnd = 0x40;

// A 32-bit program is shown the 32-bit Program Files; these name the 64-bit ones.
static const char* const kProgramFilesVariables[] = {"ProgramW6432", "CommonProgramW6432"};

// Downloads, Saved Games, Links and others have no folder number; the user's settings name them.
static const char kUserShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

static const char kProfileListKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
static const char* const kListedProfileValues[] = {"Default", "Public"};

// A 32-bit program sees its own registry view; the profiles may be listed in the other.
#ifdef _WIN64
static const REGSAM kRegistryViews[] = {0};
#else
static const REGSAM kRegistryViews[] = {0, KEY_WOW64_64KEY};
#endif

static void AddIdentity(ProtectedFolders* folders, FolderIdentity* list, int* count, int most,
                        const FolderIdentity* identity)
{
    if (IsFolderListed(list, *count, identity)) {
        return;
    }
    if (*count == most) {
        folders->complete = FALSE;
        return;
    }
    list[(*count)++] = *identity;
}

// Inside the Windows folder by its text: the Windows rule already refuses all of those.
static BOOL IsInsideWindowsText(const ProtectedFolders* folders, const char* folder)
{
    size_t characters = 0;
    for (const char* position = folders->windowsPath; *position != 0;
         position = SkipCharacter(position)) {
        ++characters;
    }
    return CompareTextNoCase(folder, folders->windowsPath, characters) == 0 &&
           folder[strlen(folders->windowsPath)] == '\\';
}

// Names the folder and, by identity, wherever a link on its way leads: the folder's text alone
// finds it and every folder above it, except through links.
static void KeepFolderAndHolders(ProtectedFolders* folders, const char* path)
{
    char given[MAX_PATH];
    char full[MAX_PATH];
    char folder[MAX_PATH];
    if (!CopyAbsoluteFolderPath(path, given)) {
        return;
    }
    DWORD length = GetFullPathNameA(given, MAX_PATH, full, NULL);  // no "..", no trailing dots
    if (length == 0 || length >= MAX_PATH) {
        folders->complete = FALSE;
        return;
    }
    if (!CopyAbsoluteFolderPath(full, folder) || IsInsideWindowsText(folders, folder) ||
        IsFolderNameAtOrAbove(&folders->named, folder)) {
        return;
    }
    // Up to the first folder a path named before passes through: the rest was walked then.
    strcpy(full, folder);
    char* cut;
    do {
        DWORD attributes = GetFileAttributesA(full);
        FolderIdentity identity;
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            ReadFolderIdentity(full, FOLDER_SHARE_ALL, &identity, NULL)) {
            AddIdentity(folders, folders->linked, &folders->linkedCount, MOST_LINKED_FOLDERS,
                        &identity);
        }
        cut = FindLastBackslash(full);
        if (cut != NULL) {
            *cut = 0;
        }
    } while (cut != NULL && !IsVolumeRoot(full) && !IsFolderNameAtOrAbove(&folders->named, full));
    if (!AddFolderName(&folders->named, folder)) {
        folders->complete = FALSE;
    }
}

static void AddProfile(ProtectedFolders* folders, const char* path)
{
    char folder[MAX_PATH];
    FolderIdentity identity;
    if (!CopyAbsoluteFolderPath(path, folder) ||
        !ReadFolderIdentity(folder, FOLDER_SHARE_ALL, &identity, NULL)) {
        return;
    }
    AddIdentity(folders, folders->profiles, &folders->profileCount, MOST_PROFILES, &identity);
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
    AddIdentity(folders, folders->profileRoots, &folders->profileRootCount, MOST_PROFILE_ROOTS,
                &identity);
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

static void KeepUserShellFolders(ProtectedFolders* folders)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFoldersKey, 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    char path[MAX_PATH];
    int read;
    for (DWORD index = 0;
         (read = ReadFolderValueAt(key, index, path)) != FOLDER_VALUES_END &&
         read != FOLDER_VALUES_BROKEN;
         ++index) {
        NoteFolderValue(folders, read);
        KeepFolderAndHolders(folders, path);
    }
    NoteFolderValue(folders, read);
    RegCloseKey(key);
}

static void AddListedProfiles(ProtectedFolders* folders, REGSAM view)
{
    HKEY list;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileListKey, 0, KEY_READ | view, &list) !=
        ERROR_SUCCESS) {
        return;
    }
    char path[MAX_PATH];
    NoteFolderValue(folders, ReadFolderValue(list, "ProfilesDirectory", path));
    AddProfilesInRoot(folders, path);
    for (size_t i = 0; i < sizeof kListedProfileValues / sizeof kListedProfileValues[0]; ++i) {
        NoteFolderValue(folders, ReadFolderValue(list, kListedProfileValues[i], path));
        AddProfile(folders, path);
    }
    for (DWORD index = 0;; ++index) {
        char name[MAX_PATH];
        DWORD nameSize = MAX_PATH;
        LONG result = RegEnumKeyExA(list, index, name, &nameSize, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        HKEY profile;
        if (result != ERROR_SUCCESS ||
            RegOpenKeyExA(list, name, 0, KEY_READ | view, &profile) != ERROR_SUCCESS) {
            folders->complete = FALSE;
            continue;
        }
        NoteFolderValue(folders, ReadFolderValue(profile, "ProfileImagePath", path));
        AddProfile(folders, path);
        RegCloseKey(profile);
    }
    RegCloseKey(list);
}

void CollectProtectedFolders(ProtectedFolders* folders)
{
    ZeroMemory(folders, sizeof *folders);
    folders->complete = TRUE;
    if (SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, SHGFP_TYPE_CURRENT, folders->windowsPath) !=
            S_OK ||
        !ReadFolderIdentity(folders->windowsPath, FOLDER_SHARE_ALL, &folders->windows, NULL)) {
        folders->complete = FALSE;
        return;
    }
    char path[MAX_PATH];
    char profile[MAX_PATH];
    profile[0] = 0;
    for (int number = 0; number < kFolderNumberEnd; ++number) {
        if (SHGetFolderPathA(NULL, number, NULL, SHGFP_TYPE_CURRENT, path) == S_OK) {
            KeepFolderAndHolders(folders, path);
            if (number == CSIDL_PROFILE) {
                strcpy(profile, path);
            }
        }
    }
    for (size_t i = 0; i < sizeof kProgramFilesVariables / sizeof kProgramFilesVariables[0]; ++i) {
        DWORD length = GetEnvironmentVariableA(kProgramFilesVariables[i], path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            KeepFolderAndHolders(folders, path);
        }
    }
    KeepUserShellFolders(folders);
    for (size_t i = 0; i < sizeof kRegistryViews / sizeof kRegistryViews[0]; ++i) {
        AddListedProfiles(folders, kRegistryViews[i]);
    }
    // The user's own profile, and the folder that holds it as a profiles root, wherever it lies.
    AddProfile(folders, profile);
    char* cut = FindLastBackslash(profile);
    if (cut != NULL) {
        *cut = 0;
        AddProfilesInRoot(folders, profile);
    }
}

BOOL IsProtectedFolder(const ProtectedFolders* folders, const char* path)
{
    FolderIdentity identity;
    char longName[MAX_PATH];
    char shortName[MAX_PATH];
    if (!folders->complete || !ReadFolderIdentity(path, FOLDER_SHARE_ALL, &identity, NULL) ||
        !ReadFolderEntryNames(path, longName, shortName) ||
        IsFolderListed(&folders->windows, 1, &identity) ||
        IsFolderListed(folders->linked, folders->linkedCount, &identity) ||
        IsFolderListed(folders->profiles, folders->profileCount, &identity) ||
        IsFolderListed(folders->profileRoots, folders->profileRootCount, &identity) ||
        IsFolderAtOrAboveListed(&folders->named, &identity, longName, shortName)) {
        return TRUE;
    }
    // Above it: a profile makes it a user's folder; the Windows folder anywhere makes it system.
    char ancestor[MAX_PATH];
    strcpy(ancestor, path);
    BOOL isParent = TRUE;
    char* cut;
    while ((cut = FindLastBackslash(ancestor)) != NULL) {
        *cut = 0;
        if (IsVolumeRoot(ancestor)) {
            break;
        }
        FolderIdentity above;
        if (!ReadFolderIdentity(ancestor, FOLDER_SHARE_ALL, &above, NULL) ||
            IsFolderListed(&folders->windows, 1, &above) ||
            (isParent && IsFolderListed(folders->profiles, folders->profileCount, &above))) {
            return TRUE;
        }
        isParent = FALSE;
    }
    return FALSE;
}
