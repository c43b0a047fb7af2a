#include "word/xml_body.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(XmlBody, PiecesCutAtRunEnds) {
  struct Case {
    const char* what;
    std::vector<ParagraphRun> runs;
    std::vector<std::pair<std::string, size_t>> elements;
  };
  const Case cases[] = {
      {"two runs", {{0x800, 0x804, 1}, {0x804, 0x80A, 2}}, {{"abcd", 0}, {"efghij", 1}}},
      {"one run holds it all", {{0x7F0, 0x900, 1}}, {{"abcdefghij", 0}}},
      {"first run starts before",
       {{0x700, 0x7F0, 1}, {0x7F0, 0x805, 2}, {0x805, 0x900, 3}},
       {{"abcde", 1}, {"fghij", 2}}},
      {"runs used up", {{0x800, 0x802, 1}, {0x802, 0x804, 2}}, {{"ab", 0}, {"cdefghij", 1}}},
      {"a run ending before the piece",
       {{0x7F0, 0x7F4, 1}, {0x900, 0x950, 2}},
       {{"abcdefghij", 1}}},
      {"piece before every run", {{0x900, 0x950, 1}}, {}},
  };
  for (const Case& c : cases) {
    WordSettings settings;
    WordPiece piece{0, 0x800, 10, false};
    std::vector<TextElement> elements;
    std::string text = "abcdefghij";
    cutPiece(&settings, c.runs, piece, reinterpret_cast<const unsigned char*>(text.data()),
             text.size(), &elements);
    ASSERT_EQ(elements.size(), c.elements.size()) << c.what;
    for (size_t i = 0; i < elements.size(); ++i) {
      EXPECT_EQ(elements[i].text, c.elements[i].first) << c.what;
      EXPECT_EQ(elements[i].run, c.elements[i].second) << c.what;
    }
  }
}

}  // namespace
