// Starting the launcher, pressing its boxes and reading what the stand-ins logged.
#include "harness.h"

#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Running the launcher

void AppendLog(const std::string& line)
{
    HANDLE file = CreateFileA(kLog, FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        std::string text = line + "\n";
        DWORD written = 0;
        WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL);
        CloseHandle(file);
    }
}

// Everything left to read from a file or pipe.
static std::string ReadToEnd(HANDLE handle)
{
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &got, NULL) && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

std::vector<std::vector<std::string>> ReadLog()
{
    std::vector<std::vector<std::string>> events;
    HANDLE file = CreateFileA(kLog, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return events;
    }
    std::string text = ReadToEnd(file);
    CloseHandle(file);
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::vector<std::string> fields;
        size_t field = begin;
        for (size_t at = begin; at <= end; ++at) {
            if (at == end || text[at] == '|') {
                fields.push_back(text.substr(field, at - field));
                field = at + 1;
            }
        }
        events.push_back(fields);
        begin = end + 1;
    }
    return events;
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context)
{
    WindowSearch* search = (WindowSearch*)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == search->processId && strcmp(className, "#32770") == 0) {
        search->found.push_back(window);
    }
    return TRUE;
}

// Reads a visible box of the launcher, logs it and presses its OK button.
void HandleBox(HWND window, Run* run)
{
    Box box;
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    box.caption = text;
    text[0] = 0;
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    box.text = text;
    box.hasOwner = GetWindow(window, GW_OWNER) != NULL;
    HWND ok = GetDlgItem(window, IDOK);
    box.okOnly = ok != NULL;
    for (int other : {IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE}) {
        box.okOnly = box.okOnly && GetDlgItem(window, other) == NULL;
    }
    box.hasIcon = false;
    for (HWND child = GetWindow(window, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(child, STM_GETICON, 0, 0) != 0) {
            box.hasIcon = true;
        }
    }
    run->boxes.push_back(box);
    AppendLog("box|" + box.caption + "|" + box.text);
    Sleep(150);  // the launcher must stay blocked while the box is up
    AppendLog("dismiss");
    if (ok != NULL) {
        SendMessageA(ok, BM_CLICK, 0, 0);
    } else {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

}  // namespace

Run RunLauncher(const std::string& commandLine, const std::string& application,
                const char* desktop, DWORD timeoutMs)
{
    Run run;
    DeleteFileA(kLog);
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.lpDesktop = (LPSTR)desktop;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    // Wine reports ERROR_INTERNAL_ERROR when a new process dies before its loader is done; on a
    // loaded machine that happens now and then, so two more tries, each one printed.
    BOOL started = FALSE;
    for (int attempt = 1; attempt <= 3 && !started; ++attempt) {
        started = CreateProcessA(application.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                                 kCurrentFolder, &startup, &process);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) {
            break;
        }
        if (!started && attempt < 3) {
            printf("      (the launcher did not start, error 1359; trying again)\n");
            Sleep(500);
        }
    }
    if (!started) {
        Check(false, "could not start the launcher: error " + std::to_string(GetLastError()));
        return run;
    }
    std::set<HWND> handled;
    DWORD startTick = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        WindowSearch search = {process.dwProcessId, {}};
        EnumWindows(CollectDialog, (LPARAM)&search);
        for (HWND window : search.found) {
            if (handled.count(window) == 0 && IsWindowVisible(window)) {
                handled.insert(window);
                HandleBox(window, &run);
            }
        }
        if (GetTickCount() - startTick > timeoutMs) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
            Check(false, "the launcher did not end within " + std::to_string(timeoutMs / 1000) +
                             " s");
            break;
        }
    }
    run.ended = true;
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.log = ReadLog();
    return run;
}

Run RunWithTail(const std::string& tail)
{
    return RunLauncher(std::string(kLauncher) + " " + tail);
}

// The stand-ins' starts and ends and the boxes, in the order they happened, e.g.
// "start:P end:P box start:A end:A".
std::string Sequence(const Run& run, const std::string& leaveOut)
{
    std::string sequence;
    for (const std::vector<std::string>& event : run.log) {
        std::string item;
        if ((event[0] == "start" || event[0] == "end") && event.size() > 1) {
            if (event[1] == leaveOut) {
                continue;
            }
            item = event[0] + ":" + event[1];
        } else if (event[0] == "box") {
            item = "box";
        } else {
            continue;
        }
        sequence += (sequence.empty() ? "" : " ") + item;
    }
    return sequence;
}

// One field of the first event of `kind` logged by the stand-in `name`.
std::string Field(const Run& run, const std::string& kind, const std::string& name, size_t index)
{
    for (const std::vector<std::string>& event : run.log) {
        if (event[0] == kind && event.size() > index && event[1] == name) {
            return event[index];
        }
    }
    return "(no " + kind + " of " + name + ")";
}

std::string CommandLineOf(const Run& run, const std::string& name)
{
    return Field(run, "start", name, 6);
}

std::string ModuleOf(const Run& run, const std::string& name)
{
    return Field(run, "start", name, 5);
}

void CheckExit(const Run& run, DWORD expected)
{
    Check(run.ended, "the launcher ended");
    CheckEqual(std::to_string(run.exitCode), std::to_string(expected), "exit status");
}

void CheckNoBox(const Run& run)
{
    for (const Box& box : run.boxes) {
        Check(false, "unexpected box \"" + box.caption + "\": " + box.text);
    }
}

std::string g_defaultCaption = "Error";

void CheckErrorBox(const Box& box, const std::string& command)
{
    CheckEqual(box.caption, g_defaultCaption, "caption of the error box");
    CheckEqual(box.text, "Error to Execute \"" + command + "\"", "text of the error box");
    Check(!box.hasOwner, "the error box has no owner window");
    Check(box.okOnly, "the error box has an OK button and no other");
    Check(box.hasIcon, "the error box shows an icon");
}

// A complete, well-behaved installation: product, both companions for `variant`, decoy
// companions of other variants that must never run, and an install folder.
void InstallAll(const std::string& variant, const std::string& installFolder)
{
    PutEntry(kProduct, ProductUninstaller());
    PutTarget(installFolder);
    PutEntry("vek" + variant + "u", StandIn("A"));
    PutEntry("vek" + variant, StandIn("B"));
    for (const char* other : {"473", "472", "", "4", "47"}) {
        if (variant != other) {
            PutEntry(std::string("vek") + other + "u", StandIn("decoy"));
            PutEntry(std::string("vek") + other, StandIn("decoy"));
        }
    }
}

void MakeInstallFolder(const std::string& folder)
{
    MakeFolder(folder);
    PutFile(folder + "\\app.exe");
    PutFile(folder + "\\readme.txt");
    PutFile(folder + "\\data.bin", std::string(5000, 'd'));
}

Run RemoveProductAt(const std::string& targetPath)
{
    InstallAll("473", targetPath);
    Run run = RunPlanThenLauncher("473", targetPath);
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages");
    CheckEqual(Field(run, "delkey", "P", 3), "0", "product entry removed by its uninstaller");
    CheckNoBox(run);
    return run;
}

// ---------------------------------------------------------------------------------------------
// Running the plan

namespace {

// Every file and folder below `folder` (or only its own entries), with size and time written.
void ListTree(const std::string& folder, bool deep, std::vector<std::string>* listing)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::string name = entry.cFileName;
        std::string path = folder + "\\" + name;
        if (name == "." || name == ".." || path == kWineMessages) {
            continue;
        }
        listing->push_back(path + " " + std::to_string(entry.nFileSizeLow) + " " +
                           std::to_string(entry.ftLastWriteTime.dwLowDateTime));
        if (deep && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
            (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            ListTree(path, true, listing);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

std::string ReadCommand(const std::string& entry)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return "(no entry)";
    }
    char value[1024] = "";
    DWORD size = sizeof value - 1;
    RegQueryValueExA(key, "UninstallString", NULL, NULL, (BYTE*)value, &size);
    RegCloseKey(key);
    return value;
}

std::vector<std::string> Snapshot(const std::string& watched)
{
    std::vector<std::string> state;
    ListTree(kSuiteFolder, true, &state);
    if (!watched.empty()) {
        ListTree(watched, false, &state);
    }
    for (const std::string& entry : g_entries) {
        state.push_back(entry + " " + ReadCommand(entry));
    }
    return state;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

}  // namespace

Plan RunPlan(const std::string& tail, const std::string& watched)
{
    Plan plan;
    std::vector<std::string> before = Snapshot(watched);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    HANDLE reading;
    HANDLE writing;
    Check(CreatePipe(&reading, &writing, &inherit, 0) != FALSE, "pipe for the plan's output");
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writing;
    startup.hStdError = writing;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::string commandLine = std::string(kPlan) + " " + tail;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    BOOL started = CreateProcessA(kPlan, line.data(), NULL, NULL, TRUE, 0, NULL, kCurrentFolder,
                                  &startup, &process);
    CloseHandle(writing);
    if (!started) {
        Check(false, "could not start the plan: error " + std::to_string(GetLastError()));
        CloseHandle(reading);
        return plan;
    }
    std::string text = ReadToEnd(reading);
    CloseHandle(reading);
    Check(WaitForSingleObject(process.hProcess, kLauncherTimeoutMs) == WAIT_OBJECT_0, "the plan ended");
    GetExitCodeProcess(process.hProcess, &plan.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find("\r\n", begin);
        Check(end != std::string::npos, "the plan's lines end in CR LF: " + text.substr(begin));
        if (end == std::string::npos) {
            break;
        }
        plan.lines.push_back(text.substr(begin, end - begin));
        begin = end + 2;
    }
    CheckEqual(Joined(Snapshot(watched)), Joined(before), "the plan changed nothing");
    return plan;
}

std::string PlanLine(const Plan& plan, const std::string& opening)
{
    for (const std::string& line : plan.lines) {
        if (line.compare(0, opening.size(), opening) == 0) {
            return line;
        }
    }
    return "(no line \"" + opening + "...\" in:\n" + Joined(plan.lines) + ")";
}

Run RunPlanThenLauncher(const std::string& tail, const std::string& targetPath)
{
    Plan plan = RunPlan(tail, targetPath);
    std::string folderLine = PlanLine(plan, "Install folder " + targetPath + ": ");
    bool saysCleared = folderLine.find(": cleared once Tessaline is gone") != std::string::npos;
    // A trailing backslash of its own, never the trail byte of a double-byte letter, is dropped.
    const char* last = targetPath.c_str();
    for (const char* at = last; *at != 0; at = CharNextA(at)) {
        last = at;
    }
    std::string file = targetPath.substr(0, *last == '\\' ? last - targetPath.c_str() : targetPath.size());
    file += "\\app.exe";
    bool hadFiles = Exists(file);
    Run run = RunWithTail(tail);
    run.plan = plan;
    if (hadFiles) {
        CheckEqual(Exists(file) ? "kept" : "cleared",
                   saysCleared ? "cleared" : "kept",
                   "what the launcher did to the folder, against the plan's line: " + folderLine);
    } else {
        Check(!saysCleared, "a folder without the product's files is not cleared: " + folderLine);
    }
    return run;
}
