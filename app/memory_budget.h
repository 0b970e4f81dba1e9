// The memory budget of a run of the orbalix program: what the run may take at
// most (by default half of the machine's memory), and what a run will need,
// estimated from the source's header before anything is decoded.
#pragma once

#include <cstdint>
#include <string>

#include "app/image_files.h"

int64_t MachineMemoryBytes();
int64_t DefaultMemoryBudget();

// "800M", "12G", "1.5g", "65536K"; a plain number counts mebibytes.
bool ParseByteSize(const std::string& text, int64_t* bytes);

struct RunMemory {
  int64_t bytes = 0;           // the largest need of any phase
  const char* phase = "";      // that phase
};

// The peak of a run that decodes `source`, resamples it when the document
// has another size, runs the filter on the document and writes it.
RunMemory EstimateRunMemory(const ImageHeader& source, int64_t documentWidth, int64_t documentHeight);
