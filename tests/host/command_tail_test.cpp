#include "test_support.h"

#include "launcher/program_start.h"
#include "launcher/uninstall_driver.h"

namespace {

class CommandTailTest : public StandInTest {};

TEST_F(CommandTailTest, ProgramNameAndFollowingBlanksAreRemoved)
{
    EXPECT_STREQ(GetCommandTail("uninstall-launcher.exe 473"), "473");
    EXPECT_STREQ(GetCommandTail("\"C:\\Program Files\\Tess Tools\\uninstall-launcher.exe\" 472"), "472");
    EXPECT_STREQ(GetCommandTail("\"C:\\x.exe\"473"), "473") << "no blank needed after a quoted name";
    EXPECT_STREQ(GetCommandTail("launcher.exe \t\x01\x1f 473"), "473");
    EXPECT_STREQ(GetCommandTail("launcher.exe"), "");
    EXPECT_STREQ(GetCommandTail(""), "");
    EXPECT_STREQ(GetCommandTail("\"C:\\Program Files\\launcher.exe 473"), "") << "unclosed quote";
}

TEST_F(CommandTailTest, TailIsKeptVerbatim)
{
    EXPECT_STREQ(GetCommandTail("launcher.exe 473 "), "473 ");
    EXPECT_STREQ(GetCommandTail("launcher.exe 47 3"), "47 3");
    EXPECT_STREQ(GetCommandTail("launcher.exe \"473\""), "\"473\"");
}

TEST_F(CommandTailTest, HighBytesAreNotBlanks)
{
    EXPECT_STREQ(GetCommandTail("C:\\T\xE9l\xA0sa.exe 473"), "473");
    EXPECT_STREQ(GetCommandTail("launcher.exe \xA0" "473"), "\xA0" "473");
}

TEST_F(CommandTailTest, QuotedNameReadsDoubleByteCharactersWhole)
{
    // In code page 932 the quote after the lead byte 0x83 is that character's second byte.
    const char* commandLine = "\"C:\\a\x83\" 473";
    standin::SetCodePage(932);
    EXPECT_STREQ(GetCommandTail(commandLine), "");
    EXPECT_STREQ(GetCommandTail("\"C:\\\x83\x40.exe\" 473"), "473");
    EXPECT_STREQ(GetCommandTail("\"C:\\a\x83"), "") << "a lone lead byte must not hide the end";
    standin::SetCodePage(1252);
    EXPECT_STREQ(GetCommandTail(commandLine), "473");
}

TEST_F(CommandTailTest, GateComparesOverTheTailsOwnLength)
{
    for (const char* accepted : {"473", "472", "47", "4", ""}) {
        EXPECT_TRUE(IsAcceptedVariant(accepted)) << '"' << accepted << '"';
    }
    for (const char* refused : {"4730", "473 ", "473u", "x", "48", "5", "4720", "471", "47 "}) {
        EXPECT_FALSE(IsAcceptedVariant(refused)) << '"' << refused << '"';
    }
}

TEST_F(CommandTailTest, GateTakesALoneTrailingLeadByteAsTheEndInCodePage932)
{
    standin::SetCodePage(932);
    EXPECT_TRUE(IsAcceptedVariant("473\x81"));
    EXPECT_TRUE(IsAcceptedVariant("472\xE0"));
    EXPECT_FALSE(IsAcceptedVariant("473\x81\x40"));
    EXPECT_FALSE(IsAcceptedVariant("47\x81\x40"));
    standin::SetCodePage(1252);
    EXPECT_FALSE(IsAcceptedVariant("473\x81"));
}

TEST_F(CommandTailTest, RefusedTailExitsWithOneAndTouchesNothing)
{
    standin::SetString(kProductKey, "UninstallString", "C:\\Tess\\uninst.exe");
    standin::SetString(kProductKey, "TargetPath", "C:\\Tess");
    for (const char* commandLine : {"launcher.exe 4730", "launcher.exe 473 ", "\"C:\\l.exe\" x"}) {
        standin::SetCommandLine(commandLine);
        EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 1) << commandLine;
    }
    EXPECT_TRUE(standin::KeyOpens().empty());
    EXPECT_TRUE(standin::Starts().empty());
    EXPECT_TRUE(standin::MessageBoxes().empty());
}

TEST_F(CommandTailTest, WinMainUsesTheProcessCommandLineNotItsArgument)
{
    standin::SetCommandLine("\"C:\\Program Files\\Tess Tools\\launcher.exe\"473");
    char runtimeTail[] = "";  // what the runtime hands over for such a command line
    EXPECT_EQ(WinMain(nullptr, nullptr, runtimeTail, 1), 0);
    ASSERT_FALSE(standin::KeyOpens().empty());
    EXPECT_EQ(standin::KeyOpens().back().path, CompanionKey("473", ""));
}

// The process entry: DLL search restricted before anything else, WinMain's status as the exit code.
TEST_F(CommandTailTest, StartRestrictsDllSearchFirstAndExitsWithTheStatus)
{
    standin::SetString(CompanionKey("473", ""), "UninstallString", "C:\\Vek\\remove.exe");
    standin::AddFile("C:\\Vek\\remove.exe");
    standin::SetCommandLine("launcher.exe 473");
    StartProgram();
    const std::vector<std::string>& events = standin::Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "dll directories 0x800");
    EXPECT_EQ(events.back(), "exit 0");
    EXPECT_EQ(standin::Starts().size(), 1u);

    standin::Reset();
    standin::SetCommandLine("launcher.exe 4730");
    StartProgram();
    EXPECT_EQ(standin::Events(), (std::vector<std::string>{"dll directories 0x800", "exit 1"}));
}

TEST_F(CommandTailTest, StartRunsOnASystemWithoutDefaultDllDirectories)
{
    standin::SetDefaultDllDirectoriesAvailable(false);
    standin::SetString(CompanionKey("473", ""), "UninstallString", "C:\\Vek\\remove.exe");
    standin::AddFile("C:\\Vek\\remove.exe");
    standin::SetCommandLine("launcher.exe 473");
    StartProgram();
    ASSERT_FALSE(standin::Events().empty());
    EXPECT_EQ(standin::Events().front().rfind("open ", 0), 0u) << standin::Events().front();
    EXPECT_EQ(standin::Events().back(), "exit 0");
    EXPECT_EQ(standin::Starts().size(), 1u);
}

}  // namespace
