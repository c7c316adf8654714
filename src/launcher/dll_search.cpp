// Where the process may load DLLs from: the system folder only.
#include "dll_search.h"

#include <windows.h>

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
