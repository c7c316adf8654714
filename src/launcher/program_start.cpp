// The process entry, before the runtime or anything else runs.
#include <windows.h>

#include "program_start.h"
#include "uninstall_driver.h"

// The runtime's start-up (heap, locale tables, argument parsing) does nothing this program needs
// and was half its size, so the process starts here.
extern "C" void StartProgram(void)
{
    RestrictDllSearch();
    const char* tail = GetCommandTail(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)tail, SW_SHOWDEFAULT));
}
