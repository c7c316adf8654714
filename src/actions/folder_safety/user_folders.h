#ifndef USER_FOLDERS_H
#define USER_FOLDERS_H

#include "protected_folders.h"

// Keeps every user profile, the profiles roots, and the folders named in the shell folder
// settings of every user whose settings are loaded. `ownProfile` is the launcher's own profile.
void KeepUserFolders(ProtectedFolders* folders, const char* ownProfile);

#endif
