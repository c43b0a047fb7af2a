#include "storage/ptr_list.h"

#include <cstdlib>

#include "gtest/gtest.h"

namespace {

int released = 0;
void Release(void* item) {
  ++released;
  std::free(item);
}

TEST(PtrListTest, GrowsToTwiceCountPlusOne) {
  PtrList* list = PtrListNew();
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(0, PtrListCount(list));
  EXPECT_EQ(0, PtrListCapacity(list));
  const int expected[] = {1, 3, 3, 7, 7, 7, 7, 15};
  int items[8];
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(i, PtrListAppend(list, &items[i]));
    EXPECT_EQ(expected[i], PtrListCapacity(list)) << i;
  }
  EXPECT_EQ(8, PtrListCount(list));
  for (uint32_t i = 0; i < 8; ++i) EXPECT_EQ(&items[i], PtrListGet(list, i));
  EXPECT_EQ(nullptr, PtrListGet(list, 8));
  EXPECT_EQ(nullptr, PtrListGet(list, 0xFFFFFFFF));
  PtrListClear(list);
  EXPECT_EQ(0, PtrListCount(list));
  EXPECT_EQ(0, PtrListCapacity(list));
  EXPECT_EQ(nullptr, PtrListGet(list, 0));
  EXPECT_EQ(0, PtrListAppend(list, nullptr));
  PtrListFree(list);
}

TEST(PtrListTest, MissingListIsNeutral) {
  EXPECT_EQ(-1, PtrListAppend(nullptr, nullptr));
  EXPECT_EQ(nullptr, PtrListGet(nullptr, 0));
  EXPECT_EQ(0, PtrListCount(nullptr));
  EXPECT_EQ(0, PtrListCapacity(nullptr));
  PtrListForEach(nullptr, Release);
  PtrListClear(nullptr);
  PtrListFree(nullptr);
}

TEST(PtrListTest, ForEachVisitsInOrderAndReleasesOwnedItems) {
  PtrList* list = PtrListNew();
  for (int i = 0; i < 5; ++i) PtrListAppend(list, std::malloc(4));
  released = 0;
  PtrListForEach(list, Release);
  EXPECT_EQ(5, released);
  PtrListFree(list);
}

TEST(PtrListTest, FullListDoesNotGrowPastItsLimit) {
  PtrList list = {INT32_MAX, INT32_MAX, nullptr};
  EXPECT_EQ(-1, PtrListAppend(&list, nullptr));
  EXPECT_EQ(INT32_MAX, list.count);
}

}  // namespace
