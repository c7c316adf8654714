#include "program_lookup.h"

#include <string.h>

#include "ansi_text.h"

static const char kPathVariable[] = "PATH=";

static BOOL IsBlank(char character)
{
    return character == ' ' || character == '\t';
}

static BOOL IsSeparator(char character)
{
    return character == '\\' || character == '/';
}

// "X:\..." or "\\server\share\...": the only paths that do not depend on the current folder.
static BOOL IsAbsolutePath(const char* path)
{
    size_t separatorAt = path[0] != 0 && path[1] == ':' ? 2 : IsSeparator(path[0]);
    return separatorAt != 0 && IsSeparator(path[separatorAt]);
}

static BOOL IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

static BOOL EndsWithExe(const char* text, size_t length)
{
    return length >= 4 && CompareTextNoCase(text + length - 4, ".exe", 4) == 0;
}

// An unquoted command such as C:\Apps\My Tools\uninst.exe /S would make the system try
// C:\Apps\My.exe first. Finds the first prefix that ends in ".exe" before a blank or the end and
// names an existing file, so that exactly that program is started.
static BOOL FindUnquotedProgram(const char* command, char* program)
{
    size_t singleByteRun = 0;  // ".exe" must be four single-byte characters, not a trail byte
    const char* position = command;
    for (;;) {
        if (*position == 0 || IsBlank(*position)) {
            size_t length = (size_t)(position - command);
            if (singleByteRun >= 4 && length < MAX_PATH && EndsWithExe(command, length)) {
                memcpy(program, command, length);
                program[length] = 0;
                if (IsFile(program)) {
                    return TRUE;
                }
            }
            if (*position == 0) {
                return FALSE;
            }
        }
        const char* next = SkipCharacter(position);
        singleByteRun = next - position == 1 ? singleByteRun + 1 : 0;
        position = next;
    }
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
                    program[length] = *folder;
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
    program[0] = 0;
    BOOL quoted = command[0] == '"';
    const char* name = command + quoted;
    const char* end = name;
    BOOL hasFolder = FALSE;
    BOOL hasExtension = FALSE;
    while (*end != 0 && (quoted ? *end != '"' : !IsBlank(*end))) {
        hasFolder = hasFolder || IsSeparator(*end) || *end == ':';
        hasExtension = hasExtension || *end == '.';
        end = SkipCharacter(end);
    }
    if (hasFolder) {
        // sub\uninst.exe, .\uninst.exe, \uninst.exe or C:uninst.exe: found through the current
        // folder, which whoever started the launcher chose.
        if (!IsAbsolutePath(name)) {
            return FALSE;
        }
        if (quoted || !FindUnquotedProgram(command, program)) {
            program[0] = 0;
        }
        return TRUE;
    }
    // As the system does, ".exe" is added to a name without an extension.
    char fileName[MAX_PATH];
    size_t length = (size_t)(end - name);
    if (length == 0 || length + 4 >= MAX_PATH) {
        return FALSE;
    }
    memcpy(fileName, name, length);
    strcpy(fileName + length, hasExtension ? "" : ".exe");
    return FindInSystemFolders(fileName, program);
}
