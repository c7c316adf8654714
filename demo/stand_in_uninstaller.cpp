// A stand-in for a product's uninstaller, used by the demo and the benchmark.
//
//   stand-in-uninstaller.exe ENTRY LOG [MILLISECONDS]
//
// Appends "start ENTRY <microseconds>" to LOG, stays MILLISECONDS (default 0), deletes its own
// uninstall entry HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ENTRY as a real
// uninstaller does, appends "end ENTRY <microseconds> removed|kept" and exits with 0 when the entry
// is gone. The times come from the performance counter, which all processes of a machine share, so
// one process's end and the next one's start can be compared.
#include <windows.h>
#include <stdlib.h>
#include <string.h>

static const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

static unsigned long long NowMicroseconds()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    unsigned long long ticks = (unsigned long long)counter.QuadPart;
    unsigned long long perSecond = (unsigned long long)frequency.QuadPart;
    return ticks / perSecond * 1000000ull + ticks % perSecond * 1000000ull / perSecond;
}

static void AppendNumber(char* line, unsigned long long number)
{
    char digits[24];
    int count = 0;
    do {
        digits[count++] = (char)('0' + number % 10);
        number /= 10;
    } while (number != 0);
    size_t length = strlen(line);
    while (count > 0) {
        line[length++] = digits[--count];
    }
    line[length] = 0;
}

static void AppendLine(const char* logPath, const char* line)
{
    HANDLE log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written;
    WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
    CloseHandle(log);
}

static void LogEvent(const char* logPath, const char* event, const char* entry,
                     unsigned long long time, const char* outcome)
{
    char line[512];
    line[0] = 0;
    strncat(line, event, 16);
    strcat(line, " ");
    strncat(line, entry, 200);
    strcat(line, " ");
    AppendNumber(line, time);
    if (outcome != NULL) {
        strcat(line, " ");
        strcat(line, outcome);
    }
    strcat(line, "\r\n");
    AppendLine(logPath, line);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    unsigned long long started = NowMicroseconds();
    if (__argc < 3 || strlen(__argv[1]) > 200) {
        return 2;
    }
    const char* entry = __argv[1];
    const char* logPath = __argv[2];
    LogEvent(logPath, "start", entry, started, NULL);
    if (__argc > 3) {
        Sleep((DWORD)strtoul(__argv[3], NULL, 10));
    }

    char keyPath[MAX_PATH];
    strcpy(keyPath, kUninstallRoot);
    strcat(keyPath, entry);
    BOOL removed = RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath) == ERROR_SUCCESS;
    LogEvent(logPath, "end", entry, NowMicroseconds(), removed ? "removed" : "kept");
    return removed ? 0 : 1;
}
