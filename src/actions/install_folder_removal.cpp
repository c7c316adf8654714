#include "install_folder_removal.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <string.h>

#include "ansi_text.h"

// Room for "\*.*" and the list's two terminators.
static const size_t kLongestFolderPath = MAX_PATH - 6;

// Protected folders are opened with full sharing so that no other open can hide them.
static const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static const int kProtectedFolders[] = {
    CSIDL_WINDOWS,
    CSIDL_SYSTEM,
    CSIDL_SYSTEMX86,
    CSIDL_PROGRAM_FILES,
    CSIDL_PROGRAM_FILESX86,
    CSIDL_PROGRAM_FILES_COMMON,
    CSIDL_PROGRAM_FILES_COMMONX86,
    CSIDL_COMMON_APPDATA,
    CSIDL_PROFILE,
    CSIDL_DESKTOPDIRECTORY,
    CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_PERSONAL,
    CSIDL_COMMON_DOCUMENTS,
};

// A 32-bit program is shown the 32-bit Program Files; these name the 64-bit ones.
static const char* const kProtectedFolderVariables[] = {"ProgramW6432", "CommonProgramW6432"};

struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
    DWORD attributes;
};

// Opens the folder (or file) at `path` only to learn which one it is on its volume.
static BOOL ReadFolderIdentity(const char* path, DWORD shareMode, FolderIdentity* identity)
{
    HANDLE handle = CreateFileA(path, 0, shareMode, NULL, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BY_HANDLE_FILE_INFORMATION information;
    BOOL known = GetFileInformationByHandle(handle, &information);
    CloseHandle(handle);
    if (!known) {
        return FALSE;
    }
    identity->volume = information.dwVolumeSerialNumber;
    identity->indexHigh = information.nFileIndexHigh;
    identity->indexLow = information.nFileIndexLow;
    identity->attributes = information.dwFileAttributes;
    return TRUE;
}

static BOOL IsSameFolder(const FolderIdentity* first, const FolderIdentity* second)
{
    return first->volume == second->volume && first->indexHigh == second->indexHigh &&
           first->indexLow == second->indexLow;
}

static BOOL IsFolderAt(const char* path, const FolderIdentity* identity)
{
    FolderIdentity other;
    return path[0] != 0 &&
           ReadFolderIdentity(path, kShareAll, &other) &&
           IsSameFolder(&other, identity);
}

static BOOL IsParentOfFolderAt(const char* path, const FolderIdentity* identity)
{
    char parent[MAX_PATH];
    strcpy(parent, path);
    char* cut = FindLastBackslash(parent);
    if (cut == NULL) {
        return FALSE;
    }
    *cut = 0;
    return IsFolderAt(parent, identity);
}

// Compares by identity, so short names, case and links cannot disguise a protected folder.
static BOOL IsProtectedFolder(const FolderIdentity* identity)
{
    char path[MAX_PATH];
    for (size_t i = 0; i < sizeof kProtectedFolders / sizeof kProtectedFolders[0]; ++i) {
        path[0] = 0;
        if (SHGetFolderPathA(NULL, kProtectedFolders[i], NULL, SHGFP_TYPE_CURRENT, path) != S_OK) {
            continue;
        }
        if (IsFolderAt(path, identity)) {
            return TRUE;
        }
        // The profiles root is the parent of the user's own profile.
        if (kProtectedFolders[i] == CSIDL_PROFILE && IsParentOfFolderAt(path, identity)) {
            return TRUE;
        }
    }
    for (size_t i = 0; i < sizeof kProtectedFolderVariables / sizeof kProtectedFolderVariables[0];
         ++i) {
        DWORD length = GetEnvironmentVariableA(kProtectedFolderVariables[i], path, MAX_PATH);
        if (length > 0 && length < MAX_PATH && IsFolderAt(path, identity)) {
            return TRUE;
        }
    }
    return FALSE;
}

static BOOL IsForbiddenPathCharacter(unsigned char character)
{
    return character < 32 || strchr("*?/\"<>|:", character) != NULL;
}

// "X:" or "\\server\share", or less: never a folder to remove.
static BOOL IsVolumeRoot(const char* path)
{
    if (path[0] == '\\' && path[1] == '\\') {
        int separators = 0;
        for (const char* position = path + 2; *position != 0; position = SkipCharacter(position)) {
            if (*position == '\\') {
                ++separators;
            }
        }
        return separators <= 1;
    }
    return path[0] == 0 || (path[1] == ':' && path[2] == 0);
}

// Copies `path` into `folder` without trailing backslashes when it is an absolute folder path that
// is safe to hand to the shell: on a drive or share, below its root, no "." or ".." and no
// component the system would quietly rewrite (trailing dots or blanks), no wildcards or streams.
static BOOL CopyClearableFolderPath(const char* path, char* folder)
{
    size_t length = strlen(path);
    if (length == 0 || length >= MAX_PATH) {
        return FALSE;
    }
    memcpy(folder, path, length + 1);
    char* last;
    while ((last = FindLastBackslash(folder)) != NULL && last[1] == 0) {
        *last = 0;
    }
    if (strlen(folder) > kLongestFolderPath) {
        return FALSE;
    }

    const char* components;
    unsigned char drive = (unsigned char)folder[0];
    if (((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && folder[1] == ':' &&
        folder[2] == '\\') {
        components = folder + 3;
    } else if (folder[0] == '\\' && folder[1] == '\\') {
        components = folder + 2;
    } else {
        return FALSE;
    }
    if (IsVolumeRoot(folder)) {
        return FALSE;
    }

    const char* position = components;
    const char* lastCharacter = NULL;  // where the current component's last character starts
    for (;;) {
        if (*position == 0 || *position == '\\') {
            if (lastCharacter == NULL) {
                return FALSE;  // empty component
            }
            if (position - lastCharacter == 1 && (*lastCharacter == '.' || *lastCharacter == ' ')) {
                return FALSE;
            }
            if (*position == 0) {
                return TRUE;
            }
            lastCharacter = NULL;
            ++position;
            continue;
        }
        const char* next = SkipCharacter(position);
        if (next - position == 1 && IsForbiddenPathCharacter((unsigned char)*position)) {
            return FALSE;
        }
        lastCharacter = position;
        position = next;
    }
}

// Refuses links and any folder that is, or lies inside, the Windows folder or is protected.
static BOOL IsClearableFolder(const char* folder, const FolderIdentity* identity)
{
    if ((identity->attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return FALSE;
    }
    DWORD ownAttributes = GetFileAttributesA(folder);
    if (ownAttributes == INVALID_FILE_ATTRIBUTES ||
        (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return FALSE;
    }
    if (IsProtectedFolder(identity)) {
        return FALSE;
    }
    char windowsPath[MAX_PATH];
    FolderIdentity windows;
    if (SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, SHGFP_TYPE_CURRENT, windowsPath) != S_OK ||
        !ReadFolderIdentity(windowsPath, kShareAll, &windows)) {
        return FALSE;
    }
    char ancestor[MAX_PATH];
    strcpy(ancestor, folder);
    char* cut;
    while ((cut = FindLastBackslash(ancestor)) != NULL) {
        *cut = 0;
        if (IsVolumeRoot(ancestor)) {
            break;
        }
        if (IsFolderAt(ancestor, &windows)) {
            return FALSE;
        }
    }
    return TRUE;
}

// A parent left empty goes too, unless it is a volume root, a link or a protected folder.
static BOOL RemoveEmptyParent(char* parent)
{
    if (IsVolumeRoot(parent)) {
        return FALSE;
    }
    DWORD ownAttributes = GetFileAttributesA(parent);
    if (ownAttributes == INVALID_FILE_ATTRIBUTES ||
        (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return FALSE;
    }
    FolderIdentity identity;
    if (!ReadFolderIdentity(parent, kShareAll, &identity) || IsProtectedFolder(&identity)) {
        return FALSE;
    }
    return RemoveDirectoryA(parent);
}

int RemoveInstallFolder(const char* path)
{
    char folder[MAX_PATH];
    if (!CopyClearableFolderPath(path, folder)) {
        return 0;
    }
    FolderIdentity identity;
    if (!ReadFolderIdentity(folder, 0, &identity) || !IsClearableFolder(folder, &identity)) {
        return 0;
    }

    char work[MAX_PATH];
    size_t length = strlen(folder);
    memcpy(work, folder, length);
    memcpy(work + length, "\\*.*\0", 6);  // the entry's NUL, then the list's

    SHFILEOPSTRUCTA request;
    ZeroMemory(&request, sizeof request);
    request.hwnd = NULL;
    request.wFunc = FO_DELETE;
    request.pFrom = work;
    request.pTo = NULL;
    request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_FILESONLY;
    if (SHFileOperationA(&request) != 0) {
        return 0;
    }

    strcpy(work, folder);
    if (!RemoveDirectoryA(work)) {
        return 1;
    }
    char* cut;
    while ((cut = FindLastBackslash(work)) != NULL) {
        *cut = 0;
        if (!RemoveEmptyParent(work)) {
            break;
        }
    }
    return 1;
}
