#include "word/contents_meta.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

void PutText(std::string* s, size_t at, const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) (*s)[at + 2 * i] = text[i];
}

// Two named values: Title = Doc, Who = Me.
std::string ContentsStream(char room) {
  std::string s(400, '\0');
  s[52] = room;
  s[56] = 1;
  s[60] = 2;  // value table: entry 2 ...
  s[64] = static_cast<char>(200);
  s[68] = 3;   // ... entry 3 ...
  s[72] = 44;  // offset 300
  s[73] = 1;
  s[76] = 7;  // ... and the entry that ends it
  s[84] = 0x09;
  s[85] = 0x08;
  s[96] = 6;  // first name at 92
  PutText(&s, 100, "Title");
  s[112] = 3;  // the next number: no gap before the second name
  s[116] = 4;
  PutText(&s, 120, "Who");
  s[252] = 4;
  PutText(&s, 256, "D<c");
  s[352] = 3;
  PutText(&s, 356, "Me");
  return s;
}

std::string Write(const std::string& stream) {
  WordSettings settings;
  settings.tablesDirectory = LUMEN_SOURCE_DIR "/tables";
  FILE* out = std::tmpfile();
  writeContentsMetaBytes(&settings, reinterpret_cast<const unsigned char*>(stream.data()),
                         stream.size(), out);
  std::fflush(out);
  std::string text(static_cast<size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  text.resize(std::fread(&text[0], 1, text.size(), out));
  std::fclose(out);
  return text;
}

TEST(ContentsMeta, NamedValues) {
  const std::string both =
      "<META NAME=\"Title_MSM\" CONTENT=\"D<c\">\n<META NAME=\"Who_MSM\" CONTENT=\"Me\">\n";
  EXPECT_EQ(Write(ContentsStream(2)), both);
  // Room for one value; no count; a stream that ends inside the second value.
  EXPECT_EQ(Write(ContentsStream(1)), both.substr(0, both.find('\n') + 1));
  EXPECT_EQ(Write(ContentsStream(0)), "");
  EXPECT_EQ(Write(ContentsStream(2).substr(0, 358)), both.substr(0, both.find('\n') + 1));
  EXPECT_EQ(Write(ContentsStream(2).substr(0, 80)), "");
}

}  // namespace
