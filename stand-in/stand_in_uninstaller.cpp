// The stand-in uninstaller of the Wine integration suite and the benchmark. It appends
// what it does to a log file, one line per event, fields separated by '|':
//   start|<name>|<pid>|<tid>|<microseconds>|<own module path>|<command line as received>
//   delkey|<name>|<key>|<result>      probe|<name>|<target>|<process state>|<thread state>
//   end|<name>|<exit code>|<microseconds>
// The times come from the performance counter, which all processes of a machine share, so one
// process's end and the next one's start can be compared.
// Arguments, executed in order (anything else, e.g. "/S" or "pad=...", is ignored):
//   name=N        the name used in the log (default "unnamed")
//   log=PATH      the log file (default: the environment variable STAND_IN_LOG); read first
//   delkey=K      deletes the uninstall entry K, in the registry view of its own bitness, the
//                 view a launcher of the same bitness reads
//   deny=K        gives the uninstall entry K an empty access list, so that nobody may read it
//   sleep=MS      runs for MS milliseconds
//   spawn=N       starts another copy of itself named N that runs for 1500 ms, and does not wait
//   probe=N       tells whether the process and thread that logged "start|N|..." still exist
//   exit=C        ends with exit code C
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string g_logArgument;

std::string LogPath()
{
    if (!g_logArgument.empty()) {
        return g_logArgument;
    }
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("STAND_IN_LOG", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

void AppendLog(const std::string& line)
{
    std::string path = LogPath();
    if (path.empty()) {
        return;
    }
    std::string text = line + "\n";
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

std::string ReadLog()
{
    std::string text;
    HANDLE file = CreateFileA(LogPath().c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

// The arguments after the program's own name, split at blanks.
std::vector<std::string> Arguments()
{
    const char* position = GetCommandLineA();
    if (*position == '"') {
        position = strchr(position + 1, '"');
        position = position == NULL ? "" : position + 1;
    } else {
        while (*position != 0 && *position != ' ' && *position != '\t') {
            ++position;
        }
    }
    std::vector<std::string> arguments;
    std::string current;
    for (; *position != 0; ++position) {
        if (*position == ' ' || *position == '\t') {
            if (!current.empty()) {
                arguments.push_back(current);
            }
            current.clear();
        } else {
            current += *position;
        }
    }
    if (!current.empty()) {
        arguments.push_back(current);
    }
    return arguments;
}

std::string ValueOf(const std::string& argument, const char* option)
{
    size_t length = strlen(option);
    return argument.compare(0, length, option) == 0 ? argument.substr(length) : std::string();
}

std::string OwnModule()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    return std::string(path, length);
}

LONG DeleteEntry(const std::string& name)
{
    return RegDeleteKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + name).c_str(), 0, 0);
}

LONG DenyEntry(const std::string& name)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + name).c_str(), 0,
                                WRITE_DAC, &key);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    SECURITY_DESCRIPTOR descriptor;
    ACL acl;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE);
    result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
    RegCloseKey(key);
    return result;
}

void Spawn(const std::string& name)
{
    std::string module = OwnModule();
    std::string command = "\"" + module + "\" name=" + name + " log=" + LogPath() + " sleep=1500";
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    if (CreateProcessA(module.c_str(), &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        AppendLog("spawned|" + name);
    } else {
        AppendLog("spawn-failed|" + name);
    }
}

// "held" when the object is still there after its process ended (someone kept a handle to it),
// "gone" when it no longer exists or its id now belongs to something that is still running.
std::string ProbeObjectOnce(bool isProcess, DWORD id)
{
    HANDLE handle = isProcess ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)
                              : OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (handle == NULL) {
        return "gone";
    }
    DWORD code = STILL_ACTIVE;
    BOOL known = isProcess ? GetExitCodeProcess(handle, &code) : GetExitCodeThread(handle, &code);
    CloseHandle(handle);
    return known && code != STILL_ACTIVE ? "held" : "gone";
}

// The system may keep an ended process for a moment after its last handle closed: give it 3 s.
std::string ProbeObject(bool isProcess, DWORD id)
{
    DWORD started = GetTickCount();
    std::string state;
    while ((state = ProbeObjectOnce(isProcess, id)) == "held" && GetTickCount() - started < 3000) {
        Sleep(20);
    }
    return state;
}

void Probe(const std::string& own, const std::string& target)
{
    std::string log = ReadLog();
    std::string marker = "start|" + target + "|";
    size_t at = log.find(marker);
    if (at == std::string::npos) {
        AppendLog("probe|" + own + "|" + target + "|unknown|unknown");
        return;
    }
    const char* fields = log.c_str() + at + marker.size();
    char* rest = NULL;
    DWORD pid = strtoul(fields, &rest, 10);
    DWORD tid = strtoul(rest + 1, NULL, 10);
    AppendLog("probe|" + own + "|" + target + "|" + ProbeObject(true, pid) + "|" +
              ProbeObject(false, tid));
}

std::string NowMicroseconds()
{
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    unsigned long long ticks = (unsigned long long)counter.QuadPart;
    unsigned long long perSecond = (unsigned long long)frequency.QuadPart;
    return std::to_string(ticks / perSecond * 1000000ull +
                          ticks % perSecond * 1000000ull / perSecond);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::string started = NowMicroseconds();
    std::vector<std::string> arguments = Arguments();
    std::string name = "unnamed";
    for (const std::string& argument : arguments) {
        if (!ValueOf(argument, "name=").empty()) {
            name = ValueOf(argument, "name=");
        }
        if (!ValueOf(argument, "log=").empty()) {
            g_logArgument = ValueOf(argument, "log=");
        }
    }
    AppendLog("start|" + name + "|" + std::to_string(GetCurrentProcessId()) + "|" +
              std::to_string(GetCurrentThreadId()) + "|" + started + "|" + OwnModule() + "|" +
              GetCommandLineA());
    int exitCode = 0;
    for (const std::string& argument : arguments) {
        std::string value;
        if (!(value = ValueOf(argument, "delkey=")).empty()) {
            AppendLog("delkey|" + name + "|" + value + "|" + std::to_string(DeleteEntry(value)));
        } else if (!(value = ValueOf(argument, "deny=")).empty()) {
            AppendLog("deny|" + name + "|" + value + "|" + std::to_string(DenyEntry(value)));
        } else if (!(value = ValueOf(argument, "sleep=")).empty()) {
            Sleep(strtoul(value.c_str(), NULL, 10));
        } else if (!(value = ValueOf(argument, "spawn=")).empty()) {
            Spawn(value);
        } else if (!(value = ValueOf(argument, "probe=")).empty()) {
            Probe(name, value);
        } else if (!(value = ValueOf(argument, "exit=")).empty()) {
            exitCode = atoi(value.c_str());
        }
    }
    AppendLog("end|" + name + "|" + std::to_string(exitCode) + "|" + NowMicroseconds());
    return exitCode;
}
