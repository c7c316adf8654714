#include "test_support.h"

#include <cstring>

#include "plan/verdict_text.h"

namespace {

class VerdictTextTest : public StandInTest {
protected:
    void SetUp() override
    {
        StandInTest::SetUp();
        standin::SetAccountName("S-1-1-0", "", "Everyone");
        standin::SetAccountName("S-1-5-21-1-2-3-1002", "HOST", "bob");
    }
};

struct VerdictRow {
    const char* label;
    int rule;
    const char* concerns;
    const char* whose;
    const char* lookup;
    const char* account;  // SID text, or nullptr
    DWORD right;
    const char* text;
};

SafetyVerdict MakeVerdict(const VerdictRow& row)
{
    SafetyVerdict verdict;
    memset(&verdict, 0, sizeof verdict);
    verdict.rule = row.rule;
    strcpy(verdict.concerns, row.concerns);
    strcpy(verdict.whose, row.whose);
    verdict.lookup = row.lookup;
    if (row.account != nullptr) {
        std::string sid = standin::SidBytes(row.account);
        memcpy(verdict.account, sid.data(), sid.size());
    }
    verdict.right = row.right;
    return verdict;
}

const VerdictRow kRows[] = {
    {"a refusal the door did not explain", SAFETY_ALLOWED, "", "", nullptr, nullptr, 0, "refused"},
    {"path form", SAFETY_PATH_FORM, "C:Tess", "", nullptr, nullptr, 0,
     "path form: C:Tess is not written as a full path of a folder of its own"},
    {"not found", SAFETY_NOT_FOUND, "C:\\Vendor\\Tess", "", nullptr, nullptr, 0,
     "not found: nothing usable at C:\\Vendor\\Tess (missing, not a folder, or a program held "
     "open for writing)"},
    {"link", SAFETY_LINK, "C:\\Vendor", "", nullptr, nullptr, 0,
     "link: C:\\Vendor is a link, which may lead anywhere"},
    {"changed", SAFETY_CHANGED, "C:\\Vendor\\Tess", "", nullptr, nullptr, 0,
     "changed: C:\\Vendor\\Tess is no longer what was first found there"},
    {"Windows folder", SAFETY_WINDOWS_FOLDER, "C:\\Windows", "", nullptr, nullptr, 0,
     "Windows folder: C:\\Windows is the Windows folder or lies inside it"},
    {"named by the system", SAFETY_NAMED_FOLDER, "C:\\Program Files", "", nullptr, nullptr, 0,
     "protected folder: it is or holds C:\\Program Files, named by the system"},
    {"named by a user's own settings", SAFETY_NAMED_FOLDER, "D:\\Docs", "S-1-5-21-1-2-3-1002",
     nullptr, nullptr, 0,
     "protected folder: it is or holds D:\\Docs, named by the own settings of the user HOST\\bob"},
    {"named by the settings of a user without a name", SAFETY_NAMED_FOLDER, "D:\\Docs",
     "S-1-5-21-7-8-9-1005", nullptr, nullptr, 0,
     "protected folder: it is or holds D:\\Docs, named by the own settings of the user "
     "S-1-5-21-7-8-9-1005"},
    {"named by the judged account's own settings", SAFETY_NAMED_FOLDER, "D:\\Media",
     "HKEY_CURRENT_USER", nullptr, nullptr, 0,
     "protected folder: it is or holds D:\\Media, named by the own settings of the account judged "
     "for"},
    {"profile", SAFETY_PROFILE, "C:\\Users\\tess", "", nullptr, nullptr, 0,
     "user profile: C:\\Users\\tess is a user profile or the folder of profiles, and it is that "
     "folder or lies directly inside it"},
    {"incomplete", SAFETY_INCOMPLETE, "HKU\\S-1-5-21-1-2-3-1002", "", "the users' own folder settings",
     nullptr, 0,
     "protection incomplete: the protected folders could not all be found: the users' own folder "
     "settings could not be finished, at HKU\\S-1-5-21-1-2-3-1002"},
    {"incomplete, nowhere in particular", SAFETY_INCOMPLETE, "", "",
     "filling the tables of protected folders", nullptr, 0,
     "protection incomplete: the protected folders could not all be found: filling the tables of "
     "protected folders could not be finished"},
    {"security unreadable", SAFETY_SECURITY_UNREADABLE, "C:\\Vendor", "", nullptr, nullptr, 0,
     "security unreadable: the owner and access list of C:\\Vendor cannot be read or judged"},
    {"owner named", SAFETY_UNTRUSTED_OWNER, "C:\\Vendor\\Tess", "", nullptr, "S-1-5-21-1-2-3-1002",
     0, "owner: C:\\Vendor\\Tess is owned by HOST\\bob"},
    {"owner unknown: its SID", SAFETY_UNTRUSTED_OWNER, "C:\\Vendor\\Tess", "", nullptr,
     "S-1-5-21-7-8-9-4294967295", 0,
     "owner: C:\\Vendor\\Tess is owned by S-1-5-21-7-8-9-4294967295"},
    {"others may change it, one right", SAFETY_OTHERS_MAY_CHANGE, "C:\\Vendor", "", nullptr,
     "S-1-1-0", FILE_WRITE_DATA,
     "others may change it: Everyone holds write data or add files (WD) on C:\\Vendor"},
    {"others may change it, several rights", SAFETY_OTHERS_MAY_CHANGE, "C:\\Vendor", "", nullptr,
     "S-1-5-21-1-2-3-1002", WRITE_DAC | DELETE | FILE_DELETE_CHILD,
     "others may change it: HOST\\bob holds change permissions (WDAC), delete (D), delete what "
     "is inside (DC) on C:\\Vendor"},
    {"others may change it, a right without a name", SAFETY_OTHERS_MAY_CHANGE, "C:\\Vendor", "",
     nullptr, "S-1-1-0", 0x00000200u,
     "others may change it: Everyone holds rights 0x00000200 on C:\\Vendor"},
    {"a rule this text does not know", 99, "C:\\Vendor", "", nullptr, nullptr, 0,
     "refused by rule 99"},
};

TEST_F(VerdictTextTest, EachRuleSaysItsNameAndWhatItConcerns)
{
    for (const VerdictRow& row : kRows) {
        SafetyVerdict verdict = MakeVerdict(row);
        char text[kVerdictTextSize];
        memset(text, 'x', sizeof text);
        DescribeVerdict(&verdict, text);
        EXPECT_STREQ(text, row.text) << row.label;
    }
}

TEST_F(VerdictTextTest, LongestPathWithEveryRightFitsWhole)
{
    VerdictRow row = {"", SAFETY_OTHERS_MAY_CHANGE, "", "", nullptr, "S-1-5-21-1-2-3-1002",
                      0xFFFFFFFFu, ""};
    SafetyVerdict verdict = MakeVerdict(row);
    memset(verdict.concerns, 'C', MAX_PATH - 1);
    char text[kVerdictTextSize + 16];
    memset(text, 'x', sizeof text);
    DescribeVerdict(&verdict, text);
    std::string described = text;
    EXPECT_EQ(described.substr(described.size() - (MAX_PATH + 3)), " on " + std::string(MAX_PATH - 1, 'C'))
        << "every right named, then the whole path";
    EXPECT_NE(described.find("write attributes (WA)"), std::string::npos);
    EXPECT_EQ(text[kVerdictTextSize], 'x') << "nothing written past the buffer";
}

}  // namespace
