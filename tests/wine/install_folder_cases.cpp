// Cases of the install folder: what is removed, what is pruned, and which paths are refused.
#include "harness.h"

#include <shlobj.h>

#include <fstream>

namespace {

void PruningStopsAtFirstNonEmptyFolder()
{
    std::string prune = std::string(kScratch) + "\\prune";
    std::string folder = prune + "\\a\\b\\Tess";
    MakeInstallFolder(folder);
    PutFile(prune + "\\keep.txt");
    MakeFolder(std::string(kScratch) + "\\sibling");
    Run run = RemoveProductAt(folder);
    CheckEqual(PlanLine(run.plan, "Install folder"),
               "Install folder " + folder + ": cleared once Tessaline is gone, then, if left empty, " +
                   prune + "\\a\\b, " + prune + "\\a",
               "the plan names the parents that would go");
    CheckEqual(std::to_string(run.plan.exitCode), "0", "the plan's exit status");
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
    Run run = RemoveProductAt(folder);
    CheckEqual(PlanLine(run.plan, "Install folder"),
               "Install folder " + folder + ": cleared once Tessaline is gone (its own files; its "
               "subfolder plugins, if its uninstaller leaves it, keeps the folder)",
               "the plan says the subfolder keeps it");
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
        Run run = RemoveProductAt(danger.targetPath);
        std::string opening = "Install folder " + danger.targetPath + ": ";
        CheckEqual(PlanLine(run.plan, opening).substr(0, opening.size() + 6), opening + "kept, ",
                   "the plan keeps it");
        CheckEqual(std::to_string(run.plan.exitCode), "2", "the plan's exit status");
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
    // Under WoW64 the shell names only the 32-bit folders; the 64-bit ones are still there.
    for (const char* variable : {"ProgramW6432", "CommonProgramW6432"}) {
        char folder[MAX_PATH] = "";
        DWORD length = GetEnvironmentVariableA(variable, folder, MAX_PATH);
        Check(length > 0 && length < MAX_PATH, std::string("the system sets ") + variable);
        cases.push_back({std::string("%") + variable + "%", folder, folder});
    }
    if (sizeof(void*) == 4) {
        std::string native = FolderOf(CSIDL_WINDOWS) + "\\Sysnative";
        cases.push_back({"the 64-bit system folder as Sysnative", native, native});
    }
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

// Downloads is a real folder here, as on Windows (the suite's prefix unlinks it from $HOME).
void UserFoldersAndProfilesAreRefused()
{
    std::string profile = FolderOf(CSIDL_PROFILE);
    std::string profiles = profile.substr(0, profile.rfind('\\'));
    std::string downloads = profile + "\\Downloads";
    Check(IsFolder(downloads) && (Attributes(downloads) & FILE_ATTRIBUTE_REPARSE_POINT) == 0,
          "Downloads is a real folder");
    std::string documents = FolderOf(CSIDL_PERSONAL);
    Check((Attributes(documents) & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
          "Documents is a link (to C:\\suite-data\\Docs)");
    std::string other = profiles + "\\suite-alice";
    std::string anything = profile + "\\SuiteAnything";
    MakeFolder(other + "\\Documents");
    MakeFolder(anything);
    g_placedFolders.push_back(other + "\\Documents");
    g_placedFolders.push_back(other);
    g_placedFolders.push_back(anything);
    CheckFoldersKept({
        {"Downloads", downloads, downloads},
        {"the folder holding where Documents leads", "C:\\suite-data", "C:\\suite-data"},
        {"Downloads by its short name", ShortName(downloads), downloads},
        {"Music", FolderOf(CSIDL_MYMUSIC), FolderOf(CSIDL_MYMUSIC)},
        {"Favorites", FolderOf(CSIDL_FAVORITES), FolderOf(CSIDL_FAVORITES)},
        {"AppData, which holds Roaming", profile + "\\AppData", profile + "\\AppData"},
        {"Roaming", FolderOf(CSIDL_APPDATA), FolderOf(CSIDL_APPDATA)},
        {"another user's profile", other, other},
        {"a folder in another user's profile", other + "\\Documents", other + "\\Documents"},
        {"Public", profiles + "\\Public", profiles + "\\Public"},
        {"a folder directly inside the profile", anything, anything},
    });

    // Installs among the user's folders are still cleared.
    for (std::string folder : {profile + "\\AppData\\Local\\Programs\\SuiteTess",
                               downloads + "\\SuiteTess"}) {
        MakeInstallFolder(folder);
        g_placedFolders.push_back(folder);
        RemoveProductAt(folder);
        Check(!Exists(folder), "per-user install folder removed: " + folder);
    }
    Check(IsFolder(downloads) && IsFolder(FolderOf(CSIDL_LOCAL_APPDATA)), "their parents stay");
}

// The suite's run script made these and let others change them, as "chmod o+w" does.
void FoldersOthersMayChangeAreRefused()
{
    const std::string open = "C:\\suite-open";
    Check(IsFolder(open + "\\others-write\\Tess") && IsFolder(open + "\\others-write-above\\Tess"),
          "the run script made the folders");
    CheckFoldersKept({
        {"others may change the folder", open + "\\others-write\\Tess", open + "\\others-write\\Tess"},
        {"others may change its parent", open + "\\others-write-above\\Tess",
         open + "\\others-write-above\\Tess"},
    });
    std::string ordinary = std::string(kScratch) + "\\ordinary\\Tess";
    MakeInstallFolder(ordinary);
    RemoveProductAt(ordinary);
    Check(!Exists(ordinary), "an ordinary folder is still cleared");
}

// Another user's own settings name a share: the launcher never opens it, so it never hands that
// machine its credentials. Wine's relay trace shows every path the launcher asks about.
void ShareInAnotherUsersSettingsIsNeverOpened()
{
    const std::string hive = "S-1-5-21-1111-2222-3333-1001";
    const std::string settings = hive + "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const char share[] = "\\\\acc-remote-host\\share\\docs";
    HKEY key;
    Check(RegCreateKeyExA(HKEY_USERS, settings.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) ==
              ERROR_SUCCESS, "another user's settings written");
    RegSetValueExA(key, "Personal", 0, REG_SZ, (const BYTE*)share, sizeof share);
    RegCloseKey(key);
    char debug[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEDEBUG", debug, MAX_PATH);
    SetEnvironmentVariableA("WINEDEBUG", "+relay");
    std::string folder = std::string(kScratch) + "\\beside-share\\Tess";
    MakeInstallFolder(folder);
    RemoveProductAt(folder);
    SetEnvironmentVariableA("WINEDEBUG", debug);
    RegDeleteTreeA(HKEY_USERS, hive.c_str());
    Check(!Exists(folder), "an ordinary folder is still cleared");

    std::ifstream messages(kWineMessages);
    std::string line;
    size_t calls = 0;
    while (std::getline(messages, line)) {
        bool call = line.find(":Call KERNEL32.") != std::string::npos;
        calls += call;
        bool asksAboutPath = line.find("CreateFile") != std::string::npos ||
                             line.find("GetFileAttributes") != std::string::npos ||
                             line.find("FindFirstFile") != std::string::npos;
        Check(!(call && asksAboutPath && line.find("acc-remote-host") != std::string::npos),
              "the share is never opened: " + line.substr(0, 160));
    }
    Check(calls > 0, "the relay trace was written");
}

}  // namespace

const std::vector<Case> kInstallFolderCases = {
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
    {"folder: user folders, profiles and folders inside them refused",
     UserFoldersAndProfilesAreRefused, true, false},
    {"folder: folders others may change refused", FoldersOthersMayChangeAreRefused, true, false},
    {"folder: a share in another user's settings is never opened", ShareInAnotherUsersSettingsIsNeverOpened,
     true, false},
};
