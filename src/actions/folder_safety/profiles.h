// Which folders are user profiles or hold them.
#ifndef PROFILES_H
#define PROFILES_H

#include <windows.h>

// Keeps every user profile the profile list names, every folder in a profiles root, and the
// launcher's own profile `ownProfile` and the folder that holds it.
void KeepProfiles(const char* ownProfile);

// The profile folder the profile list gives for the account `user` (a SID), into a MAX_PATH
// buffer.
BOOL ReadUserProfile(const char* user, char* profile);

#endif
