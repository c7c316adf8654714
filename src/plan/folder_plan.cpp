// What would become of the product's install folder, and why.
#include "folder_plan.h"

#include <string.h>

#include "../common/ansi_text.h"
#include "../common/path_text.h"
#include "../actions/folder_safety/folder_safety.h"
#include "plan_output.h"
#include "verdict_text.h"

static BOOL IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The first entry of `folder`, other than `besides`, that is a folder (`foldersOnly`) or anything;
// into `found` (MAX_PATH). Only read: the listing tells what the launcher would find left.
static BOOL FindOtherEntry(const char* folder, const char* besides, BOOL foldersOnly, char* found)
{
    char pattern[MAX_PATH] = "";
    AppendText(pattern, MAX_PATH, folder);
    AppendText(pattern, MAX_PATH, "\\*");
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BOOL other = FALSE;
    do {
        if (IsDotEntry(entry.cFileName) ||
            CompareTextNoCase(entry.cFileName, besides, (size_t)-1) == 0 ||
            (foldersOnly && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)) {
            continue;
        }
        found[0] = 0;
        AppendText(found, MAX_PATH, entry.cFileName);
        other = TRUE;
    } while (!other && FindNextFileA(search, &entry));
    FindClose(search);
    return other;
}

// The parents the launcher would remove after the folder: those the rules let go, up to the first
// that holds something else now.
static void PrintEmptiedParents(const char* folder)
{
    char parent[MAX_PATH];
    char found[MAX_PATH];
    strcpy(parent, folder);
    const char* separator = ", then, if left empty, ";
    char* cut;
    while ((cut = CutLastPart(parent)) != NULL) {
        SafetyVerdict verdict;
        ZeroMemory(&verdict, sizeof verdict);
        if (!MayRemoveEmptyParent(parent, &verdict) ||
            FindOtherEntry(parent, cut + 1, FALSE, found)) {
            break;
        }
        PrintText(separator);
        PrintText(parent);
        separator = ", ";
    }
}

BOOL PrintFolderPlan(const char* targetPath, const char* product, BOOL uninstallerStarts)
{
    if (targetPath[0] == 0) {
        PrintLine("Install folder: none");
        return FALSE;
    }
    PrintText("Install folder ");
    PrintText(targetPath);
    PrintText(": ");
    if (!uninstallerStarts) {
        PrintText("kept, ");
        PrintText(product);
        PrintLine("'s entry stays: its uninstaller would not be started");
        return FALSE;
    }
    char folder[MAX_PATH];
    SafetyVerdict verdict;
    ZeroMemory(&verdict, sizeof verdict);
    HANDLE pin = OpenClearableFolder(targetPath, folder, &verdict);
    if (pin == INVALID_HANDLE_VALUE) {
        char reason[kVerdictTextSize];
        DescribeVerdict(&verdict, reason);
        PrintText("kept, ");
        PrintLine(reason);
        return FALSE;
    }
    CloseHandle(pin);
    PrintText("cleared once ");
    PrintText(product);
    PrintText(" is gone");
    char subfolder[MAX_PATH];
    if (FindOtherEntry(folder, "", TRUE, subfolder)) {
        PrintText(" (its own files; its subfolder ");
        PrintText(subfolder);
        PrintLine(", if its uninstaller leaves it, keeps the folder)");
    } else {
        PrintEmptiedParents(folder);
        PrintLine("");
    }
    return TRUE;
}
