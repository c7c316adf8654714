#ifndef CLEARABLE_FOLDER_H
#define CLEARABLE_FOLDER_H

#include <windows.h>

#include "protected_folders.h"

// Opens the install folder at `path` when it may be cleared, and holds it so that nobody can
// rename, delete or replace it until the handle is closed. `folder` (MAX_PATH) receives the path
// to clear; `protectedFolders` the folders that pruning must keep. INVALID_HANDLE_VALUE when the
// folder is missing, written in a form not cleared, protected, open to change by others, or not
// the folder first found there.
HANDLE OpenClearableFolder(const char* path, char* folder, ProtectedFolders* protectedFolders);

#endif
