// An entry's command as the launcher reads it, and the text it shows when that cannot start.
#ifndef UNINSTALL_COMMAND_H
#define UNINSTALL_COMMAND_H

#include <windows.h>

// Reads the UninstallString of the open entry `key` into a MAX_PATH buffer; FALSE when there is
// none that can be read whole.
BOOL ReadUninstallCommand(HKEY key, char* command);

// "Error to Execute "<command>"", cut on a character boundary so that it always fits MAX_PATH.
void FormatStartError(const char* command, char* message);

#endif
