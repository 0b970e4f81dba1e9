// The bytes of the two resources a host reads before it loads the plug-in:
// the PiPL property list and the scripting terminology, both in the Windows
// flavour (four-character codes and numbers little-endian).
#pragma once

#include <cstdint>
#include <vector>

constexpr int16_t kPluginResourceId = 16000;
constexpr uint16_t kPluginResourceLanguage = 1033;

std::vector<uint8_t> BuildPiplResource();
std::vector<uint8_t> BuildTerminologyResource();
