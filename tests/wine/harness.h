// The integration suite's shared harness: the files and uninstall entries a case sets up, the
// stand-in uninstallers, starting the launcher and reading back what happened.
#pragma once

#include <windows.h>

#include <string>
#include <set>
#include <vector>

const char kSuiteFolder[] = "C:\\suite";
const char kLauncher[] = "C:\\suite\\uninstall-launcher.exe";
const char kPlan[] = "C:\\suite\\uninstall-launcher-plan.exe";
const char kStandIn[] = "C:\\suite\\stand_in.exe";
const char kLog[] = "C:\\suite\\log.txt";
const char kCurrentFolder[] = "C:\\suite\\cwd";
// Where run-suite collects Wine's own messages of a pass: the eventlog channel's among them.
const char kWineMessages[] = "C:\\suite\\wine-messages.log";
const char kScratch[] = "C:\\suite\\cases";
const char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kProduct[] = "Tessaline";
const char kSentinelName[] = "suite-sentinel.txt";
const DWORD kLauncherTimeoutMs = 20000;
const char kFullRun[] = "start:P end:P start:A end:A start:B end:B";

// Failures of the current case
extern std::vector<std::string> g_failures;
void Check(bool condition, const std::string& what);
void CheckEqual(const std::string& actual, const std::string& expected, const std::string& what);

// Files and folders. Paths are ANSI; long ones go through the wide API with the \\?\ prefix.
std::wstring Wide(const std::string& path);
DWORD Attributes(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
void MakeFolder(const std::string& path);
void PutFile(const std::string& path, const std::string& content = "x");
bool CopyProgram(const std::string& from, const std::string& to);
void RemoveTree(const std::string& path);
std::string FolderOf(int csidl);

// Files and folders outside the scratch folder that the current case placed and must take away.
extern std::vector<std::string> g_placedFiles;
extern std::vector<std::string> g_placedFolders;
std::string PlaceSentinel(const std::string& folder);

// Uninstall entries the current case wrote; they are deleted after it, in both registry views.
// A view of 0 is the suite's own, the one the launcher of the same bitness reads.
extern std::set<std::string> g_entries;
std::string EntryPath(const std::string& name);
REGSAM OtherView();
void SetValue(const std::string& entry, const char* valueName, DWORD type, const void* data,
              DWORD size, REGSAM view = 0);
void PutEntry(const std::string& entry, const std::string& uninstallString, REGSAM view = 0);
void PutTarget(const std::string& targetPath, REGSAM view = 0);
bool EntryExists(const std::string& entry, REGSAM view = 0);
void DeleteEntry(const std::string& entry);

// Stand-in uninstallers
std::string StandIn(const std::string& name, const std::string& more = "");
std::string ProductUninstaller(const std::string& more = "");

// Running the launcher
struct Box {
    std::string caption;
    std::string text;
    bool hasOwner = false;
    bool okOnly = false;
    bool hasIcon = false;
};

// What the plan printed, line by line, and its exit status.
struct Plan {
    DWORD exitCode = 0;
    std::vector<std::string> lines;
};

struct Run {
    bool ended = false;
    DWORD exitCode = 0;
    std::vector<Box> boxes;
    std::vector<std::vector<std::string>> log;
    Plan plan;  // the plan's run before the launcher's, where a case made one
};

void AppendLog(const std::string& line);
std::vector<std::vector<std::string>> ReadLog();
// `desktop`: the "station\desktop" to start it in, NULL for the suite's own.
Run RunLauncher(const std::string& commandLine, const std::string& application = kLauncher,
                const char* desktop = NULL, DWORD timeoutMs = kLauncherTimeoutMs);
Run RunWithTail(const std::string& tail);
std::string Sequence(const Run& run, const std::string& leaveOut = "");
std::string Field(const Run& run, const std::string& kind, const std::string& name, size_t index);
std::string CommandLineOf(const Run& run, const std::string& name);
std::string ModuleOf(const Run& run, const std::string& name);
void CheckExit(const Run& run, DWORD expected);
void CheckNoBox(const Run& run);

// The system's own caption for a box without one: "Error", or in Japanese "\x83\x47\x83\x89\x81\x5B".
extern std::string g_defaultCaption;
void CheckErrorBox(const Box& box, const std::string& command);

void InstallAll(const std::string& variant, const std::string& installFolder);
void MakeInstallFolder(const std::string& folder);
// Runs the plan with `tail` and checks that it changed nothing: no file of the suite's folder or
// of `watched`, no entry, no log of a stand-in.
Plan RunPlan(const std::string& tail, const std::string& watched = "");
// The plan's line that starts with `opening`, or "(no line ...)".
std::string PlanLine(const Plan& plan, const std::string& opening);
// Runs the plan and then the launcher with `tail`; checks that the launcher cleared the install
// folder `targetPath` exactly when the plan said it would.
Run RunPlanThenLauncher(const std::string& tail, const std::string& targetPath);
// Installs everything with `targetPath` as the install folder, runs the plan and then the launcher
// with 473 and checks the stages.
Run RemoveProductAt(const std::string& targetPath);

// The cases, by concern
struct Case {
    const char* name;
    void (*body)();
    bool singleByte;  // runs in code page 1252
    bool doubleByte;  // runs in code page 932
};

extern const std::vector<Case> kStageCases;
extern const std::vector<Case> kRegistryViewCases;
extern const std::vector<Case> kErrorBoxCases;
extern const std::vector<Case> kInstallFolderCases;
extern const std::vector<Case> kCp932Cases;
