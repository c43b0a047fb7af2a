// End to end through the lumen binary: the head's 16-bit properties are converted
// with the tables directory the converter was configured with, so the working
// directory gets no table file and the body keeps its numeric references.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "gtest/gtest.h"
#include "storage/compound_file.h"
#include "tests/cfb_writer.h"
#include "tests/test_support.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

// The workbook stream of a corpus document with Greek and Cyrillic strings.
std::string ScriptsWorkbook() {
  FilePtr file(openFile(testDataPath("calc97_scripts.xls").c_str(), "rb"));
  CompoundFile* compound = OpenCompoundFile(file.get());
  EXPECT_NE(nullptr, compound);
  std::string data;
  int32_t entry = FindContentStream(compound, "Workbook");
  if (entry >= 0) {
    const uint32_t size = compound->entries[entry].size;
    MallocPtr<unsigned char> bytes(ReadStreamRange(compound, file.get(), entry, 0, size));
    if (bytes) data.assign(reinterpret_cast<char*>(bytes.get()), size);
  }
  CloseCompoundFile(&compound);
  return data;
}

TEST(HeadTablesEndToEnd, PropertiesUseTheConfiguredTablesDirectory) {
  ScratchDir scratch;
  const std::filesystem::path tables = std::filesystem::path(scratch.path()) / "tables";
  std::filesystem::copy(std::filesystem::path(LUMEN_SOURCE_DIR) / "tables", tables);
  std::filesystem::remove(tables / "TB_ascii_ucs2.txt");  // written there when missing
  const std::string title = BuildPropertySetStream(
      {BuildPropertySection({{2, PropertyString16(u"Q\u03B1 report \u20AC")}})});
  writeFile(scratch.file("in.xls"), BuildCompoundFile({{"Workbook", ScriptsWorkbook()},
                                                       {"SummaryInformation", title, true}}));
  writeFile(scratch.file("lumen.cfg"), "[XLS]\nOutputCharSet=ASCII\nCharsetConvTablesDirectory=" +
                                           tables.string() + "\n");
  ASSERT_EQ(0, runLumenIn(scratch.path(), {"in.xls", "out.html"}));
  const std::string out = readFile(scratch.file("out.html"));
  EXPECT_EQ(0u, out.find("<TITLE>Q&#945; report \x80</TITLE>\n")) << out.substr(0, 200);
  // Greek text of the body is written as references too (epsilon of the sheet name).
  EXPECT_NE(std::string::npos, out.find("&#949;"));
  EXPECT_TRUE(fileIsPresent((tables / "TB_ascii_ucs2.txt").string()));
  EXPECT_FALSE(fileIsPresent(scratch.file("TB_ascii_ucs2.txt")));
}

}  // namespace
