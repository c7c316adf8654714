// What the launcher and the plan read alike: the variant gate, and the entries in their order.
#include "uninstall_stages.h"

#include <string.h>

#include "../common/ansi_text.h"
#include "../common/registry_text.h"

static const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char* const kAcceptedVariants[] = {"473", "472"};

const char* GetCommandTail(const char* commandLine)
{
    const unsigned char* position = (const unsigned char*)commandLine;
    if (*position == '"') {
        ++position;
        while (*position != 0 && *position != '"') {
            position = (const unsigned char*)SkipCharacter((const char*)position);
        }
        if (*position == '"') {
            ++position;
        }
    } else {
        while (*position > ' ') {
            ++position;
        }
    }
    while (*position != 0 && *position <= ' ') {
        ++position;
    }
    return (const char*)position;
}

BOOL IsAcceptedVariant(const char* tail)
{
    size_t length = strlen(tail);
    for (size_t i = 0; i < sizeof kAcceptedVariants / sizeof kAcceptedVariants[0]; ++i) {
        if (CompareTextNoCase(tail, kAcceptedVariants[i], length) == 0) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL ReadRegistryString(const char* keyPath, const char* valueName, char* destination)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return FALSE;
    }
    ReadStringValue(key, valueName, destination);
    RegCloseKey(key);
    return TRUE;
}

// Written out rather than tabled: a table costs the launcher a file block of its own. The gate
// lets through only tails that fit.
void ComposeStageKeyPath(int stage, const char* tail, char* keyPath)
{
    JoinKeyPath(keyPath, kUninstallRoot, stage == STAGE_PRODUCT ? "Tessaline" : "vek");
    if (stage != STAGE_PRODUCT) {
        AppendToKeyPath(keyPath, tail);
        AppendToKeyPath(keyPath, stage == STAGE_FIRST_COMPANION ? "u" : "");
    }
}

BOOL ReadTargetPath(const char* keyPath, char* targetPath)
{
    memset(targetPath, 0, MAX_PATH);
    return ReadRegistryString(keyPath, "TargetPath", targetPath);
}

BOOL IsEntryRemoved(const char* keyPath)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS) {
        RegCloseKey(key);
        return FALSE;
    }
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_KEY_DELETED;
}
