// End-to-end runs of the Excel converter through the lumen program, on workbooks
// built record by record, compared byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/biff_writer.h"
#include "tests/cfb_writer.h"
#include "tests/test_support.h"

namespace {

const char kHead[] =
    "<META NAME=\"QVEFILENAME\" CONTENT=\"in.xls\">\n"
    "<META NAME=\"QVEFULLFILENAME\" CONTENT=\"in.xls\">\n";
const char kXmlStart[] = "<Docuemnt>\n<Content>\n";
const char kXmlEnd[] = "</tr></table>\n<//content>\n</Document>\n";
const char kEmpty[] = "<td>&nbsp;</td>\n";
const char kPage6[] = "<HTML>encrypted</HTML>\n";
const char kPage8[] = "<HTML>no workbook</HTML>\n";
const char kPage4[] = "<HTML>not compound</HTML>\n";

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

class ExcelEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(dir_.file("e6.html"), kPage6);
    writeFile(dir_.file("e8.html"), kPage8);
    writeFile(dir_.file("e4.html"), kPage4);
  }

  // Converts `file` as in.xls with the given [XLS] lines and returns the output.
  std::string Convert(const std::string& file, const std::string& settings,
                      const std::string& timeZone = "UTC") {
    writeFile(dir_.file("lumen.cfg"),
              "[Configuration]\nHTMLError4=e4.html\nHTMLError6=e6.html\n"
              "HTMLError8=e8.html\n[XLS]\n" +
                  settings);
    writeFile(dir_.file("in.xls"), file);
    EXPECT_EQ(runLumenIn(dir_.path(), {"in.xls", "out.html"}, "TZ=" + timeZone), 0);
    return readFile(dir_.file("out.html"));
  }
  std::string Xml(const std::string& stream) { return Convert(WorkbookFile(stream), kXml); }
  std::string Html(const std::string& stream) { return Convert(WorkbookFile(stream), kHtml); }

  static constexpr const char* kXml = "OutputCharSet=UTF8\nOutputXML=1\n";
  static constexpr const char* kHtml = "OutputCharSet=UTF8\n";
  ScratchDir dir_;
};

// Two fonts (normal, bold) and XF 0 normal, XF 1 bold.
std::string FontsAndXfs() {
  return FontRecord(400) + FontRecord(700) + XfRecord(1, 0) + XfRecord(2, 0);
}

TEST_F(ExcelEndToEnd, TwoSheetsInXmlMode) {
  std::string stream = WorkbookStream(
      kBiff8, FontsAndXfs() + SstRecord({"Name", "Total"}),
      {Sheet8("First", DimensionsRecord(3) + LabelSstRecord(0, 0, 0, 0) +
                           RkRecord(0, 1, 0, RkInteger(7)) + NumberRecord(1, 0, 0, 2.5)),
       Sheet8("Second", DimensionsRecord(2) + LabelSstRecord(0, 0, 0, 1) +
                            RkRecord(1, 1, 0, RkInteger(-5)))});
  std::string expected = std::string(kXmlStart) +
                         "<h3>\nFirst\n</h3>\n<table border='0'>\n"
                         "\n<td> \nName\n</td>"
                         "<td > 7 </td> " +
                         kEmpty + "</tr>\n<tr>\n<td>2.5   </td> " + kEmpty + kEmpty +
                         "</tr></table>\n"
                         "<h3>\nSecond\n</h3>\n<table border='0'>\n"
                         "\n<td> \nTotal\n</td>" +
                         kEmpty + "</tr>\n<tr>\n" + kEmpty + "<td > -5 </td> " + kXmlEnd;
  EXPECT_EQ(Xml(stream), expected);
}

TEST_F(ExcelEndToEnd, ColumnGapsAndRowsBelowZero) {
  // Cells in columns 0 and 3 of a sheet five columns wide; the sheet's first row
  // is row 2, so its first cell pads and closes a row that was never opened.
  std::string stream = WorkbookStream(
      kBiff8, FontsAndXfs(),
      {Sheet8("S", DimensionsRecord(5) + RkRecord(2, 0, 0, RkInteger(1)) +
                       RkRecord(2, 3, 0, RkInteger(4)) + RkRecord(3, 0, 0, RkInteger(5)))});
  std::string expected = std::string(kXmlStart) + "<h3>\nS\n</h3>\n<table border='0'>\n" +
                         Repeat(kEmpty, 5) + "</tr>\n<tr>\n<td > 1 </td> " + kEmpty + kEmpty +
                         "<td > 4 </td> " + kEmpty + "</tr>\n<tr>\n" + "<td > 5 </td> " + kXmlEnd;
  EXPECT_EQ(Xml(stream), expected);
}

TEST_F(ExcelEndToEnd, BoldCellsInBothModes) {
  std::string cells = DimensionsRecord(3) + LabelSstRecord(0, 0, 1, 0) +
                      LabelRecord(0, 1, 1, 3, Biff8String("a<b")) +
                      RkRecord(0, 2, 1, RkInteger(9)) + LabelSstRecord(1, 0, 0, 0) +
                      LabelRecord(1, 1, 0, 2, Biff8String("it's")) +
                      RkRecord(1, 2, 5, RkInteger(8));  // XF 5 is past the list
  std::string stream =
      WorkbookStream(kBiff8, FontsAndXfs() + SstRecord({"Head"}), {Sheet8("B", cells)});
  std::string expected = std::string(kXmlStart) + "<h3>\nB\n</h3>\n<table border='0'>\n" +
                         "\n<td> \n\n<B> \nHead\n</B> \n\n</td>" +
                         "\n<td> \n\n<b> \na&lt;b\n</b> \n\n</td>" + "<td ><B> 9 </B></td> " +
                         "</tr>\n<tr>\n" + "\n<td> \nHead\n</td>" + "\n<td> \nit\n</td>" +
                         "<td > 8 </td> " + kXmlEnd;
  EXPECT_EQ(Xml(stream), expected);
  EXPECT_EQ(Html(stream), std::string(kHead) + "Head\nB\na&lt;b\n<B> 9 </B>it\n 8 ");
}

TEST_F(ExcelEndToEnd, NumberFormsAndMulRk) {
  std::string cells = DimensionsRecord(6) + RkRecord(0, 0, 0, RkInteger(-5)) +
                      RkRecord(0, 1, 0, RkInteger(12345, true)) + RkRecord(0, 2, 0, RkDouble(0.5)) +
                      RkRecord(0, 3, 0, RkDouble(150.0, true)) +
                      NumberRecord(0, 4, 0, 3.14159265358979) +
                      NumberRecord(0, 5, 0, 12345678901.0) +
                      MulRkRecord(1, 1, {{0, RkDouble(2.5)}, {0, RkInteger(3)}});
  std::string stream = WorkbookStream(kBiff8, FontsAndXfs(), {Sheet8("N", cells)});
  EXPECT_EQ(Html(stream), std::string(kHead) +
                              "N\n -5  123.450000  0.500000  1.500000 3.14159   \n"
                              "1.23457e+10   \n 2.500000 </td><td> 3 \n");
  // After the run the last column is its last value's; the document end pads
  // nothing.
  std::string expected = std::string(kXmlStart) + "<h3>\nN\n</h3>\n<table border='0'>\n" +
                         "<td > -5 </td> <td > 123.450000 </td> <td > 0.500000 </td> "
                         "<td > 1.500000 </td> <td>3.14159   </td> <td>1.23457e+10   </td> " +
                         "</tr>\n<tr>\n" + kEmpty + "<td > 2.500000 </td><td> 3 \n</td> " + kXmlEnd;
  EXPECT_EQ(Xml(stream), expected);
}

TEST_F(ExcelEndToEnd, DatesAroundTheEpochOffset) {
  // XF 0 general, XF 1 built-in date format 14, XF 2 a FORMAT record's date text,
  // XF 3 a FORMAT record whose text is no date.
  std::string globals = FontRecord(400) + FormatRecord(164, "mm/dd/yy;@") +
                        FormatRecord(165, "0.00") + XfRecord(1, 0) + XfRecord(1, 14) +
                        XfRecord(1, 164) + XfRecord(1, 165);
  std::string cells = DimensionsRecord(1) + RkRecord(0, 0, 1, RkInteger(25569)) +
                      RkRecord(1, 0, 1, RkInteger(25550)) + RkRecord(2, 0, 1, RkInteger(25551)) +
                      RkRecord(3, 0, 2, RkInteger(44259)) + RkRecord(4, 0, 3, RkInteger(44259)) +
                      RkRecord(5, 0, 0, RkInteger(25569)) +
                      NumberRecord(6, 0, 1, 25569.0);  // NUMBER cells are never dates
  std::string stream = WorkbookStream(kBiff8, globals, {Sheet8("D", cells)});
  EXPECT_EQ(Html(stream),
            std::string(kHead) + "D\n 01-01-70  14-12-69  04-03-21  44259  25569 25569   \n");
}

TEST_F(ExcelEndToEnd, FormatTextsThatMarkDatesAndLocalTime) {
  // XF i uses format kFormats[i]. The built-in formats 14 to 17 are dates, 18 is
  // not; a FORMAT text is a date when it begins with one of three patterns; the
  // first FORMAT record with an index decides, a later one with the same index
  // does not change it.
  const uint16_t kFormats[] = {14, 15, 16, 17, 18, 164, 165, 166, 167, 168, 169, 170};
  std::string globals = FontRecord(400) + FormatRecord(164, "dd\\-mmm\\-yy") +
                        FormatRecord(165, "mmmm\\-yy;@") + FormatRecord(166, "mm/dd/y") +
                        FormatRecord(167, "[$-409]mm/dd/yy") + FormatRecord(168, "mmm\\-yy") +
                        FormatRecord(169, "0.0") + FormatRecord(169, "mm/dd/yy") +
                        FormatRecord(170, "mm/dd/yyyy") + FormatRecord(170, "0.0");
  std::string cells = DimensionsRecord(1);
  for (uint16_t xf = 0; xf < 12; ++xf) {
    globals += XfRecord(1, kFormats[xf]);
    cells += RkRecord(xf, 0, xf, RkInteger(25569));
  }
  // Day 25569.97 is 1970-01-01 23:16 UTC: the fraction is the time of day.
  cells += RkRecord(12, 0, 0, RkInteger(2556997, true));
  std::string stream = WorkbookStream(kBiff8, globals, {Sheet8("F", cells)});
  EXPECT_EQ(Html(stream), std::string(kHead) +
                              "F\n 01-01-70  01-01-70  01-01-70  01-01-70  25569  01-01-70 "
                              " 01-01-70  25569  25569  25569  25569  01-01-70  01-01-70 ");
  // The date is the local one: five hours west of UTC, time value 0 falls on the
  // last day of 1969, while day 25569.97 is still 1970-01-01.
  std::string cell = std::string(kXmlStart) + "<h3>\nF\n</h3>\n<table border='0'>\n" +
                     "<td > 31-12-69 </td> " + kXmlEnd;
  EXPECT_EQ(Convert(WorkbookFile(WorkbookStream(
                        kBiff8, globals,
                        {Sheet8("F", DimensionsRecord(1) + RkRecord(0, 0, 0, RkInteger(25569)))})),
                    kXml, "EST5"),
            cell);
  EXPECT_EQ(
      Convert(
          WorkbookFile(WorkbookStream(
              kBiff8, globals,
              {Sheet8("F", DimensionsRecord(1) + RkRecord(0, 0, 0, RkInteger(2556997, true)))})),
          kXml, "EST5"),
      std::string(kXmlStart) + "<h3>\nF\n</h3>\n<table border='0'>\n" + "<td > 01-01-70 </td> " +
          kXmlEnd);
}

TEST_F(ExcelEndToEnd, SharedStringsSplitByContinue) {
  // The SST body ends inside the second string; the CONTINUE that carries its
  // rest starts with the option byte 0, which is dropped. A second table's
  // CONTINUE starts with 1, which switches the rest of its 8-bit string to
  // 16-bit; the strings after it stay in step.
  std::string start =
      LeU32(2) + LeU32(2) + LeU16(3) + Biff8String("one") + LeU16(5) + Biff8String("tw");
  std::string sst = BiffRecord(0x00FC, start) + BiffRecord(0x003C, std::string(1, '\0') + "ooo");
  std::string stream = WorkbookStream(kBiff8, FontsAndXfs() + sst, {Sheet8("S", "")});
  EXPECT_EQ(Html(stream), std::string(kHead) + "one\ntwooo\nS\n");

  std::string kept =
      BiffRecord(0x00FC, LeU32(2) + LeU32(2) + LeU16(4) + Biff8String("ab")) +
      BiffRecord(0x003C, std::string("\x01" "c\0\x14\x20", 5) + LeU16(2) + Biff8String("xy"));
  stream = WorkbookStream(kBiff8, kept, {Sheet8("S", "")});
  EXPECT_EQ(Html(stream), std::string(kHead) + "abc\xE2\x80\x94\nxy\nS\n");
}

TEST_F(ExcelEndToEnd, SharedStringLayouts) {
  // Rich-text runs and extended data follow the characters and are skipped with
  // them; the strings after them are read in step. Escapes apply to shared strings.
  std::string strings = LeU16(4) + std::string("\x08\x02\x00", 3) + "Bold" + std::string(8, 'r') +
                        LeU16(3) + std::string("\x04\x03\x00\x00\x00", 5) + "Ext" + "eee" +
                        LeU16(2) + std::string("\x0d\x01\x00\x02\x00\x00\x00", 7) +
                        Utf16Le(u"\u0416'") + "rrrr" + "ee" + LeU16(5) + Biff8String("<a&b>");
  std::string sst = BiffRecord(0x00FC, LeU32(4) + LeU32(4) + strings);
  std::string cells = DimensionsRecord(4) + LabelSstRecord(0, 0, 0, 3) +
                      LabelSstRecord(0, 1, 0, 2) + LabelSstRecord(0, 2, 0, 1) +
                      LabelSstRecord(0, 3, 0, 0);
  std::string stream = WorkbookStream(kBiff8, FontsAndXfs() + sst, {Sheet8("L", cells)});
  EXPECT_EQ(Html(stream), std::string(kHead) + "Bold\nExt\n\xd0\x96\"\n&lt;a&b&gt;\nL\n");
  EXPECT_EQ(Xml(stream), std::string(kXmlStart) + "<h3>\nL\n</h3>\n<table border='0'>\n" +
                             "\n<td> \n&lt;a&b&gt;\n</td>\n<td> \n\xd0\x96\"\n</td>" +
                             "\n<td> \nExt\n</td>\n<td> \nBold\n</td>" + kXmlEnd);
}

TEST_F(ExcelEndToEnd, SharedStringUniqueCountLimit) {
  // A table of 999999 unique strings is read; one of 1000000 keeps nothing, and
  // its cells are placed without text. The body must hold at least the unique
  // count + 4 bytes: two strings, then zero bytes, carried on in CONTINUE records
  // (each loses its leading 0 in the merge, hence the margin).
  for (uint32_t unique : {999999u, 1000000u}) {
    std::string body = LeU32(unique) + LeU32(unique) + LeU16(5) + Biff8String("first") + LeU16(6) +
                       Biff8String("second");
    body.resize(unique + 4 + 1000, '\0');
    std::string records = BiffRecord(0x00FC, body.substr(0, 8224));
    for (size_t at = 8224; at < body.size(); at += 8224) {
      records += BiffRecord(0x003C, body.substr(at, 8224));
    }
    std::string cells =
        DimensionsRecord(2) + LabelSstRecord(0, 0, 0, 0) + LabelSstRecord(0, 1, 0, 1);
    std::string stream = WorkbookStream(kBiff8, FontsAndXfs() + records, {Sheet8("U", cells)});
    bool kept = unique == 999999u;
    EXPECT_EQ(Html(stream), std::string(kHead) + (kept ? "first\nsecond\n" : "") + "U\n") << unique;
    EXPECT_EQ(Xml(stream), std::string(kXmlStart) + "<h3>\nU\n</h3>\n<table border='0'>\n" +
                               (kept ? "\n<td> \nfirst\n</td>\n<td> \nsecond\n</td>" : "") +
                               kXmlEnd)
        << unique;
  }
}

TEST_F(ExcelEndToEnd, HtmlModeTextRecordsAndSheetNames) {
  std::string globals = FontsAndXfs() + BiffRecord(0x0014, LeU16(9) + Biff8String("&CHead 'x'")) +
                        BiffRecord(0x0015, LeU16(2) + Biff16String(u"\u03a3\u03b1"));
  std::string stream =
      WorkbookStream(kBiff8, globals,
                     {Sheet8("Plain", ""), Sheet16(u"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1", ""),
                      Sheet16(u"\u0420\u0443\u0441", "")});
  EXPECT_EQ(Html(stream), std::string(kHead) +
                              "&CHead \"x\n\xce\xa3\xce\xb1\nPlain\n"
                              "\xce\x95\xce\xbb\xce\xbb\xce\xac\xce\xb4\xce\xb1\n"
                              "\xd0\xa0\xd1\x83\xd1\x81\n");
  // Without IncludeHeaderAndFooter the header and footer lines go.
  EXPECT_EQ(
      Convert(WorkbookFile(stream), std::string(kHtml) + "IncludeHeaderAndFooter=0\n"),
      std::string(kHead) +
          "Plain\n\xce\x95\xce\xbb\xce\xbb\xce\xac\xce\xb4\xce\xb1\n\xd0\xa0\xd1\x83\xd1\x81\n");
}

TEST_F(ExcelEndToEnd, TextLineRecordsInHtmlModeOnly) {
  // Each record writes its text and a line feed in HTML mode; records too short
  // for their count, strings that run past their record and strings without
  // characters write nothing. XML mode writes none of them.
  struct Case {
    const char* what;
    std::string record;
    const char* line;
  };
  const std::string six(6, '\0');
  const Case cases[] = {
      {"old LABEL", BiffRecord(0x0004, six + LeU16(3) + "abc"), "abc\n"},
      {"RSTRING", BiffRecord(0x00D6, six + LeU16(3) + "r'1"), "r\"1\n"},
      {"NAME", BiffRecord(0x0018, six + LeU16(4) + Biff8String("Area")), "Area\n"},
      {"NAME too short", BiffRecord(0x0018, std::string(7, 'x')), ""},
      {"NOTE", BiffRecord(0x001C, LeU32(0) + LeU16(4) + Biff8String("note")), "note\n"},
      {"NOTE too short", BiffRecord(0x001C, std::string(5, 'x')), ""},
      {"type 223", BiffRecord(0x00DF, LeU16(2) + Biff16String(u"\u03a3x")), "\xce\xa3x\n"},
      {"type 223 too short", BiffRecord(0x00DF, "x"), ""},
      {"STRING", BiffRecord(0x0207, std::string("\x03\x00", 2) + Biff8String("a>b")), "a&gt;b\n"},
      {"STRING too short", BiffRecord(0x0207, "\x03"), ""},
      {"SERIESTEXT", BiffRecord(0x100D, LeU16(0) + "\x05" + Biff8String("Sales")), "Sales\n"},
      {"SERIESTEXT too short", BiffRecord(0x100D, LeU16(0)), ""},
      {"characters past the record", BiffRecord(0x0018, six + LeU16(9) + Biff8String("Area")), ""},
      {"no characters", BiffRecord(0x0018, six + LeU16(0) + Biff8String("")), ""},
      {"empty 16-bit text at a 0 character", BiffRecord(0x0018, six + LeU16(1) + "\x01" + LeU16(0)),
       "\n"},
  };
  for (const Case& c : cases) {
    std::string stream = WorkbookStream(kBiff8, c.record, {Sheet8("S", "")});
    EXPECT_EQ(Html(stream), std::string(kHead) + c.line + "S\n") << c.what;
    stream = WorkbookStream(kBiff8, c.record,
                            {Sheet8("S", DimensionsRecord(1) + RkRecord(0, 0, 0, RkInteger(1)))});
    EXPECT_EQ(Xml(stream), std::string(kXmlStart) + "<h3>\nS\n</h3>\n<table border='0'>\n" +
                               "<td > 1 </td> " + kXmlEnd)
        << c.what;
  }
}

TEST_F(ExcelEndToEnd, CellPlacementEdges) {
  // Rows out of order: the change back to row 0 writes no "</tr>\n". A shared
  // string cell without a text is placed all the same; an inline text that runs
  // past its record is not. A MULRK run moves the last column to its last value;
  // one without values moves it one column back.
  std::string cells =
      DimensionsRecord(2) + RkRecord(1, 0, 0, RkInteger(1)) + RkRecord(0, 1, 0, RkInteger(2)) +
      LabelSstRecord(2, 0, 0, 5) + LabelRecord(2, 1, 0, 9, Biff8String("cut")) +
      RkRecord(2, 2, 0, RkInteger(3)) + MulRkRecord(3, 1, {{0, RkDouble(2.5)}, {0, RkInteger(4)}}) +
      RkRecord(3, 4, 0, RkInteger(5)) + BiffRecord(0x00BD, LeU16(4) + LeU16(2) + LeU16(1)) +
      RkRecord(4, 3, 0, RkInteger(6));
  std::string stream =
      WorkbookStream(kBiff8, FontsAndXfs() + SstRecord({"s"}), {Sheet8("P", cells)});
  std::string expected = std::string(kXmlStart) + "<h3>\nP\n</h3>\n<table border='0'>\n" + kEmpty +
                         kEmpty + "</tr>\n<tr>\n<td > 1 </td> " + kEmpty + "<tr>\n" + kEmpty +
                         "<td > 2 </td> " + "</tr>\n<tr>\n" + kEmpty + "<td > 3 </td> " +
                         "</tr>\n<tr>\n" + kEmpty + "<td > 2.500000 </td><td> 4 \n</td> " + kEmpty +
                         "<td > 5 </td> " + "</tr>\n<tr>\n" + kEmpty + kEmpty + "<td >\n</td> " +
                         kEmpty + "<td > 6 </td> " + kXmlEnd;
  EXPECT_EQ(Xml(stream), expected);
}

TEST_F(ExcelEndToEnd, SheetHeadingsAndColumnLimits) {
  // A sheet with an empty name gets a heading without a name line. A DIMENSIONS
  // record whose word at 12 is not 0 takes its column limit from offset 6. A sheet
  // without cells (the second) gets no heading: the next cell stands under the
  // heading of its own sheet. The padding at each change runs to the column limit
  // before the latest DIMENSIONS.
  std::string odd =
      BiffRecord(0x0200, LeU32(0) + LeU16(3) + LeU16(2) + LeU16(0) + LeU16(5) + LeU16(1));
  std::string stream = WorkbookStream(
      kBiff8, FontsAndXfs(),
      {Sheet8("", odd + RkRecord(0, 0, 0, RkInteger(1))), Sheet8("Empty", DimensionsRecord(4)),
       Sheet8("C", DimensionsRecord(3) + RkRecord(0, 0, 0, RkInteger(2)) +
                       RkRecord(0, 1, 0, RkInteger(3)) + RkRecord(1, 0, 0, RkInteger(4)))});
  std::string expected = std::string(kXmlStart) + "<h3>\n</h3>\n<table border='0'>\n" +
                         "<td > 1 </td> " + Repeat(kEmpty, 3) + "</tr></table>\n" +
                         "<h3>\nC\n</h3>\n<table border='0'>\n<td > 2 </td> <td > 3 </td> " +
                         kEmpty + "</tr>\n<tr>\n<td > 4 </td> " + kXmlEnd;
  EXPECT_EQ(Xml(stream), expected);
}

TEST_F(ExcelEndToEnd, WorkbookStreamChoice) {
  // Entries in table order: the first "Workbook" or "Book" is taken, and a later
  // one replaces it only when it lies directly in the root. The entry named "Dir"
  // is made a storage holding the entries first..last that follow it.
  struct Case {
    const char* what;
    std::vector<std::string> names;  // entries 1, 2, 3
    uint32_t storage;                // 0 for none
    uint32_t first, last;
    const char* sheet;  // the sheet name of the stream taken
  };
  const Case cases[] = {
      {"both in the root: the later", {"Workbook", "BOOK"}, 0, 0, 0, "Two"},
      {"root, then nested: the first", {"Workbook", "Dir", "Book"}, 2, 3, 3, "One"},
      {"nested, then root: the later", {"Dir", "Workbook", "book"}, 1, 2, 2, "Three"},
      {"both nested: the first", {"Dir", "Workbook", "Book"}, 1, 2, 3, "Two"},
  };
  const char* const kSheets[] = {"One", "Two", "Three"};
  for (const Case& c : cases) {
    std::vector<CfbStream> streams;
    for (size_t i = 0; i < c.names.size(); ++i) {
      std::string data =
          c.names[i] == "Dir" ? "" : WorkbookStream(kBiff8, "", {Sheet8(kSheets[i], "")});
      streams.push_back(CfbStream{c.names[i], data, false});
    }
    CfbImage image = BuildCompoundImage(streams);
    if (c.storage != 0) {
      // The storage takes its children out of the root's chain of right siblings.
      image.PutU8(image.EntryOffset(c.storage) + kCfbEntryKind, 1);
      image.SetEntryU32(c.storage, kCfbEntryChild, c.first);
      image.SetEntryU32(c.storage, kCfbEntryRight,
                        image.GetU32(image.EntryOffset(c.last) + kCfbEntryRight));
      image.SetEntryU32(c.last, kCfbEntryRight, kCfbFree);
    }
    EXPECT_EQ(Convert(image.bytes, kHtml), std::string(kHead) + c.sheet + "\n") << c.what;
  }
}

TEST_F(ExcelEndToEnd, Biff5BookStream) {
  // BIFF5: names, headers and labels are 8-bit text without option bytes.
  std::string globals =
      FontRecord(400) + XfRecord(1, 0) + BiffRecord(0x0014, std::string(1, '\x06') + "Header");
  std::string cells = BiffRecord(0x0200, LeU16(0) + LeU16(2) + LeU16(0) + LeU16(2) + LeU16(0)) +
                      LabelRecord(0, 0, 0, 5, "Alpha") + RkRecord(0, 1, 0, RkInteger(3)) +
                      LabelRecord(1, 1, 0, 4, "Beta");
  std::string stream =
      WorkbookStream(kBiff5, globals, {Sheet5("Blatt", cells), Sheet5("Zwei", "")});
  std::string file = WorkbookFile(stream, "Book");
  EXPECT_EQ(Convert(file, kHtml), std::string(kHead) + "Header\nBlatt\nZwei\nAlpha\n 3 Beta\n");
  EXPECT_EQ(Convert(file, kXml), std::string(kXmlStart) +
                                     "<h3>\nBlatt\n</h3>\n<table border='0'>\n" +
                                     "\n<td> \nAlpha\n</td><td > 3 </td> </tr>\n<tr>\n" + kEmpty +
                                     "\n<td> \nBeta\n</td>" + kXmlEnd);
}

TEST_F(ExcelEndToEnd, EightBitTextsInEveryOutputSet) {
  // 8-bit characters: BIFF8 stores the low bytes of UTF-16 units, older versions
  // the workbook's code page (CODEPAGE, windows-1252 without one). The text is the
  // sheet's name and a LABEL, and both lines must show it alike.
  struct Case {
    const char* what;
    uint16_t version;
    uint16_t codePage;  // 0: no CODEPAGE record
    std::string bytes;
    const char* outputSet;
    std::string expected;
  };
  const Case cases[] = {
      {"BIFF8 Latin-1, UTF8", kBiff8, 1200, "M\xfcller Zo\xeb", "UTF8", "M\xc3\xbcller Zo\xc3\xab"},
      {"BIFF8 Latin-1, ASCII: unchanged", kBiff8, 1200, "M\xfcller Zo\xeb", "ASCII",
       "M\xfcller Zo\xeb"},
      {"BIFF8 C1 controls, ASCII", kBiff8, 1200, "a\x80\x81z", "ASCII", "a&#128;\x81z"},
      {"BIFF8 C1 controls, UTF8", kBiff8, 1200, "a\x80\x81z", "UTF8", "a\xc2\x80\xc2\x81z"},
      {"BIFF8 ignores its code page", kBiff8, 1251, "S\xe3o", "UTF8", "S\xc3\xa3o"},
      {"BIFF8 Latin-1, LATIN9", kBiff8, 1200, "\xa4\xe6", "LATIN9", "\xe6"},
      {"BIFF5 windows-1252, ASCII: unchanged", kBiff5, 0, "\x80 caf\xe9", "ASCII", "\x80 caf\xe9"},
      {"BIFF5 windows-1252, UTF8", kBiff5, 0, "\x80 caf\xe9", "UTF8", "\xe2\x82\xac caf\xc3\xa9"},
      {"BIFF5 windows-1251, UTF8", kBiff5, 1251, "\xcc\xee\xf1\xea\xe2\xe0", "UTF8",
       "\xd0\x9c\xd0\xbe\xd1\x81\xd0\xba\xd0\xb2\xd0\xb0"},
      {"BIFF5 windows-1251, CYRILLIC: unchanged", kBiff5, 1251, "\xcc\xee", "CYRILLIC",
       "\xcc\xee"},
      {"BIFF5 windows-1251, KOI8-R", kBiff5, 1251, "\xcc\xee", "CYRILLIC_KOI8", "\xed\xcf"},
      {"BIFF5 windows-1251, ASCII", kBiff5, 1251, "\xcc\xee", "ASCII", "&#1052;&#1086;"},
      {"BIFF5 windows-1253, UTF8", kBiff5, 1253, "\xc1\xe8\xde\xed\xe1", "UTF8",
       "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1"},
      {"BIFF5 Shift_JIS, UTF8", kBiff5, 932, "\x93\xfa\x96\x7b", "UTF8",
       "\xe6\x97\xa5\xe6\x9c\xac"},
      {"BIFF5 code page without a table: windows-1252", kBiff5, 437, "d\xe9j\xe0", "UTF8",
       "d\xc3\xa9j\xc3\xa0"},
      // Code page 1200: each string ASCII, or UTF-16LE with its count in bytes.
      {"BIFF5 UTF-16 string", kBiff5, 1200, std::string("\xa4\x03\xac\x03x\0", 6), "UTF8",
       "\xce\xa4\xce\xac" "x"},
      {"BIFF5 UTF-16 code page, ASCII string", kBiff5, 1200, "Total", "UTF8", "Total"},
  };
  for (const Case& c : cases) {
    std::string globals = c.codePage == 0 ? "" : BiffRecord(0x0042, LeU16(c.codePage));
    uint16_t count = static_cast<uint16_t>(c.bytes.size());
    bool biff8 = c.version == kBiff8;
    std::string label = LabelRecord(0, 0, 0, count, biff8 ? Biff8String(c.bytes) : c.bytes);
    BiffSheet sheet = biff8 ? Sheet8(c.bytes, label) : Sheet5(c.bytes, label);
    std::string stream = WorkbookStream(c.version, globals, {sheet});
    std::string settings = std::string("OutputCharSet=") + c.outputSet +
                           "\nCharsetConvTablesDirectory=" LUMEN_SOURCE_DIR "/tables\n";
    std::string file = WorkbookFile(stream, biff8 ? "Workbook" : "Book");
    EXPECT_EQ(Convert(file, settings), std::string(kHead) + c.expected + "\n" + c.expected + "\n")
        << c.what;
  }
}

TEST_F(ExcelEndToEnd, SizeLimitStopsAtACellBoundary) {
  // Rows of four RK cells in a sheet six columns wide. The output is flushed in
  // 4096-byte blocks; the first cell placed after the file passed 51200 bytes (the
  // thirteenth block) is the last one.
  std::string cells = DimensionsRecord(6);
  for (int row = 0; row < 2000; ++row) {
    for (int column = 0; column < 4; ++column) {
      cells += RkRecord(static_cast<uint16_t>(row), static_cast<uint16_t>(column), 0,
                        RkInteger(row * 10 + column));
    }
  }
  std::string stream = WorkbookStream(kBiff8, FontsAndXfs(), {Sheet8("Big", cells)});

  std::string expected = std::string(kXmlStart) + "<h3>\nBig\n</h3>\n<table border='0'>\n";
  int lastColumn = -1;
  bool stop = false;
  for (int row = 0; row < 2000 && !stop; ++row) {
    for (int column = 0; column < 4 && !stop; ++column) {
      stop = (expected.size() / 4096) * 4096 > 51200;
      if (row != 0 && column == 0) {
        expected += Repeat(kEmpty, 6 - (lastColumn + 1)) + "</tr>\n<tr>\n";
      }
      expected += "<td > " + std::to_string(row * 10 + column) + " </td> ";
      lastColumn = column;
    }
  }
  expected += Repeat(kEmpty, 6 - (lastColumn + 1)) + "</tr></table>\n" + kXmlEnd;
  std::string output = Xml(stream);
  EXPECT_GT(output.size(), 53248u);
  EXPECT_EQ(output, expected);
  // HTML mode has no size limit: every value is written.
  std::string html = Html(stream);
  EXPECT_EQ(html.size() - html.rfind(" 19993 "), 7u);
}

TEST_F(ExcelEndToEnd, HeaderFileAndFooterAreWrittenVerbatim) {
  writeFile(dir_.file("head.txt"), "<doc note=\"100% %s %n\">\n");
  std::string stream = WorkbookStream(
      kBiff8, FontsAndXfs(), {Sheet8("P", DimensionsRecord(1) + RkRecord(0, 0, 0, RkInteger(1)))});
  std::string file = WorkbookFile(stream);
  std::string body = "<h3>\nP\n</h3>\n<table border='0'>\n<td > 1 </td> </tr></table>";
  EXPECT_EQ(Convert(file, std::string(kXml) + "XMLHeaderFile=head.txt\nXMLFooter=\"%d%%\\n\"\n"),
            "<doc note=\"100% %s %n\">\n" + body + "%d%%\n");
  // An empty value or a missing file gives the built-in header.
  for (const char* value : {"", "missing.txt"}) {
    EXPECT_EQ(Convert(file, std::string(kXml) + "XMLHeaderFile=" + value + "\n"),
              std::string(kXmlStart) + body + "\n<//content>\n</Document>\n")
        << value;
  }
}

TEST_F(ExcelEndToEnd, WorkbookWithoutSheetListGetsOneTable) {
  std::string stream = BofRecord(kBiff8, 5) + FontsAndXfs() + EofRecord() +
                       BofRecord(kBiff8, 0x10) + DimensionsRecord(2) +
                       RkRecord(0, 0, 0, RkInteger(1)) + RkRecord(1, 1, 0, RkInteger(2)) +
                       EofRecord();
  EXPECT_EQ(Xml(stream), std::string(kXmlStart) + "<table border='0'>\n<td > 1 </td> " + kEmpty +
                             "</tr>\n<tr>\n" + kEmpty + "<td > 2 </td> " + kXmlEnd);
}

TEST_F(ExcelEndToEnd, FailuresGetTheirPages) {
  std::string encrypted =
      WorkbookStream(kBiff8, BiffRecord(0x002F, LeU16(1) + std::string(52, '\x11')) + FontsAndXfs(),
                     {Sheet8("S", DimensionsRecord(1) + RkRecord(0, 0, 0, RkInteger(1)))});
  EXPECT_EQ(Convert(WorkbookFile(encrypted), kXml), kPage6);
  EXPECT_EQ(Convert(WorkbookFile(encrypted), kHtml), kPage6);
  // A FILEPASS record without a body marks the workbook encrypted all the same.
  std::string bare = WorkbookStream(kBiff8, BiffRecord(0x002F, "") + FontsAndXfs(),
                                    {Sheet8("S", DimensionsRecord(1))});
  EXPECT_EQ(Convert(WorkbookFile(bare), kHtml), kPage6);
  EXPECT_EQ(Convert(WorkbookFile(bare), kXml), kPage6);

  std::string stream = WorkbookStream(kBiff8, FontsAndXfs(), {Sheet8("S", "")});
  EXPECT_EQ(Convert(WorkbookFile(stream, "Sheets"), kHtml), kPage8);
  EXPECT_EQ(Convert(BuildCompoundFile({}), kHtml), kPage8);
  EXPECT_EQ(Convert("not a compound file at all", kHtml), kPage4);
  // The stream name is found in any letter case.
  EXPECT_EQ(Convert(WorkbookFile(stream, "WORKBOOK"), kHtml), std::string(kHead) + "S\n");
  EXPECT_EQ(Convert(WorkbookFile(stream, "book"), kHtml), std::string(kHead) + "S\n");
}

TEST_F(ExcelEndToEnd, StreamEndsAtItsSizeOrWhereItsSectorsEnd) {
  // A declared size shorter than the records ends the walk at the record it cuts,
  // as if the stream ended there; a declared size longer than the sectors that
  // hold the stream (which cannot be read whole) ends it where the sectors end.
  std::string cells = DimensionsRecord(4);
  for (int i = 0; i < 400; ++i) {
    cells += RkRecord(static_cast<uint16_t>(i / 4), static_cast<uint16_t>(i % 4), 0, RkInteger(i));
  }
  std::string stream = WorkbookStream(kBiff8, FontsAndXfs(), {Sheet8("Long", cells)});
  ASSERT_GT(stream.size(), 4096u + 200u);
  std::string whole = Html(stream);
  ASSERT_NE(whole.find(" 399 "), std::string::npos);

  const uint32_t shorter = static_cast<uint32_t>(stream.size() - 150);
  CfbImage image = BuildCompoundImage({CfbStream{"Workbook", stream, false}});
  image.SetEntryU32(1, kCfbEntrySize, shorter);
  std::string cut = Html(stream.substr(0, shorter));
  EXPECT_EQ(cut.find(" 399 "), std::string::npos);
  EXPECT_EQ(Convert(image.bytes, kHtml), cut);

  image.SetEntryU32(1, kCfbEntrySize, static_cast<uint32_t>(stream.size() + 5000));
  EXPECT_EQ(Convert(image.bytes, kHtml), whole);
}

TEST_F(ExcelEndToEnd, MalformedRecordsAreSkipped) {
  // Records too short for their fields, a shared-string index past the table, a
  // MULRK of odd length, XF and font indexes past their lists, and a record whose
  // length runs past the stream: the cells that can be read are written and the
  // walk ends at the broken record.
  std::string cells =
      DimensionsRecord(2) + BiffRecord(0x027E, LeU16(0) + LeU16(0) + LeU16(0)) +
      BiffRecord(0x0203, LeU16(0) + LeU16(0) + LeU16(0) + LeU32(0)) + LabelSstRecord(0, 0, 0, 7) +
      BiffRecord(0x00BD, LeU16(0) + LeU16(1) + LeU16(0) + LeU32(RkInteger(6)) + "xyz") +
      RkRecord(1, 0, 900, RkInteger(2)) + BiffRecordWithLength(0x027E, 200, LeU16(1));
  std::string globals = FontRecord(400) + XfRecord(9, 0) + SstRecord({"only"}) +
                        BiffRecord(0x0031, LeU16(1) + LeU16(2));
  std::string stream = WorkbookStream(kBiff8, globals, {Sheet8("M", cells)});
  EXPECT_EQ(Html(stream), std::string(kHead) + "only\nM\n 6 \n 2 ");
}

}  // namespace
