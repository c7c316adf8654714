// Who besides the trusted accounts may change a folder or a file.
#include "folder_security.h"

#include <stddef.h>
#include <string.h>

#include "../../common/path_text.h"
#include "folder_identity.h"
#include "safety_verdict.h"

// What lets someone change the folder itself, or make it a link elsewhere.
static const DWORD kChangesFolder = DELETE | WRITE_DAC | WRITE_OWNER | FILE_WRITE_DATA |
                                    FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD |
                                    GENERIC_WRITE | GENERIC_ALL;
// What lets someone change a file, or put a link in its place.
static const DWORD kChangesFile = DELETE | WRITE_DAC | WRITE_OWNER | FILE_WRITE_DATA |
                                  FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | GENERIC_WRITE |
                                  GENERIC_ALL;
// What lets someone rename or replace a folder above it, or what such a folder holds.
static const DWORD kChangesFolderAbove = DELETE | WRITE_DAC | WRITE_OWNER | FILE_DELETE_CHILD |
                                         GENERIC_ALL;

// Room for the security descriptors of ordinary folders; a larger one is not judged.
#define SECURITY_ROOM 2048
#define SID_HEADER_SIZE 8

static const BYTE kLocalSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
static const BYTE kAdministrators[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
static const BYTE kTrustedInstaller[] = {1,    6,    0,    0,    0,    0,    0,    5,
                                         80,   0,    0,    0,    0xb5, 0x89, 0xfb, 0x38,
                                         0x19, 0x84, 0xc2, 0xcb, 0x5c, 0x6c, 0x23, 0x6d,
                                         0x57, 0x00, 0x77, 0x6e, 0xc0, 0x02, 0x64, 0x87};

static size_t SidLength(const BYTE* sid)
{
    return SID_HEADER_SIZE + 4 * (size_t)sid[1];
}

// Compares the headers first, so that no more is read of `sid` than its own length.
static BOOL IsSameSid(const BYTE* sid, const BYTE* known)
{
    return sid[0] == known[0] && sid[1] == known[1] && memcmp(sid, known, SidLength(known)) == 0;
}

static BOOL IsTrustedAccount(const BYTE* account, const BYTE* sid)
{
    return IsSameSid(sid, kLocalSystem) || IsSameSid(sid, kAdministrators) ||
           IsSameSid(sid, kTrustedInstaller) || IsSameSid(sid, account);
}

BOOL ReadLauncherAccount(BYTE* account)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return FALSE;
    }
    DWORD user[(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE) / sizeof(DWORD)];
    DWORD needed;
    BOOL read = GetTokenInformation(token, TokenUser, user, sizeof user, &needed);
    CloseHandle(token);
    if (!read) {
        return FALSE;
    }
    const BYTE* sid = (const BYTE*)((TOKEN_USER*)user)->User.Sid;
    if (SidLength(sid) > SECURITY_MAX_SID_SIZE) {
        return FALSE;
    }
    memcpy(account, sid, SidLength(sid));
    return TRUE;
}

static const BYTE kEveryone[] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};

// Deny entries are not counted on, and an entry of a kind not known here may grant anything.
static BOOL IsChangeableOnlyByTrusted(const BYTE* account, HANDLE handle, DWORD changes,
                                      const char* path)
{
    DWORD descriptor[SECURITY_ROOM / sizeof(DWORD)];
    DWORD needed;
    PSID owner;
    PACL dacl;
    BOOL present;
    BOOL defaulted;
    if (!GetKernelObjectSecurity(handle, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                 descriptor, sizeof descriptor, &needed) ||
        !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || owner == NULL ||
        !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
        RecordRefusal(SAFETY_SECURITY_UNREADABLE, path);
        return FALSE;
    }
    if (!IsTrustedAccount(account, (const BYTE*)owner)) {
        RecordAccount(SAFETY_UNTRUSTED_OWNER, path, (const BYTE*)owner, 0);
        return FALSE;
    }
    if (!present || dacl == NULL) {
        RecordAccount(SAFETY_OTHERS_MAY_CHANGE, path, kEveryone, GENERIC_ALL);
        return FALSE;  // no DACL at all lets anyone do anything
    }
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        ACE_HEADER* entry;
        if (!GetAce(dacl, index, (LPVOID*)&entry)) {
            RecordRefusal(SAFETY_SECURITY_UNREADABLE, path);
            return FALSE;
        }
        if ((entry->AceFlags & INHERIT_ONLY_ACE) != 0) {
            continue;  // only for what is made inside
        }
        switch (entry->AceType) {
        case ACCESS_DENIED_ACE_TYPE:
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
            continue;
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
            const ACCESS_ALLOWED_ACE* allowed = (const ACCESS_ALLOWED_ACE*)entry;
            const BYTE* sid = (const BYTE*)&allowed->SidStart;
            const size_t sidOffset = offsetof(ACCESS_ALLOWED_ACE, SidStart);
            if ((allowed->Mask & changes) == 0) {
                continue;
            }
            if (entry->AceSize < sidOffset + SID_HEADER_SIZE ||
                sidOffset + SidLength(sid) > entry->AceSize) {
                RecordRefusal(SAFETY_SECURITY_UNREADABLE, path);
                return FALSE;
            }
            if (!IsTrustedAccount(account, sid)) {
                RecordAccount(SAFETY_OTHERS_MAY_CHANGE, path, sid, allowed->Mask & changes);
                return FALSE;
            }
            continue;
        }
        default:
            RecordRefusal(SAFETY_SECURITY_UNREADABLE, path);
            return FALSE;
        }
    }
    return TRUE;
}

BOOL ReadTrustedAccount(BYTE* account)
{
    if (!ReadLauncherAccount(account)) {
        RecordRefusal(SAFETY_SECURITY_UNREADABLE, "the launcher's own account");
        return FALSE;
    }
    return TRUE;
}

BOOL IsFolderSafeFromOthers(const BYTE* account, HANDLE folder, const char* path)
{
    return IsChangeableOnlyByTrusted(account, folder, kChangesFolder, path);
}

BOOL IsFileSafeFromOthers(const BYTE* account, HANDLE file, const char* path)
{
    return IsChangeableOnlyByTrusted(account, file, kChangesFile, path);
}

BOOL AreFoldersAboveSafeFromOthers(const BYTE* account, const char* path)
{
    char above[MAX_PATH];
    strcpy(above, path);
    char* cut;
    while ((cut = CutLastPart(above)) != NULL) {
        BOOL isRoot = IsVolumeRoot(above);
        if (isRoot) {
            cut[0] = '\\';  // "C:" alone would name the drive's current folder
            cut[1] = 0;
        }
        DWORD attributes = GetFileAttributesA(above);
        HANDLE handle = CreateFileA(above, READ_CONTROL, FOLDER_SHARE_ALL, NULL, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                    NULL);
        if (attributes == INVALID_FILE_ATTRIBUTES || handle == INVALID_HANDLE_VALUE) {
            if (handle != INVALID_HANDLE_VALUE) {
                CloseHandle(handle);
            }
            RecordRefusal(SAFETY_NOT_FOUND, above);
            return FALSE;
        }
        DWORD changes = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? kChangesFolder
                                                                          : kChangesFolderAbove;
        BOOL safe = IsChangeableOnlyByTrusted(account, handle, changes, above);
        CloseHandle(handle);
        if (!safe || isRoot) {
            return safe;
        }
    }
    RecordRefusal(SAFETY_PATH_FORM, path);
    return FALSE;  // no volume root above: not a path this program clears
}
