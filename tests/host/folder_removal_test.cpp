#include "test_support.h"

#include <shellapi.h>
#include <shlobj.h>

#include "actions/install_folder_removal.h"

namespace {

class FolderRemovalTest : public StandInTest {
protected:
    void ExpectRefused(const std::string& path, const std::string& sentinel)
    {
        standin::AddFile(sentinel);
        size_t shellCalls = standin::ShellRequests().size();
        size_t removeCalls = standin::RemoveDirectoryCalls().size();
        EXPECT_EQ(RemoveInstallFolder(path.c_str()), 0) << path;
        EXPECT_EQ(standin::ShellRequests().size(), shellCalls) << path;
        EXPECT_EQ(standin::RemoveDirectoryCalls().size(), removeCalls) << path;
        EXPECT_TRUE(standin::Exists(sentinel)) << path;
    }

    static std::vector<std::string> Removed() { return standin::RemoveDirectoryCalls(); }
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
    EXPECT_EQ(request.flags, 0x0094);
    EXPECT_EQ(request.aborted, FALSE);
    EXPECT_TRUE(request.mappingsNull);
    EXPECT_TRUE(request.titleNull);

    std::vector<std::string> expected = {"C:\\Apps\\Vendor\\Tess", "C:\\Apps\\Vendor", "C:\\Apps"};
    EXPECT_EQ(Removed(), expected);
    EXPECT_FALSE(standin::Exists("C:\\Apps\\Vendor"));
    EXPECT_TRUE(standin::Exists("C:\\Apps\\keep.txt"));
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
        ExpectRefused(path, sentinel);
    }
    EXPECT_TRUE(standin::FileOpens().empty()) << "refused before touching the disk";
}

TEST_F(FolderRemovalTest, PathTooLongForTheShellListIsRefused)
{
    std::string fits = "C:\\" + std::string(251, 'f');
    std::string tooLong = "C:\\" + std::string(252, 'l');
    ASSERT_EQ(fits.size(), 254u);
    ExpectRefused(tooLong, tooLong + "\\sentinel.txt");
    standin::AddFile(fits + "\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder(fits.c_str()), 1);
    EXPECT_EQ(RemoveInstallFolder(std::string(300, 'C').c_str()), 0);
}

TEST_F(FolderRemovalTest, SystemAndShellFoldersAreNeverCleared)
{
    for (const char* path : {
             "C:\\Windows", "c:\\windows\\", "C:\\Windows\\system32", "C:\\Windows\\SysWOW64",
             "C:\\Windows\\Fonts", "C:\\Program Files", "C:\\Program Files\\",
             "C:\\Program Files (x86)", "C:\\Program Files\\Common Files",
             "C:\\Program Files (x86)\\Common Files", "C:\\ProgramData", "C:\\Users",
             "C:\\Users\\tess", "C:\\USERS\\TESS\\DESKTOP", "C:\\Users\\tess\\Documents",
             "C:\\Users\\Public\\Desktop", "C:\\Users\\Public\\Documents",
             // Every folder the system or the user's settings name, and the folders holding one.
             "C:\\Users\\tess\\Downloads", "C:\\Users\\tess\\Music", "C:\\Users\\tess\\Favorites",
             "C:\\Users\\tess\\AppData\\Roaming", "C:\\Users\\tess\\AppData",
             "C:\\Users\\tess\\AppData\\Local",
             // Every profile, and every folder directly inside one.
             "C:\\Users\\alice", "C:\\Users\\Public", "C:\\Users\\Default",
             "C:\\Users\\alice\\Documents", "C:\\Users\\tess\\Anything",
             "C:\\Windows\\system32\\config\\systemprofile",
         }) {
        ExpectRefused(path, std::string(path) + "\\sentinel.txt");
    }
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
    const std::string shellFolders =
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    standin::SetString(shellFolders, "Huge", "C:\\" + std::string(300, 'h'));
    ExpectRefused("C:\\Vendor\\Tess", "C:\\Vendor\\Tess\\tess.exe");

    standin::Reset();
    for (int i = 0; i < 100; ++i) standin::AddFolder("C:\\Users\\user" + std::to_string(i));
    ExpectRefused("C:\\Vendor\\Tess", "C:\\Vendor\\Tess\\tess.exe");
}

TEST_F(FolderRemovalTest, LinksCannotDisguiseAProtectedFolder)
{
    standin::AddJunction("C:\\Alias", "C:\\Windows");
    standin::AddJunction("C:\\Vendor\\Tess", "D:\\Data");
    ExpectRefused("C:\\Alias\\system32", "C:\\Windows\\system32\\kernel32.dll");
    ExpectRefused("C:\\Alias\\Temp", "C:\\Windows\\Temp\\keep.tmp");
    ExpectRefused("C:\\Alias", "C:\\Windows\\win.ini");
    ExpectRefused("C:\\Vendor\\Tess", "D:\\Data\\thesis.doc");

    // The profiles root is found from the user's own profile, wherever it lies.
    standin::SetFolderPath(CSIDL_PROFILE, "D:\\Homes\\tess");
    standin::AddFolder("D:\\Homes\\tess");
    ExpectRefused("D:\\Homes", "D:\\Homes\\other.txt");

    // The user's own Downloads, moved to another drive, and the folder that holds it.
    standin::SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                       "{374DE290-123F-4565-9164-39C4925E467B}", "D:\\Media\\Downloads");
    ExpectRefused("D:\\Media\\Downloads", "D:\\Media\\Downloads\\setup.exe");
    ExpectRefused("D:\\Media", "D:\\Media\\cover.jpg");
    standin::SetString("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                       "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", "D:\\Media\\Saves.\\");
    ExpectRefused("D:\\Media\\Saves", "D:\\Media\\Saves\\slot1.sav");

    // A named folder that is a link protects where it leads.
    standin::AddFolder("D:\\Music");
    standin::AddJunction("C:\\Users\\tess\\Music\\Library", "D:\\Music");
    standin::SetFolderPath(CSIDL_MYMUSIC, "C:\\Users\\tess\\Music\\Library");
    ExpectRefused("D:\\Music", "D:\\Music\\song.mp3");

    // Another user's profile, listed wherever it lies, or reached through a link.
    standin::SetString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-9",
                       "ProfileImagePath", "E:\\Staff\\bob");
    standin::AddFile("E:\\Staff\\bob\\Downloads\\setup.exe");
    ExpectRefused("E:\\Staff\\bob\\Downloads", "E:\\Staff\\bob\\Downloads\\setup.exe");
    ExpectRefused("E:\\Staff", "E:\\Staff\\roster.txt");
    standin::AddJunction("C:\\ToAlice", "C:\\Users\\alice");
    ExpectRefused("C:\\ToAlice\\Documents", "C:\\Users\\alice\\Documents\\thesis.doc");
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
}

TEST_F(FolderRemovalTest, TrailBytesAreNotTakenForForbiddenCharacters)
{
    const std::string folder = "C:\\Vendor\\\x83\x7C";  // 0x7C is '|' as a single byte
    standin::SetCodePage(932);
    standin::AddFile(folder + "\\tess.exe");
    EXPECT_EQ(RemoveInstallFolder(folder.c_str()), 1);

    standin::Reset();
    standin::AddFile(folder + "\\tess.exe");
    ExpectRefused(folder, folder + "\\tess.exe");
}

}  // namespace
