// The rows a render showed in the preview: the fillOutside argument of every
// ShowOutputInPreview call since the list was last cleared. The first use
// installs the observer.
#pragma once

#include <cstdint>
#include <vector>

#include "render/preview_display.h"

inline std::vector<int32_t>& ShownPreviewRows() {
  static std::vector<int32_t> rows;
  static const bool installed = [] {
    SetPreviewRowObserver([](GlobalsRecord*, int32_t fillOutside) { rows.push_back(fillOutside); });
    return true;
  }();
  (void)installed;
  return rows;
}
