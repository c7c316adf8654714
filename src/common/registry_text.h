// Registry strings and key paths, always terminated within their 260 bytes.
#ifndef REGISTRY_TEXT_H
#define REGISTRY_TEXT_H

#include <windows.h>

// A string value of `size` bytes read into a MAX_PATH buffer, made a string: a value stored
// without its NUL is still one, unless it took all 260 bytes. FALSE then, the buffer emptied.
BOOL EndStringValue(char* buffer, DWORD size);

// Reads a string value into a MAX_PATH buffer that always ends up terminated. A value that cannot
// be read whole leaves the buffer empty and returns FALSE.
BOOL ReadStringValue(HKEY key, const char* valueName, char* buffer);

// Appends `text` to the key path in `keyPath` (MAX_PATH). FALSE, the path unchanged, when it
// would not fit.
BOOL AppendToKeyPath(char* keyPath, const char* text);

// Makes `keyPath` (MAX_PATH) the key `child` below `parent`. FALSE when it would not fit.
BOOL JoinKeyPath(char* keyPath, const char* parent, const char* child);

#endif
