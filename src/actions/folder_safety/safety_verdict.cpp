// Why a rule refused, recorded into the verdict the door was handed.
#include "safety_verdict.h"

#ifdef SAFETY_VERDICTS

#include <string.h>

#include "../../common/ansi_text.h"

static SafetyVerdict* g_verdict;

// NULL copies as "".
static void CopyText(char* destination, const char* text)
{
    size_t length = 0;
    if (text != NULL) {
        length = FitTextPrefix(text, MAX_PATH - 1);
        memcpy(destination, text, length);
    }
    destination[length] = 0;
}

void StartVerdict(SafetyVerdict* verdict)
{
    g_verdict = verdict;
    if (verdict != NULL) {
        ZeroMemory(verdict, sizeof *verdict);
    }
}

void RecordRefusal(int rule, const char* concerns)
{
    if (g_verdict == NULL || g_verdict->rule != SAFETY_ALLOWED) {
        return;
    }
    g_verdict->rule = rule;
    CopyText(g_verdict->concerns, concerns);
}

void RecordNamedFolder(const char* folder, const char* whose)
{
    if (g_verdict != NULL && g_verdict->rule == SAFETY_ALLOWED) {
        CopyText(g_verdict->whose,
                 whose == NULL || whose[0] != 0 ? whose : "HKEY_CURRENT_USER");
    }
    RecordRefusal(SAFETY_NAMED_FOLDER, folder);
}

void RecordIncomplete(const char* lookup, const char* concerns)
{
    if (g_verdict != NULL && g_verdict->rule == SAFETY_ALLOWED) {
        g_verdict->lookup = lookup;
    }
    RecordRefusal(SAFETY_INCOMPLETE, concerns);
}

void RecordAccount(int rule, const char* concerns, const BYTE* account, DWORD right)
{
    if (g_verdict != NULL && g_verdict->rule == SAFETY_ALLOWED) {
        memcpy(g_verdict->account, account, 8 + 4 * (size_t)account[1]);  // the SID's own length
        g_verdict->right = right;
    }
    RecordRefusal(rule, concerns);
}

#endif
