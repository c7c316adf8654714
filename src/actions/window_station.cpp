#include "window_station.h"

BOOL CanAnyoneSeeWindows(void)
{
    USEROBJECTFLAGS flags;
    DWORD needed;
    if (!GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   &needed)) {
        return TRUE;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}
