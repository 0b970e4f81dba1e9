// Point lists: circular doubly linked rings with a head node as sentinel.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <list>
#include <string>
#include <vector>

#include "nets/point_lists.h"
#include "platform/global_heap.h"

namespace {

// A list head with its members freed at the end.
struct PointList {
  PointNode head{};
  PointList() { InitPointList(&head); }
  ~PointList() { FreePointList(&head); }
  PointList(const PointList&) = delete;
  PointList& operator=(const PointList&) = delete;

  PointNode* Append(int32_t id, float key = 0) {
    PointNode* n = InsertPointNodeAfter(head.previous);
    n->id = id;
    n->key = key;
    return n;
  }
};

std::vector<int32_t> IdsForward(const PointNode* head) {
  std::vector<int32_t> ids;
  for (const PointNode* n = head->next; n != head; n = n->next) ids.push_back(n->id);
  return ids;
}

// Checks the ring both ways against the model: the links agree, every
// member names the head, the count is right, and the walks that step over
// the head go round the members as a closed polygon.
void ExpectRing(const PointNode* head, const std::list<int32_t>& model, const std::string& label) {
  const std::vector<int32_t> expected(model.begin(), model.end());
  EXPECT_EQ(IdsForward(head), expected) << label;
  std::vector<int32_t> backward;
  for (const PointNode* n = head->previous; n != head; n = n->previous) backward.push_back(n->id);
  std::reverse(backward.begin(), backward.end());
  EXPECT_EQ(backward, expected) << label;
  EXPECT_EQ(PointListCount(head), int32_t(expected.size())) << label;
  EXPECT_EQ(IsPointListEmpty(head), expected.empty()) << label;
  for (const PointNode* n = head->next; n != head; n = n->next) {
    EXPECT_EQ(n->next->previous, n) << label;
    EXPECT_EQ(n->head, head) << label;
    EXPECT_EQ(n->isHead, 0) << label;
  }
  if (expected.empty()) {
    EXPECT_EQ(FirstPointNode(head), head) << label;
    return;
  }
  const PointNode* first = FirstPointNode(head);
  const PointNode* n = first;
  for (size_t i = 0; i < expected.size(); ++i) n = NextPointNode(n);
  EXPECT_EQ(n, first) << label << ": forward walk does not close";
  for (size_t i = 0; i < expected.size(); ++i) n = PreviousPointNode(n);
  EXPECT_EQ(n, first) << label << ": backward walk does not close";
  EXPECT_EQ(PreviousPointNode(first)->id, expected.back()) << label;
}

PointNode* NodeAt(PointNode* head, size_t index) {
  PointNode* n = head->next;
  for (size_t i = 0; i < index; ++i) n = n->next;
  return n;
}

// Operation sequences against a std::list model: i<id> inserts after the
// head, a<id> appends, x<k> inserts a new node after the k-th member, d<k>
// detaches and frees the k-th member, f<k> moves the k-th member to the
// front, h detaches the head (nothing happens).
TEST(PointLists, OperationSequencesAgreeWithAListModel) {
  const std::vector<std::string> sequences = {
      "",
      "i1",
      "i1 i2 i3",
      "a1 a2 a3 d1",
      "a1 a2 a3 d0 d0 d0",
      "a1 d0 a2 i3 x0 d2",
      "a1 a2 a3 a4 f3 f2 d1 h",
      "a5 a6 x1 x0 d3 f1 i7 d0",
      "i1 d0 h i2 a3 f1 d1 d0",
  };
  int32_t next = 100;
  for (const std::string& sequence : sequences) {
    PointList list;
    std::list<int32_t> model;
    size_t at = 0;
    while (at < sequence.size()) {
      const char op = sequence[at];
      size_t end = sequence.find(' ', at);
      if (end == std::string::npos) end = sequence.size();
      const int32_t arg = end > at + 1 ? std::stoi(sequence.substr(at + 1, end - at - 1)) : 0;
      const std::string label = sequence + " @" + std::to_string(at);
      switch (op) {
        case 'i': {
          PointNode* n = InsertPointNodeAfter(&list.head);
          ASSERT_NE(n, nullptr);
          EXPECT_EQ(n->index, kNewPointNodeIndex);
          n->id = arg;
          model.push_front(arg);
          break;
        }
        case 'a':
          list.Append(arg);
          model.push_back(arg);
          break;
        case 'x': {
          PointNode* n = InsertPointNodeAfter(NodeAt(&list.head, size_t(arg)));
          n->id = next;
          model.insert(std::next(model.begin(), arg + 1), next++);
          break;
        }
        case 'd':
          UnlinkPointNode(NodeAt(&list.head, size_t(arg)));
          model.erase(std::next(model.begin(), arg));
          break;
        case 'f': {
          const int32_t id = NodeAt(&list.head, size_t(arg))->id;
          MovePointNodeToFront(NodeAt(&list.head, size_t(arg)));
          model.erase(std::next(model.begin(), arg));
          model.push_front(id);
          break;
        }
        case 'h':
          DetachPointNode(&list.head);
          UnlinkPointNode(&list.head);  // a head is never freed
          break;
      }
      ExpectRing(&list.head, model, label);
      at = end + 1;
    }
  }
}

TEST(PointLists, EmptyListAndHead) {
  PointList list;
  EXPECT_TRUE(IsPointListEmpty(&list.head));
  EXPECT_EQ(FirstPointNode(&list.head), &list.head);
  EXPECT_EQ(NextPointNode(&list.head), &list.head);
  EXPECT_EQ(list.head.index, kPointHeadIndex);
  EXPECT_EQ(list.head.id, kPointHeadId);
  EXPECT_EQ(list.head.savedNext, &list.head);
  EXPECT_EQ(FindPointNodeById(&list.head, kPointHeadId), nullptr);  // the head is not a member
}

TEST(PointLists, CopyReversesAndAppendSplices) {
  PointList source, target;
  for (int32_t id : {1, 2, 3}) {
    PointNode* n = source.Append(id, float(id) / 2);
    n->position = Vec3{double(id), 0, 0};
    n->hasAuxPlane = 1;
    n->references = 4;  // not copied
  }
  ASSERT_TRUE(CopyPointList(&source.head, &target.head));
  EXPECT_EQ(IdsForward(&target.head), (std::vector<int32_t>{0, 0, 0}));  // ids are not copied
  std::vector<double> xs;
  for (PointNode* n = target.head.next; n != &target.head; n = n->next) {
    xs.push_back(n->position.x);
    EXPECT_EQ(n->references, 0);
    EXPECT_EQ(n->hasAuxPlane, 1);
    EXPECT_EQ(n->key, float(n->position.x) / 2);
  }
  EXPECT_EQ(xs, (std::vector<double>{3, 2, 1}));
  EXPECT_EQ(PointListCount(&source.head), 3);

  PointList other;
  other.Append(9);
  AppendPointList(&other.head, &source.head, true);
  EXPECT_EQ(IdsForward(&source.head), (std::vector<int32_t>{1, 2, 3, 9}));
  ExpectRing(&other.head, {}, "source after append");
  ExpectRing(&source.head, {1, 2, 3, 9}, "target after append");
  AppendPointList(&other.head, &source.head, true);  // an empty source changes nothing
  ExpectRing(&source.head, {1, 2, 3, 9}, "empty append");
  EXPECT_EQ(FindPointNodeById(&source.head, 3)->id, 3);
  EXPECT_EQ(FindPointNodeById(&source.head, 4), nullptr);
}

TEST(PointLists, SortByKey) {
  struct Case {
    std::vector<float> keys;
  };
  const Case cases[] = {{{}}, {{3, 1, 2}}, {{5}}, {{2, 2, 1, 2}}, {{-1, 7, 0.5f, -3, 7, 100, -100}}};
  for (const Case& c : cases) {
    PointList list;
    for (size_t i = 0; i < c.keys.size(); ++i) list.Append(int32_t(i), c.keys[i]);
    EXPECT_TRUE(SortPointList(&list.head));
    std::vector<float> sorted;
    for (PointNode* n = list.head.next; n != &list.head; n = n->next) sorted.push_back(n->key);
    std::vector<float> expected = c.keys;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    EXPECT_EQ(PointListCount(&list.head), int32_t(c.keys.size()));
  }
}

// Allocation failures: an insert answers null and leaves the list; a sort
// without its working arrays sorts nothing.
TEST(PointLists, AllocationFailuresLeaveTheListIntact) {
  PointList list;
  list.Append(1, 3);
  list.Append(2, 1);
  const int64_t live = GlobalHeapLiveBlocks();
  GlobalHeapFailAllocationAt(1);
  EXPECT_EQ(InsertPointNodeAfter(&list.head), nullptr);
  GlobalHeapFailAllocationAt(0);
  ExpectRing(&list.head, {1, 2}, "failed insert");
  for (int32_t n = 1; n <= 2; ++n) {
    GlobalHeapFailAllocationAt(n);
    EXPECT_FALSE(SortPointList(&list.head)) << n;
    GlobalHeapFailAllocationAt(0);
    ExpectRing(&list.head, {1, 2}, "failed sort");
    EXPECT_EQ(GlobalHeapLiveBlocks(), live) << n;
  }
  PointList copy;
  GlobalHeapFailAllocationAt(2);
  EXPECT_FALSE(CopyPointList(&list.head, &copy.head));
  GlobalHeapFailAllocationAt(0);
  EXPECT_EQ(PointListCount(&copy.head), 1);
}

// A node parked in another list while it keeps naming its old head: the
// counts follow the lists it is really in, whatever is done with it there.
TEST(PointLists, ParkedNodesKeepTheCountsRight) {
  PointList seeds, parked;
  PointNode* a = seeds.Append(1);
  seeds.Append(2);
  PointNode* c = seeds.Append(3);
  MovePointNode(a, &parked.head, false);
  MovePointNode(c, &parked.head, false);
  EXPECT_EQ(PointListCount(&seeds.head), 1);
  EXPECT_EQ(parked.head.count, 2);
  EXPECT_EQ(a->head, &seeds.head);  // still names the seed list
  EXPECT_EQ(IdsForward(&parked.head), (std::vector<int32_t>{3, 1}));

  // Freed while parked: the parked list loses it, the seed list does not.
  UnlinkPointNode(c);
  EXPECT_EQ(parked.head.count, 1);
  EXPECT_EQ(seeds.head.count, 1);
  // Moving it back where its head says it belongs works although it already names that head.
  MovePointNode(a, &seeds.head, true);
  EXPECT_EQ(parked.head.count, 0);
  ExpectRing(&seeds.head, {1, 2}, "moved back");

  MovePointNode(a, &parked.head, false);
  AppendPointList(&parked.head, &seeds.head, false);
  ExpectRing(&seeds.head, {2, 1}, "spliced back");
  EXPECT_EQ(parked.head.count, 0);

  // Adopting gives the node the target's head.
  MovePointNode(a, &parked.head, true);
  EXPECT_EQ(a->head, &parked.head);
  ExpectRing(&parked.head, {1}, "adopted");
  // Linking a node that sits in a list takes it out of that list first.
  LinkPointNodeAfter(a, seeds.head.next);
  ExpectRing(&seeds.head, {2, 1}, "linked");
  ExpectRing(&parked.head, {}, "left");
}

TEST(PointLists, SnapshotAndDeadMarks) {
  PointList list;
  PointNode* a = list.Append(1);
  PointNode* b = list.Append(2);
  SnapshotPointLinks(&list.head);
  EXPECT_EQ(list.head.savedNext, a);
  EXPECT_EQ(a->savedNext, b);
  EXPECT_EQ(b->savedNext, &list.head);
  EXPECT_EQ(a->savedPrevious, &list.head);
  UnlinkPointNode(a);
  EXPECT_EQ(list.head.savedNext, a);  // the snapshot stays as taken
  EXPECT_FALSE(IsPointNodeDead(b));
  MarkPointNodeDead(b);
  EXPECT_TRUE(IsPointNodeDead(b));
}

}  // namespace
