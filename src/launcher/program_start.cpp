#include <windows.h>

#include "program_start.h"
#include "uninstall_driver.h"

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD directoryFlags);

void RestrictDllSearch(void)
{
    // Looked up, not imported: without it a system lacking the function would refuse to start.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel != NULL ? GetProcAddress(kernel, "SetDefaultDllDirectories") : NULL;
    if (found != NULL) {
        ((SetDefaultDllDirectoriesFunction)(void (*)(void))found)(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

// The runtime's start-up (heap, locale tables, argument parsing) does nothing this program needs
// and was half its size, so the process starts here.
extern "C" void StartProgram(void)
{
    RestrictDllSearch();
    const char* tail = GetCommandTail(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)tail, SW_SHOWDEFAULT));
}
