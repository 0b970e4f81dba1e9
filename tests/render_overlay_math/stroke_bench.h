// A row of column records and a settings block, enough
// for the overlay strokes to splat into, and the expected coverage of a list
// of segments worked out independently of the stroke code.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/globals_record.h"
#include "host/host_records.h"
#include "host/parameter_block.h"
#include "render/column_record.h"
#include "render/overlay_strokes.h"

struct StrokeBench {
  FilterRecord record{};
  std::unique_ptr<ParameterBlock> block = std::make_unique<ParameterBlock>();
  char* blockMaster = nullptr;
  std::unique_ptr<GlobalsRecord> globals = std::make_unique<GlobalsRecord>();
  std::vector<ColumnRecord> columns;
  StrokeColumns strokes;

  explicit StrokeBench(int32_t width = 4) {
    std::memset(static_cast<void*>(block.get()), 0, sizeof(ParameterBlock));
    std::memset(static_cast<void*>(globals.get()), 0, sizeof(GlobalsRecord));
    blockMaster = reinterpret_cast<char*>(block.get());
    record.parameters = &blockMaster;
    globals->filterRecord = &record;
    columns.assign(size_t(width) + 2, ColumnRecord{});
    globals->columnRecords = columns.data();
    globals->columnRecordBufferSize = int32_t(columns.size() * sizeof(ColumnRecord));
    block->grid2 = 1;
  }
  // The strokes' view of the records, with the block's graticule setting.
  StrokeColumns* g() {
    strokes = StrokeColumns{columns.data(), int32_t(columns.size()), block->grid2};
    return &strokes;
  }
  float Word(int32_t record, int32_t word) { return ColumnCoverWord(columns[size_t(record)], word); }
  float Total() {
    float sum = 0;
    for (ColumnRecord& r : columns) {
      for (int32_t w = 0; w < 6; ++w) sum += ColumnCoverWord(r, w);
    }
    return sum;
  }
};

struct Seg {
  float x0, y0, x1, y1;
};

// Coverage of the four places of a cell, [x][y]: each segment's length times
// the weight, shared by its midpoint bilinearly between the cell's sides.
inline std::array<std::array<double, 2>, 2> ExpectedSplat(const std::vector<Seg>& segs, double weight) {
  std::array<std::array<double, 2>, 2> out{};
  for (const Seg& s : segs) {
    const double len = std::hypot(double(s.x1) - s.x0, double(s.y1) - s.y0) * weight;
    const double mx = (double(s.x0) + s.x1) / 2, my = (double(s.y0) + s.y1) / 2;
    out[0][0] += (1 - mx) * (1 - my) * len;
    out[1][0] += mx * (1 - my) * len;
    out[0][1] += (1 - mx) * my * len;
    out[1][1] += mx * my * len;
  }
  return out;
}

// The cell of `column` splatted with wordAbove / wordBelow against a list of
// expected segments.
inline void ExpectCellCoverage(StrokeBench& bench, int32_t column, int32_t wordAbove, int32_t wordBelow,
                               const std::vector<Seg>& segs, double weight, const std::string& label,
                               double tolerance = 2e-4) {
  const auto want = ExpectedSplat(segs, weight);
  EXPECT_NEAR(bench.Word(column, wordAbove), want[0][0], tolerance) << label << " left, above";
  EXPECT_NEAR(bench.Word(column + 1, wordAbove), want[1][0], tolerance) << label << " right, above";
  EXPECT_NEAR(bench.Word(column, wordBelow), want[0][1], tolerance) << label << " left, below";
  EXPECT_NEAR(bench.Word(column + 1, wordBelow), want[1][1], tolerance) << label << " right, below";
  double total = 0;
  for (int32_t x = 0; x < 2; ++x) total += want[x][0] + want[x][1];
  EXPECT_NEAR(bench.Total(), total, tolerance * 4) << label << " nothing else";
}
