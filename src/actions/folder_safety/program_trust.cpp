#include "program_trust.h"

#include <string.h>

#include "../ansi_text.h"
#include "folder_identity.h"
#include "folder_security.h"

// Sharing only reading keeps out writers and deleters only for a handle with data access, hence
// execute: all that starting the program needs. Not following a link, so that one is seen.
static HANDLE HoldProgramFile(const char* program)
{
    return CreateFileA(program, READ_CONTROL | FILE_EXECUTE, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

// The folder the program is loaded from, links followed: a DLL added there would be loaded too.
static BOOL IsProgramFolderSafe(const BYTE* account, const char* program)
{
    char folder[MAX_PATH];
    strcpy(folder, program);
    char* cut = FindLastBackslash(folder);
    if (cut == NULL) {
        return FALSE;
    }
    cut[1] = 0;  // the backslash kept, so that a drive root is named whole
    HANDLE handle = CreateFileA(folder, READ_CONTROL, FOLDER_SHARE_ALL, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BOOL safe = IsFolderSafeFromOthers(account, handle);
    CloseHandle(handle);
    return safe;
}

int HoldTrustedProgram(const char* program, HANDLE* held)
{
    *held = HoldProgramFile(program);
    if (*held == INVALID_HANDLE_VALUE) {
        return PROGRAM_NOT_HELD;
    }
    BYTE account[SECURITY_MAX_SID_SIZE];
    FolderIdentity identity;
    DWORD attributes;
    int trust = PROGRAM_NOT_HELD;
    if (ReadHeldFolderIdentity(*held, &identity, &attributes) &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && ReadLauncherAccount(account)) {
        trust = !IsFileSafeFromOthers(account, *held)           ? PROGRAM_FILE_CHANGEABLE
                : !IsProgramFolderSafe(account, program)          ? PROGRAM_FOLDER_CHANGEABLE
                : !AreFoldersAboveSafeFromOthers(account, program) ? PROGRAM_FOLDER_ABOVE_CHANGEABLE
                                                                   : PROGRAM_TRUSTED;
    }
    if (trust != PROGRAM_TRUSTED) {
        CloseHandle(*held);
        *held = INVALID_HANDLE_VALUE;
    }
    return trust;
}
