// What the launcher would do with one uninstall entry.
#include "entry_plan.h"

#include <windows.h>

#include "../common/ansi_text.h"
#include "../actions/folder_safety/folder_safety.h"
#include "../actions/uninstall_command.h"
#include "plan_output.h"
#include "verdict_text.h"

const char* EntryName(const char* keyPath)
{
    char* cut = FindLastBackslash((char*)keyPath);
    return cut != NULL ? cut + 1 : keyPath;
}

// The launcher's own check of the program, its handle closed at once: nothing is started.
static int PrintProgramPlan(const char* command)
{
    char program[MAX_PATH];
    HANDLE held = INVALID_HANDLE_VALUE;
    SafetyVerdict verdict;
    ZeroMemory(&verdict, sizeof verdict);
    BOOL trusted = HoldProgramToStart(command, program, &held, &verdict);
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
    }
    if (trusted) {
        PrintText("starts ");
        PrintLine(program);
        return ENTRY_STARTS;
    }
    char message[MAX_PATH];
    char reason[kVerdictTextSize];
    FormatStartError(command, message);
    DescribeVerdict(&verdict, reason);
    PrintText("cannot start, ");
    PrintText(message);
    PrintText("; ");
    PrintLine(reason);
    return ENTRY_CANNOT_START;
}

int PrintEntryPlan(const char* keyPath)
{
    PrintText(EntryName(keyPath));
    PrintText(": ");
    HKEY key;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key);
    if (opened != ERROR_SUCCESS) {
        // The launcher passes over an entry it cannot open, whatever the reason.
        char error[64] = "";
        if (opened != ERROR_FILE_NOT_FOUND) {
            AppendText(error, sizeof error, " (its entry cannot be opened: error ");
            AppendNumber(error, sizeof error, (unsigned long)opened);
            AppendText(error, sizeof error, ")");
        }
        PrintText("not installed");
        PrintLine(error);
        return ENTRY_NOT_INSTALLED;
    }
    char command[MAX_PATH];
    int plan = ENTRY_NO_COMMAND;
    if (ReadUninstallCommand(key, command)) {
        plan = PrintProgramPlan(command);
    } else {
        PrintLine("no UninstallString (missing, or too long to read whole)");
    }
    RegCloseKey(key);
    return plan;
}
