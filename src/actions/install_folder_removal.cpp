// Clearing the install folder, then the folder and the parents this leaves empty.
#include "install_folder_removal.h"

#include <windows.h>
#include <shellapi.h>
#include <string.h>

#include "../common/path_text.h"
#include "folder_safety/folder_safety.h"
#include "window_station.h"

int RemoveInstallFolder(const char* path)
{
    char folder[MAX_PATH];
    HANDLE pin = OpenClearableFolder(path, folder, NULL);
    if (pin == INVALID_HANDLE_VALUE) {
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
    // Only the folder's own files: the shell would otherwise go into its subfolders, which others
    // may be able to change or turn into links.
    request.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_FILESONLY | FOF_NORECURSION;
    if (!CanAnyoneSeeWindows()) {
        request.fFlags |= FOF_NOERRORUI;  // an error dialog there would hold up the run for ever
    }
    int shellResult = SHFileOperationA(&request);
    CloseHandle(pin);  // the folder cannot be removed while it is held
    if (shellResult != 0) {
        return 0;
    }

    strcpy(work, folder);
    if (!RemoveDirectoryA(work)) {
        return 1;
    }
    while (CutLastPart(work) != NULL && MayRemoveEmptyParent(work, NULL) &&
           RemoveDirectoryA(work)) {
    }
    return 1;
}
