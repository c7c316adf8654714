// Cases of the registry view: the launcher reads the uninstall entries of its own bitness only.
// Under WoW64 the 32-bit launcher reads the 32-bit view, and an entry written only in the 64-bit
// view, as a 64-bit installer writes it, is not its business.
#include "harness.h"

namespace {

void OtherViewEntriesAreNotRun()
{
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    MakeInstallFolder(folder);
    REGSAM other = OtherView();
    PutEntry(kProduct, ProductUninstaller(), other);
    PutTarget(folder, other);
    PutEntry("vek473u", StandIn("A"), other);
    PutEntry("vek473", StandIn("B"), other);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), "", "nothing runs");
    CheckNoBox(run);
    Check(EntryExists(kProduct, other), "the product entry of the other view stays");
    Check(Exists(folder + "\\app.exe"), "the install folder stays");
}

void OwnViewWinsOverOtherView()
{
    std::string folder = std::string(kScratch) + "\\Vendor\\Tess";
    std::string otherFolder = std::string(kScratch) + "\\Other\\Tess";
    MakeInstallFolder(folder);
    MakeInstallFolder(otherFolder);
    InstallAll("473", folder);
    REGSAM other = OtherView();
    PutEntry(kProduct, StandIn("decoy"), other);
    PutTarget(otherFolder, other);
    PutEntry("vek473u", StandIn("decoy"), other);
    PutEntry("vek473", StandIn("decoy"), other);
    Run run = RunWithTail("473");
    CheckExit(run, 0);
    CheckEqual(Sequence(run), kFullRun, "the uninstallers of the own view, in order");
    CheckNoBox(run);
    Check(!Exists(folder), "the product entry left the own view: its install folder is removed");
    Check(EntryExists(kProduct, other), "the product entry of the other view stays");
    Check(Exists(otherFolder + "\\app.exe"), "the other view's TargetPath is not touched");
}

}  // namespace

const std::vector<Case> kRegistryViewCases = {
    {"registry: entries only in the other view are not run", OtherViewEntriesAreNotRun, true,
     false},
    {"registry: the own view is read, the other view's copies left alone",
     OwnViewWinsOverOtherView, true, false},
};
