#include "word/style_names.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/cfb_writer.h"

namespace {

TEST(StyleNames, TagNames) {
  WordSettings plain;
  EXPECT_EQ(styleTagName(plain, "Heading 1"), "text-Heading-1");
  EXPECT_EQ(styleTagName(plain, "A/B,C:D;E\\F#G"), "text-A-B-C-D-E-F-G");

  WordSettings mapped;
  mapped.renameMap = buildStyleRenameMapFromText("Title\n\nT1\r\nNormal\nBody\n");
  mapped.hasRenameDefault = true;
  mapped.renameDefault = "other";
  EXPECT_EQ(styleTagName(mapped, "Title"), "T1");
  EXPECT_EQ(styleTagName(mapped, "Normal"), "Body");
  EXPECT_EQ(styleTagName(mapped, "title"), "other");
}

TEST(StyleNames, RenameFileRules) {
  struct Case {
    std::string text;
    size_t items;
  };
  std::string many;
  for (int i = 0; i < 19998; ++i) many += "s" + std::to_string(i) + "\n";
  const Case cases[] = {
      {"a\nb\nc\n", 0},                            // odd count
      {"a\nx\na\ny\n", 1},                         // the first pair wins
      {" a \n\n\n b\n", 1},                        // blanks are kept, empty lines skipped
      {many, 9999},         {many + "t\nu\n", 0},  // 20000 lines
  };
  for (const Case& c : cases) {
    auto map = buildStyleRenameMapFromText(c.text);
    ASSERT_TRUE(map);
    EXPECT_EQ(map->size(), c.items) << c.text.substr(0, 20);
  }
  auto first = buildStyleRenameMapFromText("a\nx\na\ny\n");
  EXPECT_EQ(*first->find("a"), "x");
  EXPECT_NE(buildStyleRenameMapFromText(" a \n b\n")->find(" a "), nullptr);
  EXPECT_EQ(buildStyleRenameMap("/nonexistent/rename.txt"), nullptr);
}

TEST(StyleNames, MapGrowsPastFiveItemsPerBucket) {
  StyleRenameMap map;
  for (int i = 0; i < 50001; ++i) map.insert("k" + std::to_string(i), "v");
  EXPECT_EQ(map.bucketCount(), 20001u);
  EXPECT_NE(map.find("k123"), nullptr);
  EXPECT_EQ(map.find("k50001"), nullptr);
}

// A stylesheet: header of size 4 with the count and a fixed part of 2 bytes, then
// the given styles (size, fixed part, counted UTF-16 name).
std::string Sheet(const std::vector<std::string>& names, uint16_t sizeBonus = 0) {
  std::string sheet = LeU16(4) + LeU16(static_cast<uint16_t>(names.size())) + LeU16(2);
  for (const std::string& name : names) {
    std::string style = LeU16(0) + LeU16(static_cast<uint16_t>(name.size()));
    for (char c : name) style += std::string{c, '\0'};
    sheet += LeU16(static_cast<uint16_t>(style.size() + sizeBonus)) + style;
  }
  return sheet;
}

TEST(StyleNames, StylesheetBounds) {
  WordSettings settings;
  settings.tablesDirectory = LUMEN_SOURCE_DIR "/tables";
  std::string sheet = Sheet({"Normal", "Heading 1"});
  StyleNames names =
      parseStyleNames(settings, reinterpret_cast<const unsigned char*>(sheet.data()), sheet.size());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].value_or("?"), "text-Normal");
  EXPECT_EQ(names[1].value_or("?"), "text-Heading-1");

  // The last style's name reaches past the stylesheet: its slot stays empty.
  sheet = Sheet({"Normal", "Heading 1"});
  sheet.resize(sheet.size() - 3);
  names =
      parseStyleNames(settings, reinterpret_cast<const unsigned char*>(sheet.data()), sheet.size());
  ASSERT_EQ(names.size(), 2u);
  EXPECT_TRUE(names[0]);
  EXPECT_FALSE(names[1]);
  // Shorter than its header, or empty.
  EXPECT_TRUE(
      parseStyleNames(settings, reinterpret_cast<const unsigned char*>(sheet.data()), 3).empty());
  EXPECT_TRUE(parseStyleNames(settings, nullptr, 0).empty());
}

}  // namespace
