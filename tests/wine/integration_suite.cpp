// Integration suite for the uninstall launcher, run under wine64 against the real Win32 API.
// It treats the launcher as a black box: it writes the uninstall entries, lays out install
// folders, starts the launcher with an exact command line, dismisses its error boxes and checks
// what is left. Its uninstallers are copies of the stand-in uninstaller, which log what they do.
//
//   integration_suite.exe [--cp932]
// Without an option the system's ANSI code page must be 1252; with --cp932 it must be 932 and the
// double-byte cases run. Prints one line per case and "N passed, M failed"; exits 1 on a failure.
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <string.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

const char kSuiteFolder[] = "C:\\suite";
const char kLauncher[] = "C:\\suite\\uninstall-launcher.exe";
const char kStandIn[] = "C:\\suite\\stand_in.exe";
const char kLog[] = "C:\\suite\\log.txt";
const char kCurrentFolder[] = "C:\\suite\\cwd";
const char kScratch[] = "C:\\suite\\cases";
const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kProduct[] = "Tessaline";
const char kSentinelName[] = "suite-sentinel.txt";
const DWORD kLauncherTimeoutMs = 20000;

// ---------------------------------------------------------------------------------------------
// Failures of the current case

std::vector<std::string> g_failures;

void Check(bool condition, const std::string& what)
{
    if (!condition) {
        g_failures.push_back(what);
    }
}

void CheckEqual(const std::string& actual, const std::string& expected, const std::string& what)
{
    if (actual != expected) {
        g_failures.push_back(what + "\n        expected: [" + expected + "]\n        actual:   [" +
                             actual + "]");
    }
}

// ---------------------------------------------------------------------------------------------
// Files and folders. Paths are ANSI; long ones go through the wide API with the \\?\ prefix.

std::wstring Wide(const std::string& path)
{
    int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, NULL, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    if (length > 1) {
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], length);
    }
    return path.size() > 200 ? L"\\\\?\\" + wide : wide;
}

DWORD Attributes(const std::string& path)
{
    return GetFileAttributesW(Wide(path).c_str());
}

bool Exists(const std::string& path)
{
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Creates the folder and every missing folder above it. A trail byte equal to the backslash's
// code is part of its letter, not a separator.
void MakeFolder(const std::string& path)
{
    for (size_t at = 3; at <= path.size(); ++at) {
        if (at < path.size() && IsDBCSLeadByte((BYTE)path[at]) && at + 1 < path.size()) {
            ++at;
            continue;
        }
        if (at == path.size() || path[at] == '\\') {
            std::string part = path.substr(0, at);
            if (!IsFolder(part) && !CreateDirectoryW(Wide(part).c_str(), NULL)) {
                Check(false, "could not create folder " + part);
                return;
            }
        }
    }
}

void PutFile(const std::string& path, const std::string& content = "x")
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        Check(false, "could not create file " + path);
        return;
    }
    DWORD written = 0;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, NULL);
    CloseHandle(file);
}

bool CopyProgram(const std::string& from, const std::string& to)
{
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
}

void RemoveTree(const std::string& path)
{
    DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((Wide(path + "\\*")).c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) {
                    continue;
                }
                char name[MAX_PATH * 2];
                WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof name, NULL, NULL);
                RemoveTree(path + "\\" + name);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(Wide(path).c_str());
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveDirectoryW(Wide(path).c_str());
    } else {
        SetFileAttributesW(Wide(path).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Wide(path).c_str());
    }
}

std::string FolderOf(int csidl)
{
    char path[MAX_PATH] = "";
    if (SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path) != S_OK) {
        Check(false, "the system does not know folder " + std::to_string(csidl));
    }
    return path;
}

// Files outside the scratch folder that the current case placed and must take away again.
std::vector<std::string> g_placedFiles;
std::vector<std::string> g_placedFolders;

std::string PlaceSentinel(const std::string& folder)
{
    std::string path = folder + "\\" + kSentinelName;
    PutFile(path, "sentinel");
    g_placedFiles.push_back(path);
    return path;
}

// ---------------------------------------------------------------------------------------------
// Uninstall entries, written in the 64-bit view like the 64-bit launcher reads them.

std::set<std::string> g_entries;

std::string EntryPath(const std::string& name)
{
    return std::string(kUninstallRoot) + "\\" + name;
}

void SetValue(const std::string& entry, const char* valueName, DWORD type, const void* data,
              DWORD size)
{
    HKEY key;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0, NULL, 0,
                                  KEY_ALL_ACCESS | KEY_WOW64_64KEY, NULL, &key, NULL);
    g_entries.insert(entry);
    if (result != ERROR_SUCCESS) {
        Check(false, "could not create entry " + entry);
        return;
    }
    if (valueName != NULL &&
        RegSetValueExA(key, valueName, 0, type, (const BYTE*)data, size) != ERROR_SUCCESS) {
        Check(false, std::string("could not write ") + valueName + " of " + entry);
    }
    RegCloseKey(key);
}

void PutEntry(const std::string& entry, const std::string& uninstallString)
{
    SetValue(entry, "UninstallString", REG_SZ, uninstallString.c_str(),
             (DWORD)uninstallString.size() + 1);
}

void PutTarget(const std::string& targetPath)
{
    SetValue(kProduct, "TargetPath", REG_SZ, targetPath.c_str(), (DWORD)targetPath.size() + 1);
}

bool EntryExists(const std::string& entry)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0,
                                READ_CONTROL | KEY_WOW64_64KEY, &key);
    if (result == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return result != ERROR_FILE_NOT_FOUND;
}

void DeleteEntry(const std::string& entry)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0,
                      WRITE_DAC | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR open;  // undo a stand-in's "deny=": a null access list allows all
        InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&open, TRUE, NULL, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open);
        RegCloseKey(key);
    }
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), KEY_WOW64_64KEY, 0);
}

// ---------------------------------------------------------------------------------------------
// Stand-in uninstallers

std::string StandIn(const std::string& name, const std::string& more = "")
{
    return std::string(kStandIn) + " name=" + name + (more.empty() ? "" : " " + more);
}

// The product's uninstaller that removes its entry, as a real one does.
std::string ProductUninstaller(const std::string& more = "")
{
    return StandIn("P", "delkey=Tessaline" + (more.empty() ? "" : " " + more));
}

// ---------------------------------------------------------------------------------------------
// Running the launcher

struct Box {
    std::string caption;
    std::string text;
    bool hasOwner = false;
    bool okOnly = false;
    bool hasIcon = false;
};

struct Run {
    bool ended = false;
    DWORD exitCode = 0;
    std::vector<Box> boxes;
    std::vector<std::vector<std::string>> log;
};

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

std::vector<std::vector<std::string>> ReadLog()
{
    std::vector<std::vector<std::string>> events;
    HANDLE file = CreateFileA(kLog, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return events;
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) {
        text.append(buffer, got);
    }
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

Run RunLauncher(const std::string& commandLine, const std::string& application = kLauncher)
{
    Run run;
    DeleteFileA(kLog);
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back(0);
    if (!CreateProcessA(application.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                        kCurrentFolder, &startup, &process)) {
        Check(false, "could not start the launcher: error " + std::to_string(GetLastError()));
        return run;
    }
    std::set<HWND> handled;
    DWORD started = GetTickCount();
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        WindowSearch search = {process.dwProcessId, {}};
        EnumWindows(CollectDialog, (LPARAM)&search);
        for (HWND window : search.found) {
            if (handled.count(window) == 0 && IsWindowVisible(window)) {
                handled.insert(window);
                HandleBox(window, &run);
            }
        }
        if (GetTickCount() - started > kLauncherTimeoutMs) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
            Check(false, "the launcher did not end within " +
                             std::to_string(kLauncherTimeoutMs / 1000) + " s");
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
std::string Sequence(const Run& run, const std::string& leaveOut = "")
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
    return Field(run, "start", name, 5);
}

std::string ModuleOf(const Run& run, const std::string& name)
{
    return Field(run, "start", name, 4);
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

// The system's own caption for a box without one: "Error", or in Japanese "\x83\x47\x83\x89\x81\x5B".
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

const std::string kFullRun = "start:P end:P start:A end:A start:B end:B";

// ---------------------------------------------------------------------------------------------
// Cases: the argument gate and the command line

void AcceptedTailRunsAllStages()
{
    std::string scratch = kScratch;
    std::string folder = scratch + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    PutFile(scratch + "\\keep.txt");
    InstallAll("473", folder);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages in order, one at a time");
    CheckEqual(CommandLineOf(run, "P"), ProductUninstaller(), "product command line as stored");
    CheckEqual(Field(run, "delkey", "P", 3), "0", "the product uninstaller removed its entry");
    Check(!Exists(folder), "install folder removed");
    Check(!Exists(scratch + "\\Vendor"), "its parent, left empty, removed");
    Check(Exists(scratch + "\\keep.txt"), "the first non-empty ancestor and its file stay");
    Check(EntryExists("vek473u") && EntryExists("vek473"), "companion entries are only read");
    CheckNoBox(run);
}

struct TailCase {
    const char* label;
    std::string commandLine;
    std::string application;
    std::string variant;
};

void AcceptedOddTails()
{
    std::string quotedFolder = std::string(kSuiteFolder) + "\\Launcher Dir";
    std::string quoted = quotedFolder + "\\uninstall launcher.exe";
    MakeFolder(quotedFolder);
    g_placedFolders.push_back(quotedFolder);
    Check(CopyProgram(kLauncher, quoted), "copy of the launcher in a folder with blanks");
    std::string launcher = kLauncher;
    std::vector<TailCase> cases = {
        {"472", launcher + " 472", launcher, "472"},
        {"empty tail", launcher, launcher, ""},
        {"only blanks after the name", launcher + "   ", launcher, ""},
        {"4", launcher + " 4", launcher, "4"},
        {"47", launcher + " 47", launcher, "47"},
        {"tab and blanks before 473", launcher + "\t  473", launcher, "473"},
        {"quoted path with blanks, 47", "\"" + quoted + "\" 47", quoted, "47"},
        {"quoted path with blanks, 473 right after the quote", "\"" + quoted + "\"473", quoted,
         "473"},
    };
    for (const TailCase& tail : cases) {
        size_t before = g_failures.size();
        InstallAll(tail.variant, std::string(kScratch) + "\\absent");
        Run run = RunLauncher(tail.commandLine, tail.application);
        CheckExit(run, 0);
        CheckEqual(Sequence(run), kFullRun, "stages in order");
        CheckEqual(CommandLineOf(run, "A"), StandIn("A"), "first companion as stored");
        for (size_t i = before; i < g_failures.size(); ++i) {
            g_failures[i] = std::string("[") + tail.label + "] " + g_failures[i];
        }
        for (const std::string& entry : std::set<std::string>(g_entries)) {
            DeleteEntry(entry);
        }
        g_entries.clear();
    }
}

void RefusedTailsRunNothing()
{
    std::string launcher = kLauncher;
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    struct Refused {
        const char* label;
        std::string commandLine;
    };
    std::vector<Refused> cases = {
        {"4730", launcher + " 4730"},
        {"473 followed by a blank", launcher + " 473 "},
        {"473u", launcher + " 473u"},
        {"x", launcher + " x"},
        {"471", launcher + " 471"},
        {"quoted name, rest of the line", "\"C:\\suite\\uninstall\" -launcher.exe 473"},
    };
    for (const Refused& refused : cases) {
        size_t before = g_failures.size();
        MakeInstallFolder(folder);
        for (const char* variant : {"473", "472", "4730", "473u", "x", ""}) {
            InstallAll(variant, folder);
        }
        PutEntry("vek473 u", StandIn("decoy"));
        PutEntry("vek473 ", StandIn("decoy"));
        Run run = RunLauncher(refused.commandLine);
        CheckExit(run, 1);
        CheckEqual(Sequence(run), "", "nothing runs");
        CheckNoBox(run);
        Check(EntryExists(kProduct), "product entry untouched");
        Check(Exists(folder + "\\app.exe"), "install folder untouched");
        for (size_t i = before; i < g_failures.size(); ++i) {
            g_failures[i] = std::string("[") + refused.label + "] " + g_failures[i];
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Cases: the product stage

void ProductEntryAbsent()
{
    PutEntry("vek473u", StandIn("A"));
    PutEntry("vek473", StandIn("B"));
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:A end:A start:B end:B", "companions run without a product");
    CheckNoBox(run);
}

void ProductEntryLeftInPlace()
{
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    InstallAll("473", folder);
    PutEntry(kProduct, StandIn("P", "exit=5"));  // cancelled: the entry stays
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "companions still run");
    Check(Exists(folder + "\\app.exe") && Exists(folder + "\\readme.txt"), "install folder kept");
    CheckNoBox(run);
}

void ProductEntryUnreadableAfterwards()
{
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    InstallAll("473", folder);
    PutEntry(kProduct, StandIn("P", "deny=Tessaline"));
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Field(run, "deny", "P", 3), "0", "the stand-in locked the product entry");
    HKEY key;
    LONG reopen = RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryPath(kProduct).c_str(), 0,
                                KEY_READ | KEY_WOW64_64KEY, &key);
    if (reopen == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    CheckEqual(std::to_string(reopen), std::to_string(ERROR_ACCESS_DENIED),
               "the locked entry refuses to open for reading");
    CheckEqual(Sequence(run), kFullRun, "companions still run");
    Check(Exists(folder + "\\app.exe"), "install folder kept while the entry may still exist");
}

void TargetPathMissingOrUnusable()
{
    std::string scratch = kScratch;
    std::string victim = scratch + "\\victim";
    struct Target {
        const char* label;
        std::string value;  // bytes stored as TargetPath (REG_SZ), or nothing
        bool present;
    };
    // Each value, if it were read cut short or past its end, would name the victim folder.
    std::string tooLong = victim + std::string(1, '\0') + std::string(300 - victim.size() - 1, 'z');
    std::string longText = victim + "\\" + std::string(299 - victim.size() - 1, 'z');
    std::vector<Target> targets = {
        {"no TargetPath", "", false},
        {"TargetPath of 300 bytes, victim before an inner NUL", tooLong, true},
        {"TargetPath of 300 characters", longText, true},
        {"TargetPath naming a missing folder", scratch + "\\missing\\Tess", true},
    };
    for (const Target& target : targets) {
        size_t before = g_failures.size();
        MakeInstallFolder(victim);
        PutEntry(kProduct, ProductUninstaller());
        if (target.present) {
            SetValue(kProduct, "TargetPath", REG_SZ, target.value.data(),
                     (DWORD)target.value.size() + 1);
        }
        PutEntry("vek473u", StandIn("A"));
        PutEntry("vek473", StandIn("B"));
        Run run = RunWithTail("473");
        CheckExit(run, 0);
        CheckEqual(Sequence(run), kFullRun, "all stages run");
        Check(Exists(victim + "\\app.exe"), "nothing removed");
        CheckNoBox(run);
        for (size_t i = before; i < g_failures.size(); ++i) {
            g_failures[i] = std::string("[") + target.label + "] " + g_failures[i];
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Cases: running the uninstallers

void UninstallerEndsWithCode()
{
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", StandIn("A", "exit=1603"));
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "a failing uninstaller does not stop the sequence");
    CheckEqual(Field(run, "end", "A", 2), "1603", "the stand-in ended with its code");
}

void LongRunningUninstallerIsAwaited()
{
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry(kProduct, ProductUninstaller("sleep=1200"));
    PutEntry("vek473u", StandIn("A", "sleep=700"));
    DWORD started = GetTickCount();
    Run run = RunWithTail("473");
    DWORD took = GetTickCount() - started;
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "each stage waits for the one before");
    Check(took >= 1900, "the launcher lasted at least as long as its uninstallers (" +
                            std::to_string(took) + " ms)");
}

void SpawnedProcessIsNotAwaited()
{
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry(kProduct, ProductUninstaller("spawn=G"));
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Field(run, "spawned", "G", 0), "spawned", "the product uninstaller started G");
    // G runs for 1.5 s; the launcher goes on as soon as the uninstaller itself has ended.
    CheckEqual(Sequence(run, "G"), kFullRun,
               "stages follow the uninstaller, not the process it started");
    Run later;
    for (int i = 0; i < 100; ++i) {
        later.log = ReadLog();
        if (Sequence(later).find("end:G") != std::string::npos) {
            break;
        }
        Sleep(50);
    }
    std::string all = Sequence(later);
    Check(all.find("end:G") != std::string::npos, "G ended afterwards");
    Check(all.find("end:G") > all.find("end:B"), "G ended after the launcher's last stage: " + all);
}

void ChildHandlesAreClosed()
{
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", StandIn("A", "probe=P"));
    PutEntry("vek473", StandIn("B", "probe=A"));
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages");
    CheckEqual(Field(run, "probe", "A", 3) + " " + Field(run, "probe", "A", 4), "gone gone",
               "product uninstaller's process and thread gone once its wait ended");
    CheckEqual(Field(run, "probe", "B", 3) + " " + Field(run, "probe", "B", 4), "gone gone",
               "first companion's process and thread gone once its wait ended");
}

void CommandsAsStored()
{
    std::string scratch = kScratch;
    std::string blanks = scratch + "\\Uninstall Tools\\stand in.exe";
    MakeFolder(scratch + "\\Uninstall Tools");
    Check(CopyProgram(kStandIn, blanks), "copy of the stand-in in a folder with blanks");
    std::string quoted = "\"" + blanks + "\" name=A /S";
    std::string expandable = StandIn("B", "%TEMP% %ProgramFiles%");
    InstallAll("473", scratch + "\\absent");
    PutEntry("vek473u", quoted);
    SetValue("vek473", "UninstallString", REG_EXPAND_SZ, expandable.c_str(),
             (DWORD)expandable.size() + 1);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages");
    CheckEqual(ModuleOf(run, "A"), blanks, "quoted program path with blanks started");
    CheckEqual(CommandLineOf(run, "A"), quoted, "quoted command handed over unchanged");
    CheckEqual(CommandLineOf(run, "B"), expandable, "expandable string used as stored");
}

void UnquotedPathWithBlanks()
{
    std::string apps = std::string(kScratch) + "\\Apps";
    MakeFolder(apps + "\\My Tools");
    Check(CopyProgram(kStandIn, apps + "\\My.exe"), "decoy C:\\...\\Apps\\My.exe");
    Check(CopyProgram(kStandIn, apps + "\\My Tools\\uninst.exe"), "real uninstaller");
    std::string command = apps + "\\My Tools\\uninst.exe name=A /S";
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", command);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages");
    CheckEqual(ModuleOf(run, "A"), apps + "\\My Tools\\uninst.exe", "the program that was meant");
    CheckEqual(CommandLineOf(run, "A"), command, "its command line unchanged");
    CheckNoBox(run);
}

void CommandLengthLimits()
{
    std::string base = StandIn("A", "pad=");
    std::string longest = base + std::string(259 - base.size(), 'p');
    std::string tooLong = base + std::string(260 - base.size(), 'p');
    std::string noNul(260, 'q');
    memcpy(&noNul[0], StandIn("B", "pad=").c_str(), StandIn("B", "pad=").size());
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", longest);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "a command of 259 characters runs");
    CheckEqual(CommandLineOf(run, "A"), longest, "whole 259 characters handed over");

    PutEntry(kProduct, ProductUninstaller());
    PutEntry("vek473u", tooLong);
    SetValue("vek473", "UninstallString", REG_SZ, noNul.data(), 260);
    run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:P end:P",
               "260 characters, or 260 bytes without a NUL, are skipped");
    CheckNoBox(run);
}

void CommandThatCannotStart()
{
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    InstallAll("473", folder);
    std::string missing = std::string(kScratch) + "\\missing\\uninst.exe /S";
    std::string unexpanded = "%ProgramFiles%\\Tessaline\\uninst.exe";
    PutEntry(kProduct, missing);
    PutEntry("vek473u", unexpanded);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "box box start:B end:B",
               "one box per command that cannot start, then the next stage");
    Check(run.boxes.size() == 2, "two boxes");
    if (run.boxes.size() == 2) {
        CheckErrorBox(run.boxes[0], missing);
        CheckErrorBox(run.boxes[1], unexpanded);
    }
    // The launcher stayed blocked on each box until it was dismissed.
    std::string order;
    for (const std::vector<std::string>& event : run.log) {
        order += event[0] + " ";
    }
    CheckEqual(order, "box dismiss box dismiss start end ", "boxes block the sequence");
    Check(Exists(folder + "\\app.exe"), "the product entry stays, so does the install folder");
}

void LongCommandMessageIsCut()
{
    std::string command = std::string(kScratch) + "\\missing\\";
    command += std::string(259 - command.size(), 'm');
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", command);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:P end:P box start:B end:B", "box, then the last stage");
    if (run.boxes.size() == 1) {
        CheckEqual(run.boxes[0].text, "Error to Execute \"" + command.substr(0, 240) + "\"",
                   "message cut to fit 259 characters, closing quote kept");
        CheckEqual(run.boxes[0].caption, g_defaultCaption, "caption");
    }
}

// ---------------------------------------------------------------------------------------------
// Cases: the install folder

Run RemoveProductAt(const std::string& targetPath)
{
    InstallAll("473", targetPath);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages");
    CheckEqual(Field(run, "delkey", "P", 3), "0", "product entry removed by its uninstaller");
    CheckNoBox(run);
    return run;
}

void PruningStopsAtFirstNonEmptyFolder()
{
    std::string prune = std::string(kScratch) + "\\prune";
    std::string folder = prune + "\\a\\b\\Tess";
    MakeInstallFolder(folder);
    PutFile(prune + "\\keep.txt");
    MakeFolder(std::string(kScratch) + "\\sibling");
    RemoveProductAt(folder);
    Check(!Exists(folder), "install folder removed");
    Check(!Exists(prune + "\\a\\b") && !Exists(prune + "\\a"), "emptied parents removed");
    Check(Exists(prune + "\\keep.txt"), "first non-empty ancestor stays with its file");
}

void FolderWithSubfolderStays()
{
    std::string parent = std::string(kScratch) + "\\Vendor";
    std::string folder = parent + "\\Tess";
    MakeInstallFolder(folder);
    MakeFolder(folder + "\\plugins");
    PutFile(folder + "\\plugins\\p.dll");
    RemoveProductAt(folder);
    Check(!Exists(folder + "\\app.exe") && !Exists(folder + "\\readme.txt"),
          "the folder's own files deleted");
    Check(Exists(folder + "\\plugins\\p.dll"), "the subfolder and its file stay");
    Check(IsFolder(folder) && IsFolder(parent), "the folder and its parent stay");
}

void TrailingBackslashAndCase()
{
    std::string vendor = std::string(kScratch) + "\\Vendor";
    MakeInstallFolder(vendor + "\\Tess");
    RemoveProductAt(vendor + "\\Tess\\");
    Check(!Exists(vendor), "trailing backslash: folder and empty parent removed");

    MakeInstallFolder(vendor + "\\Tess");
    RemoveProductAt("c:\\SUITE\\cases\\VENDOR\\tess");
    Check(!Exists(vendor), "other case: folder and empty parent removed");
}

void FolderBelowDriveRoot()
{
    std::string folder = "C:\\SuiteTessApp";
    MakeInstallFolder(folder);
    g_placedFolders.push_back(folder);
    PlaceSentinel("C:");
    RemoveProductAt(folder);
    Check(!Exists(folder), "folder directly below the root removed");
    Check(Exists(std::string("C:\\") + kSentinelName) && IsFolder("C:\\windows"),
          "the root keeps its files");
}

void LengthBoundary()
{
    std::string base = std::string(kScratch) + "\\long";
    std::string path = base;
    while (path.size() < 254) {
        size_t room = 254 - path.size() - 1;
        path += "\\" + std::string(room > 60 ? 60 : room, 'L');
        if (254 - path.size() == 1) {
            path.back() = 'M';
            path += "N";
        }
    }
    Check(path.size() == 254, "254-character folder path built");
    MakeInstallFolder(path);
    RemoveProductAt(path);
    Check(!Exists(path), "a 254-character folder is removed");

    MakeInstallFolder(path);
    RemoveProductAt(path + "\\");
    Check(!Exists(path), "a 254-character folder with a trailing backslash is removed");

    std::string over = path + "Z";
    MakeFolder(over);
    PlaceSentinel(over);
    RemoveProductAt(over);
    Check(Exists(over + "\\" + kSentinelName), "a 255-character folder is left alone");
}

struct Dangerous {
    std::string label;
    std::string targetPath;
    std::string sentinelFolder;
};

void CheckFoldersKept(const std::vector<Dangerous>& cases)
{
    for (const Dangerous& danger : cases) {
        size_t before = g_failures.size();
        std::string sentinel = PlaceSentinel(danger.sentinelFolder);
        RemoveProductAt(danger.targetPath);
        Check(Exists(sentinel), "sentinel file survives");
        Check(IsFolder(danger.sentinelFolder), "folder survives");
        DeleteFileA(sentinel.c_str());
        for (size_t i = before; i < g_failures.size(); ++i) {
            g_failures[i] = "[" + danger.label + "] " + g_failures[i];
        }
    }
}

void UnsafePathFormsAreRefused()
{
    std::string cwd = kCurrentFolder;
    std::string keep = std::string(kScratch) + "\\keep";
    MakeFolder(cwd + "\\Tess");
    MakeFolder(keep + "\\sub");
    g_placedFolders.push_back(cwd + "\\Tess");
    CheckFoldersKept({
        {"relative Tess", "Tess", cwd + "\\Tess"},
        {"drive-relative C:Tess", "C:Tess", cwd + "\\Tess"},
        {"drive C:", "C:", cwd},
        {"root C:\\", "C:\\", "C:"},
        {"root C:\\\\", "C:\\\\", "C:"},
        {"root \\\\?\\C:\\", "\\\\?\\C:\\", "C:"},
        {"dot component", keep + "\\.", keep},
        {"dot-dot component", keep + "\\sub\\..", keep},
        {"dot-dot up to the suite", keep + "\\..\\..", kSuiteFolder},
        {"trailing dot", keep + ".", keep},
        {"forward slashes", "C:/suite/cases/keep", keep},
    });
}

void SystemFoldersAreRefused()
{
    std::vector<Dangerous> cases;
    struct Named {
        const char* label;
        int csidl;
    };
    for (Named named : {Named{"Windows", CSIDL_WINDOWS}, Named{"system", CSIDL_SYSTEM},
                        Named{"32-bit system", CSIDL_SYSTEMX86},
                        Named{"Program Files", CSIDL_PROGRAM_FILES},
                        Named{"Program Files (x86)", CSIDL_PROGRAM_FILESX86},
                        Named{"Common Files", CSIDL_PROGRAM_FILES_COMMON},
                        Named{"Common Files (x86)", CSIDL_PROGRAM_FILES_COMMONX86},
                        Named{"ProgramData", CSIDL_COMMON_APPDATA},
                        Named{"profile", CSIDL_PROFILE}, Named{"Desktop", CSIDL_DESKTOPDIRECTORY},
                        Named{"public Desktop", CSIDL_COMMON_DESKTOPDIRECTORY},
                        Named{"Documents", CSIDL_PERSONAL},
                        Named{"public Documents", CSIDL_COMMON_DOCUMENTS}}) {
        std::string folder = FolderOf(named.csidl);
        cases.push_back({named.label, folder, folder});
        cases.push_back({std::string(named.label) + " with trailing backslash", folder + "\\",
                         folder});
    }
    std::string profile = FolderOf(CSIDL_PROFILE);
    std::string profiles = profile.substr(0, profile.rfind('\\'));
    cases.push_back({"profiles root", profiles, profiles});
    CheckFoldersKept(cases);
}

std::string ShortName(const std::string& path)
{
    char shortPath[MAX_PATH] = "";
    DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    Check(length > 0 && length < MAX_PATH, "short name of " + path);
    return shortPath;
}

void DisguisedSystemFoldersAreRefused()
{
    std::string windows = FolderOf(CSIDL_WINDOWS);
    std::string programFiles = FolderOf(CSIDL_PROGRAM_FILES);
    std::string desktop = FolderOf(CSIDL_DESKTOPDIRECTORY);
    std::string inside = windows + "\\SuiteApp";
    MakeFolder(inside + "\\deeper");
    g_placedFolders.push_back(inside);
    std::string shortProgramFiles = ShortName(programFiles);
    Check(shortProgramFiles != programFiles, "Program Files has a distinct short name");
    std::string lower = programFiles;
    for (char& c : lower) {
        c = (char)(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    std::string upper = desktop;
    for (char& c : upper) {
        c = (char)(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    CheckFoldersKept({
        {"Program Files by short name", shortProgramFiles, programFiles},
        {"Program Files in lower case", lower, programFiles},
        {"Desktop in upper case", upper, desktop},
        {"Windows folder via dot-dot", windows + "\\system32\\..", windows},
        {"folder inside the Windows folder", inside, inside},
        {"folder two levels inside the Windows folder", inside + "\\deeper", inside + "\\deeper"},
        {"inside the Windows folder by short name", ShortName(windows) + "\\SuiteApp", inside},
    });
}

void ProtectedParentsStay()
{
    struct Parent {
        const char* label;
        int csidl;
    };
    for (Parent parent : {Parent{"public Desktop", CSIDL_COMMON_DESKTOPDIRECTORY},
                          Parent{"Desktop", CSIDL_DESKTOPDIRECTORY},
                          Parent{"public Documents", CSIDL_COMMON_DOCUMENTS}}) {
        size_t before = g_failures.size();
        std::string protectedFolder = FolderOf(parent.csidl);
        std::string folder = protectedFolder + "\\SuiteTess";
        g_placedFolders.push_back(folder);
        MakeInstallFolder(folder);
        RemoveProductAt(folder);
        Check(!Exists(folder), "install folder removed");
        Check(IsFolder(protectedFolder), "the protected parent, though empty, stays");
        for (size_t i = before; i < g_failures.size(); ++i) {
            g_failures[i] = std::string("[") + parent.label + "] " + g_failures[i];
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Cases: code page 932

const char kSo[] = "\x83\x5C";  // a katakana letter whose trail byte is the backslash's code

void DoubleBytePruning()
{
    std::string dbcs = std::string(kScratch) + "\\dbcs";
    std::string parent = dbcs + "\\P";
    std::string folder = parent + "\\Tess" + kSo;
    MakeInstallFolder(folder);
    PutFile(dbcs + "\\keep.txt");
    Check(IsFolder(folder), "folder whose name ends in 0x83 0x5C exists");
    Check(!Exists(parent + "\\Tess") && !Exists(parent + "\\Tess\x83"),
          "its parent holds nothing else");
    RemoveProductAt(folder);
    Check(!Exists(folder), "the folder is removed");
    Check(!Exists(parent), "the cut fell at the real backslash: the empty parent is removed");
    Check(Exists(dbcs + "\\keep.txt"), "the first non-empty ancestor stays");

    MakeInstallFolder(folder);
    RemoveProductAt(folder + "\\");
    Check(!Exists(folder) && !Exists(parent), "with a trailing backslash as well");
}

// A 259-byte command of double-byte letters that cannot start. The message holds at most 240
// bytes of it: after `prefixBytes` of single-byte text the letters fall either on that limit or
// across it.
void CheckDoubleByteMessageCut(const std::string& prefix, size_t expectedPrefixBytes,
                               size_t expectedCut)
{
    std::string command = prefix;
    CheckEqual(std::to_string(command.size()), std::to_string(expectedPrefixBytes),
               "single-byte part of the command");
    while (command.size() + 2 <= 259) {
        command += "\x83\x41";
    }
    if (command.size() < 259) {
        command += "m";
    }
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", command);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:P end:P box start:B end:B", "box, then the last stage");
    if (run.boxes.size() == 1) {
        CheckEqual(run.boxes[0].text, "Error to Execute \"" + command.substr(0, expectedCut) + "\"",
                   "message cut on a character boundary, closing quote kept");
    }
}

void DoubleByteMessageCut()
{
    // Letters at even offsets from 24: the one at 238..239 is the last that fits.
    CheckDoubleByteMessageCut(std::string(kScratch) + "\\missing\\x", 24, 240);
}

void DoubleByteMessageCutMidLetter()
{
    // Letters at odd offsets from 23: the one at 239..240 would cross the limit.
    CheckDoubleByteMessageCut(std::string(kScratch) + "\\missing\\", 23, 239);
}

void LoneLeadByteTail()
{
    // The process command line travels as UTF-16: a lead byte without its trail byte is lost on
    // the way, so the launcher sees "473" and runs the "473" entries.
    InstallAll("473", std::string(kScratch) + "\\absent");
    Run run = RunWithTail("473\x83");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "accepted and run as 473");
}

// ---------------------------------------------------------------------------------------------

void ResetCase()
{
    for (const std::string& entry : g_entries) {
        DeleteEntry(entry);
    }
    g_entries.clear();
    for (const std::string& file : g_placedFiles) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    g_placedFiles.clear();
    for (const std::string& folder : g_placedFolders) {
        RemoveTree(folder);
    }
    g_placedFolders.clear();
    RemoveTree(kScratch);
    MakeFolder(kScratch);
    MakeFolder(kCurrentFolder);
    DeleteFileA(kLog);
}

struct Case {
    const char* name;
    void (*body)();
    bool singleByte;  // runs in code page 1252
    bool doubleByte;  // runs in code page 932
};

const Case kCases[] = {
    {"gate: 473 runs product, companions, removes the folder", AcceptedTailRunsAllStages, true, true},
    {"gate: 472, empty, 4, 47, quoted launcher path with blanks", AcceptedOddTails, true, false},
    {"gate: 4730, '473 ', 473u, x, 471 refused with exit 1", RefusedTailsRunNothing, true, false},
    {"product: entry absent, companions still run", ProductEntryAbsent, true, false},
    {"product: entry left in place keeps the folder", ProductEntryLeftInPlace, true, false},
    {"product: entry unreadable afterwards keeps the folder", ProductEntryUnreadableAfterwards, true,
     false},
    {"product: TargetPath missing, too long or absent folder", TargetPathMissingOrUnusable, true,
     false},
    {"runner: exit code of an uninstaller is ignored", UninstallerEndsWithCode, true, false},
    {"runner: long-running uninstallers are awaited, no overlap", LongRunningUninstallerIsAwaited,
     true, false},
    {"runner: a process started by an uninstaller is not awaited", SpawnedProcessIsNotAwaited, true,
     false},
    {"runner: child process and thread handles closed", ChildHandlesAreClosed, true, false},
    {"runner: quoted and expandable commands as stored", CommandsAsStored, true, false},
    {"runner: unquoted path with blanks skips an earlier .exe", UnquotedPathWithBlanks, true, true},
    {"runner: 259 characters run, 260 skipped", CommandLengthLimits, true, false},
    {"runner: error box for commands that cannot start", CommandThatCannotStart, true, true},
    {"runner: long command cut in the error message", LongCommandMessageIsCut, true, false},
    {"folder: pruning stops at the first non-empty folder", PruningStopsAtFirstNonEmptyFolder, true,
     false},
    {"folder: a subfolder keeps the folder and its parents", FolderWithSubfolderStays, true, false},
    {"folder: trailing backslash and other case", TrailingBackslashAndCase, true, false},
    {"folder: directly below the drive root", FolderBelowDriveRoot, true, false},
    {"folder: 254 characters removed, 255 left alone", LengthBoundary, true, false},
    {"folder: relative, root, dot and odd forms refused", UnsafePathFormsAreRefused, true, false},
    {"folder: system and shell folders refused", SystemFoldersAreRefused, true, false},
    {"folder: disguised and inner Windows folders refused", DisguisedSystemFoldersAreRefused, true,
     false},
    {"folder: protected parents are not pruned", ProtectedParentsStay, true, false},
    {"cp932: pruning cuts at the real backslash", DoubleBytePruning, false, true},
    {"cp932: message cut after whole letters", DoubleByteMessageCut, false, true},
    {"cp932: message cut before a letter that does not fit", DoubleByteMessageCutMidLetter, false,
     true},
    {"cp932: 473 followed by a lone lead byte accepted", LoneLeadByteTail, false, true},
};

bool Prepared(bool doubleByte)
{
    UINT expected = doubleByte ? 932 : 1252;
    if (GetACP() != expected) {
        printf("SETUP FAILED: the ANSI code page is %u, expected %u (check LC_ALL/LOCPATH)\n",
               GetACP(), expected);
        return false;
    }
    for (const char* program : {kLauncher, kStandIn}) {
        if (GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES) {
            printf("SETUP FAILED: %s is missing\n", program);
            return false;
        }
    }
    SetEnvironmentVariableA("STAND_IN_LOG", kLog);
    if (doubleByte) {
        g_defaultCaption = "\x83\x47\x83\x89\x81\x5B";  // the Japanese "Error"
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    bool doubleByte = false;
    const char* only = NULL;  // --only TEXT: just the cases whose name holds TEXT
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--cp932") == 0) {
            doubleByte = true;
        } else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        }
    }
    if (!Prepared(doubleByte)) {
        return 2;
    }
    int passed = 0;
    int failed = 0;
    for (const Case& test : kCases) {
        if (!(doubleByte ? test.doubleByte : test.singleByte) ||
            (only != NULL && strstr(test.name, only) == NULL)) {
            continue;
        }
        ResetCase();
        g_failures.clear();
        DWORD started = GetTickCount();
        test.body();
        DWORD took = GetTickCount() - started;
        ResetCase();
        printf("%s  %s (%lu ms)\n", g_failures.empty() ? "PASS" : "FAIL", test.name,
               (unsigned long)took);
        for (const std::string& failure : g_failures) {
            printf("      - %s\n", failure.c_str());
        }
        (g_failures.empty() ? passed : failed) += 1;
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
