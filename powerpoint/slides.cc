#include "powerpoint/slides.h"

#include <algorithm>
#include <cinttypes>

#include "powerpoint/settings.h"
#include "util/byte_reader.h"

namespace {

// Master ids have the high bit set; a notes master's NotesAtom names no slide.
bool isMasterId(uint32_t slideId) { return slideId == 0 || slideId >= 0x80000000u; }

constexpr uint32_t kUnknown = 0xFFFFFFFF;

struct ListEntry {
  uint16_t instance;
  uint32_t persistId;
  uint32_t slideId;
};

class MapCollector : public PptRecordVisitor {
 public:
  explicit MapCollector(SlideMap* map) : map_(map) {}

  void enterContainer(const std::vector<PptRecord>& path, const PptRecord& record) override {
    if (!path.empty()) return;
    const uint32_t position = static_cast<uint32_t>(record.offset);
    if (record.type == kPptSlide) {
      map_->slideAt.emplace_back(position, 0);
      notesIds.push_back(kUnknown);
    }
    if (record.type == kPptNotes) {
      map_->notesAt.emplace_back(position, kUnknown);
      notesMasters.push_back(false);
    }
  }

  bool atom(const std::vector<PptRecord>& path, const PptRecord& record,
            const uint8_t* body) override {
    ByteReader reader(body, record.length);
    if (path.empty()) {
      if (record.type == kPptPersistDirectoryAtom) {
        applyPersistDirectory(body, record.length, &map_->persistOffsets);
      }
      return true;
    }
    const PptRecord& parent = path.back();
    if (record.type == kPptSlidePersistAtom && parent.type == kPptSlideListWithText &&
        reader.has(0, 16)) {
      lists.push_back({parent.instance, reader.u32At(0), reader.u32At(12)});
    } else if (path.size() != 1) {
      return true;
    } else if (record.type == kPptDocumentAtom && parent.type == kPptDocument &&
               reader.has(24, 4)) {
      notesMasterPersistId = reader.u32At(24);
    } else if (record.type == kPptSlideAtom && parent.type == kPptSlide && reader.has(16, 4)) {
      if (notesIds.back() == kUnknown) notesIds.back() = reader.u32At(16);
    } else if (record.type == kPptNotesAtom && parent.type == kPptNotes && reader.has(0, 4)) {
      if (isMasterId(reader.u32At(0))) notesMasters.back() = true;
    }
    return true;
  }

  std::vector<uint32_t> notesIds;  // per Slide container: notes id of its first SlideAtom
  std::vector<bool> notesMasters;  // per Notes container: its NotesAtom names no slide
  std::vector<ListEntry> lists;
  uint32_t notesMasterPersistId = kUnknown;

 private:
  SlideMap* map_;
};

uint64_t offsetOf(const SlideMap& map, uint32_t persistId) {
  if (persistId >= map.persistOffsets.size()) return UINT64_MAX;
  uint32_t offset = map.persistOffsets[persistId];
  return offset == kNoPosition ? UINT64_MAX : offset;
}

// Index of position in a list sorted by position, or SIZE_MAX.
size_t indexAt(const PositionList& list, uint64_t position) {
  if (position > UINT32_MAX) return SIZE_MAX;
  auto found = std::lower_bound(
      list.begin(), list.end(), static_cast<uint32_t>(position),
      [](const std::pair<uint32_t, uint32_t>& item, uint32_t at) { return item.first < at; });
  if (found == list.end() || found->first != position) return SIZE_MAX;
  return static_cast<size_t>(found - list.begin());
}

}  // namespace

uint32_t numberAt(const PositionList& list, uint64_t position) {
  size_t index = indexAt(list, position);
  return index == SIZE_MAX ? 0 : list[index].second;
}

void buildSlideMap(const PptStream& stream, const PptEdits& edits, SlideMap* map) {
  MapCollector collector(map);
  if (edits.chain) map->persistOffsets = edits.persistOffsets;
  walkPptRecords(stream, &collector, liveRecords(edits));

  // Title masters are the Slide containers the master list names.
  std::vector<uint64_t> titleMasters;
  for (const ListEntry& entry : collector.lists) {
    if (entry.instance == 1) titleMasters.push_back(offsetOf(*map, entry.persistId));
  }
  std::sort(titleMasters.begin(), titleMasters.end());
  std::vector<uint32_t> notesIdOfSlide;  // by slide number
  notesIdOfSlide.push_back(0);
  uint32_t slideCount = 0;
  for (size_t i = 0; i < map->slideAt.size(); ++i) {
    if (std::binary_search(titleMasters.begin(), titleMasters.end(), map->slideAt[i].first)) {
      continue;
    }
    map->slideAt[i].second = ++slideCount;
    notesIdOfSlide.push_back(collector.notesIds[i] == kUnknown ? 0 : collector.notesIds[i]);
  }

  // Notes through the SlideAtom: its notes id is the slide id of an entry of the
  // notes list, whose persist id names the Notes container; an id that no entry
  // carries is tried as a persist id itself.
  std::vector<std::pair<uint32_t, uint32_t>> notesPersistOfId;  // (slide id, persist id)
  for (const ListEntry& entry : collector.lists) {
    if (entry.instance == 2) notesPersistOfId.emplace_back(entry.slideId, entry.persistId);
  }
  std::stable_sort(notesPersistOfId.begin(), notesPersistOfId.end(),
                   [](const std::pair<uint32_t, uint32_t>& a,
                      const std::pair<uint32_t, uint32_t>& b) { return a.first < b.first; });
  for (uint32_t slide = 1; slide < notesIdOfSlide.size(); ++slide) {
    uint32_t notesId = notesIdOfSlide[slide];
    if (notesId == 0) continue;
    auto persist = std::lower_bound(
        notesPersistOfId.begin(), notesPersistOfId.end(), notesId,
        [](const std::pair<uint32_t, uint32_t>& item, uint32_t id) { return item.first < id; });
    uint32_t persistId =
        persist != notesPersistOfId.end() && persist->first == notesId ? persist->second : notesId;
    size_t index = indexAt(map->notesAt, offsetOf(*map, persistId));
    if (index != SIZE_MAX && map->notesAt[index].second == kUnknown) {
      map->notesAt[index].second = slide;
    }
  }

  // The rest: the notes master gets 0; any other Notes container that no slide
  // names belongs, by its ordinal among them, to the slide of that number.
  uint64_t notesMaster = offsetOf(*map, collector.notesMasterPersistId);
  uint32_t ordinal = 0;
  for (size_t i = 0; i < map->notesAt.size(); ++i) {
    std::pair<uint32_t, uint32_t>& notes = map->notesAt[i];
    if (notes.first == notesMaster || collector.notesMasters[i]) {
      notes.second = 0;
      continue;
    }
    ++ordinal;
    if (notes.second == kUnknown) notes.second = ordinal;
  }
}

uint32_t slideOfListEntry(const SlideMap& map, uint16_t listInstance, uint32_t persistId,
                          uint32_t ordinal) {
  if (listInstance != 0 && listInstance != 2) return 0;
  uint32_t slide =
      numberAt(listInstance == 0 ? map.slideAt : map.notesAt, offsetOf(map, persistId));
  return slide != 0 ? slide : ordinal;
}

SlideState& pptSlideState() {
  static SlideState state;
  return state;
}

void resetPptSlideState() { pptSlideState() = SlideState(); }

SlideEntry* slideEntry(SlideState* state, uint32_t slide, bool create) {
  auto found = state->entries.find(slide);
  if (found != state->entries.end()) return &found->second;
  return create ? &state->entries[slide] : nullptr;
}

bool writeSlides(const SlideState& state, const PptSettings& settings, FILE* out) {
  const std::string slideOpen = "<" + settings.slideTag + ">";
  const std::string titleOpen = "<" + settings.titleTag + "> ";
  const std::string titleClose = " </" + settings.titleTag + "><P>";
  const std::string slideClose = "<P></" + settings.slideTag + ">";
  bool ok = true;
  auto put = [&](const std::string& text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out) != text.size()) ok = false;
  };
  for (const auto& item : state.entries) {
    const uint32_t slide = item.first;
    const SlideEntry& entry = item.second;
    if (slide == 0) continue;
    put(slideOpen);
    if (!entry.title.empty()) {
      put(titleOpen);
      put(entry.title);
      put(titleClose);
    } else {
      char number[48];
      std::snprintf(number, sizeof number, "<B>Slide -  %" PRIu32 " </B><P>", slide);
      put(number);
    }
    put(entry.body);
    put(slideClose);
  }
  return ok;
}
