// Where the process may load DLLs from: the system folder only.
#ifndef DLL_SEARCH_H
#define DLL_SEARCH_H

// From here on DLLs load only from the system folder, never from the program's own folder (such
// as Downloads) or the current one. A system without the means to say so is left as it is.
void RestrictDllSearch(void);

#endif
