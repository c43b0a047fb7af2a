// Writes the workbooks that bench/excel.sh times into the directory given:
//   dense.xls   about 160 KB: 6000 cells of every kind (shared strings in an SST
//               continued over CONTINUE records, RK, MULRK, NUMBER, dates, bold);
//   sparse.xls  about 2.5 MB: a few cells among megabytes of drawing and formatting
//               records, as templates hold them.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/biff_writer.h"
#include "tests/cfb_writer.h"

namespace {

constexpr size_t kMaxBody = 8224;

// A record whose body is longer than a record can hold, split over CONTINUE
// records at `cuts` (offsets in the body, ascending) and wherever a piece would
// pass kMaxBody.
std::string ContinuedRecord(uint16_t type, const std::string& body, std::vector<size_t> cuts) {
  cuts.push_back(body.size());
  std::string out;
  size_t start = 0;
  uint16_t pieceType = type;
  for (size_t cut : cuts) {
    while (cut - start > kMaxBody) {
      out += BiffRecord(pieceType, body.substr(start, kMaxBody));
      start += kMaxBody;
      pieceType = 0x003C;
    }
    if (cut > start || start == 0) out += BiffRecord(pieceType, body.substr(start, cut - start));
    start = cut;
    pieceType = 0x003C;
  }
  return out;
}

// An SST of 8-bit strings cut only between strings, as its CONTINUE records must
// be when no string is split.
std::string ContinuedSst(const std::vector<std::string>& strings) {
  std::string body = LeU32(static_cast<uint32_t>(strings.size())) +
                     LeU32(static_cast<uint32_t>(strings.size()));
  std::vector<size_t> cuts;
  size_t pieceStart = 0;
  for (const std::string& s : strings) {
    std::string stored = LeU16(static_cast<uint16_t>(s.size())) + Biff8String(s);
    if (body.size() + stored.size() - pieceStart > kMaxBody) {
      cuts.push_back(body.size());
      pieceStart = body.size();
    }
    body += stored;
  }
  return ContinuedRecord(0x00FC, body, cuts);
}

std::string Globals(const std::string& extra, const std::vector<std::string>& strings) {
  // Fonts 1 normal and 2 bold; XF 0 normal, 1 bold, 2 a date (format 14).
  return FontRecord(400) + FontRecord(700) + FormatRecord(164, "0.00%") + XfRecord(1, 0) +
         XfRecord(2, 0) + XfRecord(1, 14) + extra + ContinuedSst(strings);
}

std::string DenseWorkbook() {
  // Latin-1, as compressed strings store them.
  const char* words[] = {"North", "South",   "M\xfcller",   "Zo\xeb",     "A\xe7" "a\xed",
                         "R\xf8" "dgr\xf8" "d", "\xde" "ingvellir", "Revenue", "Order date", "S\xe3o Paulo"};
  std::vector<std::string> strings;
  for (int i = 0; i < 3000; ++i) strings.push_back(std::string(words[i % 10]) + " " +
                                                   std::to_string(i));
  std::string cells = DimensionsRecord(6, 1000);
  for (uint16_t row = 0; row < 1000; ++row) {
    cells += BiffRecord(0x0208, LeU16(row) + LeU16(0) + LeU16(6) + std::string(14, '\0'));
    cells += LabelSstRecord(row, 0, row % 7 == 0 ? 1 : 0, row * 3 % 3000);
    cells += RkRecord(row, 1, 0, RkInteger(row * 3 - 500));
    cells += NumberRecord(row, 2, 0, row * 1.25 + 0.001);
    cells += RkRecord(row, 3, 2, RkInteger(40000 + row));
    cells += MulRkRecord(row, 4, {{0, RkInteger(row, true)}, {0, RkDouble(2.5)}});
  }
  std::string stream = WorkbookStream(kBiff8, Globals("", strings), {Sheet8("Data", cells)});
  return WorkbookFile(stream);
}

std::string SparseWorkbook() {
  // Pictures of the workbook: one drawing group of 1.5 MB over CONTINUE records.
  std::string picture;
  for (size_t i = 0; picture.size() < 1500000; ++i) picture += static_cast<char>(i * 131 % 251);
  std::string formatting;
  for (int i = 0; i < 3000; ++i) formatting += XfRecord(1, static_cast<uint16_t>(i % 50));
  std::string globals =
      Globals(formatting + ContinuedRecord(0x00EB, picture, {}), {"Title", "Total", "Notes"});
  // A sheet with a few cells and 1 MB of drawing records and objects.
  std::string sheet = DimensionsRecord(3, 3) + LabelSstRecord(0, 0, 1, 0) +
                      RkRecord(1, 1, 0, RkInteger(42)) + LabelSstRecord(2, 0, 0, 1) +
                      NumberRecord(2, 2, 0, 3.5);
  for (int i = 0; i < 130; ++i) {
    sheet += BiffRecord(0x00EC, picture.substr(static_cast<size_t>(i) * 8000, 8000));
    sheet += BiffRecord(0x005D, std::string(26, '\x01'));
  }
  sheet += LabelSstRecord(2, 1, 0, 2);
  return WorkbookFile(WorkbookStream(kBiff8, globals, {Sheet8("Template", sheet)}));
}

bool Write(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  return Write(dir + "/dense.xls", DenseWorkbook()) && Write(dir + "/sparse.xls", SparseWorkbook())
             ? 0
             : 1;
}
