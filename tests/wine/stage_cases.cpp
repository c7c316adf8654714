// Cases of the command line and the stages: which tails are taken, what the product stage does
// with its entry, and how the uninstallers are run and awaited.
#include "harness.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Cases: the argument gate and the command line

void AcceptedTailRunsAllStages()
{
    std::string scratch = kScratch;
    std::string folder = scratch + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    PutFile(scratch + "\\keep.txt");
    InstallAll("473", folder);
    Run run = RunPlanThenLauncher("473", folder);
    std::string lines;
    for (size_t i = 0; i + 1 < run.plan.lines.size(); ++i) {
        lines += run.plan.lines[i] + "\n";
    }
    CheckEqual(lines,
               std::string("Tessaline: starts ") + kStandIn + "\n" + "Install folder " + folder +
                   ": cleared once Tessaline is gone, then, if left empty, " + scratch +
                   "\\Vendor\n" + "vek473u: starts " + kStandIn + "\n" + "vek473: starts " +
                   kStandIn + "\n",
               "the plan's lines");
    Check(PlanLine(run.plan, "Judged for ").find("run this the same way") != std::string::npos,
          "the plan's last line names the account: " + PlanLine(run.plan, "Judged for "));
    CheckEqual(std::to_string(run.plan.exitCode), "0", "the plan's exit status");
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
        std::string tail;
    };
    std::vector<Refused> cases = {
        {"4730", launcher + " 4730", "4730"},
        {"473 followed by a blank", launcher + " 473 ", "473 "},
        {"473u", launcher + " 473u", "473u"},
        {"x", launcher + " x", "x"},
        {"471", launcher + " 471", "471"},
        {"quoted name, rest of the line", "\"C:\\suite\\uninstall\" -launcher.exe 473",
         "-launcher.exe 473"},
    };
    for (const Refused& refused : cases) {
        size_t before = g_failures.size();
        MakeInstallFolder(folder);
        for (const char* variant : {"473", "472", "4730", "473u", "x", ""}) {
            InstallAll(variant, folder);
        }
        PutEntry("vek473 u", StandIn("decoy"));
        PutEntry("vek473 ", StandIn("decoy"));
        Plan plan = RunPlan(refused.tail, folder);
        CheckEqual(std::to_string(plan.exitCode) + " " + std::to_string(plan.lines.size()), "1 1",
                   "the plan's exit status and its one line");
        CheckEqual(PlanLine(plan, "Refused: ").substr(0, 9), "Refused: ", "the plan refuses");
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
    Plan plan = RunPlan("473");
    CheckEqual(plan.lines.empty() ? "" : plan.lines[0], "Tessaline: not installed", "the plan");
    Check(PlanLine(plan, "Install folder").find("(no line") == 0, "no install folder line");
    CheckEqual(std::to_string(plan.exitCode), "2", "the plan's exit status: nothing to clear");
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
                                KEY_READ, &key);
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
        std::string planSays;
    };
    // Each value, if it were read cut short or past its end, would name the victim folder.
    std::string tooLong = victim + std::string(1, '\0') + std::string(300 - victim.size() - 1, 'z');
    std::string longText = victim + "\\" + std::string(299 - victim.size() - 1, 'z');
    std::vector<Target> targets = {
        {"no TargetPath", "", false, "Install folder: none"},
        {"TargetPath of 300 bytes, victim before an inner NUL", tooLong, true,
         "Install folder: none"},
        {"TargetPath of 300 characters", longText, true, "Install folder: none"},
        {"TargetPath naming a missing folder", scratch + "\\missing\\Tess", true,
         "Install folder " + scratch + "\\missing\\Tess: kept, "},
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
        Plan plan = RunPlan("473", victim);
        CheckEqual(PlanLine(plan, "Install folder").substr(0, target.planSays.size()),
                   target.planSays, "the plan");
        CheckEqual(std::to_string(plan.exitCode), "2", "the plan's exit status");
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

// Read as the system reads it: each blank may end the name, the shortest first.
void UnquotedPathWithBlanks()
{
    std::string apps = std::string(kScratch) + "\\Apps";
    MakeFolder(apps + "\\My Tools");
    Check(CopyProgram(kStandIn, apps + "\\My.exe"), "C:\\...\\Apps\\My.exe");
    Check(CopyProgram(kStandIn, apps + "\\My Tools\\uninst.exe"), "the longer name");
    std::string command = apps + "\\My Tools\\uninst.exe name=A /S";
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", command);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "stages");
    CheckEqual(ModuleOf(run, "A"), apps + "\\My.exe", "the shorter name, as the system takes it");
    CheckEqual(CommandLineOf(run, "A"), command, "its command line unchanged");
    CheckNoBox(run);
}

// The run script put copies of the stand-in where others may replace them (chmod o+w): in their
// folder, as the file, below the folder above; and one where nobody else may. Only that one runs.
void ProgramsOthersMayChangeAreNotStarted()
{
    auto program = [](const char* folder, const char* more) {
        return std::string("C:\\suite-open\\") + folder + "\\Tools\\uninst.exe name=" + more;
    };
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry(kProduct, program("program-closed", "P delkey=Tessaline"));
    PutEntry("vek473u", program("program-folder", "A"));
    PutEntry("vek473", program("program-file", "B"));
    Plan plan = RunPlan("473");
    CheckEqual(PlanLine(plan, "Tessaline: "),
               "Tessaline: starts C:\\suite-open\\program-closed\\Tools\\uninst.exe", "the plan, P");
    for (const char* entry : {"vek473u", "vek473"}) {
        std::string opening = std::string(entry) + ": cannot start, Error to Execute \"";
        CheckEqual(PlanLine(plan, std::string(entry) + ": ").substr(0, opening.size()), opening,
                   "the plan");
    }
    CheckEqual(std::to_string(plan.exitCode), "2", "the plan's exit status");
    CheckEqual(Sequence(RunWithTail("473")), "start:P end:P box box", "others may change A and B");
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry(kProduct, program("program-above", "P"));
    plan = RunPlan("473");
    CheckEqual(PlanLine(plan, "Tessaline: ").substr(0, 25), "Tessaline: cannot start, ", "the plan");
    CheckEqual(PlanLine(plan, "Install folder "),
               "Install folder " + std::string(kScratch) +
                   "\\absent: kept, Tessaline's entry stays: its uninstaller would not be started",
               "the plan, P's folder");
    CheckEqual(Sequence(RunWithTail("473")), "box start:A end:A start:B end:B", "others may move P's");
}

// The system looks for a program named without a path beside the launcher (C:\suite) and in the
// current folder (C:\suite\cwd) before the system folder: copies planted there must not run.
void ProgramWithoutPathComesFromTheSystemFolder()
{
    char system[MAX_PATH] = "";
    char system32Bit[MAX_PATH] = "";  // where the system folder's files are under WoW64
    GetSystemDirectoryA(system, MAX_PATH);
    GetSystemWow64DirectoryA(system32Bit, MAX_PATH);
    std::string suite = kSuiteFolder;
    std::string current = kCurrentFolder;
    std::vector<std::string> copies = {
        std::string(system) + "\\suite-beside.exe", std::string(system) + "\\suite-current.exe",
        suite + "\\suite-beside.exe",                suite + "\\suite-planted.exe",
        current + "\\suite-current.exe",             current + "\\suite-planted.exe"};
    for (const std::string& copy : copies) {
        Check(CopyProgram(kStandIn, copy), "copy of the stand-in as " + copy);
        g_placedFiles.push_back(copy);
    }
    std::string planted = "suite-planted.exe name=P delkey=Tessaline";
    std::string withoutExtension = "suite-beside name=A /S";
    std::string quoted = "\"suite-current.exe\" name=B";
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry(kProduct, planted);
    PutEntry("vek473u", withoutExtension);
    PutEntry("vek473", quoted);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "box start:A end:A start:B end:B",
               "only planted copies of the first: not started, reported");
    if (run.boxes.size() == 1) {
        CheckErrorBox(run.boxes[0], planted);
    }
    for (const char* name : {"A", "B"}) {
        std::string module = ModuleOf(run, name);
        std::string file = module.substr(module.find_last_of('\\') + 1);
        std::string folder = module.substr(0, module.size() - file.size() - 1);
        Check(lstrcmpiA(folder.c_str(), system) == 0 || lstrcmpiA(folder.c_str(), system32Bit) == 0,
              std::string(name) + " started from the system folder, not " + module);
    }
    CheckEqual(CommandLineOf(run, "A"), withoutExtension, "command line as stored");
    CheckEqual(CommandLineOf(run, "B"), quoted, "quoted command line as stored");
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
    Plan plan = RunPlan("473");
    for (const char* entry : {"vek473u", "vek473"}) {
        CheckEqual(PlanLine(plan, std::string(entry) + ": ").substr(0, strlen(entry) + 20),
                   std::string(entry) + ": no UninstallString", "the plan");
    }
    run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:P end:P",
               "260 characters, or 260 bytes without a NUL, are skipped");
    CheckNoBox(run);
}

}  // namespace

const std::vector<Case> kStageCases = {
    {"gate: 473 runs product, companions, removes the folder", AcceptedTailRunsAllStages, true,
     true},
    {"gate: 472, empty, 4, 47, quoted launcher path with blanks", AcceptedOddTails, true, false},
    {"gate: 4730, '473 ', 473u, x, 471 refused with exit 1", RefusedTailsRunNothing, true, false},
    {"product: entry absent, companions still run", ProductEntryAbsent, true, false},
    {"product: entry left in place keeps the folder", ProductEntryLeftInPlace, true, false},
    {"product: entry unreadable afterwards keeps the folder",
     ProductEntryUnreadableAfterwards, true, false},
    {"product: TargetPath missing, too long or absent folder", TargetPathMissingOrUnusable, true,
     false},
    {"runner: exit code of an uninstaller is ignored", UninstallerEndsWithCode, true, false},
    {"runner: long-running uninstallers are awaited, no overlap",
     LongRunningUninstallerIsAwaited, true, false},
    {"runner: a process started by an uninstaller is not awaited", SpawnedProcessIsNotAwaited, true,
     false},
    {"runner: child process and thread handles closed", ChildHandlesAreClosed, true, false},
    {"runner: quoted and expandable commands as stored", CommandsAsStored, true, false},
    {"runner: unquoted path with blanks read as the system reads it", UnquotedPathWithBlanks, true,
     true},
    {"runner: programs others may change are not started", ProgramsOthersMayChangeAreNotStarted,
     true, false},
    {"runner: a program without a path comes from the system folder only",
     ProgramWithoutPathComesFromTheSystemFolder, true, false},
    {"runner: 259 characters run, 260 skipped", CommandLengthLimits, true, false},
};
