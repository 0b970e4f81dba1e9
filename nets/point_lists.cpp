#include "nets/point_lists.h"

#include <cstdint>

#include "host/host_memory.h"
#include "projection/output_shapes.h"

namespace {

// The head a caller means by a node: the node itself for a head, else the
// head it names.
PointNode* ListHead(const PointNode* node) {
  return node->isHead ? const_cast<PointNode*>(node) : node->head;
}

void* AllocFromHeap(int64_t bytes) { return AllocBuffer(bytes, nullptr, nullptr); }

void FreeToHeap(void* pointer) { FreeBuffer(&pointer, nullptr, nullptr); }

void ClearNodeLinksAndMarks(PointNode* node) {
  node->references = 0;
  node->parentA = node->parentB = nullptr;
  node->edgeFirst = node->edgeLast = 0;
  node->dead = node->processed = node->merged = node->freed = 0;
  node->key = 0;
  node->hasAuxPlane = 0;
  for (PointNode*& n : node->neighbours) n = nullptr;
  for (PointNode*& g : node->grandparents) g = nullptr;
}

bool IsLinked(const PointNode* node) { return node->next != node; }

// Links an unlinked member right after `after`, in after's list.
void Splice(PointNode* node, PointNode* after) {
  PointNode* ring = after->isHead ? after : after->ring;
  node->previous = after;
  node->next = after->next;
  after->next->previous = node;
  after->next = node;
  node->ring = ring;
  if (ring != nullptr) ++ring->count;
}

}  // namespace

void InitPointList(PointNode* head) {
  ClearNodeLinksAndMarks(head);
  head->isHead = 1;
  head->next = head->previous = head->head = head;
  head->savedNext = head->savedPrevious = head;
  head->ring = head;
  head->count = 0;
  head->index = kPointHeadIndex;
  head->id = kPointHeadId;
}

PointNode* InsertPointNodeAfter(PointNode* node) {
  if (node == nullptr) return nullptr;
  auto* fresh = static_cast<PointNode*>(AllocFromHeap(sizeof(PointNode)));
  if (fresh == nullptr) return nullptr;
  *fresh = PointNode{};
  ClearNodeLinksAndMarks(fresh);
  fresh->index = kNewPointNodeIndex;
  fresh->isHead = 0;
  fresh->next = fresh->previous = fresh;
  fresh->savedNext = fresh->savedPrevious = fresh;
  fresh->head = ListHead(node);
  Splice(fresh, node);
  return fresh;
}

void LinkPointNodeAfter(PointNode* node, PointNode* after) {
  if (node == nullptr || after == nullptr || node == after || node->isHead) return;
  DetachPointNode(node);
  node->head = ListHead(after);
  Splice(node, after);
}

void DetachPointNode(PointNode* node) {
  if (node == nullptr || node->isHead || !IsLinked(node)) return;
  node->previous->next = node->next;
  node->next->previous = node->previous;
  if (node->ring != nullptr) --node->ring->count;
  node->next = node->previous = node;
  node->ring = nullptr;
}

void UnlinkPointNode(PointNode* node) {
  // A head belongs to its caller, who may still hold members through it.
  if (node == nullptr || node->isHead) return;
  DetachPointNode(node);
  node->freed = 1;
  FreeToHeap(node);
}

void MovePointNodeToFront(PointNode* node) {
  if (node == nullptr || node->isHead) return;
  PointNode* ring = node->ring != nullptr ? node->ring : node->head;
  DetachPointNode(node);
  Splice(node, ring);
}

void MovePointNode(PointNode* node, PointNode* list, bool adopt) {
  if (node == nullptr || list == nullptr || node->isHead) return;
  PointNode* target = list->isHead ? list : list->ring;
  if (target == nullptr || node->ring == target) return;
  DetachPointNode(node);
  Splice(node, target);
  if (adopt) node->head = target;
}

void AppendPointList(PointNode* source, PointNode* target, bool rehead) {
  if (source == nullptr || target == nullptr) return;
  PointNode* s = ListHead(source);
  PointNode* t = ListHead(target);
  if (s == t || !IsLinked(s)) return;
  for (PointNode* n = s->next; n != s; n = n->next) {
    n->ring = t;
    if (rehead) n->head = t;
  }
  PointNode* first = s->next;
  PointNode* last = s->previous;
  t->previous->next = first;
  first->previous = t->previous;
  last->next = t;
  t->previous = last;
  t->count += s->count;
  s->next = s->previous = s;
  s->count = 0;
}

bool CopyPointList(const PointNode* source, PointNode* target) {
  if (source == nullptr || target == nullptr) return false;
  const PointNode* s = ListHead(source);
  PointNode* t = ListHead(target);
  for (const PointNode* n = s->next; n != s; n = n->next) {
    PointNode* copy = InsertPointNodeAfter(t);
    if (copy == nullptr) return false;
    copy->position = n->position;
    copy->index = n->index;
    copy->key = n->key;
    copy->hasAuxPlane = n->hasAuxPlane;
    copy->plane = n->plane;
    copy->auxPlane = n->auxPlane;
    for (int32_t i = 0; i < 4; ++i) copy->grandparents[i] = n->grandparents[i];
  }
  return true;
}

bool IsPointListEmpty(const PointNode* node) { return ListHead(node)->next->isHead != 0; }

PointNode* FirstPointNode(const PointNode* node) { return ListHead(node)->next; }

PointNode* NextPointNode(const PointNode* node) {
  PointNode* n = node->next;
  return n->isHead ? n->next : n;
}

PointNode* PreviousPointNode(const PointNode* node) {
  PointNode* n = node->previous;
  return n->isHead ? n->previous : n;
}

int32_t PointListCount(const PointNode* node) { return ListHead(node)->count; }

void MarkPointNodeDead(PointNode* node) { node->dead = 1; }

bool IsPointNodeDead(const PointNode* node) { return node->dead != 0; }

PointNode* FindPointNodeById(const PointNode* list, int32_t id) {
  const PointNode* h = ListHead(list);
  for (PointNode* n = h->next; !n->isHead; n = n->next) {
    if (n->id == id) return n;
  }
  return nullptr;
}

void SnapshotPointLinks(PointNode* list) {
  PointNode* h = ListHead(list);
  PointNode* n = h;
  do {
    n->savedNext = n->next;
    n->savedPrevious = n->previous;
    n = n->next;
  } while (n != h);
}

bool SortPointList(PointNode* list) {
  PointNode* h = ListHead(list);
  int32_t count = 0;
  for (PointNode* n = h->next; n != h; n = n->next) ++count;
  if (count == 0) return true;
  auto* keys = static_cast<float*>(AllocFromHeap(int64_t(count) * int64_t(sizeof(float))));
  auto* nodes = static_cast<uint64_t*>(AllocFromHeap(int64_t(count) * int64_t(sizeof(uint64_t))));
  if (keys == nullptr || nodes == nullptr) {
    if (keys != nullptr) FreeToHeap(keys);
    if (nodes != nullptr) FreeToHeap(nodes);
    return false;
  }
  h->id = kPointHeadId;
  int32_t i = 0;
  for (PointNode* n = h->next; n != h; n = n->next, ++i) {
    keys[i] = n->key;
    nodes[i] = uint64_t(reinterpret_cast<uintptr_t>(n));
  }
  QuickSortFloatKeys(keys, nodes, 0, count - 1);
  for (i = 0; i < count; ++i) {
    auto* n = reinterpret_cast<PointNode*>(uintptr_t(nodes[i]));
    DetachPointNode(n);
    Splice(n, h->previous);
  }
  FreeToHeap(keys);
  FreeToHeap(nodes);
  return true;
}

void FreePointList(PointNode* list) {
  PointNode* h = ListHead(list);
  while (h->next != h) UnlinkPointNode(h->next);
}
