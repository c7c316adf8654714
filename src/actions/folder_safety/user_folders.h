// Which folders the users' own shell folder settings name.
#ifndef USER_FOLDERS_H
#define USER_FOLDERS_H

// Keeps the folders named in the shell folder settings of the launcher's own account and of every
// user whose settings are loaded.
void KeepFoldersUsersName(void);

#endif
