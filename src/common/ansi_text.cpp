// Text in the system's ANSI code page, where a lead byte and its trail byte are one character.
#include "ansi_text.h"

#include <string.h>

static BOOL IsLeadByte(unsigned char byte)
{
    return byte != 0 && IsDBCSLeadByte(byte);
}

const char* SkipCharacter(const char* text)
{
    const unsigned char* bytes = (const unsigned char*)text;
    if (bytes[0] == 0) {
        return text;
    }
    if (IsLeadByte(bytes[0]) && bytes[1] != 0) {
        return text + 2;
    }
    return text + 1;
}

// The character at `*text` as one number (0 at the end), advancing past it.
static unsigned int TakeCharacterNoCase(const char** text)
{
    const unsigned char* bytes = (const unsigned char*)*text;
    if (bytes[0] == 0) {
        return 0;
    }
    if (IsLeadByte(bytes[0])) {
        if (bytes[1] == 0) {
            return 0;
        }
        *text += 2;
        return (unsigned int)bytes[0] << 8 | bytes[1];
    }
    *text += 1;
    if (bytes[0] >= 'A' && bytes[0] <= 'Z') {
        return bytes[0] + ('a' - 'A');
    }
    return bytes[0];
}

int CompareTextNoCase(const char* first, const char* second, size_t count)
{
    for (size_t taken = 0; taken < count; ++taken) {
        unsigned int left = TakeCharacterNoCase(&first);
        unsigned int right = TakeCharacterNoCase(&second);
        if (left != right) {
            return left < right ? -1 : 1;
        }
        if (left == 0) {
            break;
        }
    }
    return 0;
}

size_t CountCharacters(const char* text)
{
    size_t characters = 0;
    for (; *text != 0; text = SkipCharacter(text)) {
        ++characters;
    }
    return characters;
}

char* FindLastBackslash(char* text)
{
    char* found = NULL;
    while (*text != 0) {
        if (*text == '\\') {
            found = text;
        }
        text = (char*)SkipCharacter(text);
    }
    return found;
}

size_t FitTextPrefix(const char* text, size_t limit)
{
    const char* end = text;
    while (*end != 0) {
        const char* next = SkipCharacter(end);
        if ((size_t)(next - text) > limit) {
            break;
        }
        end = next;
    }
    return (size_t)(end - text);
}

void AppendText(char* buffer, size_t size, const char* text)
{
    size_t used = strlen(buffer);
    size_t length = FitTextPrefix(text, size - 1 - used);
    memcpy(buffer + used, text, length);
    buffer[used + length] = 0;
}

void AppendNumber(char* buffer, size_t size, unsigned long number)
{
    char digits[12];
    size_t at = sizeof digits - 1;
    digits[at] = 0;
    do {
        digits[--at] = (char)('0' + number % 10);
        number /= 10;
    } while (number != 0);
    AppendText(buffer, size, digits + at);
}
