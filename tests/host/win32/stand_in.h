// Test-side control of the Win32 stand-in: an in-memory registry, scripted child processes,
// recorded message boxes, a small file tree and a settable ANSI code page.
#ifndef HOST_STAND_IN_H
#define HOST_STAND_IN_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "stand_in_machine.h"

namespace standin {

// How a scripted child behaves once started.
struct ProgramScript {
    bool startFails = false;
    int waitSlices = 0;                    // waits that time out before it ends
    bool waitFails = false;                // the first wait fails instead
    std::vector<std::string> deletesKeys;  // keys the child removes as it ends
    std::function<void()> atEnd;
};

struct FileOpen {
    std::string path;
    DWORD access = 0;
    DWORD shareMode = 0;
    DWORD disposition = 0;
    DWORD flags = 0;
};

struct ProcessStart {
    bool hasApplication = false;
    std::string application;
    std::string commandLine;
    DWORD startupSize = 0;
    bool startupOtherwiseZero = false;
    bool securityAttributesNull = false;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = 0;
    bool environmentNull = false;
    bool currentDirectoryNull = false;
    std::vector<FileOpen> openFiles;  // what the program held open as it asked
};

struct MessageBoxRecord {
    bool ownerNull = false;
    std::string text;
    bool captionNull = false;
    UINT type = 0;
};

struct ShellRequest {
    bool ownerNull = false;
    UINT operation = 0;
    std::string sourceList;  // up to and including the list's final NUL
    bool destinationNull = false;
    WORD flags = 0;
    BOOL aborted = FALSE;
    bool mappingsNull = false;
    bool titleNull = false;
};

struct KeyOpen {
    std::string path;
    DWORD options = 0;
    REGSAM access = 0;
    LONG result = 0;
};

// Security of a file or folder: its owner and its DACL's entries, accounts as SID text.
struct Ace {
    std::string sid;
    DWORD mask = 0;
    BYTE flags = 0;  // OBJECT_INHERIT_ACE, INHERIT_ONLY_ACE, ...
    BYTE type = ACCESS_ALLOWED_ACE_TYPE;
};

struct Security {
    std::string owner = "S-1-5-32-544";
    std::vector<Ace> dacl;
    bool hasDacl = true;   // false: no DACL at all, which lets anyone do anything
    bool readable = true;  // false: reading it fails
};

// Back to a fresh machine, the one stand_in_machine.h describes; code page 1252.
void Reset();

void SetCodePage(UINT codePage);  // 1252 or 932
void SetCommandLine(const std::string& commandLine);

// Registry below HKEY_LOCAL_MACHINE, or below HKEY_CURRENT_USER and HKEY_USERS as "HKCU\..."
// and "HKU\..."; names are case-insensitive as on Windows. A key's parents exist with it.
void AddKey(const std::string& path);
void SetValue(const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes);
void SetString(const std::string& path, const std::string& name, const std::string& text);
void DeleteKey(const std::string& path);
bool KeyExists(const std::string& path);
void FailKeyOpen(const std::string& path, LONG error);  // opens of this key fail with `error`
const std::vector<KeyOpen>& KeyOpens();
int OpenKeyCount();
int UnknownHandleCloses();

// Processes: a command line without a script does not start.
void ScriptProgram(const std::string& commandLine, const ProgramScript& script);
const std::vector<ProcessStart>& Starts();
const std::vector<DWORD>& WaitTimeouts();
int OpenProcessHandleCount();

const std::vector<MessageBoxRecord>& MessageBoxes();

// The process's window station: one a user sees (the default), one nobody sees (a service's),
// one whose flags cannot be read, or a visible one in session 0, which no user sees either.
enum class WindowStation { Visible, Invisible, Unreadable, VisibleInSessionZero };
void SetWindowStation(WindowStation station);

// The Application event log: every record reported, with the source it went through. Open
// sources and environment blocks count as open handles.
struct EventRecord {
    bool serverNull = false;  // this machine's log
    std::string source;
    WORD type = 0;
    WORD category = 0;
    DWORD id = 0;
    bool sidNull = false;
    std::vector<std::string> strings;
    DWORD dataSize = 0;
    bool dataNull = false;
};
const std::vector<EventRecord>& EventRecords();

// Files: paths are absolute and case-insensitive; parents are created as needed.
void AddFolder(const std::string& path);
void AddFile(const std::string& path);
void AddJunction(const std::string& path, const std::string& target);
void AddFileLink(const std::string& path, const std::string& target);
bool Exists(const std::string& path);
void SetFolderPath(int csidl, const std::string& path);  // "" makes the lookup fail
void SetEnvironment(const std::string& name, const std::string& value);
void SetShellResult(int result);  // non-zero: the shell fails and deletes nothing
const std::vector<FileOpen>& FileOpens();
// Where each file call went, through links, as folded paths: the folder searched for a listing
// or a single entry. "R:" is a network drive; "\\server\share" paths are other machines.
const std::vector<std::string>& ReachedPaths();
const std::vector<ShellRequest>& ShellRequests();
const std::vector<std::string>& RemoveDirectoryCalls();
int OpenFileHandleCount();

// Unless set, everything is owned by Administrators, who and SYSTEM have full control; Users may
// read, and CREATOR OWNER gets full control of what is made inside.
Security DefaultSecurity();
void SetSecurity(const std::string& path, const Security& security);
// The account the program runs as; machine::kTess unless set.
void SetLauncherAccount(const std::string& sid);
// The account LookupAccountSidA names for `sid`; an account never named here is not found.
void SetAccountName(const std::string& sid, const std::string& domain, const std::string& name);
// "S-1-5-32-544" as the system stores it.
std::string SidBytes(const std::string& text);
// Called at each CreateFileA before it looks at the tree, and as the shell starts deleting: lets
// a test change the tree between the program's steps, or look at what it holds open.
void SetFileOpenHook(std::function<void(const FileOpen&)> hook);
void SetShellHook(std::function<void()> hook);
// Open file handles: (path as asked, access, sharing) of each.
std::vector<FileOpen> OpenFiles();
// Key enumerations that kept failing past any sane number of calls (a loop that never ends).
int RunawayEnumerations();
void FailKeyEnumeration(const std::string& path, LONG error);

// Whether kernel32 has SetDefaultDllDirectories (true, as on any current Windows).
void SetDefaultDllDirectoriesAvailable(bool available);

// Everything the program did, in order: "open KEY", "close KEY", "start CMD", "end CMD",
// "box TEXT", "record TEXT", "shell LIST", "rmdir PATH", "dll directories FLAGS" (hex), "exit CODE".
const std::vector<std::string>& Events();

// The file tree as it stands, by folded path as the system resolves it; for whole-tree checks.
struct TreeEntry {
    std::string path;
    bool folder = true;
    std::string junctionTarget;  // resolved, non-empty for a junction
};
std::vector<TreeEntry> Tree();
// Where the file calls take `path`: through junctions, and through a final one if `followLast`.
std::string ResolvedPath(const std::string& path, bool followLast);
// The folder that holds `path` (resolved), "" for none.
std::string ParentPath(const std::string& path);
// Whether `ancestor` (resolved) is a folder above `path` (resolved).
bool IsAncestorPath(const std::string& ancestor, const std::string& path);

}  // namespace standin

#endif
