// Runs the built orbalix program from the tests: in a folder of the test's
// own, with TMPDIR there, with extra environment variables and resource
// limits, and reports how it ended, what it printed, and its peak memory and
// processor time. ORBALIX_PROGRAM_UNDER_TEST names another binary to run the
// same tests against (an older build, to see a test fail).
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace program_runner {

namespace fs = std::filesystem;

struct ProgramRun {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;     // the signal that ended it, or 0
  std::string out;
  std::string err;
  long maxRssKb = 0;
  double cpuSeconds = 0;
};

struct RunLimits {
  std::vector<std::string> env;   // NAME=VALUE added to the environment
  long long fileSizeLimit = 0;    // RLIMIT_FSIZE in bytes (SIGXFSZ ignored), 0: none
  long long addressLimit = 0;     // RLIMIT_AS in bytes, 0: none
  std::string stdinData;          // through a pipe (at most a pipe's capacity); else /dev/null
  // Runs in the child between fork and exec, after the limits (for a test
  // that must see the child's pid first).
  std::function<void()> beforeExec;
};

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string ProgramPath() {
  const char* other = std::getenv("ORBALIX_PROGRAM_UNDER_TEST");
  return other && other[0] ? other : ORBALIX_PROGRAM;
}

// The address-space limit cannot be used under the address sanitizer, which
// reserves a vast shadow region.
inline bool AddressLimitUsable() {
#if defined(__SANITIZE_ADDRESS__)
  return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return false;
#else
  return true;
#endif
#else
  return true;
#endif
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "orbalix-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    fs::create_directories(dir / "tmp");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir, ignored);
  }

  // Forks and runs the program; `started` (when given) gets its pid before it runs.
  ProgramRun Run(const std::vector<std::string>& args, const RunLimits& limits = {}) {
    const std::string program = ProgramPath();
    const std::string outPath = (dir / "stdout.txt").string(), errPath = (dir / "stderr.txt").string();
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("TMPDIR=", 0) != 0) env.push_back(*e);
    env.push_back("TMPDIR=" + (dir / "tmp").string());
    for (const std::string& e : limits.env) env.push_back(e);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    int input[2] = {-1, -1};
    if (!limits.stdinData.empty()) {
      if (pipe(input) != 0 || write(input[1], limits.stdinData.data(), limits.stdinData.size()) !=
                                  ssize_t(limits.stdinData.size())) {
        ADD_FAILURE() << "cannot fill the pipe";
        return ProgramRun{};
      }
      close(input[1]);
    }
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int in = input[0] >= 0 ? input[0] : open("/dev/null", O_RDONLY);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      if (limits.fileSizeLimit > 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit r{rlim_t(limits.fileSizeLimit), rlim_t(limits.fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &r);
      }
      if (limits.addressLimit > 0 && AddressLimitUsable()) {
        const rlimit r{rlim_t(limits.addressLimit), rlim_t(limits.addressLimit)};
        setrlimit(RLIMIT_AS, &r);
      }
      if (limits.beforeExec) limits.beforeExec();
      execve(program.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    if (input[0] >= 0) close(input[0]);
    ProgramRun run;
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
      ADD_FAILURE() << "cannot run " << program;
      return run;
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.maxRssKb = usage.ru_maxrss;
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return run;
  }

  std::string Path(const std::string& name) const { return (dir / name).string(); }

  // Files in the test folder other than those named (the temporary folder must be empty).
  std::vector<std::string> Leftovers(const std::vector<std::string>& expected) const {
    std::vector<std::string> extra;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string name = fs::relative(entry.path(), dir).string();
      if (name == "tmp") continue;
      bool known = false;
      for (const std::string& e : expected) known = known || e == name;
      if (!known) extra.push_back(name);
    }
    return extra;
  }

  fs::path dir;
};

}  // namespace program_runner
