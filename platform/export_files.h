// What the export writers need of the operating system beyond the private
// files: a document is written into a scratch file made exclusively beside
// its target (OsCreatePrivateScratchFile) and renamed over the target when it
// is complete (OsCommitPrivateScratchFile). Unlike a private file, a written
// document is the user's: it gets the permissions that the target has, or
// that a new file in its folder would get. One implementation per platform.
#pragma once

#include "platform/settings_os.h"

// Gives the open scratch file the permissions of the file at `targetPath`,
// or those of a new file when there is none. False when they cannot be set.
bool OsShareScratchFile(OsFile file, const char* targetPath);

// Forces the written bytes to the disk; false when the system reports that
// they could not be stored.
bool OsFlushFileToDisk(OsFile file);

