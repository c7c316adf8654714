// An entry's command as the launcher reads it, and the text it shows when that cannot start.
#include "uninstall_command.h"

#include <string.h>

#include "../common/ansi_text.h"
#include "../common/registry_text.h"

static const char kStartErrorPrefix[] = "Error to Execute \"";

BOOL ReadUninstallCommand(HKEY key, char* command)
{
    return ReadStringValue(key, "UninstallString", command);
}

void FormatStartError(const char* command, char* message)
{
    const size_t prefixLength = sizeof kStartErrorPrefix - 1;
    size_t commandLength = FitTextPrefix(command, MAX_PATH - prefixLength - 2);
    memcpy(message, kStartErrorPrefix, prefixLength);
    memcpy(message + prefixLength, command, commandLength);
    message[prefixLength + commandLength] = '"';
    message[prefixLength + commandLength + 1] = 0;
}
