#include "render/preview_display_stub.h"

std::vector<int32_t>& PreviewDisplayStubCalls() {
  static std::vector<int32_t> calls;
  return calls;
}

void ShowOutputInPreview(GlobalsRecord* /*globals*/, int32_t fillOutside) {
  PreviewDisplayStubCalls().push_back(fillOutside);
}
