#include "stand_in_machine.h"

#include <shlobj.h>

namespace standin {
namespace machine {

std::string CurrentUserShellFolders() { return "HKCU\\" + kUserShellFolders; }
std::string ShellFoldersOf(const User& loggedOnUser) { return "HKU\\" + loggedOnUser.sid + "\\" + kUserShellFolders; }

// Folders without a folder number are named in the user's settings; the profiles in the list.
// bob has his Documents moved out of his profile and, for Downloads, deeper into it.
const std::vector<RegistryValue> kRegistryValues = {
    {CurrentUserShellFolders(), kDownloadsValue, REG_EXPAND_SZ, "%USERPROFILE%\\Downloads"},
    {kProfileList, "ProfilesDirectory", REG_EXPAND_SZ, "%SystemDrive%\\Users"},
    {kProfileList + "\\" + kSystem.sid, "ProfileImagePath", REG_EXPAND_SZ, "%SystemRoot%\\system32\\config\\systemprofile"},
    {kProfileList + "\\" + kTess.sid, "ProfileImagePath", REG_SZ, kTess.profile},
    {kProfileList + "\\" + kBob.sid, "ProfileImagePath", REG_SZ, kBob.profile},
    {ShellFoldersOf(kBob), "Personal", REG_SZ, "D:\\Bob\\Documents"},
    {ShellFoldersOf(kBob), kDownloadsValue, REG_EXPAND_SZ, "%USERPROFILE%\\OneDrive\\Documents"},
};
const std::vector<std::string> kEmptyKeys = {"HKU\\" + kBob.sid + "_Classes"};

const std::vector<std::string> kFolders = {
    "C:\\", "C:\\Windows\\system32", "C:\\Windows\\SysWOW64", "C:\\Program Files\\Common Files",
    "C:\\Program Files (x86)\\Common Files", "C:\\ProgramData", "C:\\Users\\tess\\Desktop",
    "C:\\Users\\tess\\Documents", "C:\\Users\\Public\\Desktop", "C:\\Users\\Public\\Documents",
    "C:\\Users\\tess\\AppData\\Roaming", "C:\\Users\\tess\\AppData\\Local\\Programs",
    "C:\\Users\\tess\\Downloads", "C:\\Users\\tess\\Music", "C:\\Users\\tess\\Favorites",
    "C:\\Users\\alice\\Documents", "C:\\Users\\Default", kSystem.profile,
    kCurrentFolder, "D:\\", "D:\\Bob\\Documents", "C:\\Users\\bob\\OneDrive\\Documents"};
const std::vector<std::pair<std::string, std::string>> kJunctions = {{"C:\\Users\\All Users", "C:\\ProgramData"}};

// What a 32-bit program is told on 64-bit Windows: the 32-bit Program Files in both lookups.
const std::vector<std::pair<int, std::string>> kFolderNumbers = {
    {CSIDL_WINDOWS, "C:\\Windows"},
    {CSIDL_SYSTEM, "C:\\Windows\\system32"},
    {CSIDL_SYSTEMX86, "C:\\Windows\\SysWOW64"},
    {CSIDL_PROGRAM_FILES, "C:\\Program Files (x86)"},
    {CSIDL_PROGRAM_FILESX86, "C:\\Program Files (x86)"},
    {CSIDL_PROGRAM_FILES_COMMON, "C:\\Program Files (x86)\\Common Files"},
    {CSIDL_PROGRAM_FILES_COMMONX86, "C:\\Program Files (x86)\\Common Files"},
    {CSIDL_COMMON_APPDATA, "C:\\ProgramData"},
    {CSIDL_PROFILE, kTess.profile},
    {CSIDL_DESKTOPDIRECTORY, "C:\\Users\\tess\\Desktop"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, "C:\\Users\\Public\\Desktop"},
    {CSIDL_PERSONAL, "C:\\Users\\tess\\Documents"},
    {CSIDL_APPDATA, "C:\\Users\\tess\\AppData\\Roaming"},
    {CSIDL_LOCAL_APPDATA, "C:\\Users\\tess\\AppData\\Local"},
    {CSIDL_MYMUSIC, "C:\\Users\\tess\\Music"},
    {CSIDL_FAVORITES, "C:\\Users\\tess\\Favorites"},
    {CSIDL_COMMON_DOCUMENTS, "C:\\Users\\Public\\Documents"},
};
const std::vector<std::pair<std::string, std::string>> kEnvironment = {
    {"PROGRAMW6432", "C:\\Program Files"},
    {"COMMONPROGRAMW6432", "C:\\Program Files\\Common Files"},
    {"USERPROFILE", kTess.profile},
    {"SYSTEMDRIVE", "C:"},
    {"SYSTEMROOT", "C:\\Windows"}};

const std::vector<std::string> kProtectedFolders = {
    "C:\\Windows", "C:\\Windows\\system32", "C:\\Windows\\SysWOW64", "C:\\Program Files",
    "C:\\Program Files\\Common Files", "C:\\Program Files (x86)",
    "C:\\Program Files (x86)\\Common Files", "C:\\ProgramData", "C:\\Users", "C:\\Users\\tess",
    "C:\\Users\\tess\\Desktop", "C:\\Users\\tess\\Documents", "C:\\Users\\Public\\Desktop",
    "C:\\Users\\Public\\Documents", "C:\\Users\\tess\\AppData", "C:\\Users\\tess\\AppData\\Roaming",
    "C:\\Users\\tess\\AppData\\Local", "C:\\Users\\tess\\Downloads", "C:\\Users\\tess\\Music",
    "C:\\Users\\tess\\Favorites", "C:\\Users\\alice", "C:\\Users\\Public", "C:\\Users\\Default",
    "C:\\Users\\bob", "C:\\Users\\bob\\OneDrive\\Documents", "D:\\Bob", "D:\\Bob\\Documents",
    kSystem.profile};
const std::vector<std::string> kProfiles = {kTess.profile, kAlice.profile, "C:\\Users\\Public",
                                            "C:\\Users\\Default", kBob.profile, kSystem.profile};

}  // namespace machine
}  // namespace standin
