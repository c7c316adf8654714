// The double-byte aware text routines against plain references written over whole strings.
#include "fuzz_support.h"

#include <algorithm>

#include "common/ansi_text.h"

namespace {

// Characters as numbers: a double-byte character is its two bytes, a single byte is taken in
// lower case (ASCII letters only); a lead byte that stands last ends the text.
std::vector<unsigned> ReferenceCharacters(UINT codePage, const std::string& text)
{
    std::vector<unsigned> characters;
    for (size_t i = 0; i < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (fuzz::IsLead(codePage, byte)) {
            if (i + 1 == text.size()) break;
            characters.push_back(0x10000u + (byte << 8) + static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            characters.push_back(byte >= 'A' && byte <= 'Z' ? byte + 32u : byte);
            i += 1;
        }
    }
    return characters;
}

bool ReferenceEqual(UINT codePage, const std::string& first, const std::string& second, size_t count)
{
    std::vector<unsigned> left = ReferenceCharacters(codePage, first);
    std::vector<unsigned> right = ReferenceCharacters(codePage, second);
    left.resize(std::min(left.size(), count));
    right.resize(std::min(right.size(), count));
    return left == right;
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Swaps the case of ASCII letters that are characters of their own.
std::string SwapCase(UINT codePage, const std::string& text)
{
    std::string swapped = text;
    std::vector<size_t> starts = fuzz::CharacterStarts(codePage, text);
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
        if (starts[k + 1] - starts[k] != 1) continue;
        char& c = swapped[starts[k]];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return swapped;
}

}  // namespace

// Input: selector (code page; second text is the first with its case swapped), count, limit,
// then the first text and, after a NUL, the second.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3) return 0;
    const UINT codePage = fuzz::PickCodePage(data[0]);
    const bool swapCase = (data[0] & 2) != 0;
    const size_t count = data[1];
    const size_t limit = data[2];
    const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
    const std::string first = fuzz::UpToNul(rest);
    const std::string second = swapCase ? SwapCase(codePage, first)
                             : first.size() < rest.size() ? fuzz::UpToNul(rest.substr(first.size() + 1))
                                                          : std::string();
    standin::Reset();
    standin::SetCodePage(codePage);
    std::unique_ptr<char[]> a = fuzz::ExactCopy(first);
    std::unique_ptr<char[]> b = fuzz::ExactCopy(second);

    // Comparison: equality as the reference says, and a consistent order both ways.
    const int forward = CompareTextNoCase(a.get(), b.get(), count);
    const int backward = CompareTextNoCase(b.get(), a.get(), count);
    FUZZ_CHECK((forward == 0) == ReferenceEqual(codePage, first, second, count));
    FUZZ_CHECK(Sign(forward) == -Sign(backward));
    FUZZ_CHECK(CompareTextNoCase(a.get(), a.get(), count) == 0);

    // Skipping a character: from every character start to the next one, and never past the end.
    std::vector<size_t> starts = fuzz::CharacterStarts(codePage, first);
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
        FUZZ_CHECK(SkipCharacter(a.get() + starts[k]) == a.get() + starts[k + 1]);
    }
    FUZZ_CHECK(SkipCharacter(a.get() + first.size()) == a.get() + first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        const char* next = SkipCharacter(a.get() + i);
        FUZZ_CHECK(next > a.get() + i && next <= a.get() + std::min(i + 2, first.size()));
    }

    // Last backslash: the last character that is a backslash of its own.
    const char* expectedBackslash = nullptr;
    for (size_t k = 0; k + 1 < starts.size(); ++k) {
        if (starts[k + 1] - starts[k] == 1 && first[starts[k]] == '\\') {
            expectedBackslash = a.get() + starts[k];
        }
    }
    FUZZ_CHECK(FindLastBackslash(a.get()) == expectedBackslash);

    // Prefix within a limit: the longest one that ends on a character boundary.
    size_t expectedPrefix = 0;
    for (size_t start : starts) {
        if (start <= limit) expectedPrefix = start;
    }
    FUZZ_CHECK(FitTextPrefix(a.get(), limit) == expectedPrefix);
    FUZZ_CHECK(FitTextPrefix(a.get(), first.size() + 2) == first.size());
    return 0;
}
