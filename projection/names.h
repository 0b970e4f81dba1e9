// Display names of the projections and glue modes, and the extra search
// keywords of the output projections. Every text is a constant owned here.
#pragma once

#include <cstdint>

// Display name of an output projection number; "" for a number without a name.
const char* OutputProjectionName(int32_t output);

// One extra search keyword of an output projection number, or "".
const char* OutputProjectionKeyword(uint32_t output);

// Display name of a glue mode 1..62; "" outside that range.
const char* GlueModeName(int32_t mode);

// The dialog's choice text of an input projection 1..29; "" outside.
const char* InputProjectionName(int32_t input);

// The scripting enumerator of an input projection 1..29 as four characters
// ("Qi01" ...); "" outside. There is no "Qi17" among them.
const char* InputProjectionCode(int32_t input);
