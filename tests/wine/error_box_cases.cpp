// Cases of the error box: shown for a command that cannot start, blocking, its message cut, and
// left out where nobody could dismiss it.
#include "harness.h"

#include <fstream>
#include <iterator>

namespace {

void CommandThatCannotStart()
{
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    InstallAll("473", folder);
    std::string missing = std::string(kScratch) + "\\missing\\uninst.exe /S";
    std::string unexpanded = "%ProgramFiles%\\Tessaline\\uninst.exe";
    PutEntry(kProduct, missing);
    PutEntry("vek473u", unexpanded);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "box box start:B end:B",
               "one box per command that cannot start, then the next stage");
    Check(run.boxes.size() == 2, "two boxes");
    if (run.boxes.size() == 2) {
        CheckErrorBox(run.boxes[0], missing);
        CheckErrorBox(run.boxes[1], unexpanded);
    }
    // The launcher stayed blocked on each box until it was dismissed.
    std::string order;
    for (const std::vector<std::string>& event : run.log) {
        order += event[0] + " ";
    }
    CheckEqual(order, "box dismiss box dismiss start end ", "boxes block the sequence");
    Check(Exists(folder + "\\app.exe"), "the product entry stays, so does the install folder");
}

void LongCommandMessageIsCut()
{
    std::string command = std::string(kScratch) + "\\missing\\";
    command += std::string(259 - command.size(), 'm');
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", command);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:P end:P box start:B end:B", "box, then the last stage");
    if (run.boxes.size() == 1) {
        CheckEqual(run.boxes[0].text, "Error to Execute \"" + command.substr(0, 240) + "\"",
                   "message cut to fit 259 characters, closing quote kept");
        CheckEqual(run.boxes[0].caption, g_defaultCaption, "caption");
    }
}

std::string WineMessages()
{
    std::ifstream file(kWineMessages, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A service running the launcher as SYSTEM starts it on a desktop of a window station nobody
// sees; a box there would hold it until the time-out ends it. The event log has its text instead.
void UnattendedRunShowsNoBox()
{
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry(kProduct, std::string(kScratch) + "\\missing\\uninst.exe /S");
    HWINSTA own = GetProcessWindowStation();
    HWINSTA station = CreateWindowStationA("Service-0x0-3e7$", 0, WINSTA_ALL_ACCESS, NULL);
    HDESK desktop = NULL;
    if (station != NULL && SetProcessWindowStation(station)) {
        desktop = CreateDesktopA("Default", NULL, NULL, 0, GENERIC_ALL, NULL);
        SetProcessWindowStation(own);
    }
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    Check(desktop != NULL && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags,
                                                       &needed) && (flags.dwFlags & WSF_VISIBLE) == 0,
          "an invisible window station with a desktop");
    size_t messagesBefore = WineMessages().size();
    Run run = RunLauncher(std::string(kLauncher) + " 473", kLauncher, "Service-0x0-3e7$\\Default",
                          8000);
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:A end:A start:B end:B", "both companions, no box");
    // Wine prints an error event's text on its eventlog channel, after the thread's number.
    std::string messages = WineMessages().substr(messagesBefore);
    CheckEqual(messages.substr(messages.find(':') + 1),
               R"(err:eventlog:ReportEventW L"Error to Execute \"C:\\suite\\cases\\missing\\uninst.exe /S\"")"
               "\n",
               "one error event with the box's text, and nothing else from Wine");
    if (desktop != NULL) CloseDesktop(desktop);
    if (station != NULL) CloseWindowStation(station);
}

}  // namespace

const std::vector<Case> kErrorBoxCases = {
    {"runner: error box for commands that cannot start", CommandThatCannotStart, true, true},
    {"runner: long command cut in the error message", LongCommandMessageIsCut, true, false},
    {"runner: no box where nobody can see it", UnattendedRunShowsNoBox, true, false},
};
