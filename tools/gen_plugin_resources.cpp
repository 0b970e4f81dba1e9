// Writes the PiPL and scripting terminology resources that the Windows build
// compiles into the plug-in: gen_plugin_resources <output folder>.
// Run it again whenever the scripting tables change, and commit its output.
#include <cstdio>
#include <string>
#include <vector>

#include "host/plugin_resources.h"

static bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "resources";
  if (!WriteBytes(folder + "/pipl.bin", BuildPiplResource()) ||
      !WriteBytes(folder + "/terminology.bin", BuildTerminologyResource())) {
    std::fprintf(stderr, "cannot write the resources into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
