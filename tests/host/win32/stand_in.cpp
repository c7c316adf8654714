#include "stand_in.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "stand_in_machine.h"

namespace standin {
namespace {

std::string Fold(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

struct Value {
    std::string name;  // as stored
    DWORD type = REG_SZ;
    std::string bytes;
};

struct Key {
    std::map<std::string, Value> values;  // by folded name
};

struct Process {
    std::string commandLine;
    ProgramScript script;
    int slicesLeft = 0;
    bool ended = false;
    bool handleOpen = true;
};

struct Node {
    bool folder = true;
    std::string junctionTarget;  // non-empty for a junction
    DWORD index = 0;
    Security security = DefaultSecurity();
};

struct OpenFile {
    std::string resolved;  // folded path of what the handle holds
    FileOpen asked;
};

struct State {
    UINT codePage = 1252;
    std::string commandLine;
    std::map<std::string, Key> keys;  // by folded path
    std::map<std::string, LONG> keyOpenFailures;
    std::map<uintptr_t, std::string> openKeys;
    std::vector<KeyOpen> keyOpens;
    int unknownCloses = 0;
    std::map<std::string, ProgramScript> scripts;
    std::vector<ProcessStart> starts;
    std::vector<DWORD> waitTimeouts;
    std::map<uintptr_t, Process> processes;  // process handles
    std::map<uintptr_t, bool> threads;       // thread handles
    std::vector<MessageBoxRecord> boxes;
    WindowStation station = WindowStation::Visible;
    std::map<std::string, Node> nodes;  // by folded path, no trailing backslash except roots
    std::map<std::string, std::string> displayNames;
    std::map<uintptr_t, OpenFile> openFiles;
    std::map<uintptr_t, bool> tokens;
    std::string launcherAccount = machine::kTess.sid;
    std::map<std::string, std::pair<std::string, std::string>> accountNames;  // by SID bytes
    std::function<void(const FileOpen&)> fileOpenHook;
    std::function<void()> shellHook;
    std::map<std::string, LONG> keyEnumFailures;
    std::map<uintptr_t, int> failedEnumerations;
    int runawayEnumerations = 0;
    std::map<uintptr_t, std::vector<WIN32_FIND_DATAA>> searches;  // what each search has left
    std::map<int, std::string> folderPaths;
    std::map<std::string, std::string> environment;
    int shellResult = 0;
    std::vector<FileOpen> fileOpens;
    std::vector<std::string> reachedPaths;
    std::vector<ShellRequest> shellRequests;
    std::vector<std::string> removeCalls;
    std::vector<std::string> events;
    bool dllDirectoriesAvailable = true;
    std::vector<EventRecord> eventRecords;
    std::map<uintptr_t, EventRecord> eventSources;       // open ones, by handle: server and name
    std::map<uintptr_t, std::string> environmentBlocks;  // handed out and not yet freed
    uintptr_t nextHandle = 0x1000;
    DWORD nextIndex = 1;
};

State& S()
{
    static State state;
    return state;
}

HANDLE NewHandle()
{
    S().nextHandle += 4;
    return reinterpret_cast<HANDLE>(S().nextHandle);
}

bool IsLead(BYTE byte)
{
    return S().codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

// Positions of the backslashes that are characters of their own in the current code page.
std::vector<size_t> SeparatorPositions(const std::string& path)
{
    std::vector<size_t> positions;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsLead(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '\\') {
            positions.push_back(i);
        }
    }
    return positions;
}


// The part of a folded path that ".." never climbs above: "X:\" or "\\server\share\".
size_t RootLength(const std::string& path, const std::vector<size_t>& separators)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') return 3;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        size_t seen = 0;
        for (size_t cut : separators) {
            if (cut >= 2 && ++seen == 2) return cut + 1;
        }
    }
    return 0;
}

// As the system reads a path: "/" is a separator, empty and "." components vanish, ".." goes up
// one (never above the root), and a component's trailing dots and blanks are dropped.
std::string Canonicalize(const std::string& folded)
{
    std::string path = folded;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsLead(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        } else if (path[i] == '/') {
            path[i] = '\\';
        }
    }
    std::vector<size_t> separators = SeparatorPositions(path);
    size_t root = RootLength(path, separators);
    if (root == 0) return path;
    std::vector<std::string> components;
    size_t start = root;
    separators.push_back(path.size());
    for (size_t cut : separators) {
        if (cut < start) continue;
        std::string component = path.substr(start, cut - start);
        start = cut + 1;
        if (component == "..") {
            if (!components.empty()) components.pop_back();
            continue;
        }
        // Trailing dots and blanks, but never the second byte of a double-byte character.
        size_t keep = 0;
        for (size_t i = 0; i < component.size(); ++i) {
            bool pair = IsLead(static_cast<BYTE>(component[i])) && i + 1 < component.size();
            if (pair || (component[i] != '.' && component[i] != ' ')) keep = i + (pair ? 2 : 1);
            if (pair) ++i;
        }
        component.resize(keep);
        if (!component.empty()) components.push_back(component);
    }
    std::string canonical = path.substr(0, root);
    for (size_t i = 0; i < components.size(); ++i) {
        canonical += (i == 0 ? "" : "\\") + components[i];
    }
    return canonical;
}

// Folded path without a trailing backslash ("C:\" stays a root); "X:" alone is the drive's
// current folder, as Windows resolves it.
std::string Normalize(const std::string& path)
{
    std::string folded = Fold(path);
    if (folded.size() == 2 && folded[1] == ':') {
        return folded == "C:" ? Fold(machine::kCurrentFolder) : folded + "\\";
    }
    folded = Canonicalize(folded);
    for (;;) {
        std::vector<size_t> separators = SeparatorPositions(folded);
        if (folded.size() <= 3 || separators.empty() || separators.back() != folded.size() - 1) break;
        folded.pop_back();
    }
    return folded;
}

std::string ParentOf(const std::string& path)
{
    std::vector<size_t> separators = SeparatorPositions(path);
    if (separators.empty()) return "";
    size_t cut = separators.back();
    if (cut == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, cut);
}

// Follows junctions on the way; the last component only when `followLast`. A chain of links
// that does not end (a loop) resolves to a path that names nothing, as the system fails it.
std::string Resolve(const std::string& path, bool followLast, int depth = 0)
{
    if (depth > 16) return "?:\\UNRESOLVABLE";
    std::string normalized = Normalize(path);
    for (int hops = 0;; ++hops) {
        if (hops == 16) return "?:\\UNRESOLVABLE";
        bool changed = false;
        for (size_t cut : SeparatorPositions(normalized)) {
            std::string prefix = normalized.substr(0, cut);
            auto node = S().nodes.find(prefix);
            if (node != S().nodes.end() && !node->second.junctionTarget.empty()) {
                normalized = Normalize(node->second.junctionTarget + normalized.substr(cut));
                changed = true;
                break;
            }
        }
        if (!changed) break;
    }
    if (followLast) {
        auto node = S().nodes.find(normalized);
        if (node != S().nodes.end() && !node->second.junctionTarget.empty()) {
            return Resolve(node->second.junctionTarget, true, depth + 1);
        }
    }
    return normalized;
}

bool HasChildren(const std::string& folder)
{
    for (const auto& entry : S().nodes) {
        if (entry.first != folder && ParentOf(entry.first) == folder) return true;
    }
    return false;
}

void AddNode(const std::string& path, bool folder, const std::string& junctionTarget)
{
    std::string normalized = Resolve(path, false);
    std::string parent = ParentOf(normalized);
    if (!parent.empty() && parent != normalized && S().nodes.count(parent) == 0) {
        AddNode(parent, true, "");
    }
    Node node;
    node.folder = folder;
    node.junctionTarget = junctionTarget;
    node.index = S().nextIndex++;
    S().nodes[normalized] = node;
}

DWORD AttributesOf(const Node& node)
{
    if (!node.junctionTarget.empty()) return (node.folder ? FILE_ATTRIBUTE_DIRECTORY : 0u) | FILE_ATTRIBUTE_REPARSE_POINT;
    return node.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
}

}  // namespace

void Reset()
{
    S() = State();
    for (const std::string& folder : machine::kFolders) AddFolder(folder);
    for (const auto& junction : machine::kJunctions) AddJunction(junction.first, junction.second);
    for (const machine::RegistryValue& value : machine::kRegistryValues) {
        SetValue(value.key, value.name, value.type, value.text + '\0');
    }
    for (const std::string& key : machine::kEmptyKeys) AddKey(key);
    S().keyOpens.clear();
    S().folderPaths.insert(machine::kFolderNumbers.begin(), machine::kFolderNumbers.end());
    for (const auto& variable : machine::kEnvironment) S().environment[Fold(variable.first)] = variable.second;
    S().commandLine = "uninstall-launcher.exe 473";
}

void SetCodePage(UINT codePage) { S().codePage = codePage; }
void SetCommandLine(const std::string& commandLine) { S().commandLine = commandLine; }

void AddKey(const std::string& path)
{
    std::string folded = Fold(path);
    for (size_t cut = folded.find('\\'); cut != std::string::npos; cut = folded.find('\\', cut + 1)) {
        S().keys[folded.substr(0, cut)];
    }
    S().keys[folded];
}

void SetValue(const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes)
{
    Value value;
    value.name = name;
    value.type = type;
    value.bytes = bytes;
    AddKey(path);
    S().keys[Fold(path)].values[Fold(name)] = value;
}

void SetString(const std::string& path, const std::string& name, const std::string& text)
{
    SetValue(path, name, REG_SZ, text + std::string(1, '\0'));
}

void DeleteKey(const std::string& path) { S().keys.erase(Fold(path)); }
bool KeyExists(const std::string& path) { return S().keys.count(Fold(path)) != 0; }
void FailKeyOpen(const std::string& path, LONG error) { S().keyOpenFailures[Fold(path)] = error; }
const std::vector<KeyOpen>& KeyOpens() { return S().keyOpens; }
int OpenKeyCount() { return static_cast<int>(S().openKeys.size()); }
int UnknownHandleCloses() { return S().unknownCloses; }
int RunawayEnumerations() { return S().runawayEnumerations; }
void FailKeyEnumeration(const std::string& path, LONG error) { S().keyEnumFailures[Fold(path)] = error; }

void ScriptProgram(const std::string& commandLine, const ProgramScript& script)
{
    S().scripts[commandLine] = script;
}
const std::vector<ProcessStart>& Starts() { return S().starts; }
const std::vector<DWORD>& WaitTimeouts() { return S().waitTimeouts; }

int OpenProcessHandleCount()
{
    int count = 0;
    for (const auto& process : S().processes) count += process.second.handleOpen ? 1 : 0;
    return count + static_cast<int>(S().threads.size());
}

const std::vector<MessageBoxRecord>& MessageBoxes() { return S().boxes; }
void SetWindowStation(WindowStation station) { S().station = station; }

void AddFolder(const std::string& path) { AddNode(path, true, ""); }
void AddFile(const std::string& path) { AddNode(path, false, ""); }
void AddJunction(const std::string& path, const std::string& target) { AddNode(path, true, target); }
void AddFileLink(const std::string& path, const std::string& target) { AddNode(path, false, target); }

bool Exists(const std::string& path)
{
    return S().nodes.count(Resolve(path, false)) != 0;
}

void SetFolderPath(int csidl, const std::string& path) { S().folderPaths[csidl] = path; }
void SetEnvironment(const std::string& name, const std::string& value)
{
    S().environment[Fold(name)] = value;
}
void SetShellResult(int result) { S().shellResult = result; }
const std::vector<FileOpen>& FileOpens() { return S().fileOpens; }
const std::vector<std::string>& ReachedPaths() { return S().reachedPaths; }
const std::vector<ShellRequest>& ShellRequests() { return S().shellRequests; }
const std::vector<std::string>& RemoveDirectoryCalls() { return S().removeCalls; }
int OpenFileHandleCount()
{
    return static_cast<int>(S().openFiles.size() + S().searches.size() + S().tokens.size() +
                            S().eventSources.size() + S().environmentBlocks.size());
}
const std::vector<std::string>& Events() { return S().events; }
const std::vector<EventRecord>& EventRecords() { return S().eventRecords; }
void SetDefaultDllDirectoriesAvailable(bool available) { S().dllDirectoriesAvailable = available; }

Security DefaultSecurity()
{
    Security security;
    const BYTE inherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    security.dacl = {{"S-1-5-18", 0x1F01FFu, inherited},
                     {"S-1-5-32-544", 0x1F01FFu, inherited},
                     {"S-1-5-32-545", 0x1200A9u, inherited},
                     {"S-1-3-0", GENERIC_ALL, inherited | INHERIT_ONLY_ACE}};
    return security;
}

void SetSecurity(const std::string& path, const Security& security)
{
    auto node = S().nodes.find(Resolve(path, false));
    if (node == S().nodes.end()) {
        AddFolder(path);
        node = S().nodes.find(Resolve(path, false));
    }
    node->second.security = security;
}

void SetLauncherAccount(const std::string& sid) { S().launcherAccount = sid; }
void SetAccountName(const std::string& sid, const std::string& domain, const std::string& name)
{
    S().accountNames[SidBytes(sid)] = {domain, name};
}
void SetFileOpenHook(std::function<void(const FileOpen&)> hook) { S().fileOpenHook = hook; }
void SetShellHook(std::function<void()> hook) { S().shellHook = hook; }

std::vector<FileOpen> OpenFiles()
{
    std::vector<FileOpen> open;
    for (const auto& file : S().openFiles) open.push_back(file.second.asked);
    return open;
}

std::vector<TreeEntry> Tree()
{
    std::vector<TreeEntry> tree;
    for (const auto& node : S().nodes) {
        TreeEntry entry;
        entry.path = node.first;
        entry.folder = node.second.folder;
        entry.junctionTarget =
            node.second.junctionTarget.empty() ? "" : Resolve(node.second.junctionTarget, true);
        tree.push_back(entry);
    }
    return tree;
}

std::string ResolvedPath(const std::string& path, bool followLast)
{
    return Resolve(path, followLast);
}

std::string ParentPath(const std::string& path) { return ParentOf(path); }

bool IsAncestorPath(const std::string& ancestor, const std::string& path)
{
    for (std::string up = ParentOf(path); !up.empty(); up = ParentOf(up)) {
        if (up == ancestor) return true;
        if (up == ParentOf(up)) break;
    }
    return false;
}

}  // namespace standin

using namespace standin;

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result)
{
    KeyOpen open;
    open.path = subKey;
    open.options = options;
    open.access = access;
    auto parent = S().openKeys.find(reinterpret_cast<uintptr_t>(key));
    std::string folded = Fold(subKey);
    if (key == HKEY_CURRENT_USER) {
        folded = "HKCU\\" + folded;
    } else if (key == HKEY_USERS) {
        folded = "HKU\\" + folded;
    } else if (parent != S().openKeys.end()) {
        folded = parent->second + "\\" + folded;
    }
    if (key != HKEY_LOCAL_MACHINE && key != HKEY_CURRENT_USER && key != HKEY_USERS &&
        parent == S().openKeys.end()) {
        open.result = ERROR_ACCESS_DENIED;
    } else if (S().keyOpenFailures.count(folded)) {
        open.result = S().keyOpenFailures[folded];
    } else if (S().keys.count(folded) == 0) {
        open.result = ERROR_FILE_NOT_FOUND;
    } else {
        HANDLE handle = NewHandle();
        S().openKeys[reinterpret_cast<uintptr_t>(handle)] = folded;
        *result = reinterpret_cast<HKEY>(handle);
        S().events.push_back("open " + std::string(subKey));
    }
    S().keyOpens.push_back(open);
    return open.result;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size)
{
    auto open = S().openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (open == S().openKeys.end() || reserved != nullptr) return ERROR_ACCESS_DENIED;
    auto found = S().keys.find(open->second);
    if (found == S().keys.end()) return ERROR_KEY_DELETED;
    auto value = found->second.values.find(Fold(valueName));
    if (value == found->second.values.end()) return ERROR_FILE_NOT_FOUND;
    DWORD needed = static_cast<DWORD>(value->second.bytes.size());
    if (type != nullptr) *type = value->second.type;
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return ERROR_SUCCESS;
    }
    if (size == nullptr) return ERROR_ACCESS_DENIED;
    if (*size < needed) {
        *size = needed;  // the buffer is left untouched
        return ERROR_MORE_DATA;
    }
    memcpy(data, value->second.bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPDWORD type, LPBYTE data, LPDWORD size)
{
    auto open = S().openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (open == S().openKeys.end() || reserved != nullptr) return ERROR_ACCESS_DENIED;
    const std::map<std::string, Value>& values = S().keys[open->second].values;
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    const Value& value = std::next(values.begin(), index)->second;
    if (value.name.size() + 1 > *nameSize) return ERROR_MORE_DATA;
    memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameSize = static_cast<DWORD>(value.name.size());
    if (type != nullptr) *type = value.type;
    DWORD needed = static_cast<DWORD>(value.bytes.size());
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    memcpy(data, value.bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPSTR, LPDWORD,
                   FILETIME*)
{
    auto open = S().openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (open == S().openKeys.end() && key != HKEY_USERS) return ERROR_ACCESS_DENIED;
    const std::string path = key == HKEY_USERS ? std::string("HKU") : open->second;
    auto failure = S().keyEnumFailures.find(path);
    if (failure != S().keyEnumFailures.end()) {
        if (++S().failedEnumerations[reinterpret_cast<uintptr_t>(key)] == 10000) {
            ++S().runawayEnumerations;
            return ERROR_NO_MORE_ITEMS;
        }
        return failure->second;
    }
    const std::string prefix = path + "\\";
    DWORD seen = 0;
    for (const auto& entry : S().keys) {
        const std::string& candidate = entry.first;
        if (candidate.compare(0, prefix.size(), prefix) != 0 || candidate.find('\\', prefix.size()) != std::string::npos) continue;
        if (seen++ != index) continue;
        std::string child = candidate.substr(prefix.size());
        if (child.size() + 1 > *nameSize) return ERROR_MORE_DATA;
        memcpy(name, child.c_str(), child.size() + 1);
        *nameSize = static_cast<DWORD>(child.size());
        return ERROR_SUCCESS;
    }
    return ERROR_NO_MORE_ITEMS;
}

LONG RegCloseKey(HKEY key)
{
    auto open = S().openKeys.find(reinterpret_cast<uintptr_t>(key));
    if (open == S().openKeys.end()) {
        ++S().unknownCloses;
        return ERROR_ACCESS_DENIED;
    }
    S().events.push_back("close " + open->second);
    S().openKeys.erase(open);
    return ERROR_SUCCESS;
}

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation)
{
    ProcessStart start;
    start.hasApplication = applicationName != nullptr;
    if (applicationName != nullptr) start.application = applicationName;
    start.commandLine = commandLine != nullptr ? commandLine : "";
    start.startupSize = startupInfo->cb;
    STARTUPINFOA zero;
    memset(&zero, 0, sizeof zero);
    zero.cb = startupInfo->cb;
    start.startupOtherwiseZero = memcmp(&zero, startupInfo, sizeof zero) == 0;
    start.securityAttributesNull = processAttributes == nullptr && threadAttributes == nullptr;
    start.inheritHandles = inheritHandles;
    start.creationFlags = creationFlags;
    start.environmentNull = environment == nullptr;
    start.currentDirectoryNull = currentDirectory == nullptr;
    start.openFiles = OpenFiles();
    S().starts.push_back(start);

    auto script = S().scripts.find(start.commandLine);
    if (script == S().scripts.end() || script->second.startFails) return FALSE;
    Process process;
    process.commandLine = start.commandLine;
    process.script = script->second;
    process.slicesLeft = script->second.waitSlices;
    HANDLE processHandle = NewHandle();
    HANDLE threadHandle = NewHandle();
    S().processes[reinterpret_cast<uintptr_t>(processHandle)] = process;
    S().threads[reinterpret_cast<uintptr_t>(threadHandle)] = true;
    processInformation->hProcess = processHandle;
    processInformation->hThread = threadHandle;
    processInformation->dwProcessId = 100;
    processInformation->dwThreadId = 101;
    S().events.push_back("start " + start.commandLine);
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    S().waitTimeouts.push_back(milliseconds);
    auto found = S().processes.find(reinterpret_cast<uintptr_t>(handle));
    if (found == S().processes.end() || !found->second.handleOpen) return WAIT_FAILED;
    Process& process = found->second;
    if (process.script.waitFails) return WAIT_FAILED;
    if (process.ended) return WAIT_OBJECT_0;
    if (process.slicesLeft > 0) {
        --process.slicesLeft;
        return WAIT_TIMEOUT;
    }
    process.ended = true;
    for (const std::string& key : process.script.deletesKeys) DeleteKey(key);
    if (process.script.atEnd) process.script.atEnd();
    S().events.push_back("end " + process.commandLine);
    return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE handle)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    auto process = S().processes.find(value);
    if (process != S().processes.end() && process->second.handleOpen) {
        process->second.handleOpen = false;
        return TRUE;
    }
    if (S().threads.erase(value) != 0 || S().openFiles.erase(value) != 0 ||
        S().tokens.erase(value) != 0) {
        return TRUE;
    }
    ++S().unknownCloses;
    return FALSE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    MessageBoxRecord box;
    box.ownerNull = owner == nullptr;
    box.text = text;
    box.captionNull = caption == nullptr;
    box.type = type;
    S().boxes.push_back(box);
    S().events.push_back("box " + box.text);
    return 1;
}

static HWINSTA const kWindowStation = reinterpret_cast<HWINSTA>(static_cast<uintptr_t>(0xA0));

HWINSTA GetProcessWindowStation(void) { return kWindowStation; }

// Answers only the flags query of the process's own window station, with room for the record.
BOOL GetUserObjectInformationA(HANDLE object, int index, LPVOID information, DWORD length,
                               LPDWORD lengthNeeded)
{
    if (object != kWindowStation || index != UOI_FLAGS || information == nullptr ||
        length < sizeof(USEROBJECTFLAGS) || lengthNeeded == nullptr ||
        S().station == WindowStation::Unreadable) {
        return FALSE;
    }
    USEROBJECTFLAGS flags = {TRUE, TRUE, 0x100u};  // a bit beside the one asked about
    if (S().station != WindowStation::Invisible) flags.dwFlags |= WSF_VISIBLE;
    memcpy(information, &flags, sizeof flags);
    *lengthNeeded = sizeof flags;
    return TRUE;
}

static const DWORD kProcessId = 0x1234;

DWORD GetCurrentProcessId(void) { return kProcessId; }

BOOL ProcessIdToSessionId(DWORD processId, DWORD* session)
{
    if (processId != kProcessId) return FALSE;
    *session = S().station == WindowStation::VisibleInSessionZero ? 0 : 1;
    return TRUE;
}

// Finding a program named without a path: the system's folders as the folder lookup knows them,
// and the environment as one block of "NAME=value" strings.
static UINT CopyFolderPath(int csidl, LPSTR buffer, UINT size)
{
    const std::string& path = S().folderPaths[csidl];
    if (path.size() + 1 > size) return static_cast<UINT>(path.size() + 1);
    memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<UINT>(path.size());
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) { return CopyFolderPath(CSIDL_SYSTEM, buffer, size); }
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) { return CopyFolderPath(CSIDL_WINDOWS, buffer, size); }

LPCH GetEnvironmentStringsA(void)
{
    std::string block;
    for (const auto& variable : S().environment) block += variable.first + "=" + variable.second + '\0';
    block += '\0';
    HANDLE handle = NewHandle();
    std::string& kept = S().environmentBlocks[reinterpret_cast<uintptr_t>(handle)];
    kept = block;
    return &kept[0];
}

BOOL FreeEnvironmentStringsA(LPCH block)
{
    for (auto kept = S().environmentBlocks.begin(); kept != S().environmentBlocks.end(); ++kept) {
        if (&kept->second[0] == block) {
            S().environmentBlocks.erase(kept);
            return TRUE;
        }
    }
    ++S().unknownCloses;
    return FALSE;
}

// The event log: sources need no registration, as on Windows.
HANDLE RegisterEventSourceA(LPCSTR server, LPCSTR source)
{
    HANDLE handle = NewHandle();
    EventRecord& opened = S().eventSources[reinterpret_cast<uintptr_t>(handle)];
    opened.serverNull = server == nullptr;
    opened.source = source;
    return handle;
}

BOOL ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid,
                  WORD stringCount, DWORD dataSize, LPCSTR* strings, LPVOID data)
{
    auto source = S().eventSources.find(reinterpret_cast<uintptr_t>(eventLog));
    if (source == S().eventSources.end()) {
        ++S().unknownCloses;
        return FALSE;
    }
    EventRecord record = source->second;
    record.type = type;
    record.category = category;
    record.id = eventId;
    record.sidNull = userSid == nullptr;
    for (WORD i = 0; i < stringCount; ++i) record.strings.push_back(strings[i]);
    record.dataSize = dataSize;
    record.dataNull = data == nullptr;
    S().eventRecords.push_back(record);
    S().events.push_back("record " + (record.strings.empty() ? std::string() : record.strings[0]));
    return TRUE;
}

BOOL DeregisterEventSource(HANDLE eventLog)
{
    if (S().eventSources.erase(reinterpret_cast<uintptr_t>(eventLog)) != 0) return TRUE;
    ++S().unknownCloses;
    return FALSE;
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD flags, HANDLE)
{
    FileOpen open;
    open.path = path;
    open.access = access;
    open.shareMode = shareMode;
    open.disposition = disposition;
    open.flags = flags;
    S().fileOpens.push_back(open);
    if (S().fileOpenHook) S().fileOpenHook(open);
    if (path[0] == 0 || disposition != OPEN_EXISTING) return INVALID_HANDLE_VALUE;
    std::string resolved = Resolve(path, (flags & FILE_FLAG_OPEN_REPARSE_POINT) == 0);
    S().reachedPaths.push_back(resolved);
    auto node = S().nodes.find(resolved);
    if (node == S().nodes.end()) return INVALID_HANDLE_VALUE;
    if (node->second.folder && (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0) return INVALID_HANDLE_VALUE;
    HANDLE handle = NewHandle();
    S().openFiles[reinterpret_cast<uintptr_t>(handle)] = OpenFile{resolved, open};
    return handle;
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information)
{
    auto open = S().openFiles.find(reinterpret_cast<uintptr_t>(file));
    if (open == S().openFiles.end()) return FALSE;
    const std::string& resolved = open->second.resolved;
    auto node = S().nodes.find(resolved);
    if (node == S().nodes.end()) return FALSE;
    memset(information, 0, sizeof *information);
    information->dwFileAttributes = AttributesOf(node->second);
    information->dwVolumeSerialNumber = 0x5E110000u + static_cast<BYTE>(resolved[0]);
    information->nFileIndexLow = node->second.index;
    information->nNumberOfLinks = 1;
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path)
{
    // A path that is not on a drive or share is found from the current folder, as Windows does.
    bool relative = path[0] != 0 && path[0] != '\\' && path[0] != '/' && path[1] != ':';
    std::string full = relative ? machine::kCurrentFolder + "\\" + path : path;
    S().reachedPaths.push_back(Resolve(full, false));
    auto node = S().nodes.find(Resolve(full, false));
    return node == S().nodes.end() ? INVALID_FILE_ATTRIBUTES : AttributesOf(node->second);
}

BOOL RemoveDirectoryA(LPCSTR path)
{
    S().removeCalls.push_back(path);
    S().events.push_back("rmdir " + std::string(path));
    std::string resolved = Resolve(path, false);
    auto node = S().nodes.find(resolved);
    if (node == S().nodes.end() || !node->second.folder) return FALSE;
    if (node->second.junctionTarget.empty() && HasChildren(resolved)) return FALSE;
    if (resolved.size() == 3 && resolved[1] == ':') return FALSE;  // a volume root never goes
    S().nodes.erase(node);
    return TRUE;
}

UINT GetDriveTypeA(LPCSTR root)
{
    std::string folded = Fold(root);
    if (folded.size() != 3 || folded[1] != ':' || folded[2] != '\\') return DRIVE_NO_ROOT_DIR;
    if (folded[0] == 'R') return DRIVE_REMOTE;
    return S().nodes.count(folded) != 0 ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size)
{
    auto found = S().environment.find(Fold(name));
    if (found == S().environment.end()) return 0;
    DWORD length = static_cast<DWORD>(found->second.size());
    if (length + 1 > size) return length + 1;
    memcpy(buffer, found->second.c_str(), length + 1);
    return length;
}

DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size)
{
    std::string expanded;
    for (const char* position = source; *position != 0;) {
        const char* close = *position == '%' ? strchr(position + 1, '%') : nullptr;
        auto found = close ? S().environment.find(Fold(std::string(position + 1, close))) : S().environment.end();
        if (found != S().environment.end()) {
            expanded += found->second;
            position = close + 1;
        } else {
            expanded += *position++;
        }
    }
    DWORD needed = static_cast<DWORD>(expanded.size() + 1);
    if (S().codePage == 932) {
        // As the system does there: the length counts characters, while the bytes written stop
        // only at the buffer's end, without a terminator when they do not fit.
        DWORD characters = 0;
        for (size_t i = 0; i < expanded.size(); ++i, ++characters) {
            if (IsLead(static_cast<BYTE>(expanded[i])) && i + 1 < expanded.size()) ++i;
        }
        if (characters + 1 <= size) memcpy(destination, expanded.c_str(), std::min<DWORD>(needed, size));
        return characters + 1;
    }
    if (needed <= size) memcpy(destination, expanded.c_str(), needed);
    return needed;
}

DWORD GetFullPathNameA(LPCSTR path, DWORD size, LPSTR buffer, LPSTR* filePart)
{
    std::string full = Canonicalize(path);  // absolute paths only: that is all the program asks
    if (filePart != nullptr) *filePart = nullptr;
    DWORD needed = static_cast<DWORD>(full.size());
    if (needed + 1 > size) return needed + 1;
    memcpy(buffer, full.c_str(), needed + 1);
    return needed;
}

// "FOLDER\*" lists a folder; any other path finds that one entry, as stored (in capitals here).
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found)
{
    std::string text = pattern;
    std::vector<WIN32_FIND_DATAA> entries;
    auto add = [&](const std::string& name, DWORD attributes) {
        WIN32_FIND_DATAA entry;
        memset(&entry, 0, sizeof entry);
        entry.dwFileAttributes = attributes;
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) entry.dwReserved0 = IO_REPARSE_TAG_MOUNT_POINT;
        strcpy(entry.cFileName, name.c_str());
        entries.push_back(entry);
    };
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\\*") != 0) {
        std::string resolved = Resolve(text, false);
        S().reachedPaths.push_back(ParentOf(resolved));
        auto node = S().nodes.find(resolved);
        std::vector<size_t> separators = SeparatorPositions(resolved);
        if (node == S().nodes.end() || separators.empty()) return INVALID_HANDLE_VALUE;
        add(resolved.substr(separators.back() + 1), AttributesOf(node->second));
    } else {
        std::string folder = Resolve(text.substr(0, text.size() - 2), true);
        S().reachedPaths.push_back(folder);
        auto node = S().nodes.find(folder);
        if (node == S().nodes.end() || !node->second.folder) return INVALID_HANDLE_VALUE;
        add(".", FILE_ATTRIBUTE_DIRECTORY);
        add("..", FILE_ATTRIBUTE_DIRECTORY);
        for (const auto& child : S().nodes) {
            if (child.first == folder || ParentOf(child.first) != folder) continue;
            add(child.first.substr(folder.size() + (folder.back() == '\\' ? 0 : 1)),
                AttributesOf(child.second));
        }
    }
    HANDLE search = NewHandle();
    *found = entries.front();
    entries.erase(entries.begin());
    S().searches[reinterpret_cast<uintptr_t>(search)] = entries;
    return search;
}

BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found)
{
    auto open = S().searches.find(reinterpret_cast<uintptr_t>(search));
    if (open == S().searches.end() || open->second.empty()) return FALSE;
    *found = open->second.front();
    open->second.erase(open->second.begin());
    return TRUE;
}

BOOL FindClose(HANDLE search)
{
    if (S().searches.erase(reinterpret_cast<uintptr_t>(search)) != 0) return TRUE;
    ++S().unknownCloses;
    return FALSE;
}

BOOL IsDBCSLeadByte(BYTE byte) { return IsLead(byte) ? TRUE : FALSE; }

LPSTR GetCommandLineA(void) { return &S().commandLine[0]; }

int SHFileOperationA(LPSHFILEOPSTRUCTA operation)
{
    ShellRequest request;
    request.ownerNull = operation->hwnd == nullptr;
    request.operation = operation->wFunc;
    request.destinationNull = operation->pTo == nullptr;
    request.flags = operation->fFlags;
    request.aborted = operation->fAnyOperationsAborted;
    request.mappingsNull = operation->hNameMappings == nullptr;
    request.titleNull = operation->lpszProgressTitle == nullptr;
    const char* list = operation->pFrom;
    size_t length = 0;
    while (list[length] != 0 || list[length + 1] != 0) ++length;
    request.sourceList.assign(list, length + 2);
    S().shellRequests.push_back(request);
    S().events.push_back("shell " + std::string(list));
    if (S().shellHook) S().shellHook();
    if (S().shellResult != 0) return S().shellResult;

    // Files only, and only those directly inside each named folder.
    for (const char* entry = list; *entry != 0; entry += strlen(entry) + 1) {
        std::string pattern = entry;
        if (pattern.size() < 4 || pattern.compare(pattern.size() - 4, 4, "\\*.*") != 0) return 0x7C;
        std::string folder = Resolve(pattern.substr(0, pattern.size() - 4), true);
        if (S().nodes.count(folder) == 0) return 0x7C;
        for (auto node = S().nodes.begin(); node != S().nodes.end();) {
            if (!node->second.folder && ParentOf(node->first) == folder) {
                node = S().nodes.erase(node);
            } else {
                ++node;
            }
        }
    }
    return 0;
}

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path)
{
    auto found = S().folderPaths.find(folder);
    if (found == S().folderPaths.end() || found->second.empty()) return E_FAIL;
    strcpy(path, found->second.c_str());
    return S_OK;
}

static HMODULE const kProgramModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x400000));
static HMODULE const kKernelModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7C800000));

static BOOL WINAPI SetDefaultDllDirectoriesStandIn(DWORD flags)
{
    char text[32];
    snprintf(text, sizeof text, "dll directories %#x", static_cast<unsigned>(flags));
    standin::S().events.push_back(text);
    return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName == nullptr) return kProgramModule;
    return standin::Fold(moduleName) == "KERNEL32.DLL" ? kKernelModule : nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procedureName)
{
    if (module != kKernelModule || strcmp(procedureName, "SetDefaultDllDirectories") != 0 ||
        !standin::S().dllDirectoriesAvailable) {
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(&SetDefaultDllDirectoriesStandIn));
}

void ExitProcess(UINT exitCode) { standin::S().events.push_back("exit " + std::to_string(exitCode)); }

std::string standin::SidBytes(const std::string& text)
{
    std::vector<unsigned long long> parts;
    for (size_t at = 2; at <= text.size();) {
        size_t end = text.find('-', at);
        if (end == std::string::npos) end = text.size();
        parts.push_back(std::stoull(text.substr(at, end - at)));
        at = end + 1;
    }
    std::string bytes;
    bytes += static_cast<char>(parts[0]);
    bytes += static_cast<char>(parts.size() - 2);
    for (int shift = 40; shift >= 0; shift -= 8) bytes += static_cast<char>(parts[1] >> shift);
    for (size_t i = 2; i < parts.size(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(parts[i] >> shift);
    }
    return bytes;
}

BOOL LookupAccountSidA(LPCSTR, PSID sid, LPSTR name, LPDWORD nameSize, LPSTR domain,
                       LPDWORD domainSize, SID_NAME_USE* use)
{
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    auto found = standin::S().accountNames.find(std::string(reinterpret_cast<const char*>(bytes), 8 + 4 * bytes[1]));
    if (found == standin::S().accountNames.end()) {
        return FALSE;
    }
    const std::string& foundDomain = found->second.first;
    const std::string& foundName = found->second.second;
    if (foundName.size() >= *nameSize || foundDomain.size() >= *domainSize) {
        return FALSE;
    }
    memcpy(name, foundName.c_str(), foundName.size() + 1);
    memcpy(domain, foundDomain.c_str(), foundDomain.size() + 1);
    *use = 1;
    return TRUE;
}

// The process token and self-relative security descriptors, in the system's own binary layout.
namespace {

void PutWord(std::string& bytes, size_t at, size_t value)
{
    bytes[at] = static_cast<char>(value);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutDword(std::string& bytes, size_t at, size_t value)
{
    PutWord(bytes, at, value & 0xFFFF);
    PutWord(bytes, at + 2, value >> 16);
}

std::string DescriptorBytes(const Security& security)
{
    std::string owner = standin::SidBytes(security.owner);
    std::string acl(8, '\0');
    for (const Ace& ace : security.dacl) {
        std::string entry(8, '\0');
        entry[0] = static_cast<char>(ace.type);
        entry[1] = static_cast<char>(ace.flags);
        entry += standin::SidBytes(ace.sid);
        PutWord(entry, 2, entry.size());
        PutDword(entry, 4, ace.mask);
        acl += entry;
    }
    acl[0] = 2;
    PutWord(acl, 2, acl.size());
    PutWord(acl, 4, security.dacl.size());
    std::string descriptor(20, '\0');
    descriptor[0] = 1;
    PutWord(descriptor, 2, 0x8000 | (security.hasDacl ? 0x4 : 0));  // self-relative
    PutDword(descriptor, 4, 20);
    descriptor += owner;
    if (security.hasDacl) {
        PutDword(descriptor, 16, descriptor.size());
        descriptor += acl;
    }
    return descriptor;
}

DWORD ReadDword(const BYTE* bytes) { return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24; }

}  // namespace

HANDLE GetCurrentProcess(void) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    if (process != GetCurrentProcess() || (access & TOKEN_QUERY) == 0) return FALSE;
    *token = NewHandle();
    S().tokens[reinterpret_cast<uintptr_t>(*token)] = true;
    return TRUE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, LPVOID information,
                         DWORD length, LPDWORD lengthNeeded)
{
    if (S().tokens.count(reinterpret_cast<uintptr_t>(token)) == 0 || informationClass != TokenUser) {
        return FALSE;
    }
    std::string sid = standin::SidBytes(S().launcherAccount);
    *lengthNeeded = static_cast<DWORD>(sizeof(TOKEN_USER) + sid.size());
    if (length < *lengthNeeded) return FALSE;
    TOKEN_USER* user = static_cast<TOKEN_USER*>(information);
    memcpy(user + 1, sid.data(), sid.size());
    user->User.Sid = user + 1;
    user->User.Attributes = 0;
    return TRUE;
}

BOOL GetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION requested,
                             PSECURITY_DESCRIPTOR descriptor, DWORD length, LPDWORD lengthNeeded)
{
    auto open = S().openFiles.find(reinterpret_cast<uintptr_t>(object));
    if (open == S().openFiles.end() || (open->second.asked.access & READ_CONTROL) == 0 ||
        requested != (OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION)) {
        return FALSE;
    }
    auto node = S().nodes.find(open->second.resolved);
    if (node == S().nodes.end() || !node->second.security.readable) return FALSE;
    std::string bytes = DescriptorBytes(node->second.security);
    *lengthNeeded = static_cast<DWORD>(bytes.size());
    if (length < bytes.size()) return FALSE;
    memcpy(descriptor, bytes.data(), bytes.size());
    return TRUE;
}

BOOL GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID* owner, BOOL* defaulted)
{
    BYTE* bytes = static_cast<BYTE*>(descriptor);
    DWORD offset = ReadDword(bytes + 4);
    *owner = offset == 0 ? nullptr : bytes + offset;
    *defaulted = FALSE;
    return TRUE;
}

BOOL GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL* present, PACL* dacl,
                               BOOL* defaulted)
{
    BYTE* bytes = static_cast<BYTE*>(descriptor);
    DWORD offset = ReadDword(bytes + 16);
    *present = (bytes[2] & 0x4) != 0;
    *dacl = offset == 0 ? nullptr : reinterpret_cast<PACL>(bytes + offset);
    *defaulted = FALSE;
    return TRUE;
}

BOOL GetAce(PACL acl, DWORD index, LPVOID* ace)
{
    if (index >= acl->AceCount) return FALSE;
    BYTE* entry = reinterpret_cast<BYTE*>(acl + 1);
    for (DWORD i = 0; i < index; ++i) entry += reinterpret_cast<ACE_HEADER*>(entry)->AceSize;
    *ace = entry;
    return TRUE;
}

// "\\?\C:\..." or "\\?\UNC\server\share\...", as the system gives it, in the tree's capitals.
DWORD GetFinalPathNameByHandleA(HANDLE file, LPSTR path, DWORD size, DWORD flags)
{
    auto open = S().openFiles.find(reinterpret_cast<uintptr_t>(file));
    if (open == S().openFiles.end() || flags != 0) return 0;
    const std::string& resolved = open->second.resolved;
    std::string final = resolved.compare(0, 2, "\\\\") == 0 ? "\\\\?\\UNC\\" + resolved.substr(2)
                                                             : "\\\\?\\" + resolved;
    if (final.size() + 1 > size) return static_cast<DWORD>(final.size() + 1);
    memcpy(path, final.c_str(), final.size() + 1);
    return static_cast<DWORD>(final.size());
}
