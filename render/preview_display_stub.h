// Stand-in for the dialog's preview display until the dialog lands: it shows
// nothing and counts what it was asked to show.
#pragma once

#include <cstdint>
#include <vector>

struct GlobalsRecord;

// Shows the rows rendered so far in the dialog's preview control; a
// fillOutside of 0 clears the preview area first.
void ShowOutputInPreview(GlobalsRecord* globals, int32_t fillOutside);

// The fillOutside argument of every call, in order.
std::vector<int32_t>& PreviewDisplayStubCalls();
