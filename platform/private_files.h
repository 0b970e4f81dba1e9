// Files of fixed names in a folder that other users may write to, such as
// the temporary folder. Nothing is followed through a link someone planted
// there: a read opens only a plain file of the current user, and a write
// goes to a new file made exclusively beside the target that then replaces
// the target's own directory entry (a planted link is replaced, its target
// never written). One implementation per platform.
#pragma once

#include <cstddef>

#include "platform/settings_os.h"

// Opens `path` for reading when it is a plain file that the current user
// owns and not a link; otherwise the invalid file.
OsFile OsOpenPrivateFileForReading(const char* path);

// Creates a new, uniquely named file beside `path` for writing and stores
// its name in `scratchPath` (`capacity` bytes). Invalid when none can be made.
OsFile OsCreatePrivateScratchFile(const char* path, char* scratchPath, size_t capacity);

// Moves the closed scratch file over `path`; the scratch file is removed
// when that fails. False on failure.
bool OsCommitPrivateScratchFile(const char* scratchPath, const char* path);
