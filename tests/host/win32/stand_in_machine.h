// The machine the stand-in is after Reset(): its users, their settings and folders, and which of
// those folders the launcher must never clear. Reset() builds it from here; tests name it from here.
// All inline in this header, so that constants other files make from these are made after them.
#ifndef HOST_STAND_IN_MACHINE_H
#define HOST_STAND_IN_MACHINE_H

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

namespace standin {
namespace machine {

struct User {
    std::string name, sid, profile;
};
// tess runs the launcher: HKCU and the process's folder numbers are hers. bob is logged on too,
// his settings loaded under HKU. alice has only a profile folder: nothing lists her.
inline const User kTess = {"tess", "S-1-5-21-1-2-3-1001", "C:\\Users\\tess"};
inline const User kAlice = {"alice", "", "C:\\Users\\alice"};
inline const User kBob = {"bob", "S-1-5-21-1-2-3-1003", "C:\\Users\\bob"};
inline const User kSystem = {"SYSTEM", "S-1-5-18", "C:\\Windows\\system32\\config\\systemprofile"};

inline const std::string kUninstallRoot = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const std::string kUserShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline const std::string kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline const std::string kDownloadsValue = "{374DE290-123F-4565-9164-39C4925E467B}";  // it has no folder number
inline const std::string kCurrentFolder = "C:\\Work\\Current";  // the current folder of drive C:
inline std::string CurrentUserShellFolders() { return "HKCU\\" + kUserShellFolders; }
inline std::string ShellFoldersOf(const User& loggedOnUser) { return "HKU\\" + loggedOnUser.sid + "\\" + kUserShellFolders; }

// Folders without a folder number are named in the user's settings; the profiles in the list.
// bob has his Documents moved out of his profile and, for Downloads, deeper into it.
struct RegistryValue {
    std::string key, name;
    DWORD type;
    std::string text;  // stored with its NUL
};
inline const std::vector<RegistryValue> kRegistryValues = {
    {CurrentUserShellFolders(), kDownloadsValue, REG_EXPAND_SZ, "%USERPROFILE%\\Downloads"},
    {kProfileList, "ProfilesDirectory", REG_EXPAND_SZ, "%SystemDrive%\\Users"},
    {kProfileList + "\\" + kSystem.sid, "ProfileImagePath", REG_EXPAND_SZ, "%SystemRoot%\\system32\\config\\systemprofile"},
    {kProfileList + "\\" + kTess.sid, "ProfileImagePath", REG_SZ, kTess.profile},
    {kProfileList + "\\" + kBob.sid, "ProfileImagePath", REG_SZ, kBob.profile},
    {ShellFoldersOf(kBob), "Personal", REG_SZ, "D:\\Bob\\Documents"},
    {ShellFoldersOf(kBob), kDownloadsValue, REG_EXPAND_SZ, "%USERPROFILE%\\OneDrive\\Documents"}};
inline const std::vector<std::string> kEmptyKeys = {"HKU\\" + kBob.sid + "_Classes"};

inline const std::vector<std::string> kFolders = {
    "C:\\", "C:\\Windows\\system32", "C:\\Windows\\SysWOW64", "C:\\Program Files\\Common Files",
    "C:\\Program Files (x86)\\Common Files", "C:\\ProgramData", "C:\\Users\\tess\\Desktop",
    "C:\\Users\\tess\\Documents", "C:\\Users\\Public\\Desktop", "C:\\Users\\Public\\Documents",
    "C:\\Users\\tess\\AppData\\Roaming", "C:\\Users\\tess\\AppData\\Local\\Programs",
    "C:\\Users\\tess\\Downloads", "C:\\Users\\tess\\Music", "C:\\Users\\tess\\Favorites",
    "C:\\Users\\alice\\Documents", "C:\\Users\\Default", kSystem.profile, kCurrentFolder, "D:\\",
    "D:\\Bob\\Documents", "C:\\Users\\bob\\OneDrive\\Documents"};
inline const std::vector<std::pair<std::string, std::string>> kJunctions = {{"C:\\Users\\All Users", "C:\\ProgramData"}};
// What a 32-bit program is told on 64-bit Windows: the 32-bit Program Files in both lookups.
inline const std::vector<std::pair<int, std::string>> kFolderNumbers = {
    {CSIDL_WINDOWS, "C:\\Windows"}, {CSIDL_SYSTEM, "C:\\Windows\\system32"}, {CSIDL_SYSTEMX86, "C:\\Windows\\SysWOW64"},
    {CSIDL_PROGRAM_FILES, "C:\\Program Files (x86)"}, {CSIDL_PROGRAM_FILESX86, "C:\\Program Files (x86)"},
    {CSIDL_PROGRAM_FILES_COMMON, "C:\\Program Files (x86)\\Common Files"},
    {CSIDL_PROGRAM_FILES_COMMONX86, "C:\\Program Files (x86)\\Common Files"},
    {CSIDL_COMMON_APPDATA, "C:\\ProgramData"}, {CSIDL_PROFILE, kTess.profile},
    {CSIDL_DESKTOPDIRECTORY, "C:\\Users\\tess\\Desktop"}, {CSIDL_COMMON_DESKTOPDIRECTORY, "C:\\Users\\Public\\Desktop"},
    {CSIDL_PERSONAL, "C:\\Users\\tess\\Documents"}, {CSIDL_APPDATA, "C:\\Users\\tess\\AppData\\Roaming"},
    {CSIDL_LOCAL_APPDATA, "C:\\Users\\tess\\AppData\\Local"}, {CSIDL_MYMUSIC, "C:\\Users\\tess\\Music"},
    {CSIDL_FAVORITES, "C:\\Users\\tess\\Favorites"}, {CSIDL_COMMON_DOCUMENTS, "C:\\Users\\Public\\Documents"}};
inline const std::vector<std::pair<std::string, std::string>> kEnvironment = {
    {"PROGRAMW6432", "C:\\Program Files"}, {"COMMONPROGRAMW6432", "C:\\Program Files\\Common Files"},
    {"USERPROFILE", kTess.profile}, {"SYSTEMDRIVE", "C:"}, {"SYSTEMROOT", "C:\\Windows"}};

// Never cleared or removed: the folders the system or a user's settings name, those holding
// one, and the profiles. Every folder directly inside a profile is protected too.
inline const std::vector<std::string> kProtectedFolders = {
    "C:\\Windows", "C:\\Windows\\system32", "C:\\Windows\\SysWOW64", "C:\\Program Files",
    "C:\\Program Files\\Common Files", "C:\\Program Files (x86)", "C:\\Program Files (x86)\\Common Files",
    "C:\\ProgramData", "C:\\Users", "C:\\Users\\tess", "C:\\Users\\tess\\Desktop", "C:\\Users\\tess\\Documents",
    "C:\\Users\\Public\\Desktop", "C:\\Users\\Public\\Documents", "C:\\Users\\tess\\AppData",
    "C:\\Users\\tess\\AppData\\Roaming", "C:\\Users\\tess\\AppData\\Local", "C:\\Users\\tess\\Downloads",
    "C:\\Users\\tess\\Music", "C:\\Users\\tess\\Favorites", "C:\\Users\\alice", "C:\\Users\\Public",
    "C:\\Users\\Default", "C:\\Users\\bob", "C:\\Users\\bob\\OneDrive\\Documents", "D:\\Bob",
    "D:\\Bob\\Documents", kSystem.profile};
inline const std::vector<std::string> kProfiles = {kTess.profile, kAlice.profile, "C:\\Users\\Public",
                                                   "C:\\Users\\Default", kBob.profile, kSystem.profile};

}  // namespace machine
}  // namespace standin

#endif
