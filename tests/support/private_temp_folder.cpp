// Gives every test process a temporary folder of its own, so tests that run
// in parallel never share the fixed-name files (cached settings, undo files,
// memory dots) that the plug-in keeps in the temporary folder.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#if defined(_WIN32)
#include <process.h>
#define ORBALIX_GETPID _getpid
#else
#include <unistd.h>
#define ORBALIX_GETPID getpid
#endif

namespace {

void SetVariable(const char* name, const std::string& value) {
#if defined(_WIN32)
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

struct PrivateTempFolder {
  std::filesystem::path folder;
  PrivateTempFolder() {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) return;
    folder = base / ("orbalix-test-" + std::to_string(ORBALIX_GETPID()));
    std::filesystem::remove_all(folder, ec);
    if (!std::filesystem::create_directories(folder, ec)) return;
    SetVariable("TMPDIR", folder.string());
    SetVariable("TMP", folder.string());
    SetVariable("TEMP", folder.string());
  }
  ~PrivateTempFolder() {
    std::error_code ec;
    if (!folder.empty()) std::filesystem::remove_all(folder, ec);
  }
};

const PrivateTempFolder privateTempFolder;

}  // namespace
