// The machine the stand-in is after Reset(): its users, their settings and folders, and which of
// those folders the launcher must never clear. Reset() builds it from here; tests name it from here.
#ifndef HOST_STAND_IN_MACHINE_H
#define HOST_STAND_IN_MACHINE_H

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace standin {
namespace machine {

struct User {
    std::string name;
    std::string sid;
    std::string profile;
};
// Inline here, so that constants other files make from these are made after them; the lists
// further down are made in stand_in_machine.cpp and are for reading at run time only.
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
std::string CurrentUserShellFolders();                  // "HKCU\...": tess's
std::string ShellFoldersOf(const User& loggedOnUser);  // "HKU\<sid>\..."

struct RegistryValue {
    std::string key;
    std::string name;
    DWORD type;
    std::string text;  // stored with its NUL
};
extern const std::vector<RegistryValue> kRegistryValues;
extern const std::vector<std::string> kEmptyKeys;

extern const std::vector<std::string> kFolders;
extern const std::vector<std::pair<std::string, std::string>> kJunctions;  // path, target
extern const std::vector<std::pair<int, std::string>> kFolderNumbers;      // CSIDL, path
extern const std::vector<std::pair<std::string, std::string>> kEnvironment;

// Never cleared or removed: the folders the system or a user's settings name, those holding
// one, and the profiles. Every folder directly inside a profile is protected too.
extern const std::vector<std::string> kProtectedFolders;
extern const std::vector<std::string> kProfiles;

}  // namespace machine
}  // namespace standin

#endif
