// End-to-end runs of the Word converter through the lumen program, on documents
// built by tests/word_writer, compared byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cfb_writer.h"
#include "tests/test_support.h"
#include "tests/word_writer.h"

namespace {

const char kFileNames[] =
    "<META NAME=\"QVEFILENAME\" CONTENT=\"in.doc\">\n"
    "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"in.doc\">\n";
const char kPage5[] = "<HTML>unreadable</HTML>\n";
const char kPage6[] = "<HTML>encrypted</HTML>\n";
const char kPage8[] = "<HTML>no document</HTML>\n";
const char kUtf8[] = "OutputCharSet=UTF8\n";
const char kXml[] = "OutputCharSet=UTF8\nOutputXML=1\n";
const char kXmlHead[] = "\n<document>\n\n";
const char kXmlFoot[] = "\n</document>\n";

std::string Page(const std::string& body, const std::string& head = "",
                 const std::string& contents = "") {
  return "<HTML>\n<HEAD>\n" + head + kFileNames + contents + "\n</HEAD>\n<BODY>\n" + body +
         "\n</BODY>\n</HTML>\n";
}

std::string Tag(const std::string& name, const std::string& text) {
  return "\n<" + name + ">\n" + text + "\n</" + name + ">\n";
}

WordDescription Pieces(const std::vector<WordPieceText>& pieces) {
  WordDescription d;
  d.pieces = pieces;
  return d;
}

// A paragraph run over bytes [from, to) of piece `piece`.
WordParagraphRun ParaRun(const WordDescription& d, size_t piece, uint32_t from, uint32_t to,
                         uint16_t style) {
  return {WordTextOffset(d, piece, from), WordTextOffset(d, piece, to), style};
}

class WordEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir_.file("e5.html"), kPage5);
    writeFile(dir_.file("e6.html"), kPage6);
    writeFile(dir_.file("e8.html"), kPage8);
  }

  // Converts `file` as in.doc with the given [MSWord] lines; returns the output.
  std::string Convert(const std::string& file, const std::string& settings) {
    writeFile(dir_.file("lumen.cfg"),
              "[Configuration]\nHTMLError5=e5.html\nHTMLError6=e6.html\n"
              "HTMLError8=e8.html\n[MSWord]\nCharsetConvTablesDirectory=.\n" +
                  settings);
    writeFile(dir_.file("in.doc"), file);
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.doc", "out.html"}), 0);
    return readFile(dir_.file("out.html"));
  }
  std::string Convert(const WordDescription& d, const std::string& settings) {
    return Convert(BuildWordFile(d), settings);
  }

  ScratchDir dir_;
};

struct BodyCase {
  const char* name;
  WordDescription document;
  const char* settings;
  std::string body;
};

WordDescription Headings() {
  WordDescription d = Pieces({Text8("Intro\r !! \rBody\r"), Text16(u"\u00dcber\rEnd")});
  d.runs = {ParaRun(d, 0, 0, 6, 1), ParaRun(d, 0, 6, 11, 2), ParaRun(d, 0, 11, 16, 4),
            ParaRun(d, 1, 0, 10, 3)};
  return d;
}

WordDescription FieldAcrossPieces() {
  WordDescription d =
      Pieces({Text8("see \x13 HYPERLINK \"http://x.org/\" \x14"), Text16(u"link\x15 here\r")});
  d.clxPropertyBlock = true;
  return d;
}

TEST_F(WordEndToEnd, HtmlBodies) {
  const std::string table = "ab\x07" "cd\x07\x07\r";
  const std::vector<BodyCase> cases = {
      {"heading anchors; blank heading, style 4 and text after the last mark plain",
       Headings(), kUtf8,
       "\n<a name=\"Intro\"></a>\n\nIntro\n !! \nBody\n"
       "\n<a name=\"\xc3\x9c" "ber\"></a>\n\n\xc3\x9c" "ber\nEnd"},
      {"tables rendered, a one-character cell keeps its text",
       Pieces({Text8(table + "x\x07y\x07\x07" "a<b\x07" "c\x07\x07\r")}), "FormatTables=1\n",
       "<table border='0'>\n<tr>\n<td>ab</td><td>cd</td>\n</tr>\n</table>\n"
       "<table border='0'>\n<tr>\n<td>x</td><td>y</td>\n</tr>\n"
       "<tr>\n<td>a&lt;b</td><td>c</td>\n</tr>\n</table>\n"},
      {"cell marks as line breaks", Pieces({Text8(table)}), "BreakTables=1\nFormatTables=1\n",
       "ab\ncd\n\n\n"},
      {"cell marks as tabs", Pieces({Text8(table)}), "", "ab\tcd\t\t\n"},
      {"page breaks in an 8-bit and a 16-bit piece",
       Pieces({Text8("One\r\x0cTwo\r"), Text16(u"Three\r\x0c" u"Fo\u010dr\r")}), kUtf8,
       "<a name=\"Page 1\"></a>\nOne\n<a name=\"Page 2\"></a>\n\nTwo\n"
       "Three\n<a name=\"Page 1\"></a>\n\nFo\xc4\x8dr\n"},
      {"vertical tab", Pieces({Text8("next\x0bline\r")}), "", "next\nline\n"},
      {"field dropped across pieces", FieldAcrossPieces(), kUtf8, "see  here\n"},
      {"escaping and cleaning",
       Pieces({Text8("a<b>c & it's\rx\x85\x93q\x94\x96\xa0\x1f\x1e\x01y\tz\r")}), "",
       "a&lt;b&gt;c & it\"s\nx.\"q\"- -- y\tz\n"},
  };
  for (const BodyCase& c : cases) {
    EXPECT_EQ(Convert(c.document, c.settings), Page(c.body)) << c.name;
  }
}

// A Word 6 document in windows-1251 whose language id says US English: text in a
// Cyrillic font, in an ANSI font, and in a font that says nothing (the property
// set's code page counts).
WordDescription Word6Cyrillic() {
  WordDescription d = Pieces({Text8("\xcf\xf0\xe8\xe2\xe5\xf2 caf\xe9 \xc4\xe0\r")});
  d.word6 = true;
  d.flags = 0;
  d.fontCharsets = {1, 204, 0};
  d.fontRuns = {{0, 0, 7, 1}, {0, 7, 12, 2}, {0, 12, 15, -1}};
  d.extra = {{"SummaryInformation",
              BuildPropertySetStream({BuildPropertySection({{1, PropertyRaw(2, LeU16(1251))}})}),
              true}};
  return d;
}

// A fast-saved Word 6 file: its piece table lists the third stored piece, then
// the first; the second is text deleted since.
WordDescription Word6FastSaved() {
  WordDescription d = Pieces({Text8("world\r"), Text8("DELETED "), Text8("Hello ")});
  d.word6 = true;
  d.flags = kFibComplex;
  d.pieceOrder = {2, 0};
  return d;
}

TEST_F(WordEndToEnd, EightBitTextDecodedToTheOutputSet) {
  const std::string tables = std::string(LUMEN_SOURCE_DIR) + "/tables/";
  for (const char* table : {"TB_cyrillic_ucs2.txt", "TB_unicode_entities.txt"}) {
    writeFile(dir_.file(table), readFile(tables + table));
  }
  WordDescription word97 = Pieces({Text8("It\x92s caf\xe9 \x93q\x94\r")});
  WordDescription styled = word97;
  styled.styles = {{u"Normal"}};
  styled.runs = {ParaRun(styled, 0, 0, 14, 0)};
  WordDescription word95 = Pieces({Text16(u"F\u00e4x \u4e2d\r")});
  word95.word6 = true;
  word95.flags = kFibWideText;
  WordDescription brokenPieces = Word6FastSaved();
  WordStreamBytes broken = BuildWordStreams(brokenPieces);
  PokeU32(&broken.document, 0x160, 0x7FFFFFF0);  // the complex part lies past the stream
  const std::string cyrillic =
      "&#1055;&#1088;&#1080;&#1074;&#1077;&#1090; caf\xe9 &#1044;&#1072;\n";
  const struct {
    const char* name;
    std::string file;
    const char* settings;
    std::string output;
  } cases[] = {
      {"windows-1252 piece, ASCII", BuildWordFile(word97), "",
       Page("It\x92s caf\xe9 \"q\"\n")},
      {"windows-1252 piece, UTF8", BuildWordFile(word97), kUtf8,
       Page("It\xe2\x80\x99s caf\xc3\xa9 \"q\"\n")},
      {"windows-1252 piece, XML", BuildWordFile(styled), kXml,
       kXmlHead + Tag("text-Normal", "It\xe2\x80\x99s caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d ") +
           kXmlFoot},
      {"Word 6 in 1251, UTF8", BuildWordFile(Word6Cyrillic()), kUtf8,
       Page("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 caf\xc3\xa9 "
            "\xd0\x94\xd0\xb0\n")},
      {"Word 6 in 1251, ASCII", BuildWordFile(Word6Cyrillic()), "", Page(cyrillic)},
      {"Word 95 16-bit text", BuildWordFile(word95), kUtf8,
       Page("F\xc3\xa4x \xe4\xb8\xad\n")},
      {"Word 6 fast-saved", BuildWordFile(Word6FastSaved()), "", Page("Hello world\n")},
      {"Word 6 fast-saved, XML", BuildWordFile(Word6FastSaved()), kXml,
       std::string(kXmlHead) + "<P>Hello </P><P>world\r</P>"},
      {"Word 6 piece table unreadable: the stored run", PackWordFile(brokenPieces, broken), "",
       Page("world\nDELETED Hello ")},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(c.file, c.settings), c.output) << c.name;
}

TEST_F(WordEndToEnd, LongPiecesAcrossReadBlocks) {
  // Pieces far longer than one read: a heading written twice and a field whose
  // instructions are long, both reaching over the block boundaries.
  std::string lines;
  for (int i = 0; i < 7000; ++i) lines += "abcdefghi\r";
  const std::string heading = "Heading " + std::string(70000, 'x');
  const std::string text = lines + heading + "\rbefore \x13" + std::string(70000, 'i') +
                           "\x14result\x15 after\rend";
  std::u16string wide(text.begin(), text.end());
  WordDescription d = Pieces({Text8(text), Text16(wide)});
  const uint32_t from = static_cast<uint32_t>(lines.size());
  const uint32_t to = from + static_cast<uint32_t>(heading.size()) + 1;
  d.runs = {ParaRun(d, 0, from, to, 1), ParaRun(d, 1, 2 * from, 2 * to, 1)};
  std::string body;
  for (int i = 0; i < 7000; ++i) body += "abcdefghi\n";
  body += "\n<a name=\"" + heading + "\"></a>\n\n" + heading + "\nbefore  after\nend";
  EXPECT_EQ(Convert(d, kUtf8), Page(body + body));
}

TEST_F(WordEndToEnd, PageRunsAndOverflowingPageEnd) {
  // The second page ends so far out that its end, counted in bytes of the 16-bit
  // piece, no longer fits 32 bits; it must still lie past the piece.
  WordDescription d = Pieces({Text16(u"Alpha\rBeta\r")});
  d.pages = {{0, 6, 1}, {6, 0x80000002u, 2}};
  EXPECT_EQ(Convert(d, kUtf8), Page("\n<a name=\"Page 1\"></a>\n\nAlpha\n"
                                    "\n<a name=\"Page 2\"></a>\n\nBeta\n"));
}

TEST_F(WordEndToEnd, OlderDocumentWithPropertiesAndContents) {
  WordDescription d = Pieces({Text8("Old style\rsecond\r")});
  d.flags = 0;
  d.tableStream = false;
  d.contents = ContentsStream({{u"Owner", u"Ann Lee"}, {u"Dept", u"a<b"}});
  d.extra = {{"SummaryInformation",
              BuildPropertySetStream({BuildPropertySection(
                  {{2, PropertyString8("Quarterly report")}, {4, PropertyString8("Ann")}})}),
              true}};
  const std::string contents =
      "<META NAME=\"Owner_MSM\" CONTENT=\"Ann Lee\">\n<META NAME=\"Dept_MSM\" CONTENT=\"a<b\">\n";
  EXPECT_EQ(Convert(d, kUtf8),
            Page("Old style\nsecond\n",
                 "<TITLE>Quarterly report</TITLE>\n<META NAME=\"Author\" CONTENT=\"Ann\">\n",
                 contents));
  EXPECT_EQ(Convert(d, kXml), kXmlHead + contents + "<P>Old style\rsecond\r</P>");
}

TEST_F(WordEndToEnd, TableStreamChoice) {
  // Both table streams: "1Table" (whose first piece points at the second text)
  // is used exactly when the flag asks for it.
  for (bool one : {false, true}) {
    WordDescription d = Pieces({Text8("zero\r"), Text8("ones\r")});
    d.flags = kFibComplex | (one ? kFibTableOne : 0);
    d.tableName = "0Table";
    WordStreamBytes streams = BuildWordStreams(d);
    std::string other = streams.table;
    PokeU32(&other, streams.pieceTable + 12 + 2, (WordTextOffset(d, 1) * 2) | 0x40000000u);
    d.extra = {{"1Table", other}};
    EXPECT_EQ(Convert(PackWordFile(d, streams), ""),
              Page(one ? "ones\nones\n" : "zero\nones\n"));
  }
}

// Offset of the FIB flags as read straight from the file at the sector after the
// stream's first unit: right for streams in regular sectors only.
uint16_t FlagsAtFirstSector(const std::string& file) {
  auto u32 = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(file.at(at + i));
    return v;
  };
  size_t entry = (u32(0x30) + 1) * 512 + 128;  // "WordDocument" is entry 1
  size_t at = ((u32(entry + kCfbEntryFirstSector) + 1) & 0xFFFFFF) * 512 + kFibFlags;
  return static_cast<uint16_t>(static_cast<unsigned char>(file.at(at)) |
                               (static_cast<unsigned char>(file.at(at + 1)) << 8));
}

TEST_F(WordEndToEnd, ResultCodes) {
  WordDescription plain = Pieces({Text8("Fine\r")});
  WordDescription small = plain, large = plain;
  large.minDocumentSize = 4096;
  // A small document's stream lies in the mini stream: the sector after its first
  // unit holds other bytes, here with the encryption bit set.
  std::string smallFile = BuildWordFile(small);
  ASSERT_NE(FlagsAtFirstSector(smallFile) & kFibEncrypted, 0);
  EXPECT_EQ(Convert(smallFile, ""), Page("Fine\n"));
  EXPECT_EQ(Convert(large, ""), Page("Fine\n"));

  small.flags |= kFibEncrypted;
  large.flags |= kFibEncrypted;
  WordDescription backwards = plain;
  WordStreamBytes streams = BuildWordStreams(backwards);
  PokeU32(&streams.document, kFibTextEnd, kWordTextStart - 1);
  WordDescription farPage = plain;
  farPage.runs = {ParaRun(farPage, 0, 0, 5, 1)};
  WordStreamBytes far = BuildWordStreams(farPage);
  PokeU32(&far.table, far.binTable + 8, 0xFFFF);  // the page number

  const struct {
    const char* name;
    std::string file;
    const char* page;
  } cases[] = {
      {"encrypted, small", BuildWordFile(small), kPage6},
      {"encrypted, regular sectors", BuildWordFile(large), kPage6},
      {"no WordDocument", BuildCompoundFile({{"1Table", streams.table}}), kPage8},
      {"not a compound file", "plain text", kPage5},
      {"text end before its start", PackWordFile(backwards, streams), kPage5},
      {"paragraph page past the file", PackWordFile(farPage, far), kPage5},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(c.file, ""), c.page) << c.name;
}

// Styles 0 Normal, 1 heading 1, 2 A/B,C; runs: the title, a Normal one, one of
// A/B,C reaching over the 16-bit piece, then one with no style slot.
WordDescription Styled() {
  WordDescription d = Pieces({Text8("Title\rBody one\rA \x13 HYPERLINK x \x14link\x15!\r"),
                              Text16(u"\u00e9t\u00e9\r"), Text8("Odd\x07\r")});
  d.styles = {{u"Normal"}, {u"heading 1"}, {u"A/B,C"}};
  d.runs = {ParaRun(d, 0, 0, 6, 1), ParaRun(d, 0, 6, 15, 0),
            {WordTextOffset(d, 0, 15), WordTextOffset(d, 2), 2}, ParaRun(d, 2, 0, 5, 9)};
  return d;
}

// The tagged body of Styled() under the given tag names; the field's begin,
// instructions and separator become spaces, as do the marks.
std::string StyledXml(const char* title, const char* normal, const char* slash) {
  return kXmlHead + Tag(title, "Title ") + Tag(normal, "Body one ") +
         Tag(slash, "A" + std::string(16, ' ') + "link ! \xc3\xa9t\xc3\xa9 ") +
         Tag("text-unknown", "Odd  ");
}

TEST_F(WordEndToEnd, XmlGroupedByStyle) {
  WordDescription d = Styled();
  writeFile(dir_.file("renames.txt"), "heading 1\r\nH1\n\nNormal\nBody\nNormal\nOther\n");
  writeFile(dir_.file("three.txt"), "heading 1\nH1\nNormal\n");
  const struct {
    const char* settings;
    std::string expected;
  } cases[] = {
      {"", StyledXml("text-heading-1", "text-Normal", "text-A-B-C") + kXmlFoot},
      {"XMLRenameStyleFile=renames.txt\nXMLRenameStyleDefault=Plain\nXMLFooter=END\n",
       StyledXml("H1", "Body", "Plain") + "END"},
      {"XMLRenameStyleFile=three.txt\n", StyledXml("text-heading-1", "text-Normal", "text-A-B-C") +
                                             kXmlFoot},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(d, kXml + std::string(c.settings)), c.expected);

  // The other form of property entry gives the same runs.
  d.zeroCountForm = true;
  EXPECT_EQ(Convert(d, kXml), cases[0].expected);
}

TEST_F(WordEndToEnd, XmlSimpleForm) {
  EXPECT_EQ(Convert(Pieces({Text8("One\r"), Text16(u"Tw\u00f6\r")}), kXml),
            std::string(kXmlHead) + "<P>One\r</P><P>Tw\xc3\xb6\r</P>");
}

TEST_F(WordEndToEnd, HostileLengths) {
  // Stylesheets of length 0, shorter than their header, or whose last style
  // claims a name running past the stylesheet: the names that cannot be read
  // give "text-unknown".
  WordDescription styled = Styled();
  WordStreamBytes empty = BuildWordStreams(styled), shortSheet = empty;
  PokeU32(&empty.document, kFibStylesheet + 4, 0);
  PokeU32(&shortSheet.document, kFibStylesheet + 4, 3);
  const std::string unknown = StyledXml("text-unknown", "text-unknown", "text-unknown") + kXmlFoot;
  EXPECT_EQ(Convert(PackWordFile(styled, empty), kXml), unknown);
  EXPECT_EQ(Convert(PackWordFile(styled, shortSheet), kXml), unknown);
  styled.styles[2].sizeOverride = 0xFFFF;
  styled.styles[2].countOverride = 100;
  EXPECT_EQ(Convert(styled, kXml),
            StyledXml("text-heading-1", "text-Normal", "text-unknown") + kXmlFoot);

  // A piece placed past the stream is skipped; a 16-bit piece whose length in
  // bytes does not fit 32 bits keeps what the stream holds.
  WordDescription two = Pieces({Text8("Kept\r"), Text16(u"Lost\r")});
  WordStreamBytes past = BuildWordStreams(two), huge = past;
  PokeU32(&past.table, past.pieceTable + 12 + 8 + 2, 0x7FFFFF00);
  PokeU32(&huge.table, huge.pieceTable + 8, 5 + 0x80000002u);
  EXPECT_EQ(Convert(PackWordFile(two, past), ""), Page("Kept\n"));
  EXPECT_EQ(Convert(PackWordFile(two, huge), ""), Page("Kept\nLost\n"));

  // An older document whose text end lies far past its stream keeps its text.
  WordDescription older = Pieces({Text8("Old\r")});
  older.flags = 0;
  older.tableStream = false;
  WordStreamBytes far = BuildWordStreams(older);
  PokeU32(&far.document, kFibTextEnd, 0x7FFFFFF0);
  EXPECT_EQ(Convert(PackWordFile(older, far), ""), Page("Old\n"));

  // The runs leave a gap: the first ends inside the first piece, the second
  // starts inside the second piece. The run found for the second piece ends
  // before it, so its text goes to the next run.
  WordDescription gap = Pieces({Text8("Head\r"), Text8("Tail\r")});
  gap.styles = {{u"Normal"}, {u"heading 1"}};
  gap.runs = {ParaRun(gap, 0, 0, 3, 1), ParaRun(gap, 1, 2, 5, 0)};
  EXPECT_EQ(Convert(gap, kXml),
            kXmlHead + Tag("text-heading-1", "Hea") + Tag("text-Normal", "d Tail ") + kXmlFoot);
}

}  // namespace
