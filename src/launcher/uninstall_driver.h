// The order of the three uninstall stages, and the install folder cleared between them.
#ifndef UNINSTALL_DRIVER_H
#define UNINSTALL_DRIVER_H

#include <windows.h>

#include "uninstall_stages.h"

// Removes the product, then both companion packages. Returns the process exit status.
int RunUninstallSequence(const char* tail);

#endif
