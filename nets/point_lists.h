// Circular doubly linked lists of 3-D point nodes with a head node that serves
// as sentinel: the points, planes and cell corners the curve nets are built
// from. Nodes come one by one from the global heap.
//
// Every member names the head of its list (`head`); the curve-net builder may
// park a node in another list while it keeps naming its old head. The counts
// always follow the lists the nodes are actually linked into (`ring`), so a
// parked node can be detached, moved or freed without upsetting them.
#pragma once

#include <cstdint>

#include "geometry/plane_geometry.h"
#include "geometry/vector.h"

struct PointNode {
  Plane3d plane;  // a seed's tangent plane, or a bisector plane
  Vec3 position;
  int32_t index;  // the caller's index; new nodes -99999, heads -1
  uint8_t edgeFirst;
  uint8_t edgeLast;
  uint8_t hasAuxPlane;
  Plane3d auxPlane;
  int32_t references;  // cell corners that use this plane
  PointNode* parentA;
  PointNode* parentB;
  uint8_t dead;
  uint8_t processed;
  uint8_t merged;
  uint8_t freed;
  PointNode* grandparents[4];  // parentA's two parents, then parentB's
  float key;                   // sort key
  int32_t id;                  // heads -99
  PointNode* next;
  PointNode* previous;
  PointNode* head;
  PointNode* neighbours[3];
  PointNode* savedNext;
  PointNode* savedPrevious;
  int32_t isHead;
  int32_t count;   // members (heads only)
  PointNode* ring;  // the head of the list the node is linked into; null when unlinked
};

constexpr int32_t kNewPointNodeIndex = -99999;
constexpr int32_t kPointHeadIndex = -1;
constexpr int32_t kPointHeadId = -99;

void InitPointList(PointNode* head);
// A new member right after the node (after a head: the new first member);
// null when the allocation fails.
PointNode* InsertPointNodeAfter(PointNode* node);
// Links a node right after another; a node still linked elsewhere is
// detached first. Heads are never linked.
void LinkPointNodeAfter(PointNode* node, PointNode* after);
// Takes a member out of its list; it then links to itself. Heads stay.
void DetachPointNode(PointNode* node);
// Detaches a member and frees it. Heads are not freed.
void UnlinkPointNode(PointNode* node);
void MovePointNodeToFront(PointNode* node);
// Makes the node the first member of the list when it is linked into another;
// with adopt false it keeps naming its old head.
void MovePointNode(PointNode* node, PointNode* list, bool adopt);
// Splices the source's members after the target's last member and leaves the
// source empty; with rehead they name the target's head.
void AppendPointList(PointNode* source, PointNode* target, bool rehead);
// Copies every source member to a new node right after the target head, so
// the copies stand in reverse order. False when an allocation fails (the
// copies made so far stay).
bool CopyPointList(const PointNode* source, PointNode* target);
bool IsPointListEmpty(const PointNode* node);
PointNode* FirstPointNode(const PointNode* node);
// The neighbour along the ring of members, stepping over the head.
PointNode* NextPointNode(const PointNode* node);
PointNode* PreviousPointNode(const PointNode* node);
int32_t PointListCount(const PointNode* node);
void MarkPointNodeDead(PointNode* node);
bool IsPointNodeDead(const PointNode* node);
PointNode* FindPointNodeById(const PointNode* list, int32_t id);
void SnapshotPointLinks(PointNode* list);
// Sorts the members by key, ascending. False, with the list unchanged, when
// the working arrays cannot be allocated.
bool SortPointList(PointNode* list);
void FreePointList(PointNode* list);
