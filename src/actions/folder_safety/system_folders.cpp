// Which folders the system names.
#include "system_folders.h"

#include <shlobj.h>
#include <string.h>

#include "protected_folders.h"

// Every folder number the shell knows lies below this.
static const int kFolderNumberEnd = 0x40;

// A 32-bit program is shown the 32-bit Program Files; these name the 64-bit ones.
static const char* const kProgramFilesVariables[] = {"ProgramW6432", "CommonProgramW6432"};

BOOL KeepSystemFolders(char* ownProfile)
{
    char path[MAX_PATH];
    ownProfile[0] = 0;
    if (SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, SHGFP_TYPE_CURRENT, path) != S_OK) {
        MarkProtectionIncomplete("the Windows folder", NULL);
        return FALSE;
    }
    if (!KeepWindowsFolder(path)) {
        return FALSE;
    }
    for (int number = 0; number < kFolderNumberEnd; ++number) {
        if (SHGetFolderPathA(NULL, number, NULL, SHGFP_TYPE_CURRENT, path) == S_OK) {
            KeepFolderAndHolders(path);
            if (number == CSIDL_PROFILE) {
                strcpy(ownProfile, path);
            }
        }
    }
    for (size_t i = 0; i < sizeof kProgramFilesVariables / sizeof kProgramFilesVariables[0]; ++i) {
        DWORD length = GetEnvironmentVariableA(kProgramFilesVariables[i], path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            KeepFolderAndHolders(path);
        }
    }
    return TRUE;
}
