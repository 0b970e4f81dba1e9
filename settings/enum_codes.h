// The four-character codes under which the enumerated settings travel in
// the host's scripting descriptor, and the internal numbers they stand for.
#pragma once

#include <cstdint>

#include "host/host_records.h"

// The code written for a number or type without a code.
constexpr FourCC kNoEnumCode = MakeFourCC('<', 'N', 'O', '>');
// A fifth type that the reverse map knows and no setting uses.
constexpr FourCC kImageQualityEnumType = MakeFourCC('I', 'Q', 't', 'y');

// The code of internal number `index` in enumeration `type`; kNoEnumCode for
// a number outside the map or a type without one.
void EnumIndexToKey(int32_t index, FourCC type, FourCC* code);
// The number of `code` in enumeration `type`. The destination is set to 0
// first; false (and 0) for a code or type that is not known.
bool EnumKeyToIndex(FourCC type, FourCC code, int32_t* index);

// Sizes of the forward maps.
constexpr int32_t kGridCodeCount = 7;
constexpr int32_t kInputCodeCount = 29;
constexpr int32_t kOutputCodeCount = 262;
constexpr int32_t kGlueCodeCount = 62;
