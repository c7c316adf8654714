#include "install_folder_removal.h"

#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "ansi_text.h"
#include "protected_folders.h"

// Room for "\*.*" and the list's two terminators.
static const size_t kLongestFolderPath = MAX_PATH - 6;

static BOOL IsForbiddenPathCharacter(unsigned char character)
{
    return character < 32 || strchr("*?/\"<>|:", character) != NULL;
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

// A parent left empty goes too, unless it is a volume root, a link or a protected folder.
static BOOL RemoveEmptyParent(const ProtectedFolders* protectedFolders, char* parent)
{
    if (IsVolumeRoot(parent)) {
        return FALSE;
    }
    DWORD ownAttributes = GetFileAttributesA(parent);
    if (ownAttributes == INVALID_FILE_ATTRIBUTES ||
        (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        IsProtectedFolder(protectedFolders, parent)) {
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
    // The probe: access 0 and sharing 0, as the folder's first open.
    FolderIdentity identity;
    DWORD attributes;
    if (!ReadFolderIdentity(folder, 0, &identity, &attributes) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return 0;
    }
    DWORD ownAttributes = GetFileAttributesA(folder);
    if (ownAttributes == INVALID_FILE_ATTRIBUTES ||
        (ownAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return 0;
    }
    ProtectedFolders protectedFolders;
    CollectProtectedFolders(&protectedFolders);
    if (IsProtectedFolder(&protectedFolders, folder)) {
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
        if (!RemoveEmptyParent(&protectedFolders, work)) {
            break;
        }
    }
    return 1;
}
