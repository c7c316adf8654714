// Which folders the system names.
#ifndef SYSTEM_FOLDERS_H
#define SYSTEM_FOLDERS_H

#include <windows.h>

// Keeps the Windows folder and every folder the system names for this user and for all users.
// `ownProfile` (MAX_PATH) receives the launcher's own profile, "" when none is named. FALSE when
// the Windows folder cannot be told apart: then nothing is cleared.
BOOL KeepSystemFolders(char* ownProfile);

#endif
