#include "powerpoint/slides.h"

#include <cinttypes>
#include <unordered_set>

#include "powerpoint/settings.h"
#include "util/byte_reader.h"

namespace {

// Master ids have the high bit set; a notes master's NotesAtom names no slide.
bool isMasterId(uint32_t slideId) { return slideId == 0 || slideId >= 0x80000000u; }

struct ListEntry {
  uint16_t instance;
  uint32_t persistId;
  uint32_t slideId;
};

class MapCollector : public PptRecordVisitor {
 public:
  explicit MapCollector(SlideMap* map) : map_(map) {}

  void enterContainer(const std::vector<PptRecord>& path, const PptRecord& record) override {
    if (path.empty()) topContainers.push_back(record);
  }

  bool atom(const std::vector<PptRecord>& path, const PptRecord& record,
            const uint8_t* body) override {
    ByteReader reader(body, record.length);
    if (path.empty()) {
      if (record.type == kPptPersistDirectoryAtom) readPersistDirectory(&reader);
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
      notesIdOfSlide.emplace(parent.offset, reader.u32At(16));
    } else if (record.type == kPptNotesAtom && parent.type == kPptNotes && reader.has(0, 4)) {
      if (isMasterId(reader.u32At(0))) notesMasters.insert(parent.offset);
    }
    return true;
  }

  std::vector<PptRecord> topContainers;
  std::vector<ListEntry> lists;
  std::unordered_map<uint64_t, uint32_t> notesIdOfSlide;  // first SlideAtom of each
  std::unordered_set<uint64_t> notesMasters;
  uint32_t notesMasterPersistId = 0;

 private:
  // Entries of a 32-bit word (persist id in the low 20 bits, count in the high 12)
  // followed by that many stream positions for consecutive ids.
  void readPersistDirectory(ByteReader* reader) {
    while (reader->remaining() >= 4) {
      uint32_t word = reader->u32();
      uint32_t id = word & 0xFFFFF;
      uint32_t count = word >> 20;
      for (uint32_t i = 0; i < count && reader->remaining() >= 4; ++i) {
        map_->persistOffsets[id + i] = reader->u32();
      }
    }
  }

  SlideMap* map_;
};

// Stream position of a persist id, or UINT64_MAX.
uint64_t offsetOf(const SlideMap& map, uint32_t persistId) {
  auto found = map.persistOffsets.find(persistId);
  return found == map.persistOffsets.end() ? UINT64_MAX : found->second;
}

}  // namespace

void buildSlideMap(const PptStream& stream, SlideMap* map) {
  MapCollector collector(map);
  walkPptRecords(stream, &collector);

  std::unordered_set<uint64_t> titleMasters;
  for (const ListEntry& entry : collector.lists) {
    if (entry.instance == 1) titleMasters.insert(offsetOf(*map, entry.persistId));
  }
  std::vector<std::pair<uint64_t, uint32_t>> slides;  // (position, number)
  for (const PptRecord& record : collector.topContainers) {
    if (record.type != kPptSlide) continue;
    if (titleMasters.count(record.offset) != 0) {
      map->slideAt.emplace(record.offset, 0);
    } else {
      map->slideAt.emplace(record.offset, ++map->slideCount);
      slides.emplace_back(record.offset, map->slideCount);
    }
  }

  // Notes through the SlideAtom: its notes id is the slide id of an entry of the
  // notes list, whose persist id names the Notes container; an id that no entry
  // carries is tried as a persist id itself.
  std::unordered_map<uint32_t, uint32_t> notesPersistOfId;
  for (const ListEntry& entry : collector.lists) {
    if (entry.instance == 2) notesPersistOfId.emplace(entry.slideId, entry.persistId);
  }
  std::unordered_set<uint64_t> notesContainers;
  for (const PptRecord& record : collector.topContainers) {
    if (record.type == kPptNotes) notesContainers.insert(record.offset);
  }
  for (const auto& slide : slides) {
    auto notesId = collector.notesIdOfSlide.find(slide.first);
    if (notesId == collector.notesIdOfSlide.end() || notesId->second == 0) continue;
    auto persist = notesPersistOfId.find(notesId->second);
    uint32_t persistId = persist != notesPersistOfId.end() ? persist->second : notesId->second;
    uint64_t position = offsetOf(*map, persistId);
    if (notesContainers.count(position) != 0) map->notesAt.emplace(position, slide.second);
  }

  // The rest: the notes master gets 0; any other Notes container that no slide
  // names belongs, by its ordinal among them, to the slide of that number.
  uint64_t notesMaster = offsetOf(*map, collector.notesMasterPersistId);
  uint32_t ordinal = 0;
  for (const PptRecord& record : collector.topContainers) {
    if (record.type != kPptNotes) continue;
    if (record.offset == notesMaster || collector.notesMasters.count(record.offset) != 0) {
      map->notesAt[record.offset] = 0;
      continue;
    }
    ++ordinal;
    map->notesAt.emplace(record.offset, ordinal);
  }
}

uint32_t slideOfListEntry(const SlideMap& map, uint16_t listInstance, uint32_t persistId,
                          uint32_t ordinal) {
  if (listInstance != 0 && listInstance != 2) return 0;
  const auto& containers = listInstance == 0 ? map.slideAt : map.notesAt;
  auto found = containers.find(offsetOf(map, persistId));
  if (found != containers.end() && found->second != 0) return found->second;
  return ordinal;
}

SlideState& pptSlideState() {
  static SlideState state;
  return state;
}

void resetPptSlideState() { pptSlideState() = SlideState(); }

bool writeSlides(const SlideState& state, const PptSettings& settings, FILE* out) {
  bool ok = true;
  auto put = [&](const std::string& text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), out) != text.size()) ok = false;
  };
  for (const auto& slide : state.entries) {
    if (slide.first == 0) continue;
    const SlideEntry& entry = slide.second;
    put("<" + settings.slideTag + ">");
    if (!entry.title.empty()) {
      put("<" + settings.titleTag + "> " + entry.title + " </" + settings.titleTag + ">");
    } else {
      char number[48];
      std::snprintf(number, sizeof number, "<B>Slide -  %" PRIu32 " </B>", slide.first);
      put(number);
    }
    put("<P>" + entry.body + "<P></" + settings.slideTag + ">");
  }
  return ok;
}
