// Why a rule refused, recorded into the verdict the door was handed.
#ifndef SAFETY_VERDICT_H
#define SAFETY_VERDICT_H

// Without SAFETY_VERDICTS (the launcher, which ignores them) every call here is empty and costs
// nothing.

#include "folder_safety.h"

#ifdef SAFETY_VERDICTS
// From here on the rules record into `verdict` (may be NULL), which starts out allowed.
void StartVerdict(SafetyVerdict* verdict);
// Each records only the first refusal: the rule that decided.
void RecordRefusal(int rule, const char* concerns);
// `whose`: NULL for the system, "" for the launcher's own settings, else a user's SID.
void RecordNamedFolder(const char* folder, const char* whose);
void RecordIncomplete(const char* lookup, const char* concerns);
void RecordAccount(int rule, const char* concerns, const BYTE* account, DWORD right);
#else
inline void StartVerdict(SafetyVerdict*) {}
inline void RecordRefusal(int, const char*) {}
inline void RecordNamedFolder(const char*, const char*) {}
inline void RecordIncomplete(const char*, const char*) {}
inline void RecordAccount(int, const char*, const BYTE*, DWORD) {}
#endif

#endif
