// The order of the three uninstall stages, and the install folder cleared between them.
#include "uninstall_driver.h"

#include "../actions/install_folder_removal.h"
#include "../actions/uninstall_entry_runner.h"

static char g_keyPath[MAX_PATH];
static char g_targetPath[MAX_PATH];

int RunUninstallSequence(const char* tail)
{
    if (!IsAcceptedVariant(tail)) {
        return 1;
    }

    ComposeStageKeyPath(STAGE_PRODUCT, tail, g_keyPath);
    if (ReadTargetPath(g_keyPath, g_targetPath)) {
        RunUninstallEntry(g_keyPath);
        if (IsEntryRemoved(g_keyPath)) {
            RemoveInstallFolder(g_targetPath);
        }
    }

    for (int stage = STAGE_FIRST_COMPANION; stage < STAGE_COUNT; ++stage) {
        ComposeStageKeyPath(stage, tail, g_keyPath);
        RunUninstallEntry(g_keyPath);
    }
    return 0;
}
