// Writes the sample documents of samples/ into a folder: a Word document, a
// workbook and a presentation, each built record by record by the fixture writers
// of the test suite, so that every converter has a document of its own for a first
// run and nothing in the repository comes from elsewhere.
//
//   make_samples FOLDER   writes FOLDER/sample.doc, sample.xls and sample.ppt
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/biff_writer.h"
#include "tests/cfb_writer.h"
#include "tests/ppt_writer.h"
#include "tests/word_writer.h"

namespace {

CfbStream Summary(const std::string& title, const std::string& author) {
  return {"SummaryInformation",
          BuildPropertySetStream({BuildPropertySection(
              {{2, PropertyString8(title)}, {4, PropertyString8(author)}})}),
          true};
}

std::string SampleWord() {
  WordDescription d;
  d.pieces = {Text8("Field notes\rThe survey covered three sites in May.\r"),
              Text16(u"Caf\u00e9 owners answered 42 questions; results follow.\r")};
  d.extra = {Summary("Field notes", "Sample Author")};
  return BuildWordFile(d);
}

std::string SampleWorkbook() {
  std::string globals = FontRecord(400) + XfRecord(0, 0) +
                        SstRecord({"Region", "Units", "North", "South"});
  std::string cells = DimensionsRecord(2, 3) + LabelSstRecord(0, 0, 0, 0) +
                      LabelSstRecord(0, 1, 0, 1) + LabelSstRecord(1, 0, 0, 2) +
                      RkRecord(1, 1, 0, RkInteger(120)) + LabelSstRecord(2, 0, 0, 3) +
                      NumberRecord(2, 1, 0, 87.5);
  return BuildCompoundFile({{"Workbook", WorkbookStream(kBiff8, globals, {Sheet8("Sales", cells)})},
                            Summary("Sales by region", "Sample Author")});
}

std::string SamplePresentation() {
  constexpr uint16_t kSlide = 1006, kDrawing = 1036;
  auto slide = [&](const std::u16string& title, const std::u16string& body) {
    return PptContainer(kSlide, PptSlideAtom(1, 2) +
                                    PptContainer(kDrawing, PptHeaderedText(0, title) +
                                                               PptHeaderedText(1, body)));
  };
  std::string stream = slide(u"Welcome", u"A presentation made by lumen's own writers") +
                       slide(u"Results", u"Sales rose 5% in the north");
  return BuildCompoundFile({{"PowerPoint Document", stream}, Summary("Sample deck", "Sample Author")});
}

bool Write(const std::filesystem::path& path, const std::string& bytes) {
  FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 1;
  }
  const std::filesystem::path folder(argv[1]);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!Write(folder / "sample.doc", SampleWord()) || !Write(folder / "sample.xls", SampleWorkbook()) ||
      !Write(folder / "sample.ppt", SamplePresentation())) {
    std::fprintf(stderr, "make_samples: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
