// Whether anyone can see a window this process shows.
#ifndef WINDOW_STATION_H
#define WINDOW_STATION_H

#include <windows.h>

// FALSE only when the process runs in session 0 or in a window station no user sees (a service's,
// or a deployment tool's running as SYSTEM): a window there would never be answered. When in
// doubt, TRUE.
BOOL CanAnyoneSeeWindows(void);

#endif
