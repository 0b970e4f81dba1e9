// The program's progress bar on a terminal.
#pragma once

#include <cstdint>

// Draws the bar on stderr when stderr is a terminal; does nothing otherwise.
void BeginProgressBar(const char* label);
void ShowProgress(int32_t done, int32_t total);
// A completed run shows the bar full before the line ends.
void EndProgressBar(bool completed);
