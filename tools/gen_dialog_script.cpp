// Writes the dialogs' resource script that the Windows build compiles into
// the plug-in: gen_dialog_script <file>. Run it again whenever the template
// tables or the main dialog's layout change, and commit its output.
#include <cstdio>
#include <string>

#include "ui/dialog_resource_script.h"

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "resources/dialogs.rc";
  const std::string script = DialogResourceScript();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  const bool ok = std::fwrite(script.data(), 1, script.size(), f) == script.size();
  return std::fclose(f) == 0 && ok ? 0 : 1;
}
