// Text in the system's ANSI code page, where a lead byte and its trail byte are one character.
#ifndef ANSI_TEXT_H
#define ANSI_TEXT_H

#include <windows.h>
#include <stddef.h>

// Text here is in the system's ANSI code page: a lead byte and its trail byte are one character.

// The character after the one at `text`; a lead byte whose trail byte is missing counts alone.
const char* SkipCharacter(const char* text);

// Compares at most `count` characters, ignoring ASCII case. A lead byte without its trail byte
// ends the text. Returns 0 when equal, like the runtime's comparisons.
int CompareTextNoCase(const char* first, const char* second, size_t count);

// How many characters `text` holds: the unit CompareTextNoCase counts in.
size_t CountCharacters(const char* text);

// The last backslash that is a character of its own, never the trail byte of a double-byte one.
char* FindLastBackslash(char* text);

// Length in bytes of the longest prefix of `text` within `limit` bytes that splits no character.
size_t FitTextPrefix(const char* text, size_t limit);

// Appends `text` to the text in `buffer` (`size` bytes), as much of it as fits whole characters.
void AppendText(char* buffer, size_t size, const char* text);

// Appends `number` in decimal, as AppendText does.
void AppendNumber(char* buffer, size_t size, unsigned long number);

#endif
