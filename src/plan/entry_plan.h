// What the launcher would do with one uninstall entry.
#ifndef ENTRY_PLAN_H
#define ENTRY_PLAN_H

enum EntryPlan { ENTRY_NOT_INSTALLED, ENTRY_NO_COMMAND, ENTRY_STARTS, ENTRY_CANNOT_START };

// The entry's name: the last part of its key path.
const char* EntryName(const char* keyPath);

// Prints "<entry name>: " and what would happen to it; returns that as an EntryPlan.
int PrintEntryPlan(const char* keyPath);

#endif
