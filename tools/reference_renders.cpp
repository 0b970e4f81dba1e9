// Renders the set of reference cases of tests/render_threads through the test
// host and prints one line per case: its 64-bit digest and its name. Two
// builds (or two thread counts) that print the same lines wrote the same
// bytes.
//
//   reference_renders [--threads N] [--block-rows N] [--redone]
//
// --redone adds the number of row blocks of each case that the threaded
// render checked and rendered again on the calling thread.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/row_pipeline.h"
#include "render/worker_pool.h"
#include "tests/render_threads/render_cases.h"

int main(int argc, char** argv) {
  bool redone = false;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--threads") == 0 && hasValue) {
      SetRenderThreadCount(std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--block-rows") == 0 && hasValue) {
      SetRenderBlockRows(std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--redone") == 0) {
      redone = true;
    } else {
      std::fprintf(stderr, "reference_renders: unknown argument %s\n", argv[i]);
      return 2;
    }
  }
  int failures = 0;
  for (const render_cases::Case& c : render_cases::ReferenceCases()) {
    const render_cases::CaseResult r = render_cases::RunCase(c);
    if (r.result != kNoErr) {
      std::printf("%-16s %s (result %d)\n", "failed", c.name.c_str(), int(r.result));
      ++failures;
      continue;
    }
    if (redone) {
      std::printf("%016llx %s (%d blocks rendered again)\n", static_cast<unsigned long long>(r.digest), c.name.c_str(),
                  int(PipelineBlocksRedone()));
    } else {
      std::printf("%016llx %s\n", static_cast<unsigned long long>(r.digest), c.name.c_str());
    }
  }
  return failures == 0 ? 0 : 1;
}
