// What the reader tests share for running programs: shell quoting, a tool's
// standard output, the orbalix program's command line and exit code, and the
// small picture the program tests feed it.
#pragma once

#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/image_files.h"

// `text` as one word for the shell, whatever it holds.
inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command and answers what it wrote to its standard output.
inline std::string RunTool(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  pclose(pipe);
  return output;
}

// The orbalix program with `args`, its scratch files in `tmpDir`; `prefix`
// goes before it in the shell (variables, limits). Redirections follow.
inline std::string ProgramCommand(const std::string& tmpDir, const std::vector<std::string>& args,
                                  const std::string& prefix = "") {
  std::string command = "TMPDIR=" + ShellQuote(tmpDir) + " " + prefix + (prefix.empty() ? "" : " ") +
                        ShellQuote(ORBALIX_PROGRAM);
  for (const std::string& a : args) command += " " + ShellQuote(a);
  return command;
}

// Runs a shell command in a subshell; its exit code, -1 when it did not exit.
inline int ShellExitCode(const std::string& command) {
  const int status = std::system(("(" + command + ")").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A 64 x 32 8-bit RGB picture of busy bytes, written as the file `path`.
inline bool WriteSamplePicture(const std::string& path, std::string* error) {
  ImageFile image;
  image.width = 64;
  image.height = 32;
  image.channels = 3;
  image.bitsPerChannel = 8;
  image.pixels.resize(size_t(64) * 32 * 3);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = uint8_t((i * 37) ^ (i >> 5));
  return WriteImageFile(path, image, error);
}
