// The owned model tables of a mesh come from the host's buffer callbacks and
// go back there; a failed allocation leaves nothing behind.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "nets/mesh_pools.h"
#include "nets/poly_mesh.h"
#include "platform/global_heap.h"
#include "platform/testhost/test_host.h"

namespace {

struct MeshOnTestHost : ::testing::Test {
  TestDocument doc = MakeTestDocument(4, 4, 3, 8, false);
  TestHost host;
  std::unique_ptr<PolyMesh> owned = std::make_unique<PolyMesh>();
  PolyMesh* mesh = owned.get();

  void SetUp() override {
    InitTestHost(&host, &doc, {});
    std::memset(mesh, 0, sizeof(PolyMesh));
    ResetPolyMesh(mesh);
  }
  void TearDown() override {
    GlobalHeapFailAllocationAt(0);
    FreeMeshTables(mesh, &host.bufferProcs);
    EXPECT_EQ(LiveBufferCount(&host), 0);
    ShutdownTestHost(&host);
  }
};

TEST_F(MeshOnTestHost, TablesAreHostBuffersFreedWithTheRecord) {
  ASSERT_TRUE(AllocMeshTables(mesh, &host.bufferProcs, kMaxNetPoints, kMaxMeshFaces));
  EXPECT_EQ(LiveBufferCount(&host), 4);
  EXPECT_EQ(host.liveBufferBytes, kNetPointTableBytes + kVertexTableBytes + 2 * kFaceListTableBytes);
  EXPECT_EQ(mesh->tablesOwned, 1);
  for (BufferId slot : mesh->tableSlots) EXPECT_NE(slot, 0u);
  // Host memory is never zero when it arrives; the tables start cleared.
  EXPECT_EQ(mesh->vertices[3 * kMaxMeshVertices - 1], 0.0);
  EXPECT_EQ(mesh->faceVertexLists[kFaceListEntries - 1], 0);
  const Vec3 p{1, 2, 3};
  EXPECT_EQ(FindOrAddVertexDefault(mesh, &p), 0);

  // Taking the tables again gives the old ones back first.
  ASSERT_TRUE(AllocMeshTables(mesh, &host.bufferProcs, kMaxNetPoints, kMaxMeshFaces));
  EXPECT_EQ(LiveBufferCount(&host), 4);
  EXPECT_EQ(mesh->vertexCount, 0);

  FreeMeshTables(mesh, &host.bufferProcs);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(mesh->tablesOwned, 0);
  EXPECT_EQ(mesh->vertices, nullptr);
  FreeMeshTables(mesh, &host.bufferProcs);  // twice is harmless
  EXPECT_EQ(host.bufferMisuse, 0);
}

// Each of the four allocations in turn fails, in the host and in the global
// heap behind it: no buffer stays alive, the record owns nothing, its error
// word says why, and the pools refuse instead of writing through null.
TEST_F(MeshOnTestHost, EachFailedAllocationLeavesNoBuffer) {
  for (int32_t n = 1; n <= 4; ++n) {
    ResetPolyMesh(mesh);
    const int64_t heapBlocks = GlobalHeapLiveBlocks();
    host.bufferAllocations = 0;
    host.failBufferAllocationAt = n;
    GlobalHeapFailAllocationAt(1);
    EXPECT_FALSE(AllocMeshTables(mesh, &host.bufferProcs, kMaxNetPoints, kMaxMeshFaces)) << n;
    GlobalHeapFailAllocationAt(0);
    host.failBufferAllocationAt = 0;
    EXPECT_EQ(LiveBufferCount(&host), 0) << n;
    EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks) << n;
    EXPECT_EQ(mesh->tablesOwned, 0) << n;
    EXPECT_EQ(mesh->errorCode, kMeshNoTables) << n;
    EXPECT_EQ(mesh->netPoints, nullptr) << n;
    EXPECT_EQ(mesh->faceVertexLists, nullptr) << n;
    const Vec3 p{0, 0, 1};
    EXPECT_EQ(FindOrAddVertexDefault(mesh, &p), -1) << n;
    const NetPointRecord r{0, 0, 0, 0, -1, 0};
    EXPECT_EQ(FindOrAddNetPoint(mesh, &r), -1) << n;
    FreeMeshTables(mesh, &host.bufferProcs);
    EXPECT_EQ(host.bufferMisuse, 0) << n;
  }
  // The record takes tables again once memory is there.
  EXPECT_TRUE(AllocMeshTables(mesh, &host.bufferProcs, kMaxNetPoints, kMaxMeshFaces));
}

// Without host buffer procs the tables come from the global heap.
TEST_F(MeshOnTestHost, GlobalHeapWithoutHostProcs) {
  const int64_t heapBlocks = GlobalHeapLiveBlocks();
  ASSERT_TRUE(AllocMeshTables(mesh, nullptr, kMaxNetPoints, kMaxMeshFaces));
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks + 4);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  FreeMeshTables(mesh, nullptr);
  EXPECT_EQ(GlobalHeapLiveBlocks(), heapBlocks);
}

// InitPolyMesh frees owned tables before it sets the defaults of a new net.
TEST_F(MeshOnTestHost, InitFreesOwnedTables) {
  ASSERT_TRUE(AllocMeshTables(mesh, &host.bufferProcs, kMaxNetPoints, kMaxMeshFaces));
  mesh->mirrorX = 0;
  mesh->nestedOutput = 9;
  InitPolyMesh(mesh, &host.bufferProcs);
  EXPECT_EQ(LiveBufferCount(&host), 0);
  EXPECT_EQ(mesh->mirrorX, 1);
  EXPECT_EQ(mesh->nestedOutput, -1);
  // Catalogue tables are not the record's: nothing is freed.
  static const double catalogue[3] = {0, 0, 1};
  mesh->vertices = catalogue;
  InitPolyMesh(mesh, &host.bufferProcs);
  EXPECT_EQ(mesh->vertices, catalogue);
  EXPECT_EQ(host.bufferMisuse, 0);
}

}  // namespace
