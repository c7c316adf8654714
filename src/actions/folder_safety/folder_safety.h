// The safety rules' one door: may the install folder be cleared, a parent left empty go, a
// program start.
#ifndef FOLDER_SAFETY_H
#define FOLDER_SAFETY_H

// Each answer may come with a verdict: the rule that refused and what it concerns. The launcher
// passes none and stays silent; it is built without SAFETY_VERDICTS, which leaves the rules as
// they are and only drops the recording of their reasons, so that the shipped program does not
// grow.

#include <windows.h>

// One value per rule that refuses.
enum SafetyRule {
    SAFETY_ALLOWED,
    SAFETY_PATH_FORM,           // `concerns` is not written as a path this program may take
    SAFETY_NOT_FOUND,           // nothing at `concerns`, not a folder (a program: no such file,
                                // or one held open for writing by someone)
    SAFETY_LINK,                // `concerns` is a link, which may lead anywhere
    SAFETY_CHANGED,             // `concerns` is no longer what was first found there
    SAFETY_WINDOWS_FOLDER,      // the Windows folder `concerns`, or a folder inside it
    SAFETY_NAMED_FOLDER,        // `concerns` is named by the system or by `whose` settings; the
                                // folder is it or holds it
    SAFETY_PROFILE,             // `concerns` is a user profile or a profiles root; the folder is
                                // it or lies directly inside it
    SAFETY_INCOMPLETE,          // the protected folders could not all be found: `lookup` could
                                // not be finished, at `concerns`
    SAFETY_SECURITY_UNREADABLE, // the owner and access list of `concerns` cannot be read or judged
    SAFETY_UNTRUSTED_OWNER,     // `concerns` is owned by `account`
    SAFETY_OTHERS_MAY_CHANGE,   // `account` is granted `right` on `concerns`
};

struct SafetyVerdict {
    int rule;                             // SAFETY_ALLOWED when nothing refused
    char concerns[MAX_PATH];              // the folder, file or key the rule is about
    char whose[MAX_PATH];                 // SAFETY_NAMED_FOLDER: "" for the system,
                                          // "HKEY_CURRENT_USER" for the settings of the account
                                          // judged for, else the SID of the user whose own
                                          // settings name it
    const char* lookup;                   // SAFETY_INCOMPLETE: which lookup, in words
    BYTE account[SECURITY_MAX_SID_SIZE];  // SAFETY_UNTRUSTED_OWNER, SAFETY_OTHERS_MAY_CHANGE
    DWORD right;                          // SAFETY_OTHERS_MAY_CHANGE: the rights that matter
};

// Reads the account the rules judge for, the one this process runs as, into a
// SECURITY_MAX_SID_SIZE buffer: besides SYSTEM, the Administrators and TrustedInstaller, the only
// one trusted to change what is cleared or started.
BOOL ReadLauncherAccount(BYTE* account);

// Opens the install folder at `path` when it may be cleared and holds it, so that nobody can
// rename, delete or replace it until the handle is closed. `folder` (MAX_PATH) receives the path
// to clear. INVALID_HANDLE_VALUE when it may not; `verdict` (may be NULL) says why.
HANDLE OpenClearableFolder(const char* path, char* folder, SafetyVerdict* verdict);

// Whether `parent`, a folder above the install folder that its clearing left empty, may be
// removed. Only after OpenClearableFolder has let the install folder be cleared.
BOOL MayRemoveEmptyParent(const char* parent, SafetyVerdict* verdict);

// Finds the program a stored command starts (TRUE: its full name in `program`, MAX_PATH) and
// holds it in `*held` so that it can be neither written nor replaced, once it, its folder and
// every folder above it pass the install folder's rules. Close `*held` once it has started.
// FALSE leaves INVALID_HANDLE_VALUE there; `verdict` (may be NULL) says why.
BOOL HoldProgramToStart(const char* command, char* program, HANDLE* held, SafetyVerdict* verdict);

#endif
