// Lists of named folders, and whether a folder is one of them or holds one.
#include "folder_names.h"

#include <string.h>

#include "../../common/ansi_text.h"
#include "folder_reach.h"

static BOOL IsAsciiLetter(unsigned char character)
{
    return (character >= 'A' && character <= 'Z') || (character >= 'a' && character <= 'z');
}

// Generous on purpose: a false "maybe" costs one look at the disk, a false "no" could cost data.
// Names of any byte beyond ASCII may match another case form of the same length.
static BOOL MayBeSameName(const char* name, size_t length, const char* other)
{
    if (other[0] == 0 || strlen(other) != length) {
        return FALSE;
    }
    BOOL beyondAscii = FALSE;
    BOOL asciiEqual = TRUE;
    for (size_t i = 0; i < length; ++i) {
        unsigned char left = (unsigned char)name[i];
        unsigned char right = (unsigned char)other[i];
        if (left >= 0x80 || right >= 0x80) {
            beyondAscii = TRUE;
        } else if (left != right &&
                   !(IsAsciiLetter(left) && IsAsciiLetter(right) && (left | 0x20) == (right | 0x20))) {
            asciiEqual = FALSE;
        }
    }
    return beyondAscii || asciiEqual;
}

BOOL AddFolderName(FolderNameList* list, const char* path)
{
    size_t length = strlen(path);
    if (length + 1 > FOLDER_NAME_ROOM - list->used) {
        return FALSE;
    }
    memcpy(list->text + list->used, path, length + 1);
    list->used += length + 1;
    return TRUE;
}

#ifdef SAFETY_VERDICTS
void AddFolderWhose(FolderNameList* list, const char* whose)
{
    size_t length = strlen(whose);
    if (length + 1 <= FOLDER_NAME_ROOM - list->whoseUsed) {
        memcpy(list->whose + list->whoseUsed, whose, length + 1);
        list->whoseUsed += length + 1;
    }
}

const char* FindFolderWhose(const FolderNameList* list, const char* listed)
{
    size_t whoseAt = 0;
    for (size_t at = 0; at < list->used && whoseAt < list->whoseUsed;
         at += strlen(list->text + at) + 1) {
        if (list->text + at == listed) {
            return list->whose + whoseAt;
        }
        whoseAt += strlen(list->whose + whoseAt) + 1;
    }
    return "";
}
#endif

const char* FindPathTextAtOrAboveListed(const FolderNameList* list, const char* path)
{
    size_t length = strlen(path);
    size_t characters = CountCharacters(path);
    for (size_t at = 0; at < list->used; at += strlen(list->text + at) + 1) {
        const char* listed = list->text + at;
        if (strlen(listed) >= length && (listed[length] == 0 || listed[length] == '\\') &&
            CompareTextNoCase(listed, path, characters) == 0) {
            return listed;
        }
    }
    return NULL;
}

const char* FindIdentityAtOrAboveListed(const FolderNameList* list,
                                        const FolderIdentity* identity, const char* longName,
                                        const char* shortName, BOOL avoidLinks)
{
    for (size_t at = 0; at < list->used; at += strlen(list->text + at) + 1) {
        const char* listed = list->text + at;
        const char* component = listed;
        for (const char* position = listed;; position = SkipCharacter(position)) {
            if (*position != 0 && *position != '\\') {
                continue;
            }
            size_t length = (size_t)(position - component);
            if (MayBeSameName(component, length, longName) ||
                MayBeSameName(component, length, shortName)) {
                char folder[MAX_PATH];
                FolderIdentity other;
                memcpy(folder, listed, (size_t)(position - listed));
                folder[position - listed] = 0;
                if ((avoidLinks && PassesThroughLink(folder)) ||
                    (ReadFolderIdentity(folder, FOLDER_SHARE_ALL, &other, NULL) &&
                     IsSameFolder(&other, identity))) {
                    return listed;
                }
            }
            if (*position == 0) {
                break;
            }
            component = position + 1;
        }
    }
    return NULL;
}

BOOL ReadFolderEntryNames(const char* path, char* longName, char* shortName)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    FindClose(search);
    found.cFileName[MAX_PATH - 1] = 0;
    found.cAlternateFileName[sizeof found.cAlternateFileName - 1] = 0;
    strcpy(longName, found.cFileName);
    strcpy(shortName, found.cAlternateFileName);
    return TRUE;
}
