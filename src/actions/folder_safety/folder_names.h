#ifndef FOLDER_NAMES_H
#define FOLDER_NAMES_H

#include <windows.h>

#include "folder_identity.h"

// Room for the full paths of the named folders, NUL-terminated one after another.
#define FOLDER_NAME_ROOM (256 * 1024)

struct FolderNameList {
    char text[FOLDER_NAME_ROOM];
    size_t used;
};

// Adds a full folder path. FALSE when there is no room left.
BOOL AddFolderName(FolderNameList* list, const char* path);

// TRUE when `path` is a listed path or a folder above one, by text, ignoring case.
BOOL IsPathTextAtOrAboveListed(const FolderNameList* list, const char* path);

// Whether a listed path, or a folder above one, is the folder `identity` whose own entry is named
// `longName` (and `shortName`, which may be empty). A folder has one entry in one parent, so only
// paths that end in a name like one of those two can lead to it, unless a link takes them there.
// With `avoidLinks`, a path that now passes through a link is not opened and counts as that folder.
BOOL IsIdentityAtOrAboveListed(const FolderNameList* list, const FolderIdentity* identity,
                               const char* longName, const char* shortName, BOOL avoidLinks);

// The long and short names of the entry at `path` in its parent, each a MAX_PATH buffer.
BOOL ReadFolderEntryNames(const char* path, char* longName, char* shortName);

#endif
