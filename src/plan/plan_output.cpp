// The plan's lines on standard output.
#include "plan_output.h"

#include <windows.h>
#include <string.h>

void PrintText(const char* text)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)strlen(text), &written, NULL);
}

void PrintLine(const char* text)
{
    PrintText(text);
    PrintText("\r\n");
}
