// A verdict of the safety rules in words.
#ifndef VERDICT_TEXT_H
#define VERDICT_TEXT_H

#include <windows.h>

#include "../actions/folder_safety/folder_safety.h"

// Room for a verdict in words: its path, a second path or account, and the rights.
const size_t kVerdictTextSize = 1024;

// "<rule>: <what it concerns>" for the verdict of a refusal, into kVerdictTextSize bytes.
void DescribeVerdict(const SafetyVerdict* verdict, char* text);

// The account's name as the system gives it ("DOMAIN\name"), else its SID as text, into MAX_PATH
// bytes.
void DescribeAccount(const BYTE* sid, char* name);

#endif
