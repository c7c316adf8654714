// Integration suite for the uninstall launcher, run under Wine against the real Win32 API.
// It treats the launcher as a black box: it writes the uninstall entries, lays out install
// folders, starts the launcher with an exact command line, dismisses its error boxes and checks
// what is left. Its uninstallers are copies of the stand-in uninstaller, which log what they do.
//
//   integration_suite.exe [--cp932]
// Without an option the system's ANSI code page must be 1252; with --cp932 it must be 932 and the
// double-byte cases run. Prints one line per case and "N passed, M failed"; exits 1 on a failure.
#include "harness.h"

#include <stdio.h>
#include <string.h>

namespace {

void ResetCase()
{
    for (const std::string& entry : g_entries) {
        DeleteEntry(entry);
    }
    g_entries.clear();
    for (const std::string& file : g_placedFiles) {
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.c_str());
    }
    g_placedFiles.clear();
    for (const std::string& folder : g_placedFolders) {
        RemoveTree(folder);
    }
    g_placedFolders.clear();
    RemoveTree(kScratch);
    MakeFolder(kScratch);
    MakeFolder(kCurrentFolder);
    DeleteFileA(kLog);
}

bool Prepared(bool doubleByte)
{
    UINT expected = doubleByte ? 932 : 1252;
    if (GetACP() != expected) {
        printf("SETUP FAILED: the ANSI code page is %u, expected %u (check LC_ALL/LOCPATH)\n",
               GetACP(), expected);
        return false;
    }
    for (const char* program : {kLauncher, kStandIn}) {
        if (GetFileAttributesA(program) == INVALID_FILE_ATTRIBUTES) {
            printf("SETUP FAILED: %s is missing\n", program);
            return false;
        }
    }
    // The 32-bit suite is meant to prove the 32-bit launcher under WoW64, in a 64-bit system.
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    if (sizeof(void*) == 4 && !wow64) {
        printf("SETUP FAILED: the 32-bit suite is not running under WoW64 (a 32-bit prefix?)\n");
        return false;
    }
    printf("%u-bit programs%s, entries in the %u-bit registry view, code page %u\n",
           (unsigned)sizeof(void*) * 8, wow64 ? " under WoW64" : "", (unsigned)sizeof(void*) * 8,
           GetACP());
    SetEnvironmentVariableA("STAND_IN_LOG", kLog);
    if (doubleByte) {
        g_defaultCaption = "\x83\x47\x83\x89\x81\x5B";  // the Japanese "Error"
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    bool doubleByte = false;
    const char* only = NULL;  // --only TEXT: just the cases whose name holds TEXT
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--cp932") == 0) {
            doubleByte = true;
        } else if (strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = argv[++i];
        }
    }
    if (!Prepared(doubleByte)) {
        return 2;
    }
    int passed = 0;
    int failed = 0;
    std::vector<Case> cases;
    for (const std::vector<Case>* concern :
         {&kStageCases, &kRegistryViewCases, &kErrorBoxCases, &kInstallFolderCases,
          &kCp932Cases}) {
        cases.insert(cases.end(), concern->begin(), concern->end());
    }
    for (const Case& test : cases) {
        if (!(doubleByte ? test.doubleByte : test.singleByte) ||
            (only != NULL && strstr(test.name, only) == NULL)) {
            continue;
        }
        ResetCase();
        g_failures.clear();
        DWORD started = GetTickCount();
        test.body();
        DWORD took = GetTickCount() - started;
        ResetCase();
        printf("%s  %s (%lu ms)\n", g_failures.empty() ? "PASS" : "FAIL", test.name,
               (unsigned long)took);
        for (const std::string& failure : g_failures) {
            printf("      - %s\n", failure.c_str());
        }
        (g_failures.empty() ? passed : failed) += 1;
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

