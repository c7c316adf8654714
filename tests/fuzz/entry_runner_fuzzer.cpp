// The uninstall entry runner over any UninstallString an installer might have stored.
#include "fuzz_support.h"

#include "actions/folder_safety/folder_safety.h"
#include "actions/uninstall_entry_runner.h"

namespace {

const std::string kKey = standin::machine::kUninstallRoot + "\\vek473";
const std::string kPrefix = "Error to Execute \"";
const size_t kCommandBuffer = 260;
const DWORD kTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_NONE, 7u, 11u, 0xFFFFu};

void SeedPrograms()
{
    standin::AddFile("C:\\Program Files\\Tess Tools\\uninst.exe");
    standin::AddFile("C:\\Apps\\My.exe");
    standin::AddFolder("C:\\Apps\\Folder.exe");
    standin::AddFile("C:\\\x83\x5C\\u.exe");
    // Programs named without a path: in the system's folders, and planted where it looks first.
    standin::AddFile("C:\\Windows\\system32\\msiexec.exe");
    standin::AddFile("C:\\Tools\\tool.exe");
    for (const char* planted : {"msiexec.exe", "tool.exe", "planted.exe", "bin\\planted.exe"}) {
        standin::AddFile(standin::machine::kCurrentFolder + "\\" + planted);
    }
    // One that others may change, in a folder on PATH before the system's: never started.
    standin::AddFile("C:\\Open\\open.exe");
    standin::Security openToOthers = standin::DefaultSecurity();
    openToOthers.dacl.push_back({"S-1-5-11", FILE_WRITE_DATA});
    standin::SetSecurity("C:\\Open", openToOthers);
    standin::SetEnvironment("Path", "bin;.;;C:\\Open;C:\\Tools");
}

// The box text: the fixed words, the command cut on a character boundary, a closing quote, and
// no longer than the 259 characters a 260-byte buffer holds.
void ExpectWellFormedBox(UINT codePage, const std::string& command, const standin::MessageBoxRecord& box)
{
    const std::string& text = box.text;
    FUZZ_CHECK(box.ownerNull && box.captionNull && box.type == 0x10);
    FUZZ_CHECK(text.size() <= 259);
    FUZZ_CHECK(text.size() >= kPrefix.size() + 1);
    FUZZ_CHECK(text.compare(0, kPrefix.size(), kPrefix) == 0);
    FUZZ_CHECK(text.back() == '"');
    const std::string shown = text.substr(kPrefix.size(), text.size() - kPrefix.size() - 1);
    FUZZ_CHECK(command.compare(0, shown.size(), shown) == 0);
    FUZZ_CHECK(fuzz::IsCharacterStart(codePage, command, shown.size()));
    if (kPrefix.size() + command.size() + 1 <= 259) {
        FUZZ_CHECK(shown == command);
    } else {
        FUZZ_CHECK(kPrefix.size() + shown.size() + 1 >= 258);  // cut no shorter than needed
    }
}

}  // namespace

// Input: selector (bit 0 code page, bit 1 the command starts, bit 2 its wait fails, bits 3-4 wait
// slices, bits 5-7 the value's type), then the value's bytes exactly as stored.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const UINT codePage = fuzz::PickCodePage(data[0]);
    const bool starts = (data[0] & 2) != 0;
    const DWORD type = kTypes[data[0] >> 5];
    const std::string value(reinterpret_cast<const char*>(data + 1), size - 1);

    standin::Reset();
    standin::SetCodePage(codePage);
    SeedPrograms();
    standin::SetValue(kKey, "UninstallString", type, value);

    // What can be run: the text up to the first NUL, if the value fits the 260-byte buffer. A
    // value that fills it without a NUL may be skipped or bounded by the buffer.
    const bool fits = value.size() < kCommandBuffer ||
                      (value.size() == kCommandBuffer && value.find('\0') != std::string::npos);
    const bool mayBeBounded = value.size() == kCommandBuffer && !fits;
    const std::string command = fuzz::UpToNul(value);
    if (starts && fits) {
        standin::ProgramScript script;
        script.waitFails = (data[0] & 4) != 0;
        script.waitSlices = (data[0] >> 3) & 3;
        standin::ScriptProgram(command, script);
    }

    // What the rules say of it beforehand, as the plan asks them: a refusal always says why.
    bool allowed = false;
    if (fits) {
        std::unique_ptr<char[]> copy = fuzz::ExactCopy(command);
        SafetyVerdict verdict;
        char program[MAX_PATH];
        HANDLE held;
        allowed = HoldProgramToStart(copy.get(), program, &held, &verdict);
        if (allowed) CloseHandle(held);
        FUZZ_CHECK(allowed == (verdict.rule == SAFETY_ALLOWED));
    }

    RunUninstallEntry(kKey.c_str());

    fuzz::ExpectNoHandleLeft();
    const std::vector<standin::ProcessStart>& started = standin::Starts();
    if (!fits) {
        if (!mayBeBounded || started.empty()) {
            FUZZ_CHECK(started.empty() && standin::MessageBoxes().empty());
            return 0;
        }
        FUZZ_CHECK(started.size() == 1);
        FUZZ_CHECK(started[0].commandLine.size() < kCommandBuffer);
        FUZZ_CHECK(value.compare(0, started[0].commandLine.size(), started[0].commandLine) == 0);
        return 0;
    }
    // A command is started at most once; one that is not started at all was refused beforehand
    // (its program found nowhere it may come from) and is reported like any other.
    FUZZ_CHECK(started.size() <= 1);
    FUZZ_CHECK(started.size() == (allowed ? 1u : 0u));  // the launcher does as the rules said
    if (!started.empty()) {
        const standin::ProcessStart& start = started[0];
        FUZZ_CHECK(start.commandLine == command);
        FUZZ_CHECK(start.startupOtherwiseZero && start.securityAttributesNull && !start.inheritHandles);
        // Always named: the exact program at the front of a full path (".exe" added where the
        // system adds it), or one taken from the system's folders (never the current one, which
        // holds planted copies); always a file, held open as it starts, and never one that
        // others may change.
        FUZZ_CHECK(start.hasApplication);
        const std::string& application = start.application;
        std::string named = command.substr(command.compare(0, 1, "\"") == 0 ? 1 : 0);
        for (char& c : named) c = c == '/' ? '\\' : c;  // never a trail byte
        auto isPrefix = [&](size_t end) {
            return named.compare(0, end, application, 0, end) == 0 &&
                   (end == named.size() || named[end] == ' ' || named[end] == '\t' || named[end] == '"');
        };
        const size_t length = application.size();
        const bool exe = length > 4 && application.compare(length - 4, 4, ".exe") == 0;
        const std::string folder = standin::ParentPath(standin::ResolvedPath(application, false));
        FUZZ_CHECK(isPrefix(length) || (exe && isPrefix(length - 4)) || folder == "C:\\WINDOWS\\SYSTEM32" ||
                   folder == "C:\\TOOLS");
        FUZZ_CHECK(folder != "C:\\OPEN");
        const DWORD attributes = GetFileAttributesA(application.c_str());
        FUZZ_CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
        FUZZ_CHECK(start.openFiles.size() == 1 && start.openFiles[0].path == application &&
                   start.openFiles[0].shareMode == FILE_SHARE_READ);
    }
    if (starts && !started.empty()) {
        FUZZ_CHECK(standin::MessageBoxes().empty());
        for (DWORD timeout : standin::WaitTimeouts()) FUZZ_CHECK(timeout == 60);
        FUZZ_CHECK(standin::WaitTimeouts().size() == ((data[0] & 4) != 0 ? 1u : ((data[0] >> 3) & 3) + 1u));
    } else {
        FUZZ_CHECK(standin::MessageBoxes().size() == 1);
        FUZZ_CHECK(standin::WaitTimeouts().empty());
        ExpectWellFormedBox(codePage, command, standin::MessageBoxes()[0]);
    }
    return 0;
}
