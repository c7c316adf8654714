// A verdict of the safety rules in words.
#include "verdict_text.h"

#include <string.h>

#include "../common/ansi_text.h"

struct RightName {
    DWORD right;
    const char* words;  // with the letters icacls shows for it
};

static const RightName kRightNames[] = {
    {GENERIC_ALL, "full control (GA)"},
    {GENERIC_WRITE, "write (GW)"},
    {WRITE_DAC, "change permissions (WDAC)"},
    {WRITE_OWNER, "take ownership (WO)"},
    {DELETE, "delete (D)"},
    {FILE_DELETE_CHILD, "delete what is inside (DC)"},
    {FILE_WRITE_DATA, "write data or add files (WD)"},
    {FILE_APPEND_DATA, "append data or add folders (AD)"},
    {FILE_WRITE_EA, "write extended attributes (WEA)"},
    {FILE_WRITE_ATTRIBUTES, "write attributes (WA)"},
};

static const BYTE kMaxSubAuthorities = 15;

// "S-1-5-21-...", read from the SID's own bytes: the system's conversion allocates.
static void AppendSidText(char* text, size_t size, const BYTE* sid)
{
    AppendText(text, size, "S-");
    AppendNumber(text, size, sid[0]);
    AppendText(text, size, "-");
    unsigned long authority = 0;
    for (int i = 4; i < 8; ++i) {
        authority = authority << 8 | sid[i];  // the two high bytes are 0 for every real account
    }
    AppendNumber(text, size, authority);
    BYTE count = sid[1] <= kMaxSubAuthorities ? sid[1] : kMaxSubAuthorities;
    for (BYTE i = 0; i < count; ++i) {
        const BYTE* part = sid + 8 + 4 * i;
        AppendText(text, size, "-");
        AppendNumber(text, size,
                     (unsigned long)part[0] | (unsigned long)part[1] << 8 |
                         (unsigned long)part[2] << 16 | (unsigned long)part[3] << 24);
    }
}

void DescribeAccount(const BYTE* sid, char* name)
{
    char user[MAX_PATH];
    char domain[MAX_PATH];
    DWORD userSize = MAX_PATH;
    DWORD domainSize = MAX_PATH;
    SID_NAME_USE use;
    name[0] = 0;
    if (sid[1] <= kMaxSubAuthorities &&
        LookupAccountSidA(NULL, (PSID)sid, user, &userSize, domain, &domainSize, &use)) {
        if (domain[0] != 0) {
            AppendText(name, MAX_PATH, domain);
            AppendText(name, MAX_PATH, "\\");
        }
        AppendText(name, MAX_PATH, user);
        return;
    }
    AppendSidText(name, MAX_PATH, sid);
}

// "S-1-5-21-..." back into the SID's bytes (SECURITY_MAX_SID_SIZE); FALSE for any other text.
static BOOL ParseSidText(const char* text, BYTE* sid)
{
    if (text[0] != 'S' || text[1] != '-') {
        return FALSE;
    }
    unsigned long parts[2 + kMaxSubAuthorities];
    int count = 0;
    for (const char* position = text + 1; *position == '-' && count < 2 + kMaxSubAuthorities;) {
        unsigned long part = 0;
        const char* digits = ++position;
        for (; *position >= '0' && *position <= '9'; ++position) {
            part = part * 10 + (unsigned long)(*position - '0');
        }
        if (position == digits) {
            return FALSE;
        }
        parts[count++] = part;
        if (*position == 0) {
            break;
        }
    }
    if (count < 3 || text[strlen(text) - 1] == '-' || parts[0] != 1) {
        return FALSE;
    }
    ZeroMemory(sid, 8);
    sid[0] = 1;
    sid[1] = (BYTE)(count - 2);
    for (int i = 0; i < 4; ++i) {
        sid[7 - i] = (BYTE)(parts[1] >> (8 * i));
    }
    for (int i = 2; i < count; ++i) {
        for (int j = 0; j < 4; ++j) {
            sid[8 + 4 * (i - 2) + j] = (BYTE)(parts[i] >> (8 * j));
        }
    }
    return TRUE;
}

// Whose settings name a protected folder: a user's SID, or the account judged for.
static void AppendWhose(char* text, const char* whose)
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    char account[MAX_PATH];
    if (strcmp(whose, "HKEY_CURRENT_USER") == 0) {
        AppendText(text, kVerdictTextSize, "the own settings of the account judged for");
        return;
    }
    AppendText(text, kVerdictTextSize, "the own settings of the user ");
    if (ParseSidText(whose, sid)) {
        DescribeAccount(sid, account);
        AppendText(text, kVerdictTextSize, account);
    } else {
        AppendText(text, kVerdictTextSize, whose);
    }
}

static void AppendRights(char* text, DWORD right)
{
    BOOL first = TRUE;
    for (size_t i = 0; i < sizeof kRightNames / sizeof kRightNames[0]; ++i) {
        if ((right & kRightNames[i].right) != 0) {
            AppendText(text, kVerdictTextSize, first ? "" : ", ");
            AppendText(text, kVerdictTextSize, kRightNames[i].words);
            first = FALSE;
        }
    }
    if (first) {
        AppendText(text, kVerdictTextSize, "rights 0x");
        char digits[9];
        for (int i = 0; i < 8; ++i) {
            digits[i] = "0123456789abcdef"[right >> (28 - 4 * i) & 0xF];
        }
        digits[8] = 0;
        AppendText(text, kVerdictTextSize, digits);
    }
}

// Rule words, then what the rule concerns, then the words after it.
static void Compose(char* text, const char* rule, const char* before, const char* concerns,
                    const char* after)
{
    AppendText(text, kVerdictTextSize, rule);
    AppendText(text, kVerdictTextSize, ": ");
    AppendText(text, kVerdictTextSize, before);
    AppendText(text, kVerdictTextSize, concerns);
    AppendText(text, kVerdictTextSize, after);
}

// The rules whose words are only a name and the folder or file they concern.
struct RuleWords {
    int rule;
    const char* name;
    const char* before;  // the concerned path stands between these two
    const char* after;
};

static const RuleWords kPlainRules[] = {
    {SAFETY_PATH_FORM, "path form", "", " is not written as a full path of a folder of its own"},
    {SAFETY_NOT_FOUND, "not found", "nothing usable at ",
     " (missing, not a folder, or a program held open for writing)"},
    {SAFETY_LINK, "link", "", " is a link, which may lead anywhere"},
    {SAFETY_CHANGED, "changed", "", " is no longer what was first found there"},
    {SAFETY_WINDOWS_FOLDER, "Windows folder", "", " is the Windows folder or lies inside it"},
    {SAFETY_PROFILE, "user profile", "",
     " is a user profile or the folder of profiles, and it is that folder or lies directly inside "
     "it"},
    {SAFETY_SECURITY_UNREADABLE, "security unreadable", "the owner and access list of ",
     " cannot be read or judged"},
};

void DescribeVerdict(const SafetyVerdict* verdict, char* text)
{
    const char* concerns = verdict->concerns;
    char account[MAX_PATH];
    text[0] = 0;
    for (size_t i = 0; i < sizeof kPlainRules / sizeof kPlainRules[0]; ++i) {
        if (kPlainRules[i].rule == verdict->rule) {
            Compose(text, kPlainRules[i].name, kPlainRules[i].before, concerns,
                    kPlainRules[i].after);
            return;
        }
    }
    switch (verdict->rule) {
    case SAFETY_ALLOWED:  // the door refused without saying why
        AppendText(text, kVerdictTextSize, "refused");
        break;
    case SAFETY_NAMED_FOLDER:
        Compose(text, "protected folder", "it is or holds ", concerns, ", named by ");
        if (verdict->whose[0] == 0) {
            AppendText(text, kVerdictTextSize, "the system");
        } else {
            AppendWhose(text, verdict->whose);
        }
        break;
    case SAFETY_INCOMPLETE:
        Compose(text, "protection incomplete", "the protected folders could not all be found: ",
                verdict->lookup != NULL ? verdict->lookup : "a lookup",
                concerns[0] != 0 ? " could not be finished, at " : " could not be finished");
        AppendText(text, kVerdictTextSize, concerns);
        break;
    case SAFETY_UNTRUSTED_OWNER:
        DescribeAccount(verdict->account, account);
        Compose(text, "owner", "", concerns, " is owned by ");
        AppendText(text, kVerdictTextSize, account);
        break;
    case SAFETY_OTHERS_MAY_CHANGE:
        DescribeAccount(verdict->account, account);
        Compose(text, "others may change it", account, " holds ", "");
        AppendRights(text, verdict->right);
        AppendText(text, kVerdictTextSize, " on ");
        AppendText(text, kVerdictTextSize, concerns);
        break;
    default:
        AppendText(text, kVerdictTextSize, "refused by rule ");
        AppendNumber(text, kVerdictTextSize, (unsigned long)verdict->rule);
        break;
    }
}
