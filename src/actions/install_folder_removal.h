// Clearing the install folder, then the folder and the parents this leaves empty.
#ifndef INSTALL_FOLDER_REMOVAL_H
#define INSTALL_FOLDER_REMOVAL_H

// Has the shell delete the files of the install folder at `path`, removes the folder and then each
// parent that this leaves empty. Returns 1 when the files were deleted, 0 when the folder was not
// found, was refused as unsafe to clear, or the shell reported failure.
int RemoveInstallFolder(const char* path);

#endif
