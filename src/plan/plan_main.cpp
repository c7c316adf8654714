// uninstall-launcher-plan.exe CODE: what the launcher would do with the same command tail, and
// why, from the launcher's own decisions. It only reads: it starts, deletes and writes nothing.
#include <windows.h>

#include "../actions/folder_safety/folder_safety.h"
#include "../launcher/dll_search.h"
#include "../launcher/uninstall_stages.h"
#include "entry_plan.h"
#include "folder_plan.h"
#include "plan_output.h"
#include "verdict_text.h"

static void PrintJudgedAccount(void)
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    char account[MAX_PATH] = "an account that could not be read";
    if (ReadLauncherAccount(sid)) {
        DescribeAccount(sid, account);
    }
    PrintText("Judged for ");
    PrintText(account);
    PrintLine(". The launcher judges for the account it runs as: run this the same way "
              "(elevated, or as SYSTEM).");
}

// 1: a refused code; 0: every installed entry would start and the folder would be cleared; 2 else.
static int PrintPlan(const char* tail)
{
    if (!IsAcceptedVariant(tail)) {
        PrintText("Refused: \"");
        PrintText(tail);
        PrintLine("\" is not a variant code the launcher serves; it would do nothing.");
        return 1;
    }
    char keyPath[MAX_PATH];
    char targetPath[MAX_PATH];
    BOOL allStart = TRUE;
    BOOL cleared = FALSE;
    for (int stage = STAGE_PRODUCT; stage < STAGE_COUNT; ++stage) {
        ComposeStageKeyPath(stage, tail, keyPath);
        int entry = PrintEntryPlan(keyPath);
        allStart = allStart && (entry == ENTRY_STARTS || entry == ENTRY_NOT_INSTALLED);
        if (stage == STAGE_PRODUCT && entry != ENTRY_NOT_INSTALLED &&
            ReadTargetPath(keyPath, targetPath)) {
            cleared = PrintFolderPlan(targetPath, EntryName(keyPath), entry == ENTRY_STARTS);
        }
    }
    PrintJudgedAccount();
    return allStart && cleared ? 0 : 2;
}

// No runtime start-up, as in the launcher: nothing here needs it.
extern "C" void StartPlan(void)
{
    RestrictDllSearch();
    ExitProcess((UINT)PrintPlan(GetCommandTail(GetCommandLineA())));
}
