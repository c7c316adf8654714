// May a program be started: nobody else may change it, its folder or a folder above it.
#include "folder_safety.h"

#include <string.h>

#include "../../common/path_text.h"
#include "folder_identity.h"
#include "folder_security.h"
#include "program_lookup.h"
#include "safety_verdict.h"

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
    char* cut = CutLastPart(folder);
    if (cut == NULL) {
        RecordRefusal(SAFETY_PATH_FORM, program);
        return FALSE;
    }
    cut[0] = '\\';  // kept, so that a drive root is named whole
    cut[1] = 0;
    HANDLE handle = CreateFileA(folder, READ_CONTROL, FOLDER_SHARE_ALL, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        RecordRefusal(SAFETY_NOT_FOUND, folder);
        return FALSE;
    }
    BOOL safe = IsFolderSafeFromOthers(account, handle, folder);
    CloseHandle(handle);
    return safe;
}

// Holds the program file so that it can be neither written nor replaced, and judges it, its
// folder and every folder above it by the rules of the install folder.
static BOOL HoldTrustedProgram(const char* program, HANDLE* held)
{
    *held = HoldProgramFile(program);
    if (*held == INVALID_HANDLE_VALUE) {
        RecordRefusal(SAFETY_NOT_FOUND, program);
        return FALSE;
    }
    BYTE account[SECURITY_MAX_SID_SIZE];
    FolderIdentity identity;
    DWORD attributes;
    BOOL trusted = FALSE;
    if (!ReadHeldFolderIdentity(*held, &identity, &attributes) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        RecordRefusal(SAFETY_LINK, program);
    } else {
        trusted = ReadTrustedAccount(account) && IsFileSafeFromOthers(account, *held, program) &&
                  IsProgramFolderSafe(account, program) &&
                  AreFoldersAboveSafeFromOthers(account, program);
    }
    if (!trusted) {
        CloseHandle(*held);
        *held = INVALID_HANDLE_VALUE;
    }
    return trusted;
}

BOOL HoldProgramToStart(const char* command, char* program, HANDLE* held, SafetyVerdict* verdict)
{
    StartVerdict(verdict);
    *held = INVALID_HANDLE_VALUE;
    return FindProgramToStart(command, program) && HoldTrustedProgram(program, held);
}
