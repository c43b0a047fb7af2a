// StyleRenameMap: style names (UTF-8) to the tag names the XML form writes for
// them, read from a rename file of line pairs.
#ifndef LUMEN_WORD_RENAME_MAP_H_
#define LUMEN_WORD_RENAME_MAP_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A chained hash table keyed by exact (case-sensitive) text. It starts with
// kInitialBuckets buckets; a text hashes as h := h XOR (64 * h + c) over its bytes,
// modulo the bucket count. When an insertion leaves more than five items per
// bucket, the count becomes 2 * count + 1 until it no longer does.
class StyleRenameMap {
 public:
  static constexpr size_t kInitialBuckets = 10000;

  StyleRenameMap();
  // false (and no change) when name is present already: the first pair wins.
  bool insert(const std::string& name, const std::string& tag);
  // The tag for name, or nullptr.
  const std::string* find(const std::string& name) const;
  size_t size() const { return items_; }
  size_t bucketCount() const { return buckets_.size(); }

 private:
  using Bucket = std::vector<std::pair<std::string, std::string>>;
  void grow();

  std::vector<Bucket> buckets_;
  size_t items_ = 0;
};

// A rename file holds lines, read in pairs: a style name, then its tag name. Lines
// are maximal runs of characters other than line feed and carriage return (empty
// lines do not count; blanks are kept). With an odd number of lines, or 20000
// lines or more, the map is empty. nullptr when the file cannot be read.
std::unique_ptr<StyleRenameMap> buildStyleRenameMap(const char* path);
// The same, from the file's text.
std::unique_ptr<StyleRenameMap> buildStyleRenameMapFromText(const std::string& text);

#endif  // LUMEN_WORD_RENAME_MAP_H_
