// A globals record, a filter record and a parameter block wired together
// without a host, for the arithmetic of the band glue and the throttles.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <memory>

#include "host/globals_record.h"
#include "host/host_records.h"
#include "host/parameter_block.h"

struct ShellFixtureState {
  FilterRecord record{};
  std::unique_ptr<ParameterBlock> block = std::make_unique<ParameterBlock>();
  char* blockMaster = nullptr;
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::unique_ptr<WorkRecord> work = std::make_unique<WorkRecord>();
  HostError result = 0;

  ShellFixtureState() {
    std::memset(static_cast<void*>(block.get()), 0, sizeof(ParameterBlock));
    std::memset(static_cast<void*>(globals.get()), 0, sizeof(GlobalsRecord));
    std::memset(static_cast<void*>(work.get()), 0, sizeof(WorkRecord));
    blockMaster = reinterpret_cast<char*>(block.get());
    record.parameters = &blockMaster;
    record.planes = 3;
    globals->filterRecord = &record;
    globals->resultPtr = &result;
    globals->workRecord = work.get();
    globals->maskActive = 1;
    block->previewScale = 1;
  }
  void SetFilter(int16_t top, int16_t left, int16_t bottom, int16_t right) {
    record.filterRect = Rect{top, left, bottom, right};
  }
};

inline bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

inline std::string RectText(const Rect& r) {
  char text[64];
  std::snprintf(text, sizeof text, "{%d,%d,%d,%d}", r.top, r.left, r.bottom, r.right);
  return text;
}
