// The install folder removal over any TargetPath, against a file tree with protected folders,
// links and sentinel files: nothing outside the named folder may be lost.
#include "fuzz_support.h"

#include <map>
#include <set>

#include "actions/folder_safety/folder_safety.h"
#include "actions/install_folder_removal.h"
#include "launcher/uninstall_driver.h"

namespace {

namespace machine = standin::machine;

const std::string kProductKey = machine::kUninstallRoot + "\\Tessaline";
const std::string kUninstaller = "C:\\Tess\\uninst.exe";

// bob keeps his saved games on a share: his own setting, so never opened, and never cleared.
const char kBobsSaves[] = "\\\\SRV\\SHARE\\Bob\\Saves";
// Folders others may change, or whose parent they may (nothing links into it): never cleared.
const char* const kOpenToOthers[] = {"C:\\Open\\Tess", "C:\\OpenAbove\\Tess"};
// Volume roots.
const char* const kRoots[] = {"C:\\", "D:\\", "\\\\SRV\\SHARE", "\\\\SRV"};

void SeedTree(UINT codePage)
{
    for (const std::string& folder : machine::kProtectedFolders) standin::AddFile(folder + "\\sentinel.sys");
    standin::AddFile(std::string(kBobsSaves) + "\\sentinel.sys");
    standin::AddFile("C:\\sentinel.sys");
    standin::AddFile("D:\\sentinel.sys");
    standin::AddFile(machine::kCurrentFolder + "\\sentinel.sys");
    standin::AddFile("C:\\Windows\\Temp\\scratch.tmp");
    standin::AddFile("C:\\Apps\\keep.txt");
    standin::AddFile("C:\\Apps\\Vendor\\Tess\\tess.exe");
    standin::AddFile("C:\\Apps\\Vendor\\Tess\\readme.txt");
    standin::AddFile("C:\\Apps\\Vendor\\Tess\\data\\cache.bin");
    standin::AddFolder("C:\\Apps\\Vendor\\Other");
    standin::AddFile("C:\\Program Files (x86)\\Tess\\tess.exe");
    standin::AddFile("C:\\Users\\tess\\Desktop\\Tess\\notes.txt");
    standin::AddFile("C:\\Users\\tess\\Anything\\notes.txt");
    standin::AddFile("C:\\Users\\tess\\Downloads\\Tess\\setup.exe");
    standin::AddFile("C:\\Users\\tess\\AppData\\Local\\Programs\\Tess\\tess.exe");
    standin::AddFile("C:\\Users\\alice\\Documents\\thesis.doc");
    standin::AddJunction("C:\\Links\\ToAlice", "C:\\Users\\alice");
    standin::AddFile("C:\\Solo\\only.txt");
    for (const char* folder : kOpenToOthers) standin::AddFile(std::string(folder) + "\\tess.exe");
    standin::Security open = standin::DefaultSecurity();
    open.dacl.push_back({"S-1-5-11", 0x1301BF});  // Authenticated Users: modify
    standin::SetSecurity("C:\\Open\\Tess", open);
    standin::SetSecurity("C:\\OpenAbove", open);
    standin::AddFolder("C:\\Empty\\Deeper\\Deepest");
    standin::SetString(machine::ShellFoldersOf(machine::kBob), "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", kBobsSaves);
    standin::AddFile("D:\\Tess\\tess.exe");
    standin::AddFile("\\\\SRV\\SHARE\\Tess\\tess.exe");
    standin::AddJunction("C:\\Apps\\ToWindows", "C:\\Windows");
    standin::AddJunction("C:\\Apps\\ToTess", "C:\\Apps\\Vendor\\Tess");
    standin::AddJunction("C:\\Links\\ToDocuments", "C:\\Users\\tess\\Documents");
    standin::AddJunction("C:\\Links\\ToD", "D:\\");
    standin::AddJunction("C:\\Links\\ToEmpty", "C:\\Empty");
    standin::AddJunction("C:\\Links\\LoopA", "C:\\Links\\LoopB");
    standin::AddJunction("C:\\Links\\LoopB", "C:\\Links\\LoopA");
    if (codePage == 932) {
        // Names whose second byte is the backslash's code.
        standin::AddFile("C:\\Apps\\\x83\x5C\\\x95\x5C\\tess.exe");
        standin::AddFile("C:\\Apps\\\x83\x5C\\keep.txt");
        standin::AddFile("C:\\\x95\x5C\\only.txt");
    }
}

struct Snapshot {
    std::map<std::string, standin::TreeEntry> entries;
    std::vector<std::string> files;
};

Snapshot Take()
{
    Snapshot snapshot;
    for (const standin::TreeEntry& entry : standin::Tree()) {
        snapshot.entries[entry.path] = entry;
        if (!entry.folder) snapshot.files.push_back(entry.path);
    }
    return snapshot;
}

bool IsWithin(const std::string& folder, const std::string& path)
{
    return path == folder || standin::IsAncestorPath(folder, path);
}

std::set<std::string> Untouchable(const Snapshot& before)
{
    std::set<std::string> paths;
    for (const std::string& path : machine::kProtectedFolders) paths.insert(standin::ResolvedPath(path, false));
    paths.insert(standin::ResolvedPath(kBobsSaves, false));
    for (const char* path : kRoots) paths.insert(standin::ResolvedPath(path, false));
    for (const char* path : kOpenToOthers) paths.insert(standin::ResolvedPath(path, false));
    std::set<std::string> profiles;
    for (const std::string& path : machine::kProfiles) profiles.insert(standin::ResolvedPath(path, false));
    for (const auto& entry : before.entries) {
        if (entry.second.folder && profiles.count(standin::ParentPath(entry.first)) != 0) {
            paths.insert(entry.first);
        }
    }
    return paths;
}

// "X:", "X:\" and "\\server\share" or less, as text.
bool IsVolumeRootText(std::string path)
{
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    if (path.size() <= 2) return true;
    if (path[0] == '\\' && path[1] == '\\') {
        return path.find('\\', 2) == std::string::npos ||
               path.find('\\', path.find('\\', 2) + 1) == std::string::npos;
    }
    return false;
}

void ExpectNothingLostOutside(const std::string& named, const Snapshot& before, bool shellFailed)
{
    const std::set<std::string> untouchable = Untouchable(before);
    Snapshot after = Take();

    // Shell requests: one, naming exactly the folder asked for, never a protected one or a root.
    const std::vector<standin::ShellRequest>& requests = standin::ShellRequests();
    FUZZ_CHECK(requests.size() <= 1);
    for (const standin::ShellRequest& request : requests) {
        const std::string& list = request.sourceList;
        FUZZ_CHECK(list.size() >= 6 && list.compare(list.size() - 6, 6, std::string("\\*.*\0\0", 6)) == 0);
        const std::string entry = list.substr(0, list.size() - 6);
        FUZZ_CHECK(entry.find('\0') == std::string::npos);
        const std::string folder = standin::ResolvedPath(entry, true);
        FUZZ_CHECK(untouchable.count(folder) == 0 && !IsVolumeRootText(entry));
        FUZZ_CHECK(folder == named);
        FUZZ_CHECK(before.entries.count(folder) != 0 && before.entries.at(folder).folder);
    }
    if (shellFailed || requests.empty()) FUZZ_CHECK(standin::RemoveDirectoryCalls().empty());

    // Another machine is reached only on the way to the folder asked for, never for what users named.
    for (const std::string& path : standin::ReachedPaths()) {
        if (path.compare(0, 2, "\\\\") == 0) FUZZ_CHECK(IsWithin(path, named) || IsWithin(named, path));
    }

    // Folder removals: never a protected folder or a volume root.
    for (const std::string& path : standin::RemoveDirectoryCalls()) {
        FUZZ_CHECK(!IsVolumeRootText(path));
        FUZZ_CHECK(untouchable.count(standin::ResolvedPath(path, false)) == 0);
    }

    // What disappeared: files only directly inside the named folder; folders only when nothing
    // but those files was below them (a link counts by what it points to).
    for (const auto& item : before.entries) {
        if (after.entries.count(item.first) != 0) continue;
        const standin::TreeEntry& gone = item.second;
        if (!gone.folder) {
            FUZZ_CHECK(standin::ParentPath(gone.path) == named);
            continue;
        }
        FUZZ_CHECK(untouchable.count(gone.path) == 0);
        for (const std::string& file : before.files) {
            if (IsWithin(gone.path, file) ||
                (!gone.junctionTarget.empty() && IsWithin(gone.junctionTarget, file))) {
                FUZZ_CHECK(standin::ParentPath(file) == named);
            }
        }
    }
}

}  // namespace

// Input: selector (bit 0 code page, bit 1 through the whole program with the path stored in the
// registry, bit 2 the shell fails), then the TargetPath bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const UINT codePage = fuzz::PickCodePage(data[0]);
    const bool throughProgram = (data[0] & 2) != 0;
    const bool shellFails = (data[0] & 4) != 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    standin::Reset();
    standin::SetCodePage(codePage);
    SeedTree(codePage);
    if (shellFails) standin::SetShellResult(0x78);
    const Snapshot before = Take();

    std::string path;
    if (throughProgram) {
        // The value exactly as an installer stored it: any length, maybe without its NUL. Only a
        // value that fits the 260-byte buffer with its terminator names a folder.
        standin::SetValue(kProductKey, "TargetPath", REG_SZ, bytes);
        standin::SetString(kProductKey, "UninstallString", kUninstaller);
        standin::ProgramScript uninstaller;
        uninstaller.deletesKeys = {kProductKey};
        standin::ScriptProgram(kUninstaller, uninstaller);
        const bool fits = bytes.size() < 260 || (bytes.size() == 260 && bytes.find('\0') != std::string::npos);
        path = fits ? fuzz::UpToNul(bytes) : std::string();
        FUZZ_CHECK(RunUninstallSequence("473") == 0);
    } else {
        path = fuzz::UpToNul(bytes);
        std::unique_ptr<char[]> copy = fuzz::ExactCopy(path);
        // What the rules say of it beforehand, as the plan asks them: a refusal always says why,
        // and the launcher then clears exactly what they allowed.
        SafetyVerdict verdict;
        char folder[MAX_PATH];
        HANDLE pin = OpenClearableFolder(copy.get(), folder, &verdict);
        const bool allowed = pin != INVALID_HANDLE_VALUE;
        if (allowed) CloseHandle(pin);
        FUZZ_CHECK(allowed == (verdict.rule == SAFETY_ALLOWED));
        const int result = RemoveInstallFolder(copy.get());
        FUZZ_CHECK(standin::ShellRequests().size() == (allowed ? 1u : 0u));
        FUZZ_CHECK(result == 0 || result == 1);
        FUZZ_CHECK(result == (standin::ShellRequests().empty() || shellFails ? 0 : 1));
    }
    const std::string named = path.empty() ? std::string("?:\\NOTHING") : standin::ResolvedPath(path, true);
    ExpectNothingLostOutside(named, before, shellFails);
    fuzz::ExpectNoHandleLeft();
    return 0;
}
