// The orbalix program's export command: the filter's exports from the
// command line, as the filter's dialog runs them.
//
//   orbalix export psd IN OUT.psd [--size WxH] [--depth 8|16|32] [options]
//   orbalix export cube IN FOLDER|NAME.psd [--cube-side N] [--depth 8|16|32] [options]
//   orbalix export jpeg|obj|brick|dots|convert-presets IN OUT [options]
//   orbalix export presets FOLDER PAGE.html
#pragma once

#include <string>
#include <vector>

// Runs "export" with the arguments after it; answers the exit status.
int ExportCommandMain(const std::vector<std::string>& args);

// The lines of the program's help that describe the command.
const char* ExportCommandHelp();
