// Which program a stored command starts.
#include "program_lookup.h"

#include <string.h>

#include "../../common/ansi_text.h"
#include "../../common/path_text.h"
#include "safety_verdict.h"

static const char kPathVariable[] = "PATH=";

static BOOL IsBlank(char character)
{
    return character == ' ' || character == '\t';
}

static BOOL IsSeparator(char character)
{
    return character == '\\' || character == '/';
}

static BOOL IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Copies the program name in the first `length` bytes of `name` (fewer than MAX_PATH, as in any
// command), with ".exe" added where the system adds it: to a name whose last part holds no dot.
// Slashes become backslashes: the system reads both alike, and the checks cut at backslashes.
static BOOL CopyProgramName(const char* name, size_t length, char* program)
{
    memcpy(program, name, length);
    program[length] = 0;
    BOOL hasExtension = FALSE;
    for (char* position = program; *position != 0; position = (char*)SkipCharacter(position)) {
        if (*position == '/') {
            *position = '\\';
        }
        hasExtension = *position == '.' || (hasExtension && *position != '\\');
    }
    if (!hasExtension) {
        if (length + 4 >= MAX_PATH) {
            return FALSE;
        }
        strcpy(program + length, ".exe");
    }
    return TRUE;
}

// Whether the folder whose full path `path` holds in its first `folderLength` bytes has the file
// `fileName`; its full name is left in `path`. A folder that depends on the current one is never
// looked at.
static BOOL IsFileInFolder(char* path, size_t folderLength, const char* fileName)
{
    if (folderLength == 0 || folderLength + 1 + strlen(fileName) >= MAX_PATH) {
        return FALSE;
    }
    path[folderLength] = 0;
    if (!IsAbsolutePath(path)) {
        return FALSE;
    }
    if (FindLastBackslash(path) != path + folderLength - 1) {
        path[folderLength++] = '\\';
    }
    strcpy(path + folderLength, fileName);
    return IsFile(path);
}

// PATH may be longer than any buffer here: its folders are copied one by one from the
// environment, and one that does not fit is passed over.
static BOOL FindOnPath(const char* fileName, char* program)
{
    char* environment = GetEnvironmentStringsA();
    if (environment == NULL) {
        return FALSE;
    }
    BOOL found = FALSE;
    const size_t nameLength = sizeof kPathVariable - 1;
    const char* variable = environment;
    while (*variable != 0 && CompareTextNoCase(variable, kPathVariable, nameLength) != 0) {
        variable += strlen(variable) + 1;
    }
    if (*variable != 0) {
        const char* folder = variable + nameLength;
        do {
            size_t length = 0;
            for (; *folder != 0 && *folder != ';'; ++folder, ++length) {
                if (length < MAX_PATH) {
                    program[length] = IsSeparator(*folder) ? '\\' : *folder;
                }
            }
            found = IsFileInFolder(program, length, fileName);
        } while (!found && *folder++ != 0);
    }
    FreeEnvironmentStringsA(environment);
    return found;
}

// Where the system would look after the launcher's own folder and the current one (its 16-bit
// system folder aside, which holds no programs).
static BOOL FindInSystemFolders(const char* fileName, char* program)
{
    return IsFileInFolder(program, GetSystemDirectoryA(program, MAX_PATH), fileName) ||
           IsFileInFolder(program, GetWindowsDirectoryA(program, MAX_PATH), fileName) ||
           FindOnPath(fileName, program);
}

BOOL FindProgramToStart(const char* command, char* program)
{
    BOOL quoted = command[0] == '"';
    const char* name = command + quoted;
    const char* end = name;
    BOOL hasFolder = FALSE;
    while (*end != 0 && (quoted ? *end != '"' : !IsBlank(*end))) {
        hasFolder = hasFolder || IsSeparator(*end) || *end == ':';
        end = SkipCharacter(end);
    }
    if (!hasFolder) {
        char fileName[MAX_PATH];
        if (end != name && CopyProgramName(name, (size_t)(end - name), fileName) &&
            FindInSystemFolders(fileName, program)) {
            return TRUE;
        }
        RecordRefusal(SAFETY_NOT_FOUND, command);
        return FALSE;
    }
    // Unquoted, as the system reads it: each blank may end the name, the shortest name first
    // (C:\Apps\My Tools\uninst /S: C:\Apps\My.exe, then C:\Apps\My Tools\uninst.exe).
    for (;;) {
        BOOL named = CopyProgramName(name, (size_t)(end - name), program);
        // sub\uninst.exe, .\uninst.exe, \uninst.exe or C:uninst.exe: found through the current
        // folder, which whoever started the launcher chose.
        if (named && !IsAbsolutePath(program)) {
            RecordRefusal(SAFETY_PATH_FORM, command);
            return FALSE;
        }
        if (named && (quoted || IsFile(program))) {
            return TRUE;
        }
        if (quoted || *end == 0) {
            RecordRefusal(SAFETY_NOT_FOUND, command);
            return FALSE;
        }
        do {
            end = SkipCharacter(end);
        } while (*end != 0 && !IsBlank(*end));
    }
}
