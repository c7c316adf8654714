#include "uninstall_driver.h"

#include <string.h>

#include "../common/ansi_text.h"
#include "../common/registry_text.h"
#include "../actions/install_folder_removal.h"
#include "../actions/uninstall_entry_runner.h"

static const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
static const char* const kAcceptedVariants[] = {"473", "472"};

static char g_keyPath[MAX_PATH];
static char g_targetPath[MAX_PATH];

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

static void AppendToKeyPath(const char* text)
{
    size_t used = strlen(g_keyPath);
    size_t room = MAX_PATH - 1 - used;
    size_t length = strlen(text);
    if (length > room) {
        length = room;
    }
    memcpy(g_keyPath + used, text, length);
    g_keyPath[used + length] = 0;
}

static void ComposeKeyPath(const char* name, const char* variant, const char* suffix)
{
    g_keyPath[0] = 0;
    AppendToKeyPath(kUninstallRoot);
    AppendToKeyPath(name);
    AppendToKeyPath(variant);
    AppendToKeyPath(suffix);
}

// Only "not found" proves the uninstaller removed the entry; any other failure to open it could
// hide a product that is still installed, whose folder must stay.
static BOOL IsEntryRemoved(const char* keyPath)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key);
    if (result == ERROR_SUCCESS) {
        RegCloseKey(key);
        return FALSE;
    }
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_KEY_DELETED;
}

int RunUninstallSequence(const char* tail)
{
    if (!IsAcceptedVariant(tail)) {
        return 1;
    }

    memset(g_targetPath, 0, sizeof g_targetPath);
    ComposeKeyPath("\\Tessaline", "", "");
    if (ReadRegistryString(g_keyPath, "TargetPath", g_targetPath)) {
        RunUninstallEntry(g_keyPath);
        if (IsEntryRemoved(g_keyPath)) {
            RemoveInstallFolder(g_targetPath);
        }
    }

    ComposeKeyPath("\\vek", tail, "u");
    RunUninstallEntry(g_keyPath);
    ComposeKeyPath("\\vek", tail, "");
    RunUninstallEntry(g_keyPath);
    return 0;
}
