// Who besides the trusted accounts may change a folder or a file.
#ifndef FOLDER_SECURITY_H
#define FOLDER_SECURITY_H

#include "folder_safety.h"

// ReadLauncherAccount, within a door: a failure refuses, and says so.
BOOL ReadTrustedAccount(BYTE* account);

// TRUE when the folder `path`, held open as `folder` (with READ_CONTROL), is owned by a trusted
// account and nobody else may write into it, set its attributes (which makes it a link), delete
// it, or re-permission or take it. Trusted: LocalSystem, Administrators, TrustedInstaller and
// `account`.
BOOL IsFolderSafeFromOthers(const BYTE* account, HANDLE folder, const char* path);

// The same for the file `path` held open as `file`: nobody else may write or append to it, set its
// attributes, delete it, or re-permission or take it.
BOOL IsFileSafeFromOthers(const BYTE* account, HANDLE file, const char* path);

// TRUE when every folder above `path`, the volume root included, is owned by a trusted account
// and nobody else may delete, rename, re-permission or take it or what it holds. Adding to them
// is harmless: a folder that holds something cannot become a link. A link on the way is held to
// the rules of the folder itself, as whoever may write it can point it elsewhere.
BOOL AreFoldersAboveSafeFromOthers(const BYTE* account, const char* path);

#endif
