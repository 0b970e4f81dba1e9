// Which generator builds which generated net, with its parameters.
#include "nets/net_catalogue.h"
#include "nets/net_generators.h"

namespace {

struct SphericonEntry {
  int16_t net;
  int8_t sides;
  int8_t twist;
  int8_t variant;
  int8_t plus;
};

constexpr SphericonEntry kSphericons[] = {
    {102, 3, 0, 0, 0},  {103, 3, 1, 0, 0},  {104, 4, 0, 0, 0},  {105, 4, 1, 0, 0},  {106, 4, 0, 1, 0},
    {107, 4, 1, 1, 0},  {108, 5, 0, 0, 0},  {109, 5, 1, 0, 0},  {110, 5, 2, 0, 0},  {111, 6, 0, 0, 0},
    {112, 6, 1, 0, 0},  {113, 6, 0, 1, 0},  {114, 6, 1, 1, 0},  {115, 7, 0, 0, 0},  {116, 7, 1, 0, 0},
    {117, 7, 2, 0, 0},  {118, 7, 3, 0, 0},  {119, 8, 0, 0, 0},  {120, 8, 1, 0, 0},  {121, 8, 2, 0, 0},
    {122, 8, 0, 1, 0},  {123, 8, 1, 1, 0},  {124, 8, 2, 1, 0},  {125, 9, 0, 0, 0},  {126, 9, 1, 0, 0},
    {127, 9, 2, 0, 0},  {128, 9, 3, 0, 0},  {129, 9, 4, 0, 0},  {130, 10, 0, 0, 0}, {131, 10, 1, 0, 0},
    {132, 10, 2, 0, 0}, {133, 10, 0, 1, 0}, {134, 10, 1, 1, 0}, {135, 10, 2, 1, 0}, {136, 4, 0, 0, 1},
    {137, 6, 0, 0, 1},  {138, 6, 1, 0, 1},  {139, 8, 0, 0, 1},  {140, 8, 0, 0, 1},  {141, 10, 0, 0, 1},
    {142, 10, 1, 0, 1}, {143, 10, 2, 0, 1}, {144, 11, 0, 0, 0}, {145, 11, 1, 0, 0}, {146, 11, 2, 0, 0},
    {147, 11, 3, 0, 0}, {148, 11, 4, 0, 0}, {149, 11, 5, 0, 0},
};

}  // namespace

bool SphericonParametersForNet(int32_t net, SphericonParameters* out) {
  for (const SphericonEntry& e : kSphericons) {
    if (e.net != net) continue;
    if (out != nullptr) *out = SphericonParameters{e.sides, e.twist, e.variant, e.plus};
    return true;
  }
  return false;
}

bool GeodesicParametersForNet(int32_t net, int32_t* baseNet, int32_t* frequency) {
  int32_t base = -1;
  int32_t f = 0;
  if (net >= 80 && net <= 83) {
    base = kBaseTetrahedron, f = net - 78;
  } else if (net >= 84 && net <= 88) {
    base = kBaseCube, f = net - 83;
  } else if (net >= 89 && net <= 92) {
    base = kBaseOctahedron, f = net - 87;
  } else if (net >= 93 && net <= 97) {
    base = kBaseDodecahedron, f = net - 92;
  } else if (net >= 98 && net <= 101) {
    base = kBaseIcosahedron, f = net - 96;
  } else {
    return false;
  }
  if (baseNet != nullptr) *baseNet = base;
  if (frequency != nullptr) *frequency = f;
  return true;
}

bool GenerateNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* allocator, bool fullQuality) {
  int32_t base = 0;
  int32_t frequency = 0;
  SphericonParameters sphericon{};
  switch (net) {
    case 25: case 48: GenerateRind(mesh, allocator, 2, fullQuality); return true;
    case 26: case 49: GenerateRind(mesh, allocator, 3, fullQuality); return true;
    case 27: case 50: GenerateRind(mesh, allocator, 4, fullQuality); return true;
    case 71: GenerateTattoo(mesh, allocator, 3); return true;
    case 72: case 150: GenerateTattoo(mesh, allocator, 5); return true;
    case 74: GenerateThirtysphere(mesh, allocator); return true;
    case 75: GenerateRindZero(mesh, allocator); return true;
    case 76: GenerateDevtet(mesh, allocator); return true;
    case 77: GenerateConictet(mesh, allocator); return true;
    default: break;
  }
  if (GeodesicParametersForNet(net, &base, &frequency)) {
    GenerateGeodesic(mesh, allocator, frequency, base);
    return true;
  }
  if (SphericonParametersForNet(net, &sphericon)) {
    GenerateSphericonPair(mesh, allocator, sphericon.sides, sphericon.twist, sphericon.variant, sphericon.plus);
    return true;
  }
  return false;
}

bool BuildGeneratedNetModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs, bool fullQuality) {
  if (mesh == nullptr) return false;
  return GenerateNetModel(mesh, net, bufferProcs, fullQuality);
}
