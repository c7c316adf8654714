// May the install folder be cleared, and may a parent it leaves empty go.
#include "folder_safety.h"

#include "../../common/path_text.h"
#include "clearable_path.h"
#include "folder_security.h"
#include "profiles.h"
#include "protected_folders.h"
#include "safety_verdict.h"
#include "system_folders.h"
#include "user_folders.h"

// Held without delete sharing: on NTFS neither the folder nor any folder above it can then be
// renamed or deleted. Not following a link, so that a link put in its place is seen as one.
static HANDLE PinFolder(const char* folder)
{
    return CreateFileA(folder, READ_CONTROL | FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

static BOOL IsStillProbedFolder(HANDLE pin, const FolderIdentity* probed)
{
    FolderIdentity held;
    DWORD attributes;
    return ReadHeldFolderIdentity(pin, &held, &attributes) && IsSameFolder(probed, &held) &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The system's names first: a user's setting that names one of them again is passed over.
static void CollectProtectedFolders(void)
{
    char ownProfile[MAX_PATH];
    StartProtectedFolders();
    if (KeepSystemFolders(ownProfile)) {
        KeepFoldersUsersName();
        KeepProfiles(ownProfile);
    }
}

// By its own attributes, which a link does not pass on; refused by `missingRule` when gone.
static BOOL IsThereAndNoLink(const char* path, int missingRule)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        RecordRefusal(missingRule, path);
        return FALSE;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        RecordRefusal(SAFETY_LINK, path);
        return FALSE;
    }
    return TRUE;
}

// Anything but a folder, as first opened: access 0 and sharing 0.
static BOOL IsFolderWithoutLink(const char* folder, FolderIdentity* probed)
{
    DWORD attributes;
    if (!ReadFolderIdentity(folder, 0, probed, &attributes) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        RecordRefusal(SAFETY_NOT_FOUND, folder);
        return FALSE;
    }
    return IsThereAndNoLink(folder, SAFETY_CHANGED);
}

HANDLE OpenClearableFolder(const char* path, char* folder, SafetyVerdict* verdict)
{
    StartVerdict(verdict);
    FolderIdentity probed;
    if (!HasClearableForm(path, folder) || !IsFolderWithoutLink(folder, &probed)) {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE pin = PinFolder(folder);
    if (pin == INVALID_HANDLE_VALUE) {
        RecordRefusal(SAFETY_CHANGED, folder);
        return INVALID_HANDLE_VALUE;
    }
    BYTE account[SECURITY_MAX_SID_SIZE];
    if (!IsStillProbedFolder(pin, &probed)) {
        RecordRefusal(SAFETY_CHANGED, folder);
    } else {
        CollectProtectedFolders();
        if (!IsProtectedFolder(folder) && ReadTrustedAccount(account) &&
            IsFolderSafeFromOthers(account, pin, folder) &&
            AreFoldersAboveSafeFromOthers(account, folder)) {
            return pin;
        }
    }
    CloseHandle(pin);
    return INVALID_HANDLE_VALUE;
}

BOOL MayRemoveEmptyParent(const char* parent, SafetyVerdict* verdict)
{
    StartVerdict(verdict);
    if (IsVolumeRoot(parent)) {
        RecordRefusal(SAFETY_PATH_FORM, parent);
        return FALSE;
    }
    return IsThereAndNoLink(parent, SAFETY_NOT_FOUND) && !IsProtectedFolder(parent);
}
