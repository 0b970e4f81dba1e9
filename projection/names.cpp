// Name and keyword tables of the projections and glue modes.
#include "projection/names.h"

#include <cstddef>

namespace {

// Output names by number 0..262; 0 and 261 have none.
constexpr const char* kOutputNames[] = {
    "",  // 0
    "equirectangular",  // 1
    "mirror ball",  // 2
    "polar",  // 3
    "half-polar",  // 4
    "orthographic",  // 5
    "tetrahedron",  // 6
    "cube",  // 7
    "octahedron",  // 8
    "dodecahedron",  // 9
    "icosahedron",  // 10
    "Hammer",  // 11
    "Werner",  // 12
    "sinusoidal",  // 13
    "rectilinear",  // 14
    "hyperbolic",  // 15
    "stereographic",  // 16
    "cylindrical",  // 17
    "Wetch",  // 18
    "pinwheel",  // 19
    "lozenge",  // 20
    "square",  // 21
    "curvy",  // 22
    "goggles",  // 23
    "quasar",  // 24
    "14 faces",  // 25
    "24 faces a",  // 26
    "24 faces b",  // 27
    "26 faces",  // 28
    "30 faces",  // 29
    "soccer ball",  // 30
    "32 faces",  // 31
    "38 faces",  // 32
    "60 faces",  // 33
    "62 faces",  // 34
    "Winkel Tripel",  // 35
    "gores 12",  // 36
    "gores 24",  // 37
    "gores multi",  // 38
    "loop",  // 39
    "two circles",  // 40
    "balloon",  // 41
    "paperlock",  // 42
    "Omnimax",  // 43
    "spikeball",  // 44
    "brick preview",  // 45
    "Mollweide",  // 46
    "icomap",  // 47
    "star 3",  // 48
    "star 5",  // 49
    "magnipolar",  // 50
    "sprocket-6",  // 51
    "swoop",  // 52
    "gores 6 of 12",  // 53
    "dodo",  // 54
    "GID",  // 55
    "oculus",  // 56
    "triptych",  // 57
    "tetraptych",  // 58
    "annulus",  // 59
    "shift lens",  // 60
    "gores 3 of 12",  // 61
    "Mercator",  // 62
    "umbrella",  // 63
    "tetra tile",  // 64
    "hyperdouble",  // 65
    "hypertriple",  // 66
    "Mercator cross",  // 67
    "Mercator star",  // 68
    "Lagrange",  // 69
    "rind 1",  // 70
    "rind 2",  // 71
    "rind 3",  // 72
    "tunable ellipsoid",  // 73
    "tunable egg",  // 74
    "4 views",  // 75
    "12 views",  // 76
    "24 views",  // 77
    "60 views",  // 78
    "72 views",  // 79
    "Robinson",  // 80
    "equi tall",  // 81
    "semistereo",  // 82
    "thorn",  // 83
    "Lagrange 3-4",  // 84
    "squoculus",  // 85
    "box",  // 86
    "thorn levo",  // 87
    "unFish",  // 88
    "Lagrange plus",  // 89
    "Adams 1",  // 90
    "Adams 2",  // 91
    "trecunx",  // 92
    "quadracunx",  // 93
    "Peirce quincunx",  // 94
    "sexacunx",  // 95
    "septecunx",  // 96
    "5-star",  // 97
    "pentagon",  // 98
    "Guyou",  // 99
    "3-star",  // 100
    "triangle",  // 101
    "rhombus 1",  // 102
    "rhombus 2",  // 103
    "6-star",  // 104
    "hexagon",  // 105
    "Lee tetrahedric",  // 106
    "rectangular tet",  // 107
    "2-clover",  // 108
    "3-clover",  // 109
    "4-clover",  // 110
    "5-clover",  // 111
    "6-clover",  // 112
    "pentalene",  // 113
    "naphthalene",  // 114
    "phenathene",  // 115
    "shuriken",  // 116
    "cross",  // 117
    "double Guyou",  // 118
    "wide rect",  // 119
    "semicircle",  // 120
    "ellipse",  // 121
    "Reuleaux 1",  // 122
    "Reuleaux 2",  // 123
    "Reuleaux 4",  // 124
    "Reuleaux 8",  // 125
    "Octreleaux",  // 126
    "zigzag",  // 127
    "chevron",  // 128
    "monozag",  // 129
    "3-malta",  // 130
    "4-malta",  // 131
    "5-malta",  // 132
    "6-malta",  // 133
    "Gilbert",  // 134
    "stereo twice",  // 135
    "stereo thrice",  // 136
    "Adams diamonds",  // 137
    "equal-area cylinder",  // 138
    "Quick globe",  // 139
    "equal squarea",  // 140
    "square fish 1",  // 141
    "square fish 2",  // 142
    "Gilbert globe",  // 143
    "pointy",  // 144
    "shuriken star",  // 145
    "calyx 3",  // 146
    "calyx 4",  // 147
    "calyx 5",  // 148
    "calyx 6",  // 149
    "waffle",  // 150
    "trident",  // 151
    "astercurve 5",  // 152
    "astercurve 7",  // 153
    "astercurve 8",  // 154
    "trizag",  // 155
    "shark 3",  // 156
    "shark 4",  // 157
    "sunburst",  // 158
    "two cylinders",  // 159
    "three cylinders",  // 160
    "Isle of Man",  // 161
    "shard",  // 162
    "starburst",  // 163
    "3-incurvate",  // 164
    "4-incurvate",  // 165
    "phenyl cross",  // 166
    "anthracene",  // 167
    "conformal dodecahedron",  // 168
    "tattoo 1",  // 169
    "tattoo 2",  // 170
    "zenith & nadir",  // 171
    "horizontal cross",  // 172
    "vertical cross",  // 173
    "thirtysphere",  // 174
    "devtet",  // 175
    "conictet",  // 176
    "geodesic 4 I 2",  // 177
    "geodesic 4 I 3",  // 178
    "geodesic 4 I 4",  // 179
    "geodesic 4 I 5",  // 180
    "geodesic 6 I 1",  // 181
    "geodesic 6 I 2",  // 182
    "geodesic 6 I 3",  // 183
    "geodesic 6 I 4",  // 184
    "geodesic 6 I 5",  // 185
    "geodesic 8 I 2",  // 186
    "geodesic 8 I 3",  // 187
    "geodesic 8 I 4",  // 188
    "geodesic 8 I 5",  // 189
    "geodesic 12 I 1",  // 190
    "geodesic 12 I 2",  // 191
    "geodesic 12 I 3",  // 192
    "geodesic 12 I 4",  // 193
    "geodesic 12 I 5",  // 194
    "geodesic 20 I 2",  // 195
    "geodesic 20 I 3",  // 196
    "geodesic 20 I 4",  // 197
    "geodesic 20 I 5",  // 198
    "sphericon 3/0",  // 199
    "sphericon 3/1",  // 200
    "sphericon 4/0",  // 201
    "sphericon 4/0+",  // 202
    "sphericon 4/0/H",  // 203
    "sphericon 4/1",  // 204
    "sphericon 4/1+",  // 205
    "sphericon 5/0",  // 206
    "sphericon 5/1",  // 207
    "sphericon 5/2",  // 208
    "sphericon 6/0",  // 209
    "sphericon 6/0+",  // 210
    "sphericon 6/0/H",  // 211
    "sphericon 6/1",  // 212
    "sphericon 6/1+",  // 213
    "sphericon 6/1/H",  // 214
    "sphericon 7/0",  // 215
    "sphericon 7/1",  // 216
    "sphericon 7/2",  // 217
    "sphericon 7/3",  // 218
    "sphericon 8/0",  // 219
    "sphericon 8/0+",  // 220
    "sphericon 8/0/H",  // 221
    "sphericon 8/1",  // 222
    "sphericon 8/1+",  // 223
    "sphericon 8/1/H",  // 224
    "sphericon 8/2",  // 225
    "sphericon 8/2+",  // 226
    "sphericon 9/0",  // 227
    "sphericon 9/1",  // 228
    "sphericon 9/2",  // 229
    "sphericon 9/3",  // 230
    "sphericon 9/4",  // 231
    "sphericon 10/0",  // 232
    "sphericon 10/0+",  // 233
    "sphericon 10/0/H",  // 234
    "sphericon 10/1",  // 235
    "sphericon 10/1+",  // 236
    "sphericon 10/1/H",  // 237
    "sphericon 10/2",  // 238
    "sphericon 10/2+",  // 239
    "sphericon 10/2/H",  // 240
    "sphericon 11/0",  // 241
    "sphericon 11/1",  // 242
    "sphericon 11/2",  // 243
    "sphericon 11/3",  // 244
    "sphericon 11/4",  // 245
    "sphericon 11/5",  // 246
    "quatretat",  // 247
    "twistless rind",  // 248
    "curvy cube",  // 249
    "baseball",  // 250
    "sprocket-4",  // 251
    "sprocket-5",  // 252
    "daycare",  // 253
    "short rind",  // 254
    "Panini",  // 255
    "triskelion fat",  // 256
    "triskelion meso",  // 257
    "triskelion skinny",  // 258
    "triskelion plain",  // 259
    "triskelion straight",  // 260
    "",  // 261
    "Truchet A",  // 262
};
constexpr int32_t kOutputNameCount = static_cast<int32_t>(sizeof(kOutputNames) / sizeof(kOutputNames[0]));
static_assert(kOutputNameCount == 263);

// Glue modes 1..62 at index mode - 1.
constexpr const char* kGlueNames[] = {
    "normal",  // 1
    "procedural +",  // 2
    "procedural -",  // 3
    "difference",  // 4
    "lighten",  // 5
    "darken",  // 6
    "add",  // 7
    "subtract",  // 8
    "multiply",  // 9
    "screen",  // 10
    "hard light",  // 11
    "overlay",  // 12
    "superlay",  // 13
    "exclusion",  // 14
    "color",  // 15
    "luminance",  // 16
    "linear light",  // 17
    "pin light",  // 18
    "spin light",  // 19
    "vivid a",  // 20
    "vivid b",  // 21
    "saturation",  // 22
    "hue",  // 23
    "similarity",  // 24
    "cross",  // 25
    "hard diff",  // 26
    "soft light",  // 27
    "bright",  // 28
    "dim",  // 29
    "dodge",  // 30
    "burn",  // 31
    "ace",  // 32
    "king",  // 33
    "queen",  // 34
    "jack",  // 35
    "and",  // 36
    "or",  // 37
    "xor",  // 38
    "multibright",  // 39
    "hot",  // 40
    "cold",  // 41
    "wet",  // 42
    "dry",  // 43
    "up",  // 44
    "down",  // 45
    "wax",  // 46
    "wane",  // 47
    "north",  // 48
    "south",  // 49
    "east",  // 50
    "west",  // 51
    "hard mix",  // 52
    "frontal",  // 53
    "parietal",  // 54
    "temporal",  // 55
    "occipital",  // 56
    "limbic",  // 57
    "dextrous",  // 58
    "sinister",  // 59
    "anterior",  // 60
    "posterior",  // 61
    "screendim",  // 62
};
static_assert(sizeof(kGlueNames) / sizeof(kGlueNames[0]) == 62);

struct InputEntry {
  const char* name;
  const char* code;
};

// Inputs 1..29 at index input - 1. The codes skip "Qi17": from input 17 on
// they run one ahead of the number.
constexpr InputEntry kInputs[] = {
    {"equirectangular", "Qi01"},
    {"mirror ball", "Qi02"},
    {"polar", "Qi03"},
    {"orthographic", "Qi04"},
    {"cylindrical", "Qi05"},
    {"ellipsoid", "Qi06"},
    {"Mollweide", "Qi07"},
    {"circular 180", "Qi08"},
    {"full-frame 180", "Qi09"},
    {"one cube face", "Qi10"},
    {"tiling cube face", "Qi11"},
    {"gores: 12", "Qi12"},
    {"half-equi", "Qi13"},
    {"Nicolosi", "Qi14"},
    {"stereographic", "Qi15"},
    {"quarter-equi", "Qi16"},
    {"Robinson", "Qi18"},
    {"mylar", "Qi19"},
    {"gores: 12 radial", "Qi20"},
    {"Mercator", "Qi21"},
    {"Lagrange", "Qi22"},
    {"Winkel Tripel", "Qi23"},
    {"Hammer", "Qi24"},
    {"equal-area cylinder", "Qi25"},
    {"gores: 6", "Qi26"},
    {"zenith & nadir", "Qi27"},
    {"horizontal cross", "Qi28"},
    {"vertical cross", "Qi29"},
    {"soccer", "Qi30"},
};
static_assert(sizeof(kInputs) / sizeof(kInputs[0]) == 29);

struct KeywordEntry {
  uint32_t output;
  const char* keyword;
};

// Keywords of single outputs, tested first.
constexpr KeywordEntry kFixedKeywords[] = {
    {3, "azimuthal"},
    {5, "ball"},
    {14, "gnomonic"},
    {16, "conformal"},
    {22, "labrys"},
    {25, "cuboctahedron"},
    {26, "deltoidal icosatetrahedron"},
    {27, "pentagonal icosatetrahedron"},
    {28, "small rhombicuboctahedron"},
    {29, "rhombic tricontahedron"},
    {30, "truncated icosahedron"},
    {31, "icosidodecahedron"},
    {32, "snub cube"},
    {33, "deltoidal hexecontehedron"},
    {34, "small rhombicosidodecahedron"},
    {35, "globe"},
    {36, "globe"},
    {37, "globe"},
    {38, "globe"},
    {41, "origami"},
    {42, "origami"},
    {43, "film"},
    {44, "tetrahedron 5-compound"},
    {45, "Lego"},
    {47, "icosahedron"},
    {53, "globe"},
    {54, "dodecadodecahedron"},
    {55, "great icosadodecahedron"},
    {59, "ring"},
    {61, "globe"},
    {62, "loximuthal"},
    {64, "tessellation"},
    {86, "isometric"},
    {88, "orthoapsidal"},
};

// Outputs whose keyword is "conformal", tested after the fixed ones.
constexpr uint32_t kConformalOutputs[] = {
    51,  65,  66,  67,  68,  69,  83,  84,  87,  89,  90,  91,  92,  93,  94,  95,  96,  97,
    98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115,
    116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133,
    135, 136, 137, 144, 145, 146, 147, 148, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158,
    162, 163, 166, 167, 251, 252, 1037, 1038, 1039, 1040,
};

// The sphericon outputs ("sphericon 3/0" to "sphericon 11/5"), the outputs
// whose nets are the sphericon nets of the catalogue.
bool IsSphericonOutputNumber(uint32_t output) { return output >= 199 && output <= 246; }

}  // namespace

const char* OutputProjectionName(int32_t output) {
  if (output >= 0 && output < kOutputNameCount) return kOutputNames[output];
  switch (output) {
    case 1037: return "3-floret";
    case 1038: return "4-floret";
    case 1039: return "5-floret";
    case 1040: return "6-floret";
    case 10053: return "rind zero";
    default: return "";
  }
}

const char* OutputProjectionKeyword(uint32_t output) {
  for (const KeywordEntry& e : kFixedKeywords) {
    if (e.output == output) return e.keyword;
  }
  for (uint32_t n : kConformalOutputs) {
    if (n == output) return "conformal";
  }
  if (output == 139) return "orthographic";
  if (output == 140) return "equal-area";
  if (IsSphericonOutputNumber(output)) return "sphericon";
  return "";
}

const char* GlueModeName(int32_t mode) {
  if (mode < 1 || mode > 62) return "";
  return kGlueNames[mode - 1];
}

const char* InputProjectionName(int32_t input) {
  if (input < 1 || input > 29) return "";
  return kInputs[input - 1].name;
}

const char* InputProjectionCode(int32_t input) {
  if (input < 1 || input > 29) return "";
  return kInputs[input - 1].code;
}
