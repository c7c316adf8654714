// Cases that need the double-byte code page 932.
#include "harness.h"

namespace {

const char kSo[] = "\x83\x5C";  // a katakana letter whose trail byte is the backslash's code

void DoubleBytePruning()
{
    std::string dbcs = std::string(kScratch) + "\\dbcs";
    std::string parent = dbcs + "\\P";
    std::string folder = parent + "\\Tess" + kSo;
    MakeInstallFolder(folder);
    PutFile(dbcs + "\\keep.txt");
    Check(IsFolder(folder), "folder whose name ends in 0x83 0x5C exists");
    Check(!Exists(parent + "\\Tess") && !Exists(parent + "\\Tess\x83"),
          "its parent holds nothing else");
    RemoveProductAt(folder);
    Check(!Exists(folder), "the folder is removed");
    Check(!Exists(parent), "the cut fell at the real backslash: the empty parent is removed");
    Check(Exists(dbcs + "\\keep.txt"), "the first non-empty ancestor stays");

    MakeInstallFolder(folder);
    RemoveProductAt(folder + "\\");
    Check(!Exists(folder) && !Exists(parent), "with a trailing backslash as well");
}

// A 259-byte command of double-byte letters that cannot start. The message holds at most 240
// bytes of it: after `prefixBytes` of single-byte text the letters fall either on that limit or
// across it.
void CheckDoubleByteMessageCut(const std::string& prefix, size_t expectedPrefixBytes,
                               size_t expectedCut)
{
    std::string command = prefix;
    CheckEqual(std::to_string(command.size()), std::to_string(expectedPrefixBytes),
               "single-byte part of the command");
    while (command.size() + 2 <= 259) {
        command += "\x83\x41";
    }
    if (command.size() < 259) {
        command += "m";
    }
    InstallAll("473", std::string(kScratch) + "\\absent");
    PutEntry("vek473u", command);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "start:P end:P box start:B end:B", "box, then the last stage");
    if (run.boxes.size() == 1) {
        CheckEqual(run.boxes[0].text, "Error to Execute \"" + command.substr(0, expectedCut) + "\"",
                   "message cut on a character boundary, closing quote kept");
    }
}

void DoubleByteMessageCut()
{
    // Letters at even offsets from 24: the one at 238..239 is the last that fits.
    CheckDoubleByteMessageCut(std::string(kScratch) + "\\missing\\x", 24, 240);
}

void DoubleByteMessageCutMidLetter()
{
    // Letters at odd offsets from 23: the one at 239..240 would cross the limit.
    CheckDoubleByteMessageCut(std::string(kScratch) + "\\missing\\", 23, 239);
}

void LoneLeadByteTail()
{
    // The process command line travels as UTF-16: a lead byte without its trail byte is lost on
    // the way, so the launcher sees "473" and runs the "473" entries.
    InstallAll("473", std::string(kScratch) + "\\absent");
    Run run = RunWithTail("473\x83");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "accepted and run as 473");
}

}  // namespace

const std::vector<Case> kCp932Cases = {
    {"cp932: pruning cuts at the real backslash", DoubleBytePruning, false, true},
    {"cp932: message cut after whole letters", DoubleByteMessageCut, false, true},
    {"cp932: message cut before a letter that does not fit", DoubleByteMessageCutMidLetter, false,
     true},
    {"cp932: 473 followed by a lone lead byte accepted", LoneLeadByteTail, false, true},
};
