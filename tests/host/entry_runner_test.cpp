#include "test_support.h"

#include "actions/folder_safety/folder_safety.h"
#include "actions/uninstall_entry_runner.h"

namespace {

const std::string kEntry = kUninstallRoot + "\\vek473u";

// What the rules say of the program a command would start, without starting it.
SafetyVerdict JudgeProgram(const std::string& command)
{
    SafetyVerdict verdict;
    char program[MAX_PATH];
    HANDLE held;
    if (HoldProgramToStart(command.c_str(), program, &held, &verdict)) CloseHandle(held);
    return verdict;
}

class EntryRunnerTest : public StandInTest {
protected:
    void TearDown() override
    {
        EXPECT_EQ(standin::OpenProcessHandleCount(), 0) << "process or thread handle left open";
        StandInTest::TearDown();
    }

    void SetCommand(const std::string& command, const standin::ProgramScript& script = {})
    {
        standin::SetString(kEntry, "UninstallString", command);
        standin::ScriptProgram(command, script);
    }
};

TEST_F(EntryRunnerTest, NothingHappensWithoutEntryOrCommand)
{
    RunUninstallEntry(kEntry.c_str());
    standin::AddKey(kEntry);
    RunUninstallEntry(kEntry.c_str());
    ASSERT_EQ(standin::KeyOpens().size(), 2u);
    EXPECT_EQ(standin::KeyOpens()[0].result, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(standin::KeyOpens()[1].result, ERROR_SUCCESS);
    EXPECT_TRUE(standin::Starts().empty());
    EXPECT_TRUE(standin::MessageBoxes().empty());
}

TEST_F(EntryRunnerTest, StartsTheStoredCommandWithDefaultsAndWaitsInSlices)
{
    standin::ProgramScript script;
    script.waitSlices = 5;
    standin::AddFile("C:\\Program Files\\Vek\\uninst.exe");
    SetCommand("\"C:\\Program Files\\Vek\\uninst.exe\" /remove %TEMP%", script);

    RunUninstallEntry(kEntry.c_str());

    ASSERT_EQ(standin::Starts().size(), 1u);
    const standin::ProcessStart& start = standin::Starts()[0];
    EXPECT_EQ(start.commandLine, "\"C:\\Program Files\\Vek\\uninst.exe\" /remove %TEMP%");
    EXPECT_EQ(start.application, "C:\\Program Files\\Vek\\uninst.exe");
    // Held since its check, so that nobody can write, replace or delete it before it starts.
    ASSERT_EQ(start.openFiles.size(), 1u);
    EXPECT_EQ(start.openFiles[0].path, start.application);
    EXPECT_EQ(start.openFiles[0].access, READ_CONTROL | FILE_EXECUTE);
    EXPECT_EQ(start.openFiles[0].shareMode, FILE_SHARE_READ);
    EXPECT_EQ(start.startupSize, sizeof(STARTUPINFOA));
    EXPECT_TRUE(start.startupOtherwiseZero);
    EXPECT_TRUE(start.securityAttributesNull);
    EXPECT_EQ(start.inheritHandles, FALSE);
    EXPECT_EQ(start.creationFlags, 0u);
    EXPECT_TRUE(start.environmentNull);
    EXPECT_TRUE(start.currentDirectoryNull);
    EXPECT_EQ(standin::WaitTimeouts(), std::vector<DWORD>(6, 60));

    // The entry's key is held open for the child's whole run.
    std::vector<std::string> events = standin::Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0], "open " + kEntry);
    EXPECT_EQ(events[1].substr(0, 6), "start ");
    EXPECT_EQ(events[2].substr(0, 4), "end ");
    EXPECT_EQ(events[3].substr(0, 6), "close ");
}

TEST_F(EntryRunnerTest, FailedWaitEndsTheWait)
{
    standin::ProgramScript script;
    script.waitSlices = 100;
    script.waitFails = true;
    standin::AddFile("C:\\Vek\\uninst.exe");
    SetCommand("C:\\Vek\\uninst.exe", script);
    RunUninstallEntry(kEntry.c_str());
    EXPECT_EQ(standin::WaitTimeouts().size(), 1u);
}

TEST_F(EntryRunnerTest, CommandOfAnyLengthUpTo259CharactersRuns)
{
    std::string longest = "C:\\" + std::string(252, 'v') + ".exe";
    ASSERT_EQ(longest.size(), 259u);
    standin::AddFile(longest);
    SetCommand(longest);
    RunUninstallEntry(kEntry.c_str());
    ASSERT_EQ(standin::Starts().size(), 1u);
    EXPECT_EQ(standin::Starts()[0].commandLine, longest);
}

TEST_F(EntryRunnerTest, CommandTooLongForItsBufferIsSkippedSilently)
{
    SetCommand("C:\\" + std::string(253, 'v') + ".exe");  // 260 characters and the NUL
    RunUninstallEntry(kEntry.c_str());
    standin::SetValue(kEntry, "UninstallString", REG_SZ, std::string(260, 'v'));  // no NUL
    RunUninstallEntry(kEntry.c_str());
    EXPECT_TRUE(standin::Starts().empty());
    EXPECT_TRUE(standin::MessageBoxes().empty());
}

TEST_F(EntryRunnerTest, CommandThatCannotStartIsReportedOnceAsStored)
{
    standin::SetString(kEntry, "UninstallString", "C:\\%ProgramFiles%\\Vek\\uninst.exe /S");
    RunUninstallEntry(kEntry.c_str());

    EXPECT_TRUE(standin::Starts().empty()) << "no such program";
    ASSERT_EQ(standin::MessageBoxes().size(), 1u);
    const standin::MessageBoxRecord& box = standin::MessageBoxes()[0];
    EXPECT_EQ(box.text, "Error to Execute \"C:\\%ProgramFiles%\\Vek\\uninst.exe /S\"");
    EXPECT_TRUE(box.ownerNull);
    EXPECT_TRUE(box.captionNull) << "the system's own caption";
    EXPECT_EQ(box.type, 0x10u);
    EXPECT_TRUE(standin::WaitTimeouts().empty());
}

TEST_F(EntryRunnerTest, BoxIsShownUnlessNobodyCanSeeItThenTheEventLogHoldsItsText)
{
    using standin::WindowStation;  // an unreadable one is not known to be unseen: box as before
    std::string command = "C:\\" + std::string(246, 'v') + ".exe /S";
    for (WindowStation station : {WindowStation::Visible, WindowStation::Invisible,
                                  WindowStation::Unreadable, WindowStation::VisibleInSessionZero}) {
        standin::Reset();
        standin::SetWindowStation(station);
        standin::SetString(kEntry, "UninstallString", command);
        standin::AddFile(command.substr(0, command.size() - 3));
        RunUninstallEntry(kEntry.c_str());
        EXPECT_EQ(standin::Starts().size(), 1u);
        bool unseen =
            station == WindowStation::Invisible || station == WindowStation::VisibleInSessionZero;
        EXPECT_EQ(standin::MessageBoxes().size(), unseen ? 0u : 1u);
        ASSERT_EQ(standin::EventRecords().size(), unseen ? 1u : 0u) << "only where no box says it";
        EXPECT_EQ(standin::OpenKeyCount(), 0);
        if (unseen) {
            const standin::EventRecord& record = standin::EventRecords()[0];
            EXPECT_TRUE(record.serverNull);
            EXPECT_EQ(record.source, "Uninstall Launcher");
            EXPECT_EQ(record.type, EVENTLOG_ERROR_TYPE);
            EXPECT_EQ(record.category, 0);
            EXPECT_EQ(record.id, 1u);
            EXPECT_TRUE(record.sidNull && record.dataNull && record.dataSize == 0);
            EXPECT_EQ(record.strings, std::vector<std::string>{"Error to Execute \"" +
                                                                command.substr(0, 240) + "\""});
        }
    }
}

TEST_F(EntryRunnerTest, LongCommandIsCutToFitTheMessage)
{
    std::string command = "C:\\" + std::string(250, 'v') + ".exe";
    standin::SetString(kEntry, "UninstallString", command);
    RunUninstallEntry(kEntry.c_str());
    ASSERT_EQ(standin::MessageBoxes().size(), 1u);
    EXPECT_EQ(standin::MessageBoxes()[0].text, "Error to Execute \"" + command.substr(0, 240) + "\"");

    // A double-byte character across the limit is left out whole.
    standin::Reset();
    standin::SetCodePage(932);
    std::string wide = "C:\\" + std::string(236, 'v') + "\x83\x5C" + std::string(10, 'w');
    standin::SetString(kEntry, "UninstallString", wide);
    RunUninstallEntry(kEntry.c_str());
    ASSERT_EQ(standin::MessageBoxes().size(), 1u);
    EXPECT_EQ(standin::MessageBoxes()[0].text, "Error to Execute \"" + wide.substr(0, 239) + "\"");
}

TEST_F(EntryRunnerTest, EmptyCommandIsReported)
{
    standin::SetString(kEntry, "UninstallString", "");
    RunUninstallEntry(kEntry.c_str());
    ASSERT_EQ(standin::MessageBoxes().size(), 1u);
    EXPECT_EQ(standin::MessageBoxes()[0].text, "Error to Execute \"\"");
}

// Started elevated, a program that someone else could have replaced, or put a DLL beside, would
// run theirs: its file, its folder and the folders above are held to the install folder's rules.
TEST_F(EntryRunnerTest, ProgramOthersMayChangeIsNotStarted)
{
    const std::string program = "C:\\Vendor\\Tess\\uninst.exe", bob = standin::machine::kBob.sid;
    struct Row {  // Authenticated Users get `mask` on `path`, which `owner` (if any) owns
        std::string path, owner;
        DWORD mask;
        int rule;  // SAFETY_ALLOWED: it starts
        std::string command;
    };
    const Row rows[] = {
        {program, "", FILE_WRITE_DATA, SAFETY_OTHERS_MAY_CHANGE, program},
        {program, "", WRITE_DAC, SAFETY_OTHERS_MAY_CHANGE, program},
        {program, bob, 0, SAFETY_UNTRUSTED_OWNER, program},
        {"C:\\Vendor\\Tess", "", FILE_WRITE_DATA, SAFETY_OTHERS_MAY_CHANGE, program},  // a DLL beside it
        {"C:\\Vendor", "", DELETE, SAFETY_OTHERS_MAY_CHANGE, program},
        {"C:\\Vendor", "", FILE_WRITE_DATA, SAFETY_ALLOWED, program},  // adding higher up is harmless
        {"C:\\Open", "", FILE_WRITE_DATA, SAFETY_OTHERS_MAY_CHANGE, "tool.exe /S"},  // on PATH: no other is looked for
    };
    for (const Row& row : rows) {
        standin::Reset();
        standin::AddFile(program);
        standin::AddFile("C:\\Open\\tool.exe");
        standin::AddFile("C:\\Tools\\tool.exe");
        standin::SetEnvironment("Path", "C:\\Open;C:\\Tools");
        standin::Security security = standin::DefaultSecurity();
        security.dacl.push_back({"S-1-5-11", row.mask});
        security.owner = row.owner.empty() ? security.owner : row.owner;
        standin::SetSecurity(row.path, security);
        SetCommand(row.command);
        SafetyVerdict verdict = JudgeProgram(row.command);
        EXPECT_EQ(verdict.rule, row.rule) << row.path << " " << row.mask;
        if (row.rule != SAFETY_ALLOWED) {
            EXPECT_EQ(std::string(verdict.concerns).rfind(row.path, 0), 0u) << verdict.concerns;
        }
        RunUninstallEntry(kEntry.c_str());
        bool starts = row.rule == SAFETY_ALLOWED;
        EXPECT_EQ(standin::Starts().size(), starts ? 1u : 0u) << row.path << " " << row.mask;
        EXPECT_EQ(standin::MessageBoxes().size(), starts ? 0u : 1u) << row.path;
    }
    // A link in the program's place leads to a file whose own folders were never judged.
    standin::Reset();
    standin::AddFileLink(program, "C:\\Users\\Public\\uninst.exe");
    SetCommand(program);
    EXPECT_EQ(JudgeProgram(program).rule, SAFETY_LINK);
    RunUninstallEntry(kEntry.c_str());
    EXPECT_TRUE(standin::Starts().empty());
}

// Found as the system would find it, then named to it: the program checked is the one started.
// Named without a path, though, only in the system's folders: the system would look beside the
// launcher and in the current folder first, where anyone may have put one of that name.
TEST_F(EntryRunnerTest, ProgramIsFoundAsTheSystemWouldFindItAndNamed)
{
    struct Row {
        const char* command;
        const char* program;  // "" where nothing may be started, by the rule `rule`
        int rule = SAFETY_ALLOWED;
    };
    const Row rows[] = {
        {"MsiExec.exe /X{12345678-ABCD} /qn", "C:\\Windows\\system32\\MsiExec.exe"},
        {"\"msiexec.exe\" /x{12345678-ABCD}", "C:\\Windows\\system32\\msiexec.exe"},
        {"MsiExec /X{12345678-ABCD}", "C:\\Windows\\system32\\MsiExec.exe"},
        {"regedit.exe /s x.reg", "C:\\Windows\\regedit.exe"},
        {"tool.exe /S", "C:\\Tools\\tool.exe"},
        {"slashed.exe /S", "C:\\Slashed\\slashed.exe"},  // from a PATH folder written with slashes
        {"\x83\x5C.exe /S", "C:\\Tools\\\x83\x5C.exe"},  // its trail byte is no separator
        {"planted.exe /S", "", SAFETY_NOT_FOUND},
        {"\"planted.exe\"", "", SAFETY_NOT_FOUND},
        {"bin\\tool.exe /S", "", SAFETY_PATH_FORM},
        {".\\tool.exe /S", "", SAFETY_PATH_FORM},
        {"C:tool.exe /S", "", SAFETY_PATH_FORM},
        {"\\Tools\\tool.exe /S", "", SAFETY_PATH_FORM},
        {"%SystemRoot%\\system32\\msiexec.exe /x", "", SAFETY_PATH_FORM},
        {"C:\\Apps\\My Tools\\uninst.EXE /S", "C:\\Apps\\My.exe"},  // the shorter name first
        {"C:\\Vek Tools\\uninst /S", "C:\\Vek Tools\\uninst.exe"},  // ".exe" added
        {"C:\\Apps\\uninst /S", "C:\\Apps\\uninst.exe"},            // before an extensionless one
        {"\"C:\\Vek Tools\\uninst\" /S", "C:\\Vek Tools\\uninst.exe"},
        {"\"C:\\Apps\\uninst.bak\" /S", "C:\\Apps\\uninst.bak"},
        {"C:/Apps/uninst.exe /S", "C:\\Apps\\uninst.exe"},
        {"\\\\server\\share\\uninst.exe /S", "\\\\server\\share\\uninst.exe"},
        {"C:\\Apps\\missing.exe /S", "", SAFETY_NOT_FOUND},
        {"\"C:\\Apps\\My Tools\" /S", "", SAFETY_NOT_FOUND},  // a folder
    };
    for (const Row& row : rows) {
        standin::Reset();
        standin::SetCodePage(932);
        standin::AddFile("C:\\Windows\\system32\\msiexec.exe");
        standin::AddFile("C:\\Windows\\regedit.exe");
        standin::AddFile("C:\\Tools\\tool.exe");
        standin::AddFile("C:\\Slashed\\slashed.exe");
        standin::AddFile("C:\\Tools\\\x83\x5C.exe");
        standin::AddFolder("C:\\Tools\\planted.exe");
        for (const char* file : {"C:\\Apps\\My.exe", "C:\\Apps\\My Tools\\uninst.EXE", "C:\\Apps\\uninst",
                                 "C:\\Apps\\uninst.exe", "C:\\Apps\\uninst.bak",
                                 "C:\\Vek Tools\\uninst.exe", "\\\\server\\share\\uninst.exe"}) {
            standin::AddFile(file);
        }
        // Planted where the system would look first, and in PATH entries that are not full paths.
        for (const char* folder :
             {"C:\\Work\\Current\\", "C:\\Work\\Current\\bin\\", "C:\\Quoted\\", "C:\\"}) {
            for (const char* name : {"msiexec.exe", "regedit.exe", "tool.exe", "planted.exe"}) {
                standin::AddFile(std::string(folder) + name);
            }
        }
        standin::SetEnvironment("Path", "bin;;\"C:\\Quoted\";.;C:\\" + std::string(300, 'p') +
                                            ";C:\\Tools\\;C:/Slashed;C:");
        SetCommand(row.command);
        EXPECT_EQ(JudgeProgram(row.command).rule, row.rule) << row.command;
        RunUninstallEntry(kEntry.c_str());
        if (*row.program == 0) {
            EXPECT_TRUE(standin::Starts().empty()) << row.command;
            EXPECT_EQ(standin::MessageBoxes().size(), 1u) << row.command;
            continue;
        }
        ASSERT_EQ(standin::Starts().size(), 1u) << row.command;
        EXPECT_EQ(standin::Starts()[0].application, row.program) << row.command;
        EXPECT_EQ(standin::Starts()[0].commandLine, row.command);
        EXPECT_TRUE(standin::MessageBoxes().empty()) << row.command;
    }
}

}  // namespace
