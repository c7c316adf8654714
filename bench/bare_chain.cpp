// The limit the launcher's hand-over is measured against: the two companions' stand-in
// uninstallers started one after the other with CreateProcessA and an unbounded wait, and nothing
// else (no registry, no checks). Its commands are the ones bench/run writes into the entries.
#include <windows.h>

static char g_first[] =
    "C:\\bench\\stand-in.exe name=vek473u log=C:\\bench\\log.txt delkey=vek473u";
static char g_second[] =
    "C:\\bench\\stand-in.exe name=vek473 log=C:\\bench\\log.txt delkey=vek473";

static void RunAndWait(char* command)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    RunAndWait(g_first);
    RunAndWait(g_second);
    return 0;
}
