#include "test_support.h"

#include <vector>

#include "launcher/uninstall_driver.h"

namespace {

const char kProductUninstaller[] = "\"C:\\Vendor\\Tess\\uninst.exe\" /S";

class UninstallSequenceTest : public StandInTest {
protected:
    // The product as its installer leaves it: an entry, an install folder in an otherwise empty
    // vendor folder, and an uninstaller that removes the entry when it ends.
    void InstallProduct()
    {
        standin::SetString(kProductKey, "TargetPath", "C:\\Vendor\\Tess");
        standin::SetString(kProductKey, "UninstallString", kProductUninstaller);
        standin::AddFile("C:\\Vendor\\Tess\\tess.exe");
        standin::AddFile("C:\\Vendor\\Tess\\tess.dll");
        standin::AddFile("C:\\Vendor\\Tess\\uninst.exe");
        standin::ProgramScript script;
        script.waitSlices = 3;
        script.deletesKeys = {kProductKey};
        standin::ScriptProgram(kProductUninstaller, script);
    }

    void InstallCompanion(const std::string& key, const std::string& command)
    {
        standin::SetString(key, "UninstallString", command);
        standin::AddFile(command);
        standin::ProgramScript script;
        script.deletesKeys = {key};
        standin::ScriptProgram(command, script);
    }

    int Run(const std::string& tail)
    {
        standin::SetCommandLine("\"C:\\Program Files\\Tess\\uninstall-launcher.exe\" " + tail);
        return WinMain(nullptr, nullptr, nullptr, 1);
    }

    static std::vector<std::string> OpenedPaths()
    {
        std::vector<std::string> paths;
        for (const standin::KeyOpen& open : standin::KeyOpens()) {
            if (open.path.rfind(kUninstallRoot, 0) == 0) paths.push_back(open.path);
        }
        return paths;
    }
};

TEST_F(UninstallSequenceTest, TypicalRunRemovesProductThenCompanionsInOrder)
{
    InstallProduct();
    InstallCompanion(CompanionKey("473", "u"), "C:\\Vek\\remove-u.exe");
    InstallCompanion(CompanionKey("473", ""), "C:\\Vek\\remove.exe");

    EXPECT_EQ(Run("473"), 0);

    const std::vector<std::string>& events = standin::Events();
    auto position = [&](const std::string& event) {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i] == event) return static_cast<int>(i);
        }
        ADD_FAILURE() << "missing event: " << event;
        return -1;
    };
    int productEnd = position(std::string("end ") + kProductUninstaller);
    int shell = position("shell C:\\Vendor\\Tess\\*.*");
    int removeFolder = position("rmdir C:\\Vendor\\Tess");
    int removeVendor = position("rmdir C:\\Vendor");
    int firstStart = position("start C:\\Vek\\remove-u.exe");
    int firstEnd = position("end C:\\Vek\\remove-u.exe");
    int secondStart = position("start C:\\Vek\\remove.exe");
    EXPECT_LT(position(std::string("start ") + kProductUninstaller), productEnd);
    EXPECT_LT(productEnd, shell);
    EXPECT_LT(shell, removeFolder);
    EXPECT_LT(removeFolder, removeVendor);
    EXPECT_LT(removeVendor, firstStart);
    EXPECT_LT(firstEnd, secondStart) << "one child at a time";

    EXPECT_FALSE(standin::Exists("C:\\Vendor"));
    EXPECT_TRUE(standin::Exists("C:\\"));
    EXPECT_EQ(standin::Starts().size(), 3u);
    EXPECT_TRUE(standin::MessageBoxes().empty());

    std::vector<std::string> keys = {kProductKey, kProductKey, kProductKey,
                                     CompanionKey("473", "u"), CompanionKey("473", "")};
    EXPECT_EQ(OpenedPaths(), keys);
    // Entries in the program's own registry view; the folder settings only read, in either view.
    for (const standin::KeyOpen& open : standin::KeyOpens()) {
        const bool isEntry = open.path.rfind(kUninstallRoot, 0) == 0;
        EXPECT_EQ(open.options, 0u);
        EXPECT_EQ(open.access & (isEntry ? ~0u : ~KEY_WOW64_64KEY), static_cast<REGSAM>(KEY_READ))
            << open.path;
    }
}

TEST_F(UninstallSequenceTest, CompanionKeysCarryTheTailVerbatim)
{
    EXPECT_EQ(Run(""), 0);
    std::vector<std::string> emptyTail = {kProductKey, CompanionKey("", "u"), CompanionKey("", "")};
    EXPECT_EQ(OpenedPaths(), emptyTail);
    EXPECT_EQ(CompanionKey("", "u"), kUninstallRoot + "\\veku");

    standin::Reset();
    EXPECT_EQ(Run("47"), 0);
    std::vector<std::string> shortTail = {kProductKey, CompanionKey("47", "u"), CompanionKey("47", "")};
    EXPECT_EQ(OpenedPaths(), shortTail);

    standin::Reset();
    standin::SetCodePage(932);
    EXPECT_EQ(Run("472\x81"), 0);
    EXPECT_EQ(OpenedPaths().back(), kUninstallRoot + "\\vek472\x81");
}

TEST_F(UninstallSequenceTest, MissingProductEntrySkipsOnlyTheProduct)
{
    InstallCompanion(CompanionKey("473", "u"), "C:\\Vek\\remove-u.exe");
    InstallCompanion(CompanionKey("473", ""), "C:\\Vek\\remove.exe");
    standin::AddFile("C:\\Vendor\\Tess\\tess.exe");

    EXPECT_EQ(Run("473"), 0);

    ASSERT_EQ(standin::Starts().size(), 2u);
    EXPECT_EQ(standin::Starts()[0].commandLine, "C:\\Vek\\remove-u.exe");
    EXPECT_EQ(standin::Starts()[1].commandLine, "C:\\Vek\\remove.exe");
    EXPECT_TRUE(standin::ShellRequests().empty());
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\tess.exe"));
}

TEST_F(UninstallSequenceTest, InstallFolderStaysWhileTheProductEntryRemains)
{
    InstallProduct();
    standin::ScriptProgram(kProductUninstaller, standin::ProgramScript());  // cancelled by the user

    EXPECT_EQ(Run("473"), 0);

    EXPECT_TRUE(standin::KeyExists(kProductKey));
    EXPECT_TRUE(standin::ShellRequests().empty());
    EXPECT_TRUE(standin::RemoveDirectoryCalls().empty());
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\tess.exe"));
}

TEST_F(UninstallSequenceTest, ProductEntryWithoutUninstallStringKeepsTheFolder)
{
    standin::SetString(kProductKey, "TargetPath", "C:\\Vendor\\Tess");
    standin::AddFile("C:\\Vendor\\Tess\\tess.exe");

    EXPECT_EQ(Run("473"), 0);

    EXPECT_TRUE(standin::Starts().empty());
    EXPECT_TRUE(standin::MessageBoxes().empty());
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\tess.exe"));
}

TEST_F(UninstallSequenceTest, ProductEntryThatCannotBeReopenedIsNotTakenAsRemoved)
{
    InstallProduct();
    standin::ProgramScript script;
    script.atEnd = [] { standin::FailKeyOpen(kProductKey, ERROR_ACCESS_DENIED); };
    standin::ScriptProgram(kProductUninstaller, script);

    EXPECT_EQ(Run("473"), 0);

    EXPECT_TRUE(standin::ShellRequests().empty());
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\tess.exe"));
}

TEST_F(UninstallSequenceTest, UnreadableTargetPathRemovesNothing)
{
    for (bool tooLong : {false, true}) {
        standin::Reset();
        InstallProduct();
        if (!tooLong) {
            standin::SetValue(kProductKey, "TargetPath", REG_SZ, std::string(1, '\0'));
        } else {
            // Too long to read whole; its first 259 bytes would name an existing folder.
            std::string longPath = "C:\\Vendor\\Tess" + std::string(290, 'x');
            standin::SetString(kProductKey, "TargetPath", longPath);
            standin::AddFolder(longPath.substr(0, 259));
        }

        EXPECT_EQ(Run("473"), 0);

        EXPECT_FALSE(standin::KeyExists(kProductKey));
        EXPECT_TRUE(standin::ShellRequests().empty());
        EXPECT_TRUE(standin::RemoveDirectoryCalls().empty());
        EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\tess.exe"));
    }
}

TEST_F(UninstallSequenceTest, LaterStagesRunWhateverEarlierOnesDid)
{
    InstallProduct();
    standin::ProgramScript failing;
    failing.startFails = true;
    standin::ScriptProgram(kProductUninstaller, failing);
    standin::SetString(CompanionKey("473", "u"), "UninstallString", "C:\\Vek\\missing.exe");
    InstallCompanion(CompanionKey("473", ""), "C:\\Vek\\remove.exe");

    EXPECT_EQ(Run("473"), 0);

    ASSERT_EQ(standin::MessageBoxes().size(), 2u);
    EXPECT_EQ(standin::MessageBoxes()[1].text, "Error to Execute \"C:\\Vek\\missing.exe\"");
    ASSERT_EQ(standin::Starts().size(), 2u) << "nothing is retried, a missing program not started";
    EXPECT_EQ(standin::Starts()[1].commandLine, "C:\\Vek\\remove.exe");
    EXPECT_FALSE(standin::KeyExists(CompanionKey("473", "")));
    EXPECT_TRUE(standin::Exists("C:\\Vendor\\Tess\\tess.exe")) << "failed uninstall keeps files";
}

}  // namespace
