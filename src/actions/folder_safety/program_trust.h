#ifndef PROGRAM_TRUST_H
#define PROGRAM_TRUST_H

#include <windows.h>

// Why a program may not be started; each check names what it concerns.
enum ProgramTrust {
    PROGRAM_TRUSTED,
    PROGRAM_NOT_HELD,                 // the file: missing, a link, open for writing, or unjudged
    PROGRAM_FILE_CHANGEABLE,          // the file: others may change or replace it
    PROGRAM_FOLDER_CHANGEABLE,        // its folder: others may add to it (a DLL) or change it
    PROGRAM_FOLDER_ABOVE_CHANGEABLE,  // a folder above it: others may rename or replace it
};

// Holds the program file at `program` (a full path) so that it can be neither written nor
// replaced, and judges it, its folder and every folder above it by the rules of the install
// folder (folder_security.h). PROGRAM_TRUSTED leaves the file held in `*held`, to be closed once
// the program has started; anything else leaves INVALID_HANDLE_VALUE there.
int HoldTrustedProgram(const char* program, HANDLE* held);

#endif
