// The suite's checks, files and folders, uninstall entries and stand-in uninstallers.
#include "harness.h"

#include <shlobj.h>

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

void PutFile(const std::string& path, const std::string& content)
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
// Uninstall entries, written in the suite's own registry view: the one the launcher of the same
// bitness reads (the 32-bit view under WoW64).

std::set<std::string> g_entries;

std::string EntryPath(const std::string& name)
{
    return std::string(kUninstallRoot) + "\\" + name;
}

REGSAM OtherView()
{
    return sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

void SetValue(const std::string& entry, const char* valueName, DWORD type, const void* data,
              DWORD size, REGSAM view)
{
    HKEY key;
    LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0, NULL, 0,
                                  KEY_ALL_ACCESS | view, NULL, &key, NULL);
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

void PutEntry(const std::string& entry, const std::string& uninstallString, REGSAM view)
{
    SetValue(entry, "UninstallString", REG_SZ, uninstallString.c_str(),
             (DWORD)uninstallString.size() + 1, view);
}

void PutTarget(const std::string& targetPath, REGSAM view)
{
    SetValue(kProduct, "TargetPath", REG_SZ, targetPath.c_str(), (DWORD)targetPath.size() + 1,
             view);
}

bool EntryExists(const std::string& entry, REGSAM view)
{
    HKEY key;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0,
                                READ_CONTROL | view, &key);
    if (result == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return result != ERROR_FILE_NOT_FOUND;
}

namespace {

void DeleteEntryIn(const std::string& entry, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), 0,
                      WRITE_DAC | view, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR open;  // undo a stand-in's "deny=": a null access list allows all
        InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&open, TRUE, NULL, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &open);
        RegCloseKey(key);
    }
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, EntryPath(entry).c_str(), view, 0);
}

}  // namespace

void DeleteEntry(const std::string& entry)
{
    DeleteEntryIn(entry, 0);
    DeleteEntryIn(entry, OtherView());
}

// ---------------------------------------------------------------------------------------------
// Stand-in uninstallers

std::string StandIn(const std::string& name, const std::string& more)
{
    return std::string(kStandIn) + " name=" + name + (more.empty() ? "" : " " + more);
}

// The product's uninstaller that removes its entry, as a real one does.
std::string ProductUninstaller(const std::string& more)
{
    return StandIn("P", "delkey=Tessaline" + (more.empty() ? "" : " " + more));
}
