#include "word/rename_map.h"

#include "util/grow_buffer.h"
#include "util/hash.h"
#include "util/memory.h"

namespace {

constexpr size_t kMaxLines = 20000;
constexpr size_t kMaxItemsPerBucket = 5;

}  // namespace

StyleRenameMap::StyleRenameMap() : buckets_(kInitialBuckets) {}

bool StyleRenameMap::insert(const std::string& name, const std::string& tag) {
  if (find(name) != nullptr) return false;
  buckets_[hashString(name.c_str()) % buckets_.size()].emplace_back(name, tag);
  ++items_;
  if (items_ > kMaxItemsPerBucket * buckets_.size()) grow();
  return true;
}

const std::string* StyleRenameMap::find(const std::string& name) const {
  const Bucket& bucket = buckets_[hashString(name.c_str()) % buckets_.size()];
  for (const auto& item : bucket) {
    if (item.first == name) return &item.second;
  }
  return nullptr;
}

void StyleRenameMap::grow() {
  size_t count = buckets_.size();
  while (items_ > kMaxItemsPerBucket * count) count = 2 * count + 1;
  std::vector<Bucket> grown(count);
  for (Bucket& bucket : buckets_) {
    for (auto& item : bucket) {
      grown[hashString(item.first.c_str()) % count].push_back(std::move(item));
    }
  }
  buckets_.swap(grown);
}

std::unique_ptr<StyleRenameMap> buildStyleRenameMapFromText(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size() && lines.size() < kMaxLines) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    if (end > pos) lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  auto map = std::make_unique<StyleRenameMap>();
  if (lines.empty() || lines.size() % 2 != 0 || lines.size() >= kMaxLines) return map;
  for (size_t i = 0; i + 1 < lines.size(); i += 2) map->insert(lines[i], lines[i + 1]);
  return map;
}

std::unique_ptr<StyleRenameMap> buildStyleRenameMap(const char* path) {
  GrowBuffer* buffer = growBufferReadFile(path);
  if (buffer == nullptr) return nullptr;
  CharPtr text(growBufferDetach(buffer));
  if (!text) return nullptr;
  return buildStyleRenameMapFromText(text.get());
}
