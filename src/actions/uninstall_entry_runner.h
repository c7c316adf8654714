// Running one uninstall entry's command and waiting until it has ended.
#ifndef UNINSTALL_ENTRY_RUNNER_H
#define UNINSTALL_ENTRY_RUNNER_H

// Runs the UninstallString of the entry at `keyPath` (below HKEY_LOCAL_MACHINE) and returns once
// that command has ended. A command that cannot be started is reported in a message box, or,
// where the process's window station is one no user can see, in the Application event log.
void RunUninstallEntry(const char* keyPath);

#endif
