#include "test_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include "actions/folder_safety/folder_names.h"
#include "actions/folder_safety/folder_safety.h"
#include "actions/folder_safety/protected_folders.h"
#include "actions/install_folder_removal.h"

namespace {

namespace machine = standin::machine;

std::string Repeat(const std::string& text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

class FolderRemovalTest : public StandInTest {
protected:
    // Refused by the rule `rule`, which says it concerns `concerns` (unless empty).
    void ExpectRefused(const std::string& path, const std::string& sentinel, int rule,
                       const std::string& concerns = "")
    {
        standin::AddFile(sentinel);
        SafetyVerdict verdict = Judge(path);
        EXPECT_EQ(verdict.rule, rule) << path;
        if (!concerns.empty()) {
            EXPECT_EQ(verdict.concerns, concerns) << path;
        }
        size_t shellCalls = standin::ShellRequests().size();
        size_t removeCalls = standin::RemoveDirectoryCalls().size();
        EXPECT_EQ(RemoveInstallFolder(path.c_str()), 0) << path;
        EXPECT_EQ(standin::ShellRequests().size(), shellCalls) << path;
        EXPECT_EQ(standin::RemoveDirectoryCalls().size(), removeCalls) << path;
        EXPECT_TRUE(standin::Exists(sentinel)) << path;
    }

    static std::vector<std::string> Removed() { return standin::RemoveDirectoryCalls(); }

    // What the rules say of the install folder at `path`, without clearing it.
    static SafetyVerdict Judge(const std::string& path)
    {
        SafetyVerdict verdict;
        char folder[MAX_PATH];
        HANDLE pin = OpenClearableFolder(path.c_str(), folder, &verdict);
        if (pin != INVALID_HANDLE_VALUE) CloseHandle(pin);
        return verdict;
    }
};

TEST_F(FolderRemovalTest, ClearsTheFolderAndPrunesUpToTheFirstNonEmptyParent)
{
    standin::AddFile("C:\\Apps\\keep.txt");
    standin::AddFile("C:\\Apps\\Vendor\\Tess\\tess.exe");
    standin::AddFile("C:\\Apps\\Vendor\\Tess\\readme.txt");

    EXPECT_EQ(RemoveInstallFolder("C:\\Apps\\Vendor\\Tess"), 1);

    ASSERT_EQ(standin::ShellRequests().size(), 1u);
    const standin::ShellRequest& request = standin::ShellRequests()[0];
    EXPECT_TRUE(request.ownerNull);
    EXPECT_EQ(request.operation, static_cast<UINT>(FO_DELETE));
    EXPECT_EQ(request.sourceList, std::string("C:\\Apps\\Vendor\\Tess\\*.*") + std::string(2, '\0'));
    EXPECT_TRUE(request.destinationNull);
    EXPECT_EQ(request.flags, 0x1094);
    EXPECT_EQ(request.aborted, FALSE);
    EXPECT_TRUE(request.mappingsNull);
    EXPECT_TRUE(request.titleNull);

    std::vector<std::string> expected = {"C:\\Apps\\Vendor\\Tess", "C:\\Apps\\Vendor", "C:\\Apps"};
    EXPECT_EQ(Removed(), expected);
    EXPECT_FALSE(standin::Exists("C:\\Apps\\Vendor"));
    EXPECT_TRUE(standin::Exists("C:\\Apps\\keep.txt"));

    // Where nobody could answer it, the shell is asked for no error dialog either.
    using standin::WindowStation;
    for (auto station : {std::make_pair(WindowStation::Invisible, 0x1494),
                         std::make_pair(WindowStation::VisibleInSessionZero, 0x1494),
                         std::make_pair(WindowStation::Unreadable, 0x1094)}) {
        standin::Reset();
        standin::SetWindowStation(station.first);
        standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
        EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 1);
        ASSERT_EQ(standin::ShellRequests().size(), 1u);
        EXPECT_EQ(standin::ShellRequests()[0].flags, station.second);
    }
}

TEST_F(FolderRemovalTest, ProbeOpensTheFolderWithoutAccessOrSharing)
{
    standin::AddFolder("C:\\Tess");
    RemoveInstallFolder("C:\\Tess");
    ASSERT_FALSE(standin::FileOpens().empty());
    const standin::FileOpen& probe = standin::FileOpens()[0];
    EXPECT_EQ(probe.path, "C:\\Tess");
    EXPECT_EQ(probe.access, 0u);
    EXPECT_EQ(probe.shareMode, 0u);
    EXPECT_EQ(probe.disposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(probe.flags, static_cast<DWORD>(FILE_FLAG_BACKUP_SEMANTICS));
}

TEST_F(FolderRemovalTest, MissingFolderOrFileIsLeftAlone)
{
    EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 0);
    standin::AddFile("C:\\Vendor\\Tess.txt");
    EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess.txt"), 0);
    EXPECT_TRUE(standin::ShellRequests().empty());
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess.txt"));
}

TEST_F(FolderRemovalTest, ShellFailureRemovesNoFolder)
{
    standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
    standin::SetShellResult(0x78);
    EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 0);
    EXPECT_TRUE(Removed().empty());
}

TEST_F(FolderRemovalTest, FolderStillHoldingASubfolderStaysAndNoParentIsTouched)
{
    standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
    standin::AddFile("C:\\Vendor\\Tess\\data\\user.db");
    EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess\\"), 1);
    EXPECT_EQ(Removed(), std::vector<std::string>{"C:\\Vendor\\Tess"});
    EXPECT_FALSE(standin::Exists("C:\\Vendor\\Tess\\tess.exe"));
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\data\\user.db"));
}

TEST_F(FolderRemovalTest, PruningStopsBeforeVolumeRoots)
{
    // "C:" alone would name the drive's current folder, here an empty one.
    standin::AddFile("C:\\Tess\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder("C:\\Tess"), 1);
    EXPECT_EQ(Removed(), std::vector<std::string>{"C:\\Tess"});
    EXPECT_TRUE(standin::Exists("C:\\Work\\Current"));

    standin::AddFile("\\\\server\\share\\Tess\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder("\\\\server\\share\\Tess"), 1);
    EXPECT_EQ(Removed().back(), "\\\\server\\share\\Tess");
}

TEST_F(FolderRemovalTest, PruningStopsAtProtectedFoldersAndLinks)
{
    standin::AddFile("C:\\Users\\Public\\Desktop\\Tess\\tess.lnk");
    EXPECT_EQ(RemoveInstallFolder("C:\\Users\\Public\\Desktop\\Tess"), 1);
    EXPECT_EQ(Removed(), std::vector<std::string>{"C:\\Users\\Public\\Desktop\\Tess"});
    EXPECT_TRUE(standin::Exists("C:\\Users\\Public\\Desktop"));

    standin::AddFolder("D:\\Shared");
    standin::AddJunction("C:\\Linked", "D:\\Shared");
    standin::AddFile("C:\\Linked\\Tess\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder("C:\\Linked\\Tess"), 1);
    EXPECT_EQ(Removed().back(), "C:\\Linked\\Tess");
    EXPECT_TRUE(standin::Exists("C:\\Linked"));

    // Each parent kept says why.
    for (const auto& kept : std::vector<std::pair<const char*, int>>{
             {"C:\\Users\\Public\\Desktop", SAFETY_NAMED_FOLDER}, {"C:\\Linked", SAFETY_LINK},
             {"C:", SAFETY_PATH_FORM}, {"C:\\Users\\tess", SAFETY_PROFILE}}) {
        SafetyVerdict verdict;
        EXPECT_FALSE(MayRemoveEmptyParent(kept.first, &verdict)) << kept.first;
        EXPECT_EQ(verdict.rule, kept.second) << kept.first;
    }
    SafetyVerdict verdict;
    EXPECT_TRUE(MayRemoveEmptyParent("C:\\Work\\Current", &verdict));
    EXPECT_EQ(verdict.rule, SAFETY_ALLOWED);
}

TEST_F(FolderRemovalTest, PathsThatAreNotAnAbsoluteFolderBelowARootAreRefused)
{
    const std::string sentinel = "C:\\Work\\Current\\Tess\\sentinel.txt";
    for (const char* path : {
             "", "Tess", "Work\\Current\\Tess", "\\Work\\Current\\Tess", "C:Tess", "C:", "C:\\",
             "C:\\\\", "\\\\server\\share", "\\\\server\\share\\", "\\\\server",
             "C:\\Work\\Current\\..\\Current\\Tess", "C:\\Work\\.\\Current\\Tess",
             "C:\\Work\\Current\\Tess\\..", "C:\\Work\\Current\\T*", "C:\\Work\\Current\\Tes?",
             "C:/Work/Current/Tess", "C:\\Work\\Current\\Tess.", "C:\\Work\\Current\\Tess ",
             "C:\\Work\\Current\\Tess::$DATA", "\\\\?\\C:\\Work\\Current\\Tess",
             "\\\\.\\C:\\Work\\Current\\Tess", "C:\\Work\\\\Current\\Tess", "1:\\Work\\Current\\Tess",
         }) {
        ExpectRefused(path, sentinel, SAFETY_PATH_FORM, path);
    }
    EXPECT_TRUE(standin::FileOpens().empty()) << "refused before touching the disk";
}

TEST_F(FolderRemovalTest, PathTooLongForTheShellListIsRefused)
{
    std::string fits = "C:\\" + std::string(251, 'f');
    std::string tooLong = "C:\\" + std::string(252, 'l');
    ASSERT_EQ(fits.size(), 254u);
    ExpectRefused(tooLong, tooLong + "\\sentinel.txt", SAFETY_PATH_FORM);
    standin::AddFile(fits + "\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder(fits.c_str()), 1);
    EXPECT_EQ(RemoveInstallFolder(std::string(300, 'C').c_str()), 0);
}

TEST_F(FolderRemovalTest, SystemAndShellFoldersAreNeverCleared)
{
    const std::pair<int, std::vector<const char*>> groups[] = {
        {SAFETY_WINDOWS_FOLDER,
         {"C:\\Windows", "c:\\windows\\", "C:\\Windows\\system32", "C:\\Windows\\SysWOW64",
          "C:\\Windows\\Fonts"}},
        // Every folder the system or the user's settings name, and the folders holding one.
        {SAFETY_NAMED_FOLDER,
         {"C:\\Program Files", "C:\\Program Files\\", "C:\\Program Files (x86)",
          "C:\\Program Files\\Common Files", "C:\\Program Files (x86)\\Common Files",
          "C:\\ProgramData", "C:\\USERS\\TESS\\DESKTOP", "C:\\Users\\tess\\Documents",
          "C:\\Users\\Public\\Desktop", "C:\\Users\\Public\\Documents",
          "C:\\Users\\tess\\Downloads", "C:\\Users\\tess\\Music", "C:\\Users\\tess\\Favorites",
          "C:\\Users\\tess\\AppData\\Roaming", "C:\\Users\\tess\\AppData",
          "C:\\Users\\tess\\AppData\\Local",
          // Those another user who is logged on has, wherever they were moved.
          "D:\\Bob\\Documents", "D:\\Bob", "C:\\Users\\bob\\OneDrive\\Documents"}},
        // Every profile and profiles root, and every folder directly inside a profile.
        {SAFETY_PROFILE,
         {"C:\\Users", "C:\\Users\\tess", "C:\\Users\\alice", "C:\\Users\\Public",
          "C:\\Users\\Default", "C:\\Users\\alice\\Documents", "C:\\Users\\tess\\Anything",
          "C:\\Windows\\system32\\config\\systemprofile"}},
    };
    for (const auto& group : groups) {
        for (const char* path : group.second) {
            ExpectRefused(path, std::string(path) + "\\sentinel.txt", group.first);
        }
    }
    // What a refusal names: the protected folder it is or holds, and whose settings name it.
    EXPECT_STREQ(Judge("C:\\Users\\tess\\AppData").concerns, "C:\\Users\\tess\\AppData\\Roaming");
    EXPECT_STREQ(Judge("C:\\Users\\tess\\AppData").whose, "");
    EXPECT_STREQ(Judge("D:\\Bob").concerns, "D:\\Bob\\Documents");
    EXPECT_EQ(Judge("D:\\Bob").whose, machine::kBob.sid);
    EXPECT_STREQ(Judge("C:\\Users\\tess\\Downloads").whose, "HKEY_CURRENT_USER");
    EXPECT_STREQ(Judge("C:\\Users\\alice\\Documents").concerns, "C:\\Users\\alice");
    EXPECT_STREQ(Judge("C:\\Windows\\Fonts").concerns, "C:\\Windows");
}

TEST_F(FolderRemovalTest, InstallFoldersAmongUserFoldersAreStillCleared)
{
    const struct {
        const char* folder;
        std::vector<std::string> removed;  // the folder, then each emptied parent
    } cases[] = {
        {"C:\\Program Files (x86)\\Vendor\\Tess", {"C:\\Program Files (x86)\\Vendor\\Tess", "C:\\Program Files (x86)\\Vendor"}},
        {"C:\\Users\\tess\\AppData\\Local\\Programs\\Tess",
         {"C:\\Users\\tess\\AppData\\Local\\Programs\\Tess", "C:\\Users\\tess\\AppData\\Local\\Programs"}},
        {"C:\\Users\\tess\\Downloads\\Tess", {"C:\\Users\\tess\\Downloads\\Tess"}},
        {"C:\\Users\\tess\\Anything\\Tess", {"C:\\Users\\tess\\Anything\\Tess"}},
        {"C:\\ProgramData\\Tess", {"C:\\ProgramData\\Tess"}},
    };
    for (const auto& item : cases) {
        standin::Reset();
        standin::AddFile(std::string(item.folder) + "\\tess.exe");
        EXPECT_EQ(RemoveInstallFolder(item.folder), 1) << item.folder;
        EXPECT_EQ(Removed(), item.removed) << item.folder;
    }
}

TEST_F(FolderRemovalTest, WhenTheProtectedFoldersCannotAllBeKnownNothingIsCleared)
{
    const std::string shellFolders = machine::CurrentUserShellFolders();
    // Each case names the lookup that could not be finished.
    auto expectIncomplete = [this](const char* lookup) {
        ExpectRefused("C:\\Vendor\\Tess", "C:\\Vendor\\Tess\\tess.exe", SAFETY_INCOMPLETE);
        EXPECT_STREQ(Judge("C:\\Vendor\\Tess").lookup, lookup);
    };
    standin::SetString(shellFolders, "Huge", "C:\\" + std::string(300, 'h'));
    expectIncomplete("the shell folder settings in HKEY_CURRENT_USER");

    // A value whose expansion is reported as fitting but has no terminator within the buffer.
    standin::Reset();
    standin::SetCodePage(932);
    standin::SetEnvironment("PROCESSOR_IDENTIFIER", "Intel64 Family 6 Model 158 Stepping 10, Gen");
    standin::SetValue(machine::ShellFoldersOf(machine::kBob), "Personal", REG_EXPAND_SZ,
                      "C:\\" + Repeat("\x88\x9f", 115) + "%PROCESSOR_IDENTIFIER%" + '\0');
    expectIncomplete("a user's shell folder settings in HKEY_USERS");

    standin::Reset();
    for (int i = 0; i <= MOST_PROFILES; ++i) standin::AddFolder("C:\\Users\\user" + std::to_string(i));
    expectIncomplete("filling the tables of protected folders");

    // The users logged on, one user's settings, or the profile list cannot be listed or read.
    const struct {
        std::string key;
        bool listing;
        const char* lookup;
    } failures[] = {
        {"HKU", true, "the users logged on"},
        {machine::ShellFoldersOf(machine::kBob), false,
         "a user's shell folder settings in HKEY_USERS"},
        {machine::kProfileList, true, "the profile list"},
    };
    for (const auto& failure : failures) {
        standin::Reset();
        if (failure.listing) {
            standin::FailKeyEnumeration(failure.key, ERROR_KEY_DELETED);
        } else {
            standin::FailKeyOpen(failure.key, ERROR_ACCESS_DENIED);
        }
        expectIncomplete(failure.lookup);
    }
}

// A Remote Desktop host: 50 other users logged on, each with the values Windows writes, and
// 1,000 profiles listed.
TEST_F(FolderRemovalTest, AMachineWithManyUsersStillClearsAnOrdinaryFolder)
{
    const std::string shellFolders = machine::kUserShellFolders;
    const std::string profileList = machine::kProfileList + "\\S-1-5-21-5-";
    const char* const values[] = {
        "AppData", "Cache", "Cookies", "Desktop", "Favorites", "History", "Local AppData",
        "My Music", "My Pictures", "My Video", "NetHood", "Personal", "PrintHood", "Programs",
        "Recent", "SendTo", "Start Menu", "Startup", "Templates", "{374DE290-123F-4565-9164-39C4925E467B}",
        "{56784854-C6CB-462B-8169-88E350ACB882}", "{BFB9D5E0-C6A9-404C-B2B2-AE6DB6AF4968}",
        "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", "{7D1D3A04-DEBB-4115-95CF-2F29DA2920DA}",
        "{A520A1A4-1780-4FF6-BD18-167343C5AF16}", "{00BCFC5A-ED94-4E48-96A1-3F6217F21990}"};
    for (int user = 0; user < 1000; ++user) {
        std::string sid = profileList + std::to_string(user);
        std::string profile = "C:\\Users\\staff" + std::to_string(user);
        standin::SetString(sid, "ProfileImagePath", profile);
        standin::AddFolder(profile);
        if (user >= 50) continue;
        for (const char* value : values) {
            standin::SetValue("HKU\\" + sid.substr(sid.rfind('\\') + 1) + "\\" + shellFolders, value,
                              REG_EXPAND_SZ, std::string("%USERPROFILE%\\AppData\\Roaming\\") + value + "\\Folder" + '\0');
        }
        standin::SetString("HKU\\" + sid.substr(sid.rfind('\\') + 1) + "\\" + shellFolders, "Moved",
                           "D:\\Moved\\staff" + std::to_string(user) + "\\Documents");
    }
    standin::AddFile("C:\\Program Files (x86)\\Vendor\\Tess\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder("C:\\Program Files (x86)\\Vendor\\Tess"), 1);
    ExpectRefused("C:\\Users\\staff999", "C:\\Users\\staff999\\keep.txt", SAFETY_PROFILE);
    for (const char* kept : {"D:\\Moved\\staff49\\Documents", "D:\\Moved\\staff0",
                             "C:\\Users\\staff49\\AppData\\Roaming\\Templates\\Folder"}) {
        ExpectRefused(kept, std::string(kept) + "\\keep.txt", SAFETY_NAMED_FOLDER);
    }
}

// Every user may write their own settings: what they name is never opened off this machine, nor
// through a link, which could lead there. Such a path still keeps, as text, what holds it.
TEST_F(FolderRemovalTest, FoldersUsersNameAreNeverOpenedOnAnotherMachine)
{
    const std::string bob = machine::ShellFoldersOf(machine::kBob);
    auto reachedAnotherMachine = [] {
        for (const std::string& path : standin::ReachedPaths()) {
            if (path.compare(0, 2, "\\\\") == 0 || path.compare(0, 2, "R:") == 0) return true;
        }
        return false;
    };
    for (const char* remote : {"\\\\acc-remote-host\\share\\docs", "R:\\Docs", "\\\\?\\C:\\Users\\bob\\Docs",
                               "\\\\.\\pipe\\docs", "//acc-remote-host/share/docs"}) {
        standin::Reset();
        standin::SetString(bob, "Personal", remote);
        standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
        EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 1) << remote;
        EXPECT_FALSE(reachedAnotherMachine()) << remote;
    }
    standin::Reset();
    standin::SetString(bob, "Personal", "\\\\acc-remote-host\\share\\docs");
    standin::AddFolder("\\\\acc-remote-host\\share\\docs");
    ExpectRefused("\\\\acc-remote-host\\share\\docs", "\\\\acc-remote-host\\share\\docs\\thesis.doc",
                  SAFETY_NAMED_FOLDER);
    EXPECT_EQ(Judge("\\\\acc-remote-host\\share\\docs").whose, machine::kBob.sid);

    // A link on the way is not followed: what it names is kept by its text.
    standin::Reset();
    standin::AddJunction("C:\\Users\\bob\\Remote", "\\\\acc-remote-host\\share");
    standin::AddFolder("\\\\acc-remote-host\\share\\docs");
    standin::SetString(bob, "Personal", "C:\\Users\\bob\\Remote\\docs");
    standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 1);
    EXPECT_FALSE(reachedAnotherMachine());
}

TEST_F(FolderRemovalTest, LinksCannotDisguiseAProtectedFolder)
{
    standin::AddJunction("C:\\Alias", "C:\\Windows");
    standin::AddJunction("C:\\Vendor\\Tess", "D:\\Data");
    ExpectRefused("C:\\Alias\\system32", "C:\\Windows\\system32\\kernel32.dll", SAFETY_WINDOWS_FOLDER);
    ExpectRefused("C:\\Alias\\Temp", "C:\\Windows\\Temp\\keep.tmp", SAFETY_WINDOWS_FOLDER);
    ExpectRefused("C:\\Alias", "C:\\Windows\\win.ini", SAFETY_LINK);
    ExpectRefused("C:\\Vendor\\Tess", "D:\\Data\\thesis.doc", SAFETY_LINK);

    // The profiles root is found from the user's own profile, wherever it lies.
    standin::SetFolderPath(CSIDL_PROFILE, "D:\\Homes\\tess");
    standin::AddFolder("D:\\Homes\\tess");
    ExpectRefused("D:\\Homes", "D:\\Homes\\other.txt", SAFETY_PROFILE);

    // The user's own Downloads, moved to another drive, and the folder that holds it.
    standin::SetString(machine::CurrentUserShellFolders(), machine::kDownloadsValue, "D:\\Media\\Downloads");
    ExpectRefused("D:\\Media\\Downloads", "D:\\Media\\Downloads\\setup.exe", SAFETY_NAMED_FOLDER);
    ExpectRefused("D:\\Media", "D:\\Media\\cover.jpg", SAFETY_NAMED_FOLDER, "D:\\Media\\Downloads");
    standin::SetString(machine::CurrentUserShellFolders(),
                       "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", "D:\\Media\\Saves.\\");
    ExpectRefused("D:\\Media\\Saves", "D:\\Media\\Saves\\slot1.sav", SAFETY_NAMED_FOLDER);

    // A named folder that is a link protects where it leads, and the folders that hold that.
    standin::AddFolder("D:\\Songs\\Music");
    standin::AddJunction("C:\\Users\\tess\\Music\\Library", "D:\\Songs\\Music");
    standin::SetFolderPath(CSIDL_MYMUSIC, "C:\\Users\\tess\\Music\\Library");
    ExpectRefused("D:\\Songs\\Music", "D:\\Songs\\Music\\song.mp3", SAFETY_NAMED_FOLDER);
    ExpectRefused("D:\\Songs", "D:\\Songs\\cover.jpg", SAFETY_NAMED_FOLDER);

    // Another user's profile, listed wherever it lies, or reached through a link.
    standin::SetString(machine::kProfileList + "\\S-1-5-21-9", "ProfileImagePath", "E:\\Staff\\bob");
    standin::AddFile("E:\\Staff\\bob\\Downloads\\setup.exe");
    ExpectRefused("E:\\Staff\\bob\\Downloads", "E:\\Staff\\bob\\Downloads\\setup.exe", SAFETY_PROFILE, "E:\\Staff\\bob");
    ExpectRefused("E:\\Staff", "E:\\Staff\\roster.txt", SAFETY_NAMED_FOLDER);
    standin::AddJunction("C:\\ToAlice", "C:\\Users\\alice");
    ExpectRefused("C:\\ToAlice\\Documents", "C:\\Users\\alice\\Documents\\thesis.doc", SAFETY_PROFILE);
    standin::AddFolder("F:\\Org\\Staff\\carol");
    standin::AddJunction("C:\\ToStaff", "F:\\Org\\Staff");
    standin::SetString(machine::kProfileList + "\\S-1-5-21-7", "ProfileImagePath", "C:\\ToStaff\\carol");
    ExpectRefused("F:\\Org", "F:\\Org\\roster.txt", SAFETY_NAMED_FOLDER);
}

standin::Security With(std::vector<standin::Ace> more, const std::string& owner = "S-1-5-32-544")
{
    standin::Security security = standin::DefaultSecurity();
    security.owner = owner;
    security.dacl.insert(security.dacl.end(), more.begin(), more.end());
    return security;
}

TEST_F(FolderRemovalTest, FoldersThatOthersMayChangeAreNotCleared)
{
    const BYTE inheritOnly = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE;
    const std::string installer = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    standin::Security noDacl;
    noDacl.hasDacl = false;
    standin::Security unreadable;
    unreadable.readable = false;
    const struct {
        const char* label;
        const char* secured;  // the folder given this security
        standin::Security security;
        int rule;  // SAFETY_ALLOWED: cleared
        std::string who;  // the account it names, for the rules that name one
    } rows[] = {
        {"Authenticated Users may modify it", "C:\\Vendor\\Tess", With({{"S-1-5-11", 0x1301BF}}), SAFETY_OTHERS_MAY_CHANGE, "S-1-5-11"},
        {"Everyone may set its attributes", "C:\\Vendor\\Tess", With({{"S-1-1-0", FILE_WRITE_ATTRIBUTES}}), SAFETY_OTHERS_MAY_CHANGE, "S-1-1-0"},
        {"Everyone may delete a parent", "C:\\Vendor", With({{"S-1-1-0", DELETE}}), SAFETY_OTHERS_MAY_CHANGE, "S-1-1-0"},
        {"Users may take the root", "C:\\", With({{"S-1-5-32-545", WRITE_OWNER}}), SAFETY_OTHERS_MAY_CHANGE, "S-1-5-32-545"},
        {"Users may only add folders to the root", "C:\\", With({{"S-1-5-32-545", FILE_APPEND_DATA}}), SAFETY_ALLOWED, ""},
        {"CREATOR OWNER, for what is made inside", "C:\\Vendor\\Tess", With({{"S-1-3-0", GENERIC_ALL, inheritOnly}}), SAFETY_ALLOWED, ""},
        {"an untrusted owner", "C:\\Vendor\\Tess", With({}, machine::kBob.sid), SAFETY_UNTRUSTED_OWNER, machine::kBob.sid},
        {"an untrusted owner above", "C:\\Vendor", With({}, machine::kBob.sid), SAFETY_UNTRUSTED_OWNER, machine::kBob.sid},
        {"no DACL", "C:\\Vendor\\Tess", noDacl, SAFETY_OTHERS_MAY_CHANGE, "S-1-1-0"},
        {"no DACL above", "C:\\Vendor", noDacl, SAFETY_OTHERS_MAY_CHANGE, "S-1-1-0"},
        {"unreadable security", "C:\\Vendor\\Tess", unreadable, SAFETY_SECURITY_UNREADABLE, ""},
        {"a deny entry is not counted on", "C:\\Vendor\\Tess",
         With({{"S-1-1-0", DELETE, 0, ACCESS_DENIED_ACE_TYPE}, {"S-1-1-0", DELETE}}),
         SAFETY_OTHERS_MAY_CHANGE, "S-1-1-0"},
        {"an entry of an unknown kind", "C:\\Vendor\\Tess",
         With({{"S-1-1-0", DELETE, 0, ACCESS_ALLOWED_OBJECT_ACE_TYPE}}), SAFETY_SECURITY_UNREADABLE, ""},
        {"the launcher's own account", "C:\\Vendor\\Tess",
         With({{machine::kTess.sid, GENERIC_ALL}}, machine::kTess.sid), SAFETY_ALLOWED, ""},
        {"TrustedInstaller and SYSTEM", "C:\\Vendor", With({{installer, GENERIC_ALL}, {"S-1-5-18", GENERIC_ALL}}, installer), SAFETY_ALLOWED, ""},
    };
    for (const auto& row : rows) {
        standin::Reset();
        standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
        standin::SetSecurity(row.secured, row.security);
        SafetyVerdict verdict = Judge("C:\\Vendor\\Tess");
        EXPECT_EQ(verdict.rule, row.rule) << row.label;
        if (row.rule != SAFETY_ALLOWED) {
            EXPECT_EQ(verdict.concerns, std::string(row.secured)) << row.label;
        }
        if (!row.who.empty()) {
            const std::string who = standin::SidBytes(row.who);
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(verdict.account), who.size()), who)
                << row.label;
        }
        bool cleared = row.rule == SAFETY_ALLOWED;
        EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), cleared ? 1 : 0) << row.label;
        EXPECT_EQ(standin::Exists("C:\\Vendor\\Tess\\tess.exe"), !cleared) << row.label;
    }

    // A link on the way can be pointed elsewhere by whoever may write it.
    standin::Reset();
    standin::AddJunction("C:\\Linked", "D:\\Shared");
    standin::SetSecurity("C:\\Linked", With({{"S-1-5-11", FILE_WRITE_ATTRIBUTES}}));
    ExpectRefused("C:\\Linked\\Tess", "D:\\Shared\\Tess\\tess.exe", SAFETY_OTHERS_MAY_CHANGE, "C:\\Linked");
}

TEST_F(FolderRemovalTest, TheFolderIsHeldFromBeforeTheChecksUntilTheShellIsDone)
{
    standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
    size_t opensBeforeShell = 0;
    std::vector<standin::FileOpen> heldDuringShell;
    standin::SetShellHook([&] {
        opensBeforeShell = standin::FileOpens().size();
        heldDuringShell = standin::OpenFiles();
    });
    EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 1);
    ASSERT_EQ(heldDuringShell.size(), 1u);
    const standin::FileOpen& pin = heldDuringShell[0];
    EXPECT_EQ(pin.path, "C:\\Vendor\\Tess");
    EXPECT_EQ(pin.shareMode, static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(pin.flags, static_cast<DWORD>(FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
    ASSERT_GE(opensBeforeShell, 3u) << "the probe, the pin, then the checks";
    EXPECT_EQ(standin::FileOpens()[0].shareMode, 0u);
    EXPECT_EQ(standin::FileOpens()[1].flags, pin.flags);
    EXPECT_EQ(standin::RemoveDirectoryCalls().front(), "C:\\Vendor\\Tess") << "removed once let go";

    // Right after the probe, a link or another folder put in its place: nothing is deleted.
    for (bool toLink : {true, false}) {
        for (bool judged : {true, false}) {
            standin::Reset();
            standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
            standin::SetFileOpenHook([toLink](const standin::FileOpen&) {
                if (standin::FileOpens().size() != 2) return;
                if (toLink) {
                    standin::AddJunction("C:\\Vendor\\Tess", "C:\\Users\\alice\\Documents");
                } else {
                    standin::AddFolder("C:\\Vendor\\Tess");  // a new folder of that name
                }
            });
            if (judged) {
                EXPECT_EQ(Judge("C:\\Vendor\\Tess").rule, SAFETY_CHANGED) << toLink;
                continue;
            }
            EXPECT_EQ(RemoveInstallFolder("C:\\Vendor\\Tess"), 0) << toLink;
            EXPECT_TRUE(standin::ShellRequests().empty()) << toLink;
        }
    }
}

TEST_F(FolderRemovalTest, DoubleByteNamesAreCutAtRealBackslashesOnly)
{
    standin::SetCodePage(932);
    const std::string folder = "C:\\Vendor\\\x83\x5C";  // the name is one character
    standin::AddFile(folder + "\\tess.exe");

    EXPECT_EQ(RemoveInstallFolder((folder + "\\").c_str()), 1);

    ASSERT_EQ(standin::ShellRequests().size(), 1u);
    EXPECT_EQ(standin::ShellRequests()[0].sourceList, folder + "\\*.*" + std::string(2, '\0'));
    std::vector<std::string> expected = {folder, "C:\\Vendor"};
    EXPECT_EQ(Removed(), expected);

    // A folder above a named one, found by its text: the trail byte is not a separator.
    static FolderNameList named;
    named = {};
    ASSERT_TRUE(AddFolderName(&named, "C:\\\x95\x5C\\Docs"));
    EXPECT_TRUE(FindPathTextAtOrAboveListed(&named, "C:\\\x95\x5C"));
    EXPECT_TRUE(FindPathTextAtOrAboveListed(&named, "c:\\\x95\x5C\\DOCS"));
    EXPECT_FALSE(FindPathTextAtOrAboveListed(&named, "C:\\\x95\x5C\\Doc"));
}

TEST_F(FolderRemovalTest, TrailBytesAreNotTakenForForbiddenCharacters)
{
    const std::string folder = "C:\\Vendor\\\x83\x7C";  // 0x7C is '|' as a single byte
    standin::SetCodePage(932);
    standin::AddFile(folder + "\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder(folder.c_str()), 1);

    standin::Reset();
    standin::AddFile(folder + "\\tess.exe");
    ExpectRefused(folder, folder + "\\tess.exe", SAFETY_PATH_FORM);
}

}  // namespace
