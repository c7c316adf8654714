// Lists of named folders, and whether a folder is one of them or holds one.
#ifndef FOLDER_NAMES_H
#define FOLDER_NAMES_H

#include <windows.h>

#include "folder_identity.h"

// Room for the full paths of the named folders, NUL-terminated one after another.
#define FOLDER_NAME_ROOM (256 * 1024)

struct FolderNameList {
    char text[FOLDER_NAME_ROOM];
    size_t used;
#ifdef SAFETY_VERDICTS
    char whose[FOLDER_NAME_ROOM];  // whose settings named each path, in the same order
    size_t whoseUsed;
#endif
};

// Adds a full folder path. FALSE when there is no room left.
BOOL AddFolderName(FolderNameList* list, const char* path);

#ifdef SAFETY_VERDICTS
// Whose settings named the path added last, and whose named the listed path `listed`.
void AddFolderWhose(FolderNameList* list, const char* whose);
const char* FindFolderWhose(const FolderNameList* list, const char* listed);
#else
inline void AddFolderWhose(FolderNameList*, const char*) {}
inline const char* FindFolderWhose(const FolderNameList*, const char*) { return NULL; }
#endif

// The listed path that `path` is, or is a folder above, by text, ignoring case; NULL for none.
const char* FindPathTextAtOrAboveListed(const FolderNameList* list, const char* path);

// The listed path of which it, or a folder above it, is the folder `identity` whose own entry is
// named `longName` (and `shortName`, which may be empty); NULL for none. A folder has one entry
// in one parent, so only paths that end in a name like one of those two can lead to it, unless a
// link takes them there.
// With `avoidLinks`, a path that now passes through a link is not opened and counts as that folder.
const char* FindIdentityAtOrAboveListed(const FolderNameList* list,
                                        const FolderIdentity* identity, const char* longName,
                                        const char* shortName, BOOL avoidLinks);

// The long and short names of the entry at `path` in its parent, each a MAX_PATH buffer.
BOOL ReadFolderEntryNames(const char* path, char* longName, char* shortName);

#endif
