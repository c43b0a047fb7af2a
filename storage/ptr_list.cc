#include "storage/ptr_list.h"

#include <cstdlib>
#include <cstring>

#include "util/memory.h"

PtrList* PtrListNew() { return static_cast<PtrList*>(allocZeroed(sizeof(PtrList))); }

int32_t PtrListAppend(PtrList* list, void* item) {
  if (list == nullptr) return -1;
  if (list->count == list->capacity) {
    // Grows to 2 * count + 1 slots; a count past half the int32 range cannot grow.
    if (list->count > (INT32_MAX - 1) / 2) return -1;
    int32_t capacity = 2 * list->count + 1;
    void** items = static_cast<void**>(allocArray(static_cast<size_t>(capacity), sizeof(void*)));
    if (items == nullptr) return -1;
    if (list->count > 0) {
      std::memcpy(items, list->items, static_cast<size_t>(list->count) * sizeof(void*));
    }
    std::free(list->items);
    list->items = items;
    list->capacity = capacity;
  }
  list->items[list->count] = item;
  return list->count++;
}

void* PtrListGet(const PtrList* list, uint32_t index) {
  if (list == nullptr || list->count <= 0 || index >= static_cast<uint32_t>(list->count)) {
    return nullptr;
  }
  return list->items[index];
}

int32_t PtrListCount(const PtrList* list) { return list == nullptr ? 0 : list->count; }

int32_t PtrListCapacity(const PtrList* list) { return list == nullptr ? 0 : list->capacity; }

void PtrListForEach(PtrList* list, void (*function)(void*)) {
  if (list == nullptr || function == nullptr) return;
  for (int32_t i = 0; i < list->count; ++i) function(list->items[i]);
}

void PtrListClear(PtrList* list) {
  if (list == nullptr) return;
  std::free(list->items);
  list->items = nullptr;
  list->count = 0;
  list->capacity = 0;
}

void PtrListFree(PtrList* list) {
  PtrListClear(list);
  std::free(list);
}
