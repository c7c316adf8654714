// Shared pieces of the fuzz targets: property checks that end the run, exact-size copies so that
// a read past a terminator is caught, and the code pages' own reading of text.
#ifndef FUZZ_SUPPORT_H
#define FUZZ_SUPPORT_H

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "stand_in.h"

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "property broken at %s:%d: %s\n", __FILE__, __LINE__,         \
                         #condition);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

namespace fuzz {

// The heap copy ends exactly at the terminator, so AddressSanitizer sees any read beyond it.
inline std::unique_ptr<char[]> ExactCopy(const std::string& text)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.data(), text.size());
    copy[text.size()] = 0;
    return copy;
}

inline std::string UpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// The first input byte's lowest bit picks the code page: 1252 (single byte) or 932 (double byte).
inline UINT PickCodePage(uint8_t selector) { return (selector & 1) != 0 ? 932 : 1252; }

// Lead bytes of code page 932 (Shift JIS); 1252 has none.
inline bool IsLead(UINT codePage, unsigned char byte)
{
    return codePage == 932 && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

// Where each character of `text` starts, plus text.size() at the end. A lead byte followed by any
// byte is one character with it; a lead byte that stands last is a character of its own.
inline std::vector<size_t> CharacterStarts(UINT codePage, const std::string& text)
{
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        i += IsLead(codePage, static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    starts.push_back(text.size());
    return starts;
}

inline bool IsCharacterStart(UINT codePage, const std::string& text, size_t offset)
{
    for (size_t start : CharacterStarts(codePage, text)) {
        if (start == offset) return true;
    }
    return false;
}

inline void ExpectNoHandleLeft()
{
    FUZZ_CHECK(standin::OpenKeyCount() == 0);
    FUZZ_CHECK(standin::OpenFileHandleCount() == 0);
    FUZZ_CHECK(standin::OpenProcessHandleCount() == 0);
    FUZZ_CHECK(standin::UnknownHandleCloses() == 0);
}

}  // namespace fuzz

#endif
