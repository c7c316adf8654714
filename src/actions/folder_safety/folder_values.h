// What a folder path stored in the registry names, its environment references expanded.
#ifndef FOLDER_VALUES_H
#define FOLDER_VALUES_H

#include <windows.h>

// What a registry read of a folder path gave. A non-NULL `profile` stands for %USERPROFILE%
// (another user's folders); every other reference expands in the launcher's environment.
#define FOLDER_VALUE_READ 1        // `path` holds the folder, environment references expanded
#define FOLDER_VALUE_NONE 0        // absent, or not text: no folder
#define FOLDER_VALUE_UNREADABLE 2  // present but not readable whole: it may name any folder
#define FOLDER_VALUES_END 3        // no value at that index
#define FOLDER_VALUES_BROKEN 4     // the key's values cannot be listed

// Reads the named value of an open key into a MAX_PATH buffer.
int ReadFolderValue(HKEY key, const char* name, const char* profile, char* path);

// Reads the value at `index` of an open key, whatever its name, into a MAX_PATH buffer.
int ReadFolderValueAt(HKEY key, DWORD index, const char* profile, char* path);

#endif
