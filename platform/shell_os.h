// What the exports and the preset-folder conversion need of the operating
// system beyond files: the current date and time in UTC, the entries of a
// folder, a rename that never replaces a file, and asking the desktop shell
// to open a written page. One implementation per platform; the clock can be
// replaced by tests.
#pragma once

#include <cstdint>

struct UtcDateTime {
  int32_t year;
  int32_t month;  // 1..12
  int32_t day;    // 1..31
  int32_t hour;
  int32_t minute;
  int32_t second;
};

// The current UTC time, from the clock set by SetUtcClock or the system's.
void CurrentUtcTime(UtcDateTime* out);
using UtcClockProc = void (*)(UtcDateTime* out);
// Replaces the clock; null restores the system's.
void SetUtcClock(UtcClockProc clock);

// One entry of a folder listing; answer false to stop the listing.
using FolderEntryProc = bool (*)(void* context, const char* name, bool isFolder, bool readOnly);
// Lists the entries of `folder` (without "." and ".."), in the system's
// order. False when the folder cannot be listed.
bool OsListFolder(const char* folder, FolderEntryProc visit, void* context);

// Renames `from` to `to` in one step; false, with nothing changed, when `to`
// exists or the rename fails.
bool OsRenameNoReplace(const char* from, const char* to);

// Asks the desktop shell to open the file (a page in the user's browser).
// False when there is no shell to ask or it refused.
bool OsOpenInShell(const char* path);

// The system's side.
void OsUtcNow(UtcDateTime* out);
