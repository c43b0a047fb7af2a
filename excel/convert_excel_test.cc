#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "excel/excel.h"
#include "tests/biff_writer.h"
#include "tests/cfb_writer.h"
#include "tests/test_support.h"

namespace {

// The result codes of a conversion, in the order the set-up checks them: the
// configuration first (even when the input is missing too), then the input, the
// container, the workbook stream, the output file, and the records.
TEST(ConvertExcelTest, ResultCodesInSetUpOrder) {
  ScratchDir dir;
  const std::string config = dir.file("lumen.cfg");
  const std::string output = dir.file("out.html");
  std::string workbook =
      WorkbookStream(kBiff8, "", {Sheet8("S", DimensionsRecord(1) + RkRecord(0, 0, 0, 2))});
  writeFile(dir.file("book.xls"), WorkbookFile(workbook));
  writeFile(dir.file("plain.xls"), "not a compound file");
  writeFile(dir.file("other.xls"), WorkbookFile(workbook, "Sheets"));
  writeFile(dir.file("locked.xls"),
            WorkbookFile(WorkbookStream(kBiff8, BiffRecord(0x002F, LeU16(0) + LeU32(0)), {})));

  struct Case {
    const char* what;
    bool withConfig;
    const char* input;
    std::string output;
    int result;
  };
  const Case cases[] = {
      {"no configuration, no input", false, "missing.xls", output, -7},
      {"no configuration", false, "book.xls", output, -7},
      {"no input", true, "missing.xls", output, -1},
      {"not a compound file", true, "plain.xls", output, -4},
      {"no workbook stream", true, "other.xls", output, -8},
      {"output cannot be created", true, "book.xls", dir.file("none/out.html"), -5},
      {"encrypted", true, "locked.xls", output, -6},
      {"converted", true, "book.xls", output, 0},
  };
  for (const Case& c : cases) {
    std::remove(config.c_str());
    if (c.withConfig) writeFile(config, "[XLS]\nOutputXML=1\n");
    EXPECT_EQ(convertExcel(dir.file(c.input).c_str(), c.output.c_str(), config.c_str(), "XLS"),
              c.result)
        << c.what;
  }
  EXPECT_FALSE(fileIsPresent(dir.file("none/out.html")));
  EXPECT_EQ(readFile(output),
            "<Docuemnt>\n<Content>\n<h3>\nS\n</h3>\n<table border='0'>\n<td > 0 </td> "
            "</tr></table>\n<//content>\n</Document>\n");
}

}  // namespace
