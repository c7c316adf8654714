// Whether anyone can see a window this process shows.
#include "window_station.h"

BOOL CanAnyoneSeeWindows(void)
{
    // Since Windows Vista no user sees session 0, whatever its window station says.
    DWORD session;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) {
        return FALSE;
    }
    USEROBJECTFLAGS flags;
    DWORD needed;
    if (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   &needed)) {
        return TRUE;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}
