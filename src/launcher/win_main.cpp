// The Windows entry point.
#include <windows.h>

#include "uninstall_driver.h"

// The runtime's own tail mishandles quoted names, bytes of 0x80 and up and double-byte text, so the
// tail is taken from the process command line instead.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return RunUninstallSequence(GetCommandTail(GetCommandLineA()));
}
