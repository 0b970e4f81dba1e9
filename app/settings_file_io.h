// Settings files (".q2q") for the orbalix program: checked before a run,
// loaded into the filter's settings inside the run, and the settings of a
// run saved with a thumbnail of its result.
#pragma once

#include <functional>
#include <string>

#include "app/image_files.h"
#include "host/parameter_block.h"

// Reads the file into `block`; false with the reason when it cannot be read
// (the block is then unchanged).
bool LoadSettingsFileInto(const std::string& path, ParameterBlock* block, std::string* error);
// Checks that the file reads as settings, without a filter run.
bool CheckSettingsFile(const std::string& path, std::string* error);
// Saves the settings with a thumbnail of `result`; the file is replaced only
// when the whole new one is written.
bool SaveSettingsWithThumbnail(const std::string& path, const ParameterBlock& settings, const ImageFile& result,
                               std::string* error);
// Writes the same stream to the open file `fd` (left open); `path` names it
// in messages.
// `stop` is asked while the thumbnail is made.
bool WriteSettingsWithThumbnail(int fd, const std::string& path, const ParameterBlock& settings,
                                const ImageFile& result, std::string* error,
                                const std::function<bool()>& stop = nullptr);
