#include "protected_folders.h"

#include <shlobj.h>
#include <string.h>

#include "../ansi_text.h"
#include "folder_reach.h"
#include "user_folders.h"

// Every folder number the shell knows lies below this.
static const int kFolderNumberEnd = 0x40;

// A 32-bit program is shown the 32-bit Program Files; these name the 64-bit ones.
static const char* const kProgramFilesVariables[] = {"ProgramW6432", "CommonProgramW6432"};

void AddFolderIdentity(ProtectedFolders* folders, FolderIdentity* list, int* count, int most,
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
    const char* windows = folders->windowsPath;
    return CompareTextNoCase(folder, windows, CountCharacters(windows)) == 0 &&
           folder[strlen(windows)] == '\\';
}

// Where the folder at `folder` really is, through every link on its way, into a MAX_PATH buffer.
static BOOL ReadFinalFolderPath(const char* folder, char* final)
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

static BOOL IsNamedByText(const ProtectedFolders* folders, const char* folder)
{
    return IsPathTextAtOrAboveListed(&folders->named, folder) ||
           IsPathTextAtOrAboveListed(&folders->namedByUser, folder) ||
           IsPathTextAtOrAboveListed(&folders->namedByText, folder);
}

static void AddName(ProtectedFolders* folders, FolderNameList* list, const char* folder)
{
    if (!AddFolderName(list, folder)) {
        folders->complete = FALSE;
    }
}

static void KeepFolderAndHoldersAt(ProtectedFolders* folders, const char* path, BOOL followLinks,
                                   BOOL namedByUser)
{
    char given[MAX_PATH];
    char full[MAX_PATH];
    char folder[MAX_PATH];
    if (!CopyAbsoluteFolderPath(path, given)) {
        return;
    }
    if (namedByUser) {
        if (IsNamedByText(folders, given)) {
            return;
        }
        if (!IsLocalDrivePath(given)) {
            AddName(folders, &folders->namedByText, given);
            return;
        }
    }
    DWORD length = GetFullPathNameA(given, MAX_PATH, full, NULL);  // no "..", no trailing dots
    if (length == 0 || length >= MAX_PATH) {
        folders->complete = FALSE;
        return;
    }
    if (!CopyAbsoluteFolderPath(full, folder) || IsInsideWindowsText(folders, folder) ||
        IsNamedByText(folders, folder)) {
        return;
    }
    if (namedByUser) {
        // Where a link on its way leads cannot be told without following it, perhaps to another
        // machine: then it is kept by its text alone.
        AddName(folders, PassesThroughLink(folder) ? &folders->namedByText : &folders->namedByUser,
                folder);
        return;
    }
    // Up to the first folder a path named before passes through: the rest was walked then.
    strcpy(full, folder);
    BOOL throughLink = FALSE;
    char* cut;
    do {
        DWORD attributes = GetFileAttributesA(full);
        FolderIdentity identity;
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            ReadFolderIdentity(full, FOLDER_SHARE_ALL, &identity, NULL)) {
            AddFolderIdentity(folders, folders->linked, &folders->linkedCount, MOST_LINKED_FOLDERS,
                              &identity);
            throughLink = TRUE;
        }
        cut = FindLastBackslash(full);
        if (cut != NULL) {
            *cut = 0;
        }
    } while (cut != NULL && !IsVolumeRoot(full) && !IsNamedByText(folders, full));
    AddName(folders, &folders->named, folder);
    // Its real path names the folders that hold it where a link leads.
    if (throughLink && followLinks) {
        if (!ReadFinalFolderPath(folder, full)) {
            folders->complete = FALSE;
        } else if (full[0] != 0) {
            KeepFolderAndHoldersAt(folders, full, FALSE, FALSE);
        }
    }
}

void KeepFolderAndHolders(ProtectedFolders* folders, const char* path)
{
    KeepFolderAndHoldersAt(folders, path, TRUE, FALSE);
}

void KeepFolderNamedByUser(ProtectedFolders* folders, const char* path)
{
    KeepFolderAndHoldersAt(folders, path, FALSE, TRUE);
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
    KeepUserFolders(folders, profile);
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
        IsPathTextAtOrAboveListed(&folders->namedByText, path) ||
        IsIdentityAtOrAboveListed(&folders->named, &identity, longName, shortName, FALSE) ||
        IsIdentityAtOrAboveListed(&folders->namedByUser, &identity, longName, shortName, TRUE)) {
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
