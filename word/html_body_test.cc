#include "word/html_body.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "word/text_writer.h"

namespace {

// Captures what a writer puts into a stream.
std::string Captured(FILE* out) {
  std::fflush(out);
  std::string text(static_cast<size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  size_t read = std::fread(&text[0], 1, text.size(), out);
  text.resize(read);
  std::fclose(out);
  return text;
}

std::string Wide(const std::string& narrow) {
  std::string wide;
  for (char c : narrow) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

std::string WriteText(WordSettings* settings, std::string text, bool wide, bool escape = true) {
  FILE* out = std::tmpfile();
  writeWordText(settings, reinterpret_cast<unsigned char*>(&text[0]), text.size(), wide, true, true,
                out, escape);
  return Captured(out);
}

TEST(WriteWordText, CleaningEscapingAndTables) {
  struct Case {
    bool formatTables, breakTables, wide;
    std::string text, expected;
  };
  const std::string table = "<table border='0'>\n<tr>\n";
  const Case cases[] = {
      {false, false, false, "3 < 5 & it's\x1f\xa0x", "3 &lt; 5 & it\"s- x\n"},
      {false, false, false,
       "a\x07"
       "b\x0b\x93q\x94",
       "a\tb\r\"q\"\n"},
      {false, false, true, "A<\x0c\x01", "A&lt;\r \n"},
      // Long enough to be scanned eight bytes at a time.
      {false, false, false, "0123456789<abcdefgh>ijklmnop'q\x1fr=s\x85",
       "0123456789&lt;abcdefgh&gt;ijklmnop\"q-r=s.\n"},
      {false, false, true, "0123456789abcdef\x1egh\xa0", "0123456789abcdef-gh \n"},
      {true, false, false,
       "ab\x07"
       "cd\x07\x07",
       table + "<td>ab</td><td>cd</td>\n</tr>\n</table>\n"},
      // One-letter cells keep their letter; text after the last row follows the table.
      {true, false, false,
       "a\x07"
       "b\x07\x07"
       "c\x07\x07next",
       table + "<td>a</td><td>b</td>\n</tr>\n<tr>\n<td>c</td>\n</tr>\n</table>next\n"},
      {true, false, true, "x\x07y<\x07\x07", table + "<td>x</td><td>y&lt;</td>\n</tr>\n</table>\n"},
      {false, true, false,
       "a\x07"
       "b\x07\x07",
       "a\nb\n\n\n"},
  };
  for (const Case& c : cases) {
    WordSettings settings;
    settings.formatTables = c.formatTables;
    settings.breakTables = c.breakTables;
    settings.tablesDirectory = LUMEN_SOURCE_DIR "/tables";
    std::string text = c.wide ? Wide(c.text) : c.text;
    EXPECT_EQ(WriteText(&settings, text, c.wide), c.expected) << c.text;
  }
}

std::string WalkPiece(const std::string& narrow, bool wide, std::vector<ParagraphRun> headings,
                      std::vector<PageRun> pages = {}) {
  WordSettings settings;
  settings.tablesDirectory = LUMEN_SOURCE_DIR "/tables";
  std::string text = wide ? Wide(narrow) : narrow;
  WordPiece piece{0, 0x800, static_cast<uint32_t>(text.size()), wide};
  WordBody body(&pages, &headings);
  FILE* out = std::tmpfile();
  writePieceText(&settings, &body, piece, reinterpret_cast<unsigned char*>(&text[0]), text.size(),
                 out);
  return Captured(out);
}

TEST(WritePiece, FieldsHeadingsAndPageAnchors) {
  struct Case {
    std::string text;
    bool wide;
    std::vector<ParagraphRun> headings;
    std::string expected;
  };
  const std::vector<ParagraphRun> none;
  const Case cases[] = {
      {"Go \x13 HYPERLINK x \x14site\x15 now\r", true, none, "Go  now\n"},
      {"Intro\rBody\r", false, {{0x800, 0x806, 1}}, "\n<a name=\"Intro\"></a>\n\nIntro\nBody\n"},
      {"Intro\rBody\r", true, {{0x800, 0x80C, 2}}, "\n<a name=\"Intro\"></a>\n\nIntro\nBody\n"},
      {" !! \rX\r", false, {{0x800, 0x805, 1}}, " !! \nX\n"},
      {"A\r\x0c"
       "B\r",
       true, none, "A\n<a name=\"Page 1\"></a>\n\nB\n"},
      {"A\r\x0c"
       "B\r",
       false, none, "<a name=\"Page 1\"></a>\nA\n<a name=\"Page 2\"></a>\n\nB\n"},
      {"one\x0btwo", false, none, "one\ntwo"},
      // The anchor runs to the first paragraph end outside a field; the field is
      // counted once although the heading is walked twice.
      {"H\x13x\rmore\x15y\r", false, {{0x800, 0x803, 3}}, "\n<a name=\"Hy\"></a>\n\nHy\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WalkPiece(c.text, c.wide, c.headings), c.expected) << c.text;
  }
}

TEST(WritePiece, PageRunAnchorsOnceEach) {
  std::vector<PageRun> pages = {{false, 7, 0, 2}, {false, 8, 2, 10}};
  EXPECT_EQ(WalkPiece("ab\rcd\r", false, {}, pages),
            "\n<a name=\"Page 7\"></a>\n\nab\n<a name=\"Page 8\"></a>\n\n\ncd\n");
}

}  // namespace
