// The program refuses a net that outgrows the tables of the net record,
// naming the net, the output and the error code, before the run starts.
#include <gtest/gtest.h>

#include <string>

#include "app/filter_run.h"
#include "nets/poly_mesh.h"

TEST(NetCapacity, MessageNamesTheNetTheOutputAndTheCode) {
  const std::string m = NetCapacityMessage(97, 194, kMeshTrianglesFull);
  EXPECT_EQ(m, "the net 97 of output 194 needs more render triangles than its tables hold (net error code 7)");
  for (const int32_t code : {kMeshNetFacesFull, kMeshFacesFull, kMeshRenderPointsFull, kMeshVerticesFull,
                             kMeshNetPointsFull, kMeshGroupOutOfRange}) {
    EXPECT_NE(NetCapacityMessage(1, 2, code).find("(net error code " + std::to_string(code) + ")"),
              std::string::npos);
  }
  // Refused faces and repeated corners are part of building a net, not a failure.
  for (const int32_t code : {kMeshNoError, kMeshRepeatedVertex, kMeshFaceExists}) {
    EXPECT_EQ(NetCapacityMessage(1, 2, code), "") << code;
  }
}

TEST(NetCapacity, TheLargestGeneratedNetsFit) {
  // Output 194 is the geodesic dodecahedron of frequency 5 (1500 faces and a
  // tab on nearly every outline edge), 198 the icosahedron of frequency 5.
  for (const int32_t output : {194, 198, 246, 70, 6}) {
    std::string error;
    EXPECT_TRUE(NetOutputFitsTables(output, 2048, 1024, 10.0f, &error)) << output << ": " << error;
    EXPECT_TRUE(NetOutputFitsTables(output, 300, 900, 0.0f, &error)) << output << ": " << error;
  }
  std::string error;
  EXPECT_TRUE(NetOutputFitsTables(1, 100, 50, 10.0f, &error));  // no net
  EXPECT_TRUE(error.empty());
}
