// PtrList: a growable array of untyped pointers. It owns its array, never the items.
#ifndef LUMEN_STORAGE_PTR_LIST_H_
#define LUMEN_STORAGE_PTR_LIST_H_

#include <cstdint>

struct PtrList {
  int32_t capacity;
  int32_t count;
  void** items;
};

PtrList* PtrListNew();
// Appends item and returns its index; -1 for no list or when the array cannot grow
// (a full list grows to 2 * count + 1 zero-filled slots).
int32_t PtrListAppend(PtrList* list, void* item);
// The item, or nullptr when index is not below count or there is no list.
void* PtrListGet(const PtrList* list, uint32_t index);
int32_t PtrListCount(const PtrList* list);
int32_t PtrListCapacity(const PtrList* list);
void PtrListForEach(PtrList* list, void (*function)(void*));
void PtrListClear(PtrList* list);
void PtrListFree(PtrList* list);

#endif  // LUMEN_STORAGE_PTR_LIST_H_
