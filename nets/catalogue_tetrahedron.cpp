// The tetrahedron on alternate corners of the cube (+-1, +-1, +-1) and its
// net of four triangles.
#include "nets/net_catalogue.h"

namespace {

constexpr double kNetPoints[] = {
    0.5,    0.0,     //
    0.3729, 0.2202,  //
    0.6271, 0.2202,  //
    0.2457, 0.4404,  //
    0.5,    0.4404,  //
    0.7543, 0.4404,
};
// The table repeats a corner; the faces name only four of the points.
constexpr double kVertices[] = {
    1, -1, -1,  //
    1, 1,  1,   //
    -1, 1, -1,  //
    1, -1, -1,  //
    -1, -1, 1,  //
    1, -1, -1,
};
constexpr uint16_t kNetPointLists[] = {3, 2, 1, 0, 5, 4, 2, 0, 3, 5, 2, 0, 6, 5, 3, 0};
constexpr uint16_t kVertexLists[] = {1, 5, 3, 0, 3, 2, 1, 0, 5, 1, 2, 0, 3, 5, 2, 0};

}  // namespace

const CatalogueNet kTetrahedronNet = {
    kNetPoints, kVertices, kNetPointLists, int32_t(sizeof(kNetPointLists) / sizeof(kNetPointLists[0])),
    kVertexLists, int32_t(sizeof(kVertexLists) / sizeof(kVertexLists[0])), nullptr, nullptr, 4,
};
