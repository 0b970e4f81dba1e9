// The settings the orbalix program takes on its command line: one option for
// each setting the filter's scripting terms name, the names of projections,
// glue modes and grid spacings, and the lookup of a name or a number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/parameter_block.h"

enum class SettingKind { Input, Output, Glue, Grid, Angle, Integer, Boolean, Colour, BrickColours };

struct SettingOption {
  const char* name;  // the option without its leading "--"
  SettingKind kind;
  const char* help;
  float ParameterBlock::*realField;       // Angle: the float setting
  int32_t ParameterBlock::*integerField;  // Angle: its integer twin; Integer, Boolean, choices: the field
  uint16_t ParameterBlock::*colourFields[3];  // Colour: red, green, blue
  int32_t minimum = 0;  // Integer: the range it takes
  int32_t maximum = 1000000;
};

const std::vector<SettingOption>& SettingOptions();
const SettingOption* FindSettingOption(const std::string& name);

// A setting as the user gave it, applied to the block after the filter made it.
struct SettingValue {
  const SettingOption* option = nullptr;
  int32_t integer = 0;     // Integer, Boolean and the choices
  double real = 0.0;       // Angle
  uint16_t colour[3] = {};  // Colour, 16 bits a channel
};

// Parses the text of a setting. On failure *error says why (for a name that is
// not known it lists the nearest names).
bool ParseSettingValue(const SettingOption& option, const std::string& text, SettingValue* value, std::string* error);
void ApplySetting(const SettingValue& value, ParameterBlock* block);

// The named choices of a kind (Input, Output, Glue, Grid): number and name,
// and the other names under which recorded actions show the choice (the
// scripting terminology's, where they differ from the name).
struct NamedChoice {
  int32_t number;
  std::string name;
  std::vector<std::string> recordedNames;
};
std::vector<NamedChoice> NamedChoices(SettingKind kind);

// A choice by name or recorded name (case-insensitive; a name before a
// recorded name) or by number; 0 when none is known.
int32_t LookUpChoice(SettingKind kind, const std::string& text);
// Up to `count` names of the kind nearest to the text, nearest first.
std::vector<std::string> NearestChoiceNames(SettingKind kind, const std::string& text, size_t count);
