#ifndef UNINSTALL_DRIVER_H
#define UNINSTALL_DRIVER_H

#include <windows.h>

// The command line without the program's own name and the blanks after it.
const char* GetCommandTail(const char* commandLine);

// TRUE for the variant codes this launcher serves, compared over the tail's own length.
BOOL IsAcceptedVariant(const char* tail);

// Reads a string value of a key below HKEY_LOCAL_MACHINE into a MAX_PATH buffer. TRUE means the
// key opened, whether or not the value was there.
BOOL ReadRegistryString(const char* keyPath, const char* valueName, char* destination);

// Removes the product, then both companion packages. Returns the process exit status.
int RunUninstallSequence(const char* tail);

#endif
