#include "test_support.h"

#include "common/ansi_text.h"
#include "common/registry_text.h"

namespace {

class AnsiTextTest : public StandInTest {};

TEST_F(AnsiTextTest, ComparisonIgnoresAsciiCaseAndStopsAtCountOrEnd)
{
    EXPECT_EQ(CompareTextNoCase("Tessaline", "TESSALINE", 9), 0);
    EXPECT_EQ(CompareTextNoCase("abc", "abd", 2), 0);
    EXPECT_NE(CompareTextNoCase("abc", "abd", 3), 0);
    EXPECT_EQ(CompareTextNoCase("", "473", 0), 0);
    EXPECT_NE(CompareTextNoCase("47", "473", 3), 0);
    EXPECT_EQ(CompareTextNoCase("abc", "abc", 50), 0) << "equal texts end together";
    EXPECT_LT(CompareTextNoCase("a", "b", 1), 0);
    EXPECT_GT(CompareTextNoCase("b", "a", 1), 0);
}

TEST_F(AnsiTextTest, DoubleByteCharacterCountsAsOneInCodePage932)
{
    const char* first = "\x82\xA0" "4";
    const char* second = "\x82\xA0" "5";
    standin::SetCodePage(932);
    EXPECT_EQ(CompareTextNoCase(first, second, 1), 0);
    EXPECT_NE(CompareTextNoCase(first, second, 2), 0);
    // A trail byte that looks like a letter is not folded.
    EXPECT_NE(CompareTextNoCase("\x82\x61", "\x82\x41", 1), 0);

    standin::SetCodePage(1252);
    EXPECT_EQ(CompareTextNoCase(first, second, 2), 0);
    EXPECT_EQ(CompareTextNoCase("\x82\x61", "\x82\x41", 2), 0);
}

TEST_F(AnsiTextTest, LoneLeadByteAtTheEndEndsTheText)
{
    standin::SetCodePage(932);
    EXPECT_EQ(CompareTextNoCase("473\x81", "473", 4), 0);
    EXPECT_NE(CompareTextNoCase("473\x81\x40", "473", 5), 0);
    standin::SetCodePage(1252);
    EXPECT_NE(CompareTextNoCase("473\x81", "473", 4), 0);
}

TEST_F(AnsiTextTest, LastBackslashSkipsTrailBytes)
{
    char plain[] = "C:\\Vendor\\Tess";
    EXPECT_EQ(FindLastBackslash(plain), plain + 9);
    char none[] = "Tess";
    EXPECT_EQ(FindLastBackslash(none), nullptr);

    // 0x83 0x5C is one character in code page 932 whose second byte is the backslash's code.
    char folder[] = "C:\\Vendor\\\x83\x5C";
    standin::SetCodePage(932);
    EXPECT_EQ(FindLastBackslash(folder), folder + 9);
    char trailing[] = "C:\\\x83\x5C\\";
    EXPECT_EQ(FindLastBackslash(trailing), trailing + 5);
    char loneLead[] = "C:\\a\\\x83";
    EXPECT_EQ(FindLastBackslash(loneLead), loneLead + 4);

    standin::SetCodePage(1252);
    EXPECT_EQ(FindLastBackslash(folder), folder + 11);
}

TEST_F(AnsiTextTest, PrefixNeverSplitsACharacter)
{
    EXPECT_EQ(FitTextPrefix("abcdef", 4), 4u);
    EXPECT_EQ(FitTextPrefix("ab", 4), 2u);
    EXPECT_EQ(FitTextPrefix("", 4), 0u);
    standin::SetCodePage(932);
    EXPECT_EQ(FitTextPrefix("ab\x83\x5C" "c", 3), 2u);
    EXPECT_EQ(FitTextPrefix("ab\x83\x5C" "c", 4), 4u);
    standin::SetCodePage(1252);
    EXPECT_EQ(FitTextPrefix("ab\x83\x5C" "c", 3), 3u);
}

// Reads `bytes` stored as a value through ReadStringValue into a buffer full of junk.
struct ReadResult {
    BOOL read;
    std::string text;
};

ReadResult ReadStoredValue(const std::string& bytes, DWORD type = REG_SZ)
{
    standin::SetValue("Software\\Test", "Value", type, bytes);
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Test", 0, KEY_READ, &key), ERROR_SUCCESS);
    char buffer[MAX_PATH + 8];
    memset(buffer, 'J', sizeof buffer);
    ReadResult result;
    result.read = ReadStringValue(key, "Value", buffer);
    RegCloseKey(key);
    EXPECT_EQ(buffer[MAX_PATH], 'J') << "wrote past the buffer";
    EXPECT_NE(memchr(buffer, 0, MAX_PATH), nullptr) << "left unterminated";
    result.text = buffer;
    return result;
}

TEST_F(AnsiTextTest, StringValuesAreAlwaysTerminatedWithinTheirBuffer)
{
    ReadResult ordinary = ReadStoredValue(std::string("C:\\Tess") + '\0');
    EXPECT_TRUE(ordinary.read);
    EXPECT_EQ(ordinary.text, "C:\\Tess");

    ReadResult withoutNul = ReadStoredValue("C:\\Tess");
    EXPECT_TRUE(withoutNul.read);
    EXPECT_EQ(withoutNul.text, "C:\\Tess");

    ReadResult longest = ReadStoredValue(std::string(259, 'a') + '\0');
    EXPECT_TRUE(longest.read);
    EXPECT_EQ(longest.text, std::string(259, 'a'));

    ReadResult expandable = ReadStoredValue(std::string("%ProgramFiles%\\Tess") + '\0', REG_EXPAND_SZ);
    EXPECT_EQ(expandable.text, "%ProgramFiles%\\Tess") << "stored text is used as it is";

    ReadResult innerNul = ReadStoredValue(std::string("abc") + '\0' + std::string(256, 'z'));
    EXPECT_TRUE(innerNul.read);
    EXPECT_EQ(innerNul.text, "abc");
}

TEST_F(AnsiTextTest, ValuesThatDoNotFitWholeLeaveTheBufferEmpty)
{
    ReadResult fullWithoutNul = ReadStoredValue(std::string(260, 'a'));
    EXPECT_FALSE(fullWithoutNul.read);
    EXPECT_EQ(fullWithoutNul.text, "");

    ReadResult tooLong = ReadStoredValue(std::string(260, 'a') + '\0');
    EXPECT_FALSE(tooLong.read);
    EXPECT_EQ(tooLong.text, "");

    HKEY key;
    standin::AddKey("Software\\Empty");
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Empty", 0, KEY_READ, &key), ERROR_SUCCESS);
    char buffer[MAX_PATH];
    memset(buffer, 'J', sizeof buffer);
    EXPECT_FALSE(ReadStringValue(key, "Missing", buffer));
    EXPECT_EQ(buffer[0], 0);
    RegCloseKey(key);
}

}  // namespace
