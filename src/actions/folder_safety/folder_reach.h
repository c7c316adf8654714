// Whether a path someone else wrote may be opened: on this machine, through no link.
#ifndef FOLDER_REACH_H
#define FOLDER_REACH_H

#include <windows.h>

// Whether a path that someone else wrote may be opened: opening a path on another machine would
// hand it the launcher's credentials, and a link may lead there.

// "X:\..." on a drive letter that is not a network drive, with nothing in it that a directory
// search would take for a wildcard or a stream, nor a forward slash.
BOOL IsLocalDrivePath(const char* path);

// TRUE when a part of the local `path` that exists is a link that may lead elsewhere. Each part is
// looked at in its parent, from the root down, so that no link is followed on the way.
BOOL PassesThroughLink(const char* path);

#endif
