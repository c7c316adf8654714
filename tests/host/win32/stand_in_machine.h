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
extern const User kTess;    // runs the launcher: HKCU and the process's folder numbers are hers
extern const User kAlice;   // has a profile folder, nothing listed: no SID of her own here
extern const User kBob;     // logged on too, his settings loaded under HKU
extern const User kSystem;  // the system's own profile, listed by %SystemRoot%

extern const std::string kUserShellFolders;  // inside a user's hive
extern const std::string kProfileList;       // below HKEY_LOCAL_MACHINE
extern const std::string kDownloadsValue;    // the Downloads folder has no folder number
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

extern const std::string kCurrentFolder;  // the current folder of drive C:
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
