#ifndef PROGRAM_START_H
#define PROGRAM_START_H

// From here on DLLs load only from the system folder, never from the program's own folder (such
// as Downloads) or the current one. A system without the means to say so is left as it is.
void RestrictDllSearch(void);

// The process entry: restricts the DLL search, runs WinMain and ends with its status.
extern "C" void StartProgram(void);

#endif
