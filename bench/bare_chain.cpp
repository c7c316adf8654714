// The limit the launcher's hand-over is measured against: the two companions' stand-in
// uninstallers started one after the other with CreateProcessA and an unbounded wait, and nothing
// else (no registry, no checks). Its commands are the ones bench/run writes into the entries.
//
// With the argument "checked" it is the second limit: before each start it also takes the step
// every start of the launcher must take on its own, reading the owner and access list of the
// program file and of each folder above it up to the drive root (an open for READ_CONTROL and
// GetKernelObjectSecurity each), and it names the program as the application name.
#include <windows.h>

#include <string.h>

static char g_program[] = "C:\\bench\\stand-in.exe";
static char g_first[] =
    "C:\\bench\\stand-in.exe name=vek473u log=C:\\bench\\log.txt delkey=vek473u";
static char g_second[] =
    "C:\\bench\\stand-in.exe name=vek473 log=C:\\bench\\log.txt delkey=vek473";

typedef BOOL(WINAPI* ReadSecurityFunction)(HANDLE, SECURITY_INFORMATION, PSECURITY_DESCRIPTOR,
                                           DWORD, LPDWORD);

// Looked up only for the second limit, so that the first one loads no more than it needs.
static ReadSecurityFunction g_getKernelObjectSecurity;

static void ReadSecurity(const char* path)
{
    HANDLE handle = CreateFileA(path, READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD descriptor[2048 / sizeof(DWORD)];
    DWORD needed;
    g_getKernelObjectSecurity(handle, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              descriptor, sizeof descriptor, &needed);
    CloseHandle(handle);
}

// The program file, then "C:\bench", then "C:\".
static void ReadProgramSecurity(void)
{
    char path[MAX_PATH];
    strcpy(path, g_program);
    ReadSecurity(path);
    char* cut;
    while ((cut = strrchr(path, '\\')) != NULL) {
        if (cut == path + 2) {
            cut[1] = 0;
            ReadSecurity(path);
            return;
        }
        *cut = 0;
        ReadSecurity(path);
    }
}

static void RunAndWait(char* command, BOOL checked)
{
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (checked) {
        ReadProgramSecurity();
    }
    if (CreateProcessA(checked ? g_program : NULL, command, NULL, NULL, FALSE, 0, NULL, NULL,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandTail, int)
{
    BOOL checked = strcmp(commandTail, "checked") == 0;
    if (checked) {
        HMODULE advapi = LoadLibraryA("advapi32.dll");
        g_getKernelObjectSecurity = (ReadSecurityFunction)(void (*)(void))GetProcAddress(
            advapi, "GetKernelObjectSecurity");
        if (g_getKernelObjectSecurity == NULL) {
            return 1;
        }
    }
    RunAndWait(g_first, checked);
    RunAndWait(g_second, checked);
    return 0;
}
