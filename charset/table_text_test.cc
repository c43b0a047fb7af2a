#include "charset/table_text.h"

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

std::vector<std::string> Split(std::string_view text, size_t capacity) {
  LineSplitter lines(text, capacity);
  std::vector<std::string> result;
  std::string_view line;
  while (lines.Next(&line)) result.emplace_back(line);
  return result;
}

TEST(LineSplitterTest, PiecesAsALineBufferReadsThem) {
  EXPECT_EQ(Split("a\nbc\n", 100), (std::vector<std::string>{"a\n", "bc\n"}));
  EXPECT_EQ(Split("a\n\nb", 100), (std::vector<std::string>{"a\n", "\n", "b"}));
  // A line longer than the buffer continues as further pieces.
  EXPECT_EQ(Split("abcdefg\nh", 4), (std::vector<std::string>{"abc", "def", "g\n", "h"}));
  // A piece ends at a 0 byte as a C string does; the line still counts once.
  EXPECT_EQ(Split(std::string_view("ab\0cd\nx", 7), 100),
            (std::vector<std::string>{"ab", "x"}));
  EXPECT_TRUE(Split("", 100).empty());
}

// A file read through the window gives the pieces that splitting its whole
// content gives, also for lines that cross the window's edges.
TEST(TableReaderTest, PiecesAsTheWholeTextSplits) {
  ScratchDir scratch;
  std::string text;
  for (int i = 0; text.size() < 2 * TableReader::kWindow + 300; ++i) {
    text += std::string(static_cast<size_t>(i * 37 % 230), static_cast<char>('a' + i % 26));
    text += i % 9 == 0 ? std::string(1, '\0') : "\n";
  }
  std::string path = scratch.path() + "/table.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  for (size_t capacity : {100, 500}) {
    TableReader reader(path);
    ASSERT_TRUE(reader.open());
    std::vector<std::string> pieces;
    std::string_view line;
    while (reader.Next(capacity, &line)) pieces.emplace_back(line);
    EXPECT_EQ(pieces, Split(text, capacity)) << capacity;
  }
  EXPECT_FALSE(TableReader(path + ".missing").open());
}

TEST(ParseIntegerTest, BasesSignsAndLimits) {
  struct Case {
    const char* text;
    int base;
    size_t used;
    int64_t value;
  } cases[] = {
      {"0x20ac-", 0, 6, 0x20AC}, {"0X1F", 0, 4, 0x1F},  {"017", 0, 3, 15},
      {"129", 0, 3, 129},        {"  -5", 0, 4, -5},     {"+7z", 10, 2, 7},
      {"0x", 0, 1, 0},           {"0xg", 16, 1, 0},      {"ff ", 16, 2, 255},
      {"0xFF", 16, 4, 255},      {"", 0, 0, 0},          {"-", 0, 0, 0},
      {"x12", 10, 0, 0},         {"99999999999999999999", 10, 20, int64_t{1} << 40},
      {"089", 0, 1, 0},
  };
  for (const Case& c : cases) {
    int64_t value = -1;
    EXPECT_EQ(ParseInteger(c.text, c.base, &value), c.used) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

}  // namespace
