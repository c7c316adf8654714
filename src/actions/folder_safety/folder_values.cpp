// What a folder path stored in the registry names, its environment references expanded.
#include "folder_values.h"

#include <string.h>

#include "../../common/ansi_text.h"
#include "../../common/registry_text.h"

static const char kUserProfileReference[] = "%USERPROFILE%";

// Puts `profile` in place of each %USERPROFILE% in `data`, into a MAX_PATH buffer.
static BOOL PutUserProfile(const char* data, const char* profile, char* text)
{
    const size_t referenceLength = sizeof kUserProfileReference - 1;
    size_t used = 0;
    while (*data != 0) {
        const char* piece = data;
        size_t length = (size_t)(SkipCharacter(data) - data);
        if (CompareTextNoCase(data, kUserProfileReference, referenceLength) == 0) {
            piece = profile;
            length = strlen(profile);
            data += referenceLength;
        } else {
            data += length;
        }
        if (used + length >= MAX_PATH) {
            return FALSE;
        }
        memcpy(text + used, piece, length);
        used += length;
    }
    text[used] = 0;
    return TRUE;
}

static int ExpandFolderValue(LONG result, DWORD type, char* data, DWORD size, const char* profile,
                             char* path)
{
    path[0] = 0;
    if (result == ERROR_MORE_DATA) {
        return FOLDER_VALUE_UNREADABLE;
    }
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return FOLDER_VALUE_NONE;
    }
    if (!EndStringValue(data, size)) {
        return FOLDER_VALUE_UNREADABLE;
    }
    char text[MAX_PATH];
    if (profile != NULL && !PutUserProfile(data, profile, text)) {
        return FOLDER_VALUE_UNREADABLE;
    }
    // In a double-byte code page the length reported may count characters, not bytes: only a
    // terminator inside the buffer shows that the expansion fitted.
    DWORD needed = ExpandEnvironmentStringsA(profile != NULL ? text : data, path, MAX_PATH);
    if (needed == 0 || needed > MAX_PATH || memchr(path, 0, MAX_PATH) == NULL) {
        path[0] = 0;
        return FOLDER_VALUE_UNREADABLE;
    }
    return FOLDER_VALUE_READ;
}

int ReadFolderValue(HKEY key, const char* name, const char* profile, char* path)
{
    char data[MAX_PATH];
    DWORD type = REG_NONE;
    DWORD size = MAX_PATH;
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE*)data, &size);
    return ExpandFolderValue(result, type, data, size, profile, path);
}

int ReadFolderValueAt(HKEY key, DWORD index, const char* profile, char* path)
{
    char name[MAX_PATH];
    char data[MAX_PATH];
    DWORD nameSize = MAX_PATH;
    DWORD type = REG_NONE;
    DWORD size = MAX_PATH;
    LONG result = RegEnumValueA(key, index, name, &nameSize, NULL, &type, (BYTE*)data, &size);
    if (result == ERROR_NO_MORE_ITEMS) {
        path[0] = 0;
        return FOLDER_VALUES_END;
    }
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) {
        path[0] = 0;
        return FOLDER_VALUES_BROKEN;
    }
    return ExpandFolderValue(result, type, data, size, profile, path);
}
