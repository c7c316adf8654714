// What the launcher and the plan read alike: the variant gate, and the entries in their order.
#ifndef UNINSTALL_STAGES_H
#define UNINSTALL_STAGES_H

#include <windows.h>

// The command line without the program's own name and the blanks after it.
const char* GetCommandTail(const char* commandLine);

// TRUE for the variant codes this launcher serves, compared over the tail's own length.
BOOL IsAcceptedVariant(const char* tail);

// Reads a string value of a key below HKEY_LOCAL_MACHINE into a MAX_PATH buffer. TRUE means the
// key opened, whether or not the value was there.
BOOL ReadRegistryString(const char* keyPath, const char* valueName, char* destination);

// The entries in the order they are run: the product first, then both companion packages.
enum UninstallStage { STAGE_PRODUCT, STAGE_FIRST_COMPANION, STAGE_SECOND_COMPANION, STAGE_COUNT };

// The key of `stage`'s uninstall entry for the variant `tail`, below HKEY_LOCAL_MACHINE, into a
// MAX_PATH buffer.
void ComposeStageKeyPath(int stage, const char* tail, char* keyPath);

// Reads the product entry's install folder into a MAX_PATH buffer (empty when it has none). TRUE
// means the entry is there.
BOOL ReadTargetPath(const char* keyPath, char* targetPath);

// Only "not found" proves the uninstaller removed the entry; any other failure to open it could
// hide a product that is still installed, whose folder must stay.
BOOL IsEntryRemoved(const char* keyPath);

#endif
