// The table of folders never cleared, what adds to it, and whether a folder is one of them.
#include "protected_folders.h"

#include <string.h>

#include "../../common/ansi_text.h"
#include "../../common/path_text.h"
#include "folder_names.h"
#include "folder_reach.h"
#include "safety_verdict.h"

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

// Too large for the stack on a machine with many users; zero-filled storage costs no file bytes.
static ProtectedFolders g_folders;

void StartProtectedFolders(void)
{
    ZeroMemory(&g_folders, sizeof g_folders);
    g_folders.complete = TRUE;
}

#ifdef SAFETY_VERDICTS
void MarkProtectionIncomplete(const char* lookup, const char* concerns)
{
    g_folders.complete = FALSE;
    RecordIncomplete(lookup, concerns);
}
#else
void MarkProtectionIncompleteUnsaid(void)
{
    g_folders.complete = FALSE;
}
#endif

BOOL IsProtectionComplete(void)
{
    return g_folders.complete;
}

BOOL KeepWindowsFolder(const char* path)
{
    strcpy(g_folders.windowsPath, path);
    if (!ReadFolderIdentity(path, FOLDER_SHARE_ALL, &g_folders.windows, NULL)) {
        MarkProtectionIncomplete("the Windows folder", path);
        return FALSE;
    }
    return TRUE;
}

static BOOL AddFolderIdentity(FolderIdentity* table, int* count, int most,
                              const FolderIdentity* identity)
{
    if (IsFolderInTable(table, *count, identity)) {
        return FALSE;
    }
    if (*count == most) {
        MarkProtectionIncomplete("filling the tables of protected folders", NULL);
        return FALSE;
    }
    table[(*count)++] = *identity;
    return TRUE;
}

BOOL KeepProfile(const FolderIdentity* identity)
{
    return AddFolderIdentity(g_folders.profiles, &g_folders.profileCount, MOST_PROFILES, identity);
}

BOOL KeepProfilesRoot(const FolderIdentity* identity)
{
    return AddFolderIdentity(g_folders.profileRoots, &g_folders.profileRootCount,
                             MOST_PROFILE_ROOTS, identity);
}

// Inside the Windows folder by its text: the Windows rule already refuses all of those.
static BOOL IsInsideWindowsText(const char* folder)
{
    const char* windows = g_folders.windowsPath;
    return CompareTextNoCase(folder, windows, CountCharacters(windows)) == 0 &&
           folder[strlen(windows)] == '\\';
}

// Whether `folder` is named, or holds a folder named, by text, in any list.
static BOOL IsNamedByText(const char* folder)
{
    return FindPathTextAtOrAboveListed(&g_folders.named, folder) != NULL ||
           FindPathTextAtOrAboveListed(&g_folders.namedByUser, folder) != NULL ||
           FindPathTextAtOrAboveListed(&g_folders.namedByText, folder) != NULL;
}

static void AddName(FolderNameList* list, const char* folder, const char* whose)
{
    if (!AddFolderName(list, folder)) {
        MarkProtectionIncomplete("filling the tables of protected folders", folder);
    } else if (whose != NULL) {
        AddFolderWhose(list, whose);
    }
}

// `whose` is NULL for a folder the system names, else the user whose settings name it.
static void KeepFolderAndHoldersAt(const char* path, BOOL followLinks, const char* whose)
{
    char given[MAX_PATH];
    char full[MAX_PATH];
    char folder[MAX_PATH];
    if (!CopyAbsoluteFolderPath(path, given)) {
        return;
    }
    if (whose != NULL) {
        if (IsNamedByText(given)) {
            return;
        }
        if (!IsLocalDrivePath(given)) {
            AddName(&g_folders.namedByText, given, whose);
            return;
        }
    }
    DWORD length = GetFullPathNameA(given, MAX_PATH, full, NULL);  // no "..", no trailing dots
    if (length == 0 || length >= MAX_PATH) {
        MarkProtectionIncomplete("the full path of a named folder", given);
        return;
    }
    if (!CopyAbsoluteFolderPath(full, folder) || IsInsideWindowsText(folder) ||
        IsNamedByText(folder)) {
        return;
    }
    if (whose != NULL) {
        // Where a link on its way leads cannot be told without following it, perhaps to another
        // machine: then it is kept by its text alone.
        AddName(PassesThroughLink(folder) ? &g_folders.namedByText : &g_folders.namedByUser,
                folder, whose);
        return;
    }
    // Up to the first folder a path named before passes through: the rest was walked then.
    strcpy(full, folder);
    BOOL throughLink = FALSE;
    do {
        DWORD attributes = GetFileAttributesA(full);
        FolderIdentity identity;
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
            ReadFolderIdentity(full, FOLDER_SHARE_ALL, &identity, NULL)) {
            AddFolderIdentity(g_folders.linked, &g_folders.linkedCount, MOST_LINKED_FOLDERS,
                              &identity);
            throughLink = TRUE;
        }
    } while (CutLastPart(full) && !IsVolumeRoot(full) && !IsNamedByText(full));
    AddName(&g_folders.named, folder, NULL);
    // Its real path names the folders that hold it where a link leads.
    if (throughLink && followLinks) {
        if (!ReadFinalFolderPath(folder, full)) {
            MarkProtectionIncomplete("where a link leads", folder);
        } else if (full[0] != 0) {
            KeepFolderAndHoldersAt(full, FALSE, NULL);
        }
    }
}

void KeepFolderAndHolders(const char* path)
{
    KeepFolderAndHoldersAt(path, TRUE, NULL);
}

void KeepFolderNamedByUser(const char* path, const char* whose)
{
    KeepFolderAndHoldersAt(path, FALSE, whose);
}

// The folder itself: by identity, or by the text of what users name off this machine.
static BOOL IsProtectedItself(const char* path)
{
    FolderIdentity identity;
    char longName[MAX_PATH];
    char shortName[MAX_PATH];
    if (!ReadFolderIdentity(path, FOLDER_SHARE_ALL, &identity, NULL) ||
        !ReadFolderEntryNames(path, longName, shortName)) {
        RecordRefusal(SAFETY_NOT_FOUND, path);
        return TRUE;
    }
    if (IsSameFolder(&g_folders.windows, &identity)) {
        RecordRefusal(SAFETY_WINDOWS_FOLDER, g_folders.windowsPath);
        return TRUE;
    }
    if (IsFolderInTable(g_folders.linked, g_folders.linkedCount, &identity)) {
        RecordNamedFolder(path, NULL);
        return TRUE;
    }
    if (IsFolderInTable(g_folders.profiles, g_folders.profileCount, &identity) ||
        IsFolderInTable(g_folders.profileRoots, g_folders.profileRootCount, &identity)) {
        RecordRefusal(SAFETY_PROFILE, path);
        return TRUE;
    }
    const char* listed = FindPathTextAtOrAboveListed(&g_folders.namedByText, path);
    const FolderNameList* list = &g_folders.namedByText;
    if (listed == NULL) {
        list = &g_folders.named;
        listed = FindIdentityAtOrAboveListed(list, &identity, longName, shortName, FALSE);
    }
    if (listed == NULL) {
        list = &g_folders.namedByUser;
        listed = FindIdentityAtOrAboveListed(list, &identity, longName, shortName, TRUE);
    }
    if (listed != NULL) {
        // Whose: the system's for the first list, else a user's.
        RecordNamedFolder(listed, list == &g_folders.named ? NULL : FindFolderWhose(list, listed));
        return TRUE;
    }
    return FALSE;
}

BOOL IsProtectedFolder(const char* path)
{
    if (!g_folders.complete || IsProtectedItself(path)) {
        return TRUE;  // an incomplete look was recorded as it happened
    }
    // Above it: a profile makes it a user's folder; the Windows folder anywhere makes it system.
    char ancestor[MAX_PATH];
    strcpy(ancestor, path);
    BOOL isParent = TRUE;
    while (CutLastPart(ancestor) && !IsVolumeRoot(ancestor)) {
        FolderIdentity above;
        if (!ReadFolderIdentity(ancestor, FOLDER_SHARE_ALL, &above, NULL)) {
            RecordRefusal(SAFETY_NOT_FOUND, ancestor);
            return TRUE;
        }
        if (IsSameFolder(&g_folders.windows, &above)) {
            RecordRefusal(SAFETY_WINDOWS_FOLDER, g_folders.windowsPath);
            return TRUE;
        }
        if (isParent && IsFolderInTable(g_folders.profiles, g_folders.profileCount, &above)) {
            RecordRefusal(SAFETY_PROFILE, ancestor);
            return TRUE;
        }
        isParent = FALSE;
    }
    return FALSE;
}
