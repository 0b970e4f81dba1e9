// The texts the main dialog draws and lists: its label table and the names of
// the items of its choice controls.
#pragma once

#include <cstdint>

// The label table; "-undef string-" for an index without a text.
const char* GetUiLabel(int32_t index);

// The name of choice `value` (counted from 1) of a choice control: inputs
// (12), grid (21), preview quality (52), outputs (51); "*" for anything else.
const char* GetChoiceName(int32_t controlId, int32_t value);

// How many items the choice control lists (0 for an id that lists none).
int32_t ChoiceItemCount(int32_t controlId);
