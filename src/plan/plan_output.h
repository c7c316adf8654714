// The plan's lines on standard output.
#ifndef PLAN_OUTPUT_H
#define PLAN_OUTPUT_H

// The plan's only output: text on standard output, as it is (the ANSI code page).
void PrintText(const char* text);

// The text, then the end of the line.
void PrintLine(const char* text);

#endif
