// The outputs of a run (the image and a saved settings file): each is written
// to a private new file beside its target, made exclusively and never through
// a link, and only when every output is complete are they put in place
// together. A failed or stopped run changes nothing.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct PendingOutput {
  std::string target;   // the path the user named
  std::string scratch;  // the private file beside it, while it exists
  int fd = -1;          // open on the scratch file while it is written
  int slot = -1;        // its entry in the registry of the stop signals
  mode_t mode = 0;      // that of the file it replaces, else the default of a new file
};

// Checks before any work that `target` can be written: its folder takes new
// files and the name is not a folder.
bool CheckOutputTarget(const std::string& target, std::string* error);

// Makes the scratch file of `target`.
bool BeginOutput(const std::string& target, PendingOutput* output, std::string* error);
// Flushes the scratch file to the disk, gives it its final mode and closes it.
bool FinishOutput(PendingOutput* output, std::string* error);
// Removes the scratch file, if any.
void DiscardOutput(PendingOutput* output);

// Puts the finished outputs in place in order, all or none: when one fails,
// those already moved are put back as they were. The scratch files are gone
// afterwards either way.
bool CommitOutputs(const std::vector<PendingOutput*>& outputs, std::string* error);

// True when the two paths name one file (or would, once created).
bool SameFile(const std::string& a, const std::string& b);
