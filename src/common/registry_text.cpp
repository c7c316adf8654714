// Registry strings and key paths, always terminated within their 260 bytes.
#include "registry_text.h"

#include <string.h>

BOOL EndStringValue(char* buffer, DWORD size)
{
    if (size < MAX_PATH) {
        buffer[size] = 0;
    } else if (size > MAX_PATH || memchr(buffer, 0, MAX_PATH) == NULL) {
        buffer[0] = 0;
        return FALSE;
    }
    return TRUE;
}

BOOL ReadStringValue(HKEY key, const char* valueName, char* buffer)
{
    DWORD size = MAX_PATH;
    if (RegQueryValueExA(key, valueName, NULL, NULL, (BYTE*)buffer, &size) != ERROR_SUCCESS) {
        buffer[0] = 0;
        return FALSE;
    }
    return EndStringValue(buffer, size);
}

BOOL AppendToKeyPath(char* keyPath, const char* text)
{
    size_t used = strlen(keyPath);
    size_t length = strlen(text);
    if (used + length >= MAX_PATH) {
        return FALSE;
    }
    memcpy(keyPath + used, text, length + 1);
    return TRUE;
}

BOOL JoinKeyPath(char* keyPath, const char* parent, const char* child)
{
    size_t parentLength = strlen(parent);
    if (parentLength + 1 >= MAX_PATH) {
        return FALSE;
    }
    memcpy(keyPath, parent, parentLength);
    keyPath[parentLength] = '\\';
    keyPath[parentLength + 1] = 0;
    return AppendToKeyPath(keyPath, child);
}
