// Running one uninstall entry's command and waiting until it has ended.
#include "uninstall_entry_runner.h"

#include <windows.h>

#include "folder_safety/folder_safety.h"
#include "uninstall_command.h"
#include "window_station.h"

static const DWORD kWaitSliceMilliseconds = 60;
static const char kEventSource[] = "Uninstall Launcher";
static const DWORD kStartErrorEvent = 1;

// Where nobody sees a box, the Application log keeps its text for whoever deployed the run. The
// source is not registered (the launcher never writes the registry): the text is all there is.
static void RecordStartError(const char* message)
{
    HANDLE source = RegisterEventSourceA(NULL, kEventSource);
    if (source == NULL) {
        return;
    }
    ReportEventA(source, EVENTLOG_ERROR_TYPE, 0, kStartErrorEvent, NULL, 1, 0, &message, NULL);
    DeregisterEventSource(source);
}

static void ReportStartError(const char* command)
{
    char message[MAX_PATH];
    FormatStartError(command, message);
    if (CanAnyoneSeeWindows()) {
        MessageBoxA(NULL, message, NULL, MB_OK | MB_ICONERROR);
    } else {
        RecordStartError(message);
    }
}

static void RunCommandAndWait(char* command)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    ZeroMemory(&process, sizeof process);

    // Held from its check until the start has returned, so that the program checked is the
    // program started.
    char program[MAX_PATH];
    HANDLE held = INVALID_HANDLE_VALUE;
    BOOL started = HoldProgramToStart(command, program, &held, NULL) &&
                   CreateProcessA(program, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                                  &process);
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
    }
    if (!started) {
        ReportStartError(command);
        return;
    }
    while (WaitForSingleObject(process.hProcess, kWaitSliceMilliseconds) == WAIT_TIMEOUT) {
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void RunUninstallEntry(const char* keyPath)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    // The key stays open while its uninstaller runs, as the uninstallers expect.
    char command[MAX_PATH];
    if (ReadUninstallCommand(key, command)) {
        RunCommandAndWait(command);
    }
    RegCloseKey(key);
}
