#include "app/app_settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "host/scripting_terms.h"
#include "nets/brick_grid.h"
#include "nets/brick_palette.h"
#include "projection/names.h"
#include "settings/enum_codes.h"

namespace {

using PB = ParameterBlock;

SettingOption Choice(const char* name, SettingKind kind, int32_t PB::*field, const char* help) {
  return SettingOption{name, kind, help, nullptr, field, {}};
}
SettingOption Angle(const char* name, float PB::*real, int32_t PB::*integer, const char* help) {
  return SettingOption{name, SettingKind::Angle, help, real, integer, {}};
}
SettingOption Integer(const char* name, int32_t PB::*field, const char* help) {
  return SettingOption{name, SettingKind::Integer, help, nullptr, field, {}};
}
SettingOption IntegerIn(const char* name, int32_t PB::*field, int32_t minimum, int32_t maximum, const char* help) {
  return SettingOption{name, SettingKind::Integer, help, nullptr, field, {}, minimum, maximum};
}
SettingOption Boolean(const char* name, int32_t PB::*field, const char* help) {
  return SettingOption{name, SettingKind::Boolean, help, nullptr, field, {}};
}
SettingOption Colour(const char* name, uint16_t PB::*r, uint16_t PB::*g, uint16_t PB::*b, const char* help) {
  return SettingOption{name, SettingKind::Colour, help, nullptr, nullptr, {r, g, b}};
}

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Trimmed(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

bool ParseInteger(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != 0 || end == text.c_str()) return false;
  *value = v;
  return true;
}

bool ParseReal(const std::string& text, double* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != 0 || end == text.c_str() || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool ParseBoolean(const std::string& text, int32_t* value) {
  const std::string t = Lower(text);
  if (t == "1" || t == "on" || t == "yes" || t == "true") {
    *value = 1;
    return true;
  }
  if (t == "0" || t == "off" || t == "no" || t == "false") {
    *value = 0;
    return true;
  }
  return false;
}

// "R,G,B" with 0..255 a channel, or "#rrggbb"; channels widen to 16 bits.
bool ParseColour(const std::string& text, uint16_t colour[3]) {
  int64_t channels[3] = {};
  if (text.size() == 7 && text[0] == '#') {
    for (int i = 0; i < 3; ++i) {
      const std::string pair = text.substr(size_t(1 + 2 * i), 2);
      if (!std::isxdigit(static_cast<unsigned char>(pair[0])) || !std::isxdigit(static_cast<unsigned char>(pair[1])))
        return false;
      channels[i] = std::strtol(pair.c_str(), nullptr, 16);
    }
  } else {
    size_t start = 0;
    for (int i = 0; i < 3; ++i) {
      const size_t comma = text.find(',', start);
      if ((i < 2) != (comma != std::string::npos)) return false;
      const std::string part = text.substr(start, i < 2 ? comma - start : std::string::npos);
      if (!ParseInteger(Trimmed(part), &channels[i]) || channels[i] < 0 || channels[i] > 255) return false;
      start = comma + 1;
    }
  }
  for (int i = 0; i < 3; ++i) colour[i] = uint16_t(channels[i] * 257);
  return true;
}

size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

const char* KindNoun(SettingKind kind) {
  switch (kind) {
    case SettingKind::Input: return "input projection";
    case SettingKind::Output: return "output projection";
    case SettingKind::Glue: return "glue mode";
    case SettingKind::Grid: return "grid";
    default: return "value";
  }
}

// Brick colour names compare without case, "gray" as "grey".
std::string BrickColourKey(const std::string& name) {
  std::string key = Lower(Trimmed(name));
  for (size_t at = key.find("gray"); at != std::string::npos; at = key.find("gray", at)) key.replace(at, 4, "grey");
  return key;
}

// A colour mask 0..4095, "all", or a comma list of brick colour names.
bool ParseBrickColours(const std::string& text, const std::string& prefix, int32_t* mask, std::string* error) {
  int64_t number = 0;
  if (ParseInteger(Trimmed(text), &number)) {
    if (number >= 0 && number <= int64_t(kBrickAllColours)) {
      *mask = int32_t(number);
      return true;
    }
    *error = prefix + "a colour mask is a whole number from 0 to " + std::to_string(kBrickAllColours) + ", not \"" +
             text + "\"";
    return false;
  }
  if (BrickColourKey(text) == "all") {
    *mask = int32_t(kBrickAllColours);
    return true;
  }
  uint32_t bits = 0;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    int32_t found = 0;
    for (int32_t k = 1; k <= kBrickColourCount && found == 0; ++k) {
      if (BrickColourKey(name) == BrickColourKey(BrickColourName(k))) found = k;
    }
    if (found == 0) {
      std::string message = prefix + "unknown brick colour \"" + Trimmed(name) + "\"; the colours are";
      for (int32_t k = 1; k <= kBrickColourCount; ++k) message += std::string(k > 1 ? ", " : " ") + BrickColourName(k);
      *error = message;
      return false;
    }
    bits |= 1u << (found - 1);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  *mask = int32_t(bits);
  return true;
}

// Degrees of the grid spacings 2..7; 1 is "none".
constexpr int32_t kGridDegrees[8] = {0, 0, 5, 6, 10, 15, 30, 45};

}  // namespace

const std::vector<SettingOption>& SettingOptions() {
  static const std::vector<SettingOption> options = {
      Choice("input", SettingKind::Input, &PB::inputProjection, "input projection, by name or number"),
      Choice("output", SettingKind::Output, &PB::outputProjection, "output projection, by name or number"),
      Choice("glue", SettingKind::Glue, &PB::glue, "glue mode, by name or number"),
      Choice("grid", SettingKind::Grid, &PB::grid2,
             "grid spacing: none, 5, 6, 10, 15, 30 or 45 (degrees)"),
      Angle("latitude", &PB::latitude, &PB::latitudeInteger, "latitude of the view, degrees"),
      Angle("longitude", &PB::longitude, &PB::longitudeInteger, "longitude of the view, degrees"),
      Angle("spin", &PB::spin, &PB::spinInteger, "spin of the view, degrees"),
      Angle("fov", &PB::fov, &PB::fovInteger, "field of view, degrees"),
      Angle("tabs", &PB::tabs, &PB::tabsInteger, "size of the paper-craft tabs"),
      Angle("sharpen", &PB::sharpen, &PB::sharpeningInteger, "sharpening"),
      Colour("backdrop", &PB::backdropRed, &PB::backdropGreen, &PB::backdropBlue,
             "backdrop colour, R,G,B (0-255) or #rrggbb"),
      Colour("tab-colour", &PB::tabRed, &PB::tabGreen, &PB::tabBlue, "tab colour, R,G,B (0-255) or #rrggbb"),
      Boolean("flip", &PB::flip, "flip the picture"),
      Boolean("transparent-gaps", &PB::transparentGaps, "leave the gaps of a net transparent"),
      Boolean("edges", &PB::edges, "draw the edges between regions"),
      Boolean("indicatrix", &PB::indicatrix, "draw the indicatrix dots"),
      Boolean("anamorphosis", &PB::anamorphosis, "anamorphosis"),
      Boolean("dehalo", &PB::dehalo, "remove halos"),
      Boolean("faces", &PB::faces, "faces"),
      Integer("face-size", &PB::faceSize, "face size"),
      Integer("cube-side", &PB::cubeSide, "cube side"),
      IntegerIn("brick-layers", &PB::brickLayers, kBrickLayersMin, kBrickLayersMax,
                "layers of the brick sphere (3 to 150)"),
      Choice("brick-colorset", SettingKind::BrickColours, &PB::brickColorset,
             "brick colours allowed: names (black,white,red ...) or a mask 0-4095"),
      Boolean("brick-diffusion", &PB::brickDiffusion, "colour the bricks by error diffusion"),
      Boolean("brick-plates", &PB::brickPlates, "build the sphere of plates instead of bricks"),
      Boolean("sphere-plan", &PB::spherePlan, "sphere plan"),
      Boolean("sphere-stats", &PB::sphereStats, "sphere statistics"),
      Boolean("ldraw", &PB::ldraw, "LDraw model"),
      Integer("preview-quality", &PB::previewQuality, "preview quality"),
  };
  return options;
}

const SettingOption* FindSettingOption(const std::string& name) {
  for (const SettingOption& option : SettingOptions()) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

namespace {

// A Windows-1252 text (the terminology's) as UTF-8.
std::string Utf8FromWindows1252(const char* text) {
  // 0x80..0x9F; 0 where the code page leaves the byte undefined.
  static constexpr uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  for (const char* p = text; *p != 0; ++p) {
    const uint8_t byte = uint8_t(*p);
    uint32_t code = byte;
    if (byte >= 0x80 && byte < 0xA0) code = kHigh[byte - 0x80] != 0 ? kHigh[byte - 0x80] : 0xFFFD;
    if (code < 0x80) {
      out += char(code);
    } else if (code < 0x800) {
      out += char(0xC0 | (code >> 6));
      out += char(0x80 | (code & 0x3F));
    } else {
      out += char(0xE0 | (code >> 12));
      out += char(0x80 | ((code >> 6) & 0x3F));
      out += char(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// The scripting terminology's names of the inputs, outputs and glue modes
// are what recorded actions show; each is added to the choice its code
// stands for, unless it is the own name of that or another choice (which
// the name then stands for).
void AddRecordedNames(SettingKind kind, std::vector<NamedChoice>* choices) {
  FourCC type = 0;
  switch (kind) {
    case SettingKind::Input: type = kInputEnumType; break;
    case SettingKind::Output: type = kOutputEnumType; break;
    case SettingKind::Glue: type = kGlueEnumType; break;
    default: return;
  }
  const ScriptingEnumeration* terms = FindScriptingEnumeration(type);
  for (int32_t i = 0; terms != nullptr && i < terms->count; ++i) {
    int32_t number = 0;
    if (!EnumKeyToIndex(type, terms->entries[i].code, &number)) continue;
    const std::string name = Trimmed(Utf8FromWindows1252(terms->entries[i].name ? terms->entries[i].name : ""));
    if (name.empty()) continue;
    bool known = false;
    for (const NamedChoice& choice : *choices) {
      known = known || Lower(choice.name) == Lower(name);
      if (choice.number != number) continue;
      for (const std::string& other : choice.recordedNames) known = known || Lower(other) == Lower(name);
    }
    if (known) continue;
    for (NamedChoice& choice : *choices) {
      if (choice.number == number) choice.recordedNames.push_back(name);
    }
  }
}

}  // namespace

std::vector<NamedChoice> NamedChoices(SettingKind kind) {
  std::vector<NamedChoice> choices;
  auto add = [&](int32_t number, const char* name) {
    const std::string text = Trimmed(name ? name : "");
    if (!text.empty()) choices.push_back(NamedChoice{number, text});
  };
  switch (kind) {
    case SettingKind::Input:
      for (int32_t n = 1; n <= 29; ++n) add(n, InputProjectionName(n));
      break;
    case SettingKind::Output:
      for (int32_t n = 1; n <= 262; ++n) add(n, OutputProjectionName(n));
      for (int32_t n : {1037, 1038, 1039, 1040, 10053}) add(n, OutputProjectionName(n));
      break;
    case SettingKind::Glue:
      for (int32_t n = 1; n <= 62; ++n) add(n, GlueModeName(n));
      break;
    case SettingKind::Grid: {
      const ScriptingEnumeration* grid = FindScriptingEnumeration(kGridEnumType);
      for (int32_t i = 0; grid && i < grid->count; ++i) add(i + 1, grid->entries[i].name);
      break;
    }
    default:
      break;
  }
  AddRecordedNames(kind, &choices);
  return choices;
}

int32_t LookUpChoice(SettingKind kind, const std::string& text) {
  const std::vector<NamedChoice> choices = NamedChoices(kind);
  const std::string wanted = Lower(Trimmed(text));
  for (const NamedChoice& choice : choices) {
    if (Lower(choice.name) == wanted) return choice.number;
  }
  for (const NamedChoice& choice : choices) {
    for (const std::string& name : choice.recordedNames) {
      if (Lower(name) == wanted) return choice.number;
    }
  }
  int64_t number = 0;
  if (!ParseInteger(wanted, &number)) return 0;
  if (kind == SettingKind::Grid) {
    // A grid is given by its spacing in degrees; 0 is none.
    if (number == 0) return 1;
    for (int32_t i = 2; i < 8; ++i) {
      if (kGridDegrees[i] == number) return i;
    }
    return 0;
  }
  for (const NamedChoice& choice : choices) {
    if (choice.number == number) return choice.number;
  }
  return 0;
}

std::vector<std::string> NearestChoiceNames(SettingKind kind, const std::string& text, size_t count) {
  const std::string wanted = Lower(Trimmed(text));
  struct Scored {
    size_t score;
    std::string name;
  };
  std::vector<Scored> scored;
  for (const NamedChoice& choice : NamedChoices(kind)) {
    std::vector<std::string> names = {choice.name};
    names.insert(names.end(), choice.recordedNames.begin(), choice.recordedNames.end());
    for (const std::string& original : names) {
      const std::string name = Lower(original);
      // A name that holds the text, or is held by it, comes before the rest.
      const bool contains = !wanted.empty() && (name.find(wanted) != std::string::npos ||
                                                wanted.find(name) != std::string::npos);
      scored.push_back(Scored{(contains ? 0 : 1000) + EditDistance(wanted, name), original});
    }
  }
  std::stable_sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) { return a.score < b.score; });
  std::vector<std::string> names;
  for (size_t i = 0; i < scored.size() && i < count; ++i) names.push_back(scored[i].name);
  return names;
}

bool ParseSettingValue(const SettingOption& option, const std::string& text, SettingValue* value, std::string* error) {
  value->option = &option;
  const std::string prefix = std::string("--") + option.name + ": ";
  switch (option.kind) {
    case SettingKind::Input:
    case SettingKind::Output:
    case SettingKind::Glue:
    case SettingKind::Grid: {
      value->integer = LookUpChoice(option.kind, text);
      if (value->integer != 0) return true;
      std::string message = prefix + "unknown " + KindNoun(option.kind) + " \"" + text + "\"; nearest names:";
      const std::vector<std::string> nearest = NearestChoiceNames(option.kind, text, 5);
      for (size_t i = 0; i < nearest.size(); ++i) message += (i ? ", \"" : " \"") + nearest[i] + "\"";
      *error = message;
      return false;
    }
    case SettingKind::Angle:
      if (ParseReal(text, &value->real) && std::fabs(value->real) <= 1e6) return true;
      *error = prefix + "not a number: \"" + text + "\"";
      return false;
    case SettingKind::Integer: {
      int64_t v = 0;
      if (ParseInteger(text, &v) && v >= option.minimum && v <= option.maximum) {
        value->integer = int32_t(v);
        return true;
      }
      *error = prefix + "not a whole number from " + std::to_string(option.minimum) + " to " +
               std::to_string(option.maximum) + ": \"" + text + "\"";
      return false;
    }
    case SettingKind::BrickColours:
      return ParseBrickColours(text, prefix, &value->integer, error);
    case SettingKind::Boolean:
      if (ParseBoolean(text, &value->integer)) return true;
      *error = prefix + "expected on or off, not \"" + text + "\"";
      return false;
    case SettingKind::Colour:
      if (ParseColour(text, value->colour)) return true;
      *error = prefix + "expected R,G,B with 0-255 a channel or #rrggbb, not \"" + text + "\"";
      return false;
  }
  return false;
}

void ApplySetting(const SettingValue& value, ParameterBlock* block) {
  const SettingOption& option = *value.option;
  switch (option.kind) {
    case SettingKind::Angle:
      block->*option.realField = float(value.real);
      block->*option.integerField = int32_t(std::lround(value.real));
      break;
    case SettingKind::Colour:
      for (int i = 0; i < 3; ++i) block->*option.colourFields[i] = value.colour[i];
      break;
    default:
      block->*option.integerField = value.integer;
      break;
  }
}
