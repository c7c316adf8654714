// Test-side control of the Win32 stand-in: an in-memory registry, scripted child processes,
// recorded message boxes, a small file tree and a settable ANSI code page.
#ifndef HOST_STAND_IN_H
#define HOST_STAND_IN_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace standin {

// How a scripted child behaves once started.
struct ProgramScript {
    bool startFails = false;
    int waitSlices = 0;                    // waits that time out before it ends
    bool waitFails = false;                // the first wait fails instead
    std::vector<std::string> deletesKeys;  // keys the child removes as it ends
    std::function<void()> atEnd;
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

struct FileOpen {
    std::string path;
    DWORD access = 0;
    DWORD shareMode = 0;
    DWORD disposition = 0;
    DWORD flags = 0;
};

// Back to a fresh machine: empty registry, the standard folders, code page 1252.
void Reset();

void SetCodePage(UINT codePage);  // 1252 or 932
void SetCommandLine(const std::string& commandLine);

// Registry below HKEY_LOCAL_MACHINE; names are case-insensitive as on Windows.
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
// or one whose flags cannot be read.
enum class WindowStation { Visible, Invisible, Unreadable };
void SetWindowStation(WindowStation station);

// Files: paths are absolute and case-insensitive; parents are created as needed.
void AddFolder(const std::string& path);
void AddFile(const std::string& path);
void AddJunction(const std::string& path, const std::string& target);
bool Exists(const std::string& path);
void SetFolderPath(int csidl, const std::string& path);  // "" makes the lookup fail
void SetEnvironment(const std::string& name, const std::string& value);
void SetShellResult(int result);  // non-zero: the shell fails and deletes nothing
const std::vector<FileOpen>& FileOpens();
const std::vector<ShellRequest>& ShellRequests();
const std::vector<std::string>& RemoveDirectoryCalls();
int OpenFileHandleCount();

// Whether kernel32 has SetDefaultDllDirectories (true, as on any current Windows).
void SetDefaultDllDirectoriesAvailable(bool available);

// Everything the program did, in order: "open KEY", "close KEY", "start CMD", "end CMD",
// "box TEXT", "shell LIST", "rmdir PATH", "dll directories FLAGS" (hex), "exit CODE".
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
