#include "folder_safety.h"

#include "clearable_path.h"
#include "folder_security.h"
#include "program_lookup.h"
#include "program_trust.h"
#include "protected_folders.h"

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
    return ReadHeldFolderIdentity(pin, &held, &attributes) && IsFolderListed(probed, 1, &held) &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Too large for the stack on a machine with many users; zero-filled storage costs no file bytes.
static ProtectedFolders g_protectedFolders;

HANDLE OpenClearableFolder(const char* path, char* folder, SafetyVerdict* verdict)
{
    ProtectedFolders* protectedFolders = &g_protectedFolders;
    (void)verdict;
    if (!CopyClearableFolderPath(path, folder)) {
        return INVALID_HANDLE_VALUE;
    }
    // The probe: access 0 and sharing 0, as the folder's first open.
    FolderIdentity probed;
    DWORD attributes;
    if (!ReadFolderIdentity(folder, 0, &probed, &attributes) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return INVALID_HANDLE_VALUE;
    }
    DWORD ownAttributes = GetFileAttributesA(folder);
    if (ownAttributes == INVALID_FILE_ATTRIBUTES ||
        (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE pin = PinFolder(folder);
    if (pin == INVALID_HANDLE_VALUE) {
        return INVALID_HANDLE_VALUE;
    }
    BYTE account[SECURITY_MAX_SID_SIZE];
    if (IsStillProbedFolder(pin, &probed)) {
        CollectProtectedFolders(protectedFolders);
        if (!IsProtectedFolder(protectedFolders, folder) && ReadLauncherAccount(account) &&
            IsFolderSafeFromOthers(account, pin) &&
            AreFoldersAboveSafeFromOthers(account, folder)) {
            return pin;
        }
    }
    CloseHandle(pin);
    return INVALID_HANDLE_VALUE;
}

BOOL MayRemoveEmptyParent(const char* parent, SafetyVerdict* verdict)
{
    (void)verdict;
    if (IsVolumeRoot(parent)) {
        return FALSE;
    }
    DWORD ownAttributes = GetFileAttributesA(parent);
    return ownAttributes != INVALID_FILE_ATTRIBUTES &&
           (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           !IsProtectedFolder(&g_protectedFolders, parent);
}

BOOL HoldProgramToStart(const char* command, char* program, HANDLE* held, SafetyVerdict* verdict)
{
    (void)verdict;
    *held = INVALID_HANDLE_VALUE;
    return FindProgramToStart(command, program) && HoldTrustedProgram(program, held) == PROGRAM_TRUSTED;
}
