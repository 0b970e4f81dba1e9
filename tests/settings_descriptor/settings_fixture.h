// A temporary folder of the test's own (the settings code's temporary folder
// for as long as it lives), and a globals record with its parameter block in
// a test host handle and a work record.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/parameter_block.h"
#include "platform/testhost/test_host.h"
#include "settings/settings_defaults.h"

class ScopedTempFolder {
 public:
  ScopedTempFolder() {
    static int counter = 0;
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 1000; ++attempt) {
      fs::path candidate = base / ("orbalix-settings-test-" + std::to_string(std::rand()) + "-" +
                                   std::to_string(++counter));
      std::error_code ec;
      if (fs::create_directory(candidate, ec)) {
        folder_ = candidate;
        break;
      }
    }
    Point(folder_.string());
  }
  ~ScopedTempFolder() {
    Restore();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  ScopedTempFolder(const ScopedTempFolder&) = delete;
  ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

  const std::filesystem::path& Folder() const { return folder_; }
  std::filesystem::path File(const std::string& name) const { return folder_ / name; }
  bool Exists(const std::string& name) const {
    std::error_code ec;
    return std::filesystem::exists(File(name), ec);
  }
  std::vector<uint8_t> Bytes(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // Points the settings code at another folder (which need not exist).
  static void Point(const std::string& folder) {
#ifdef _WIN32
    _putenv_s("TMP", (folder + "\\").c_str());
    _putenv_s("TEMP", (folder + "\\").c_str());
#else
    setenv("TMPDIR", folder.c_str(), 1);
#endif
  }

 private:
  void Restore() {
#ifdef _WIN32
    _putenv_s("TMP", savedTmp_.c_str());
    _putenv_s("TEMP", savedTemp_.c_str());
#else
    if (hadTmpdir_) {
      setenv("TMPDIR", savedTmpdir_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
#endif
  }
#ifdef _WIN32
  std::string savedTmp_ = std::getenv("TMP") ? std::getenv("TMP") : "";
  std::string savedTemp_ = std::getenv("TEMP") ? std::getenv("TEMP") : "";
#else
  bool hadTmpdir_ = std::getenv("TMPDIR") != nullptr;
  std::string savedTmpdir_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
#endif
  std::filesystem::path folder_;
};

// A globals record wired to a test host: the parameter block lives in a host
// handle (created with defaults), the work record beside it.
struct SettingsGlobals {
  TestDocument doc = MakeTestDocument(8, 4, 3, 8, false);
  TestHost host;
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::unique_ptr<WorkRecord> work = std::make_unique<WorkRecord>();
  HostError result = 0;

  explicit SettingsGlobals(TestHostOptions options = {}) {
    InitTestHost(&host, &doc, options);
    std::memset(static_cast<void*>(globals.get()), 0, sizeof(GlobalsRecord));
    std::memset(static_cast<void*>(work.get()), 0, sizeof(WorkRecord));
    host.record.parameters = TestHostNewHandle(int32_t(sizeof(ParameterBlock)));
    std::memset(*host.record.parameters, 0, sizeof(ParameterBlock));
    globals->filterRecord = &host.record;
    globals->resultPtr = &result;
    globals->workRecord = work.get();
    SetDefaultSettings(Block());
  }
  ~SettingsGlobals() { ShutdownTestHost(&host); }
  SettingsGlobals(const SettingsGlobals&) = delete;
  SettingsGlobals& operator=(const SettingsGlobals&) = delete;

  GlobalsRecord* G() { return globals.get(); }
  ParameterBlock* Block() { return reinterpret_cast<ParameterBlock*>(*host.record.parameters); }
};
