// Loading the table files into the process-wide tables.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "charset/charset.h"
#include "charset/eight_bytes.h"
#include "charset/table_store.h"
#include "charset/table_text.h"
#include "util/files.h"
#include "util/strings.h"

namespace {

constexpr size_t kShortLine = 100;  // line buffer of the code-page files
constexpr size_t kLongLine = 500;   // line buffer of the ISO and entity files

struct SingleByteFile {
  const char* name;
  CharsetId members[2];  // the sets this file fills; -1 for none
};

struct SingleByteFamily {
  int family;
  SingleByteFile files[3];    // the first is the main file
  CharsetId isoMember;        // member overridden by its section of "TB_iso8859.txt"
};

const SingleByteFamily kSingleByteFamilies[] = {
    {0, {{"TB_ascii_ucs2.txt", {0, -1}}}, -1},
    {3, {{"TB_greek_ucs2.txt", {3, 4}}}, 4},
    {5, {{"TB_hebrew_ucs2.txt", {5, 6}}}, 6},
    {7, {{"TB_arabic_ucs2.txt", {7, 8}}}, 8},
    {9,
     {{"TB_cyrillic_ucs2.txt", {9, 11}},
      {"TB_cyrillickoi8_ucs2.txt", {10, -1}},
      {"TB_cyrillicdos_ucs2.txt", {22, -1}}},
     11},
    {12, {{"TB_thai_ucs2.txt", {12, -1}}}, -1},
    {13, {{"TB_easterneuropean_ucs2.txt", {13, 14}}}, 14},
    {15, {{"TB_turkish_ucs2.txt", {15, -1}}}, -1},
    {23, {{"TB_vietnamese_ucs2.txt", {23, -1}}}, -1},
    {24, {{"TB_northerneuropean_ucs2.txt", {24, 25}}}, 25},
    {26, {{"TB_ascii_ibm_ucs2.txt", {26, -1}}}, -1},
    {27, {{"TB_westerneuropean_ucs2.txt", {27, -1}}}, -1},
    {28, {{"TB_latin3_ucs2.txt", {28, -1}}}, -1},
    {29, {{"TB_latin5_ucs2.txt", {29, -1}}}, -1},
    {30, {{"TB_latin6_ucs2.txt", {30, -1}}}, -1},
    {31, {{"TB_latin7_ucs2.txt", {31, -1}}}, -1},
    {32, {{"TB_latin9_ucs2.txt", {32, -1}}}, -1},
};

const char* const kDoubleByteFiles[] = {
    "TB_chsimplified_ucs2.txt",
    "TB_chtraditional_ucs2.txt",
    "TB_korean_ucs2.txt",
    "TB_shiftjis_ucs2.txt",
};

const char kIsoFile[] = "TB_iso8859.txt";
const char kSimplifiedToTraditionalFile[] = "TB_ucs2chsimp_ucs2chtrad.txt";
const char kEntityFile[] = "TB_unicode_entities.txt";
const char kBig5ToGbLocalFile[] = "big5togb.txt";
const char kBig5ToGbFile[] = "TB_chtraditional_chsimplified.txt";

// windows-1252 at 0x80..0x9F; its five unassigned bytes map to themselves.
const uint16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool InRange(int64_t value, int64_t high) { return value >= 0 && value <= high; }

// Splits "BYTE-CODE" at the first "-"; false for a line without one.
bool ParsePairLine(std::string_view line, int64_t* left, int64_t* right) {
  size_t dash = line.find('-');
  if (dash == std::string_view::npos) return false;
  ParseInteger(line.substr(0, dash), 0, left);
  ParseInteger(line.substr(dash + 1), 0, right);
  return true;
}

// "0x" and one to four hexadecimal digits at text[*at], up to the byte `after`,
// which is passed over too.
bool TakeHexField(std::string_view text, char after, size_t* at, int64_t* value) {
  size_t i = *at;
  if (text.size() < i + 3 || text[i] != '0' || (text[i + 1] != 'x' && text[i + 1] != 'X')) {
    return false;
  }
  int64_t result = 0;
  size_t first = i + 2;
  for (i = first; i < text.size() && i < first + 4; ++i) {
    int digit = DigitValue(text[i]);
    if (digit >= 16) break;
    result = result * 16 + digit;
  }
  if (i == first || i >= text.size() || text[i] != after) return false;
  *at = i + 1;
  *value = result;
  return true;
}

// A line "0xBYTE-0xCODE\n" as the shipped files write it (one to four hexadecimal
// digits each), which ParsePairLine would read alike: its length, or 0 for any other.
size_t ParseHexPairLine(std::string_view text, int64_t* left, int64_t* right) {
  size_t at = 0;
  if (!TakeHexField(text, '-', &at, left) || !TakeHexField(text, '\n', &at, right)) return 0;
  return at;
}

// Reads the line at the start of text (whose first kShortLine - 1 bytes are all
// of it that counts) into the members' rows; the bytes it takes.
size_t ReadSingleByteLine(std::string_view text, const CharsetId* members, TableStore* t) {
  int64_t byte, code;
  size_t used = ParseHexPairLine(text, &byte, &code);
  if (used == 0) {
    std::string_view line;
    used = CutPiece(text, kShortLine, &line);
    if (!ParsePairLine(line, &byte, &code)) return used;
  }
  if (!InRange(byte, 0xFF) || !InRange(code, 0xFFFF)) return used;
  for (int m = 0; m < 2 && members[m] >= 0; ++m) {
    t->singleForward[members[m]][byte] = static_cast<uint16_t>(code);
    t->singleReverse[members[m]][code] = static_cast<uint8_t>(byte);
  }
  return used;
}

// Reads at most 256 lines; false when the file cannot be opened. The lines are
// taken from each window while a whole line's worth of bytes still follows.
bool ReadSingleByteFile(const std::string& path, const CharsetId* members) {
  TableReader file(path);
  if (!file.open()) return false;
  TableStore& t = Tables();
  int n = 0;
  while (n < 256) {
    std::string_view window = file.Window(kShortLine - 1);
    if (window.empty()) break;
    size_t at = 0;
    while (n < 256 && at < window.size() &&
           (window.size() - at >= kShortLine - 1 || file.AtEnd())) {
      at += ReadSingleByteLine(window.substr(at), members, &t);
      ++n;
    }
    file.Skip(at);
  }
  return true;
}

}  // namespace

bool ReadForwardTable(const std::string& path, uint16_t* forward) {
  TableReader file(path);
  if (!file.open()) return false;
  std::fill(forward, forward + 256, uint16_t{0});
  std::string_view line;
  for (int n = 0; n < 256 && file.Next(kShortLine, &line); ++n) {
    int64_t byte, code;
    if (!ParsePairLine(line, &byte, &code)) continue;
    if (InRange(byte, 0xFF) && InRange(code, 0xFFFF)) forward[byte] = static_cast<uint16_t>(code);
  }
  return true;
}

namespace {

// The section of "TB_iso8859.txt" named after an ISO member. An entry reads
// "FIELD:BYTE = U+CODE : NAME" in hexadecimal; the first line that is not an
// entry ends the section.
void ReadIsoSection(const char* directory, CharsetId member) {
  static const char* const kSectionNames[CHARSET_COUNT] = {
      nullptr, nullptr, nullptr, nullptr, "GREEK_ISO", nullptr, "HEBREW_ISO", nullptr,
      "ARABIC_ISO", nullptr, nullptr, "CYRILLIC_ISO", nullptr, nullptr,
      "EASTERNEUROPEAN_ISO", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, nullptr, "NORTHERNEUROPEAN_ISO",
  };
  const char* section = kSectionNames[member];
  if (section == nullptr) return;
  TableReader file(TablePath(directory, kIsoFile));
  if (!file.open()) return;
  TableStore& t = Tables();
  std::string_view line;
  bool inside = false;
  while (file.Next(kLongLine, &line)) {
    if (!inside) {
      inside = line.find(section) != std::string_view::npos;
      continue;
    }
    size_t colon = line.find(':');
    size_t equals = line.find(" = U+");
    if (colon == std::string_view::npos || equals == std::string_view::npos ||
        line.find(" : ") == std::string_view::npos) {
      return;
    }
    int64_t byte, code;
    ParseInteger(line.substr(colon + 1), 16, &byte);
    ParseInteger(line.substr(equals + 5), 16, &code);
    if (!InRange(byte, 0xFF) || !InRange(code, 0xFFFF)) continue;
    t.singleForward[member][byte] = static_cast<uint16_t>(code);
    t.singleReverse[member][code] = static_cast<uint8_t>(byte);
  }
}

std::string BuiltInAsciiTable() {
  std::string text;
  char line[32];
  for (int byte = 0; byte < 256; ++byte) {
    int code = byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte;
    std::snprintf(line, sizeof line, byte < 255 ? "0x%x-0x%x\n" : "0x%x-0x%x", byte, code);
    text += line;
  }
  return text;
}

// Creates the tables directory when missing, and "TB_ascii_ucs2.txt" in it with
// the built-in table when it cannot be opened for reading.
void ProvideAsciiFile(const char* directory, const std::string& path) {
  if (directory != nullptr && *directory != '\0' && !isDirectory(directory)) {
    std::string native(directory);
    toNativeSeparators(native.data());
    makeDirectories(native.c_str());
  }
  if (fileExists(path.c_str()) == 0) return;
  FilePtr out(openFile(path.c_str(), "wb"));
  if (!out) return;
  std::string text = BuiltInAsciiTable();
  std::fwrite(text.data(), 1, text.size(), out.get());
}

int LoadSingleByteFamily(const SingleByteFamily& family, const char* directory) {
  TableStore& t = Tables();
  for (const SingleByteFile& file : family.files) {
    if (file.name == nullptr) continue;
    for (CharsetId member : file.members) {
      if (member < 0) continue;
      if (t.singleWritten[member]) {
        std::memset(t.singleForward[member], 0, sizeof t.singleForward[member]);
        std::memset(t.singleReverse[member], 0, sizeof t.singleReverse[member]);
      }
      t.singleWritten[member] = true;
    }
  }
  std::string mainPath = TablePath(directory, family.files[0].name);
  bool read = ReadSingleByteFile(mainPath, family.files[0].members);
  if (!read && family.family == CHARSET_ASCII) {
    ProvideAsciiFile(directory, mainPath);
    read = ReadSingleByteFile(mainPath, family.files[0].members);
  }
  int status = read ? 0 : -3;
  for (int f = 1; f < 3; ++f) {
    if (family.files[f].name == nullptr) continue;
    ReadSingleByteFile(TablePath(directory, family.files[f].name), family.files[f].members);
  }
  if (family.isoMember >= 0) ReadIsoSection(directory, family.isoMember);
  return status;
}

bool IsLead(int value, int low, int high) { return value >= low && value <= high; }

// The reverse entry a code is given, or 0 when the family writes that code
// with no character.
uint16_t ReverseEntry(int family, int first, int second) {
  if (family == CHARSET_CHINESESIMPLIFIED && IsLead(first, 0xA1, 0xFE) &&
      !IsLead(second, 0xA1, 0xFE) && !(first == 0xE9 && second == 0x46)) {
    first = 0;
  }
  if (family == CHARSET_CHINESETRADITIONAL && IsLead(first, 0xA1, 0xFE) &&
      !IsLead(second, 0x40, 0x7E) && !IsLead(second, 0xA1, 0xFE)) {
    first = 0;
  }
  return static_cast<uint16_t>(first | (second << 8));
}

bool ReadDoubleByteFile(int family, const std::string& path) {
  TableReader file(path);
  if (!file.open()) return false;
  uint16_t* forward = Tables().doubleForward[family - CHARSET_CHINESESIMPLIFIED];
  uint16_t* reverse = Tables().doubleReverse[family - CHARSET_CHINESESIMPLIFIED];
  std::string_view line;
  for (int n = 0; n < 65536 && file.Next(kShortLine, &line); ++n) {
    int64_t number, code;
    if (!ParsePairLine(line, &number, &code)) continue;
    if (!InRange(number, 0xFFFF) || !InRange(code, 0xFFFF)) continue;
    forward[number] = static_cast<uint16_t>(code);
    // Shift_JIS writes KATAKANA MIDDLE DOT as 81 45 whatever else maps to it.
    if (family == CHARSET_SHIFTJIS && code == 0x30FB) continue;
    reverse[code] = ReverseEntry(family, static_cast<int>(number & 0xFF),
                                 static_cast<int>(number >> 8));
  }
  if (family == CHARSET_SHIFTJIS) reverse[0x30FB] = 0x81 | (0x45 << 8);
  return true;
}

// Lines "SIMPLIFIED TRADITIONAL" in hexadecimal: a simplified character is
// written with the Big5 code of its traditional form. Every line must hold two
// numbers; false when one does not or the file cannot be opened.
bool ReadSimplifiedToTraditional(const char* directory) {
  TableReader file(TablePath(directory, kSimplifiedToTraditionalFile));
  if (!file.open()) return false;
  const int slot = CHARSET_CHINESETRADITIONAL - CHARSET_CHINESESIMPLIFIED;
  uint16_t* reverse = Tables().doubleReverse[slot];
  std::string_view line;
  while (file.Next(kShortLine, &line)) {
    int64_t simplified, traditional;
    size_t used = ParseInteger(line, 16, &simplified);
    if (used == 0 || ParseInteger(line.substr(used), 16, &traditional) == 0) return false;
    if (!InRange(simplified, 0xFFFF) || !InRange(traditional, 0xFFFF)) continue;
    reverse[simplified] = reverse[traditional];
  }
  return true;
}

int LoadDoubleByteFamily(int family, const char* directory) {
  TableStore& t = Tables();
  int slot = family - CHARSET_CHINESESIMPLIFIED;
  if (t.doubleWritten[slot]) {
    std::memset(t.doubleForward[slot], 0, sizeof t.doubleForward[slot]);
    std::memset(t.doubleReverse[slot], 0, sizeof t.doubleReverse[slot]);
  }
  t.doubleWritten[slot] = true;
  if (!ReadDoubleByteFile(family, TablePath(directory, kDoubleByteFiles[slot]))) return -3;
  if (family == CHARSET_CHINESETRADITIONAL && !ReadSimplifiedToTraditional(directory)) return -3;
  return 0;
}

// The entity file found at a family load and not read yet, kept open from then.
FilePtr g_pendingEntityFile;

void ClearEntities() {
  TableStore& t = Tables();
  if (t.entitiesWritten) std::memset(t.entities, 0, sizeof t.entities);
  t.entitiesWritten = false;
}

void AddEntity(uint64_t* set, int64_t code) {
  if (InRange(code, 0xFFFF)) set[code >> 6] |= uint64_t{1} << (code & 63);
}

// At a family load: the set counts as loaded when its file can be opened, but
// the file is only read when the set is first used (most output needs none).
// A set whose file cannot be opened stays empty and unloaded.
void NoteEntities(const char* directory) {
  TableStore& t = Tables();
  std::string path = TablePath(directory, kEntityFile);
  ClearEntities();
  g_pendingEntityFile.reset(openFile(path.c_str(), "rb"));
  if (!g_pendingEntityFile) return;
  t.entitiesLoaded = true;
  t.entitiesPending = true;
}

constexpr uint64_t kZeros = 0x3030303030303030u;  // eight '0'

// The number of decimal digits that begin the eight bytes (8: all are).
inline int LeadingDigits(uint64_t x) {
  constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u;
  // A byte is a digit when it and the byte plus 6 both have high nibble 3; a
  // carry out of a byte that is not a digit only disturbs the bytes after it.
  uint64_t other = ((x & kHigh) ^ kZeros) | (((x + 0x0606060606060606u) & kHigh) ^ kZeros);
  if (other == 0) return 8;
#if defined(__GNUC__)
  return __builtin_ctzll(other) / 8;
#else
  int bit = 0;
  while (((other >> bit) & 0xFF) == 0) bit += 8;
  return bit / 8;
#endif
}

// The value of the first `digits` (1..7) bytes of x, all decimal digits: they
// are moved to the top as the last digits of eight, then combined in pairs,
// fours and eights.
inline uint32_t DigitsValue(uint64_t x, int digits) {
  uint64_t v = (x - kZeros) << (8 * (8 - digits));
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
  v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
  return static_cast<uint32_t>(v);
}

// Sets the bits of the code units low..high - 1.
void AddEntityRange(uint64_t* set, uint32_t low, uint32_t high) {
  for (uint32_t code = low; code < high;) {
    uint32_t bit = code & 63;
    uint32_t count = std::min<uint32_t>(64 - bit, high - code);
    uint64_t bits = count == 64 ? ~uint64_t{0} : ((uint64_t{1} << count) - 1) << bit;
    set[code >> 6] |= bits;
    code += count;
  }
}

// The decimal text of value and a line feed, as the entity file writes it; returns
// its length.
int EntityLineText(uint32_t value, char* out) {
  const size_t count = writeDecimal(value, out);
  out[count] = '\n';
  return static_cast<int>(count + 1);
}

int DecimalDigits(uint32_t value) {
  int count = 1;
  while (value >= 10) {
    value /= 10;
    ++count;
  }
  return count;
}

// Most of the entity file is runs of consecutive numbers ("130\n131\n132\n..."). After
// a line of value v, the text that follows is compared with the plain text of v + 1,
// v + 2 and so on (decimal without leading zeros, one line feed each): every line
// that matches is a whole piece that the line reader parses as that value, so the
// run's values are entered at once.
constexpr uint32_t kLastEntity = 0xFFFF;

// One line at a time from *next, while the lines continue the run: all of them, or
// only up to the next value that ends in 0.
const char* MatchLines(const char* p, const char* end, bool untilDecade, uint32_t* next) {
  char text[12];
  size_t length = 0;
  while (*next <= kLastEntity && !(untilDecade && *next % 10 == 0)) {
    // The last digit counts up; a value ending in 0 is written out anew.
    if (length == 0 || *next % 10 == 0) {
      length = static_cast<size_t>(EntityLineText(*next, text));
    } else {
      ++text[length - 2];
    }
    if (static_cast<size_t>(end - p) < length || std::memcmp(p, text, length) != 0) break;
    p += length;
    ++*next;
  }
  return p;
}

// Ten lines at a time from *next, a multiple of ten of `Digits` digits, while the
// lines continue the run and the values keep their digit count; a hundred at a time
// from a multiple of a hundred. The ten lines are held as 16-byte vectors (GCC
// vector extensions: SSE2 on x86-64, plain words elsewhere), compared with the file,
// and moved on to the next ten by adding one to the digits above the last.
template <int Digits>
class DecadeMatcher {
 public:
  explicit DecadeMatcher(uint32_t first) : value_(first), tens_(first / 10 % 10) {
    unsigned char text[64] = {};
    unsigned char steps[Digits][64] = {};
    EntityLineText(first, reinterpret_cast<char*>(text));
    for (int j = 0; j < 10; ++j) {
      std::memcpy(text + j * kLine, text, kLine);
      text[j * kLine + Digits - 1] = static_cast<unsigned char>('0' + j);
      for (int k = 1; k < Digits; ++k) steps[k][j * kLine + Digits - 1 - k] = 1;
    }
    for (int v = 0; v < kVectors; ++v) {
      std::memcpy(&block_[v], text + Offset(v), 16);
      for (int k = 1; k < Digits; ++k) std::memcpy(&step_[k][v], steps[k] + Offset(v), 16);
    }
  }

  const char* Match(const char* p, const char* end, uint32_t* next) {
    for (;;) {
      if (tens_ == 0 && end - p >= 10 * kLength && value_ + 99 <= kLastEntity &&
          HundredMatches(p)) {
        p += 10 * kLength;
        value_ += 100;
        if (!Carry(2)) break;
        continue;
      }
      if (end - p < kLength || !DecadeMatches(p)) break;
      p += kLength;
      value_ += 10;
      if (value_ + 9 > kLastEntity) break;
      if (++tens_ < 10) {
        for (int v = 0; v < kVectors; ++v) block_[v] += step_[1][v];
        continue;
      }
      tens_ = 0;
      for (int v = 0; v < kVectors; ++v) block_[v] -= step_[1][v] * 9;
      if (!Carry(2)) break;
    }
    *next = value_;
    return p;
  }

 private:
  typedef unsigned char Bytes16 __attribute__((vector_size(16)));
  static constexpr int kLine = Digits + 1;
  static constexpr int kLength = 10 * kLine;
  static constexpr int kVectors = (kLength + 15) / 16;

  // Where vector v of the ten lines begins: every 16 bytes, the last one ending
  // with the lines (so that it overlaps the one before).
  static constexpr int Offset(int v) { return v < kVectors - 1 ? 16 * v : kLength - 16; }

  // Ors into *differ the bytes that tell the ten lines at p from `lines`.
  static void Compare(const char* p, const Bytes16* lines, Bytes16* differ) {
    for (int v = 0; v < kVectors; ++v) {
      Bytes16 file;
      std::memcpy(&file, p + Offset(v), 16);
      *differ |= file ^ lines[v];
    }
  }

  static bool Zero(const Bytes16& differ) {
    uint64_t halves[2];
    std::memcpy(halves, &differ, 16);
    return (halves[0] | halves[1]) == 0;
  }

  bool DecadeMatches(const char* p) const {
    Bytes16 differ = {};
    Compare(p, block_, &differ);
    return Zero(differ);
  }

  // The hundred lines from value_, whose tens digit is 0: the first ten are the
  // block, and each ten after them differ from the ten before by one in the tens.
  bool HundredMatches(const char* p) const {
    Bytes16 before[kVectors];
    Bytes16 differ = {};
    for (int v = 0; v < kVectors; ++v) {
      std::memcpy(&before[v], p + Offset(v), 16);
      differ |= before[v] ^ block_[v];
    }
    for (int j = 1; j < 10; ++j) {
      for (int v = 0; v < kVectors; ++v) {
        Bytes16 file;
        std::memcpy(&file, p + j * kLength + Offset(v), 16);
        differ |= (file - before[v]) ^ step_[1][v];
        before[v] = file;
      }
    }
    return Zero(differ);
  }

  // After value_ moved on by 10^from, adds one to the digits from place `from` up
  // (those that wrapped to 0 are set back from 9); false when the digit count grows.
  bool Carry(int from) {
    uint32_t scale = 1;
    for (int k = 0; k < from; ++k) scale *= 10;
    for (int k = from; k < Digits; ++k, scale *= 10) {
      bool wrapped = value_ / scale % 10 == 0;
      for (int v = 0; v < kVectors; ++v) {
        block_[v] = wrapped ? block_[v] - step_[k][v] * 9 : block_[v] + step_[k][v];
      }
      if (!wrapped) return true;
    }
    return false;
  }

  uint32_t value_;
  uint32_t tens_;
  Bytes16 block_[kVectors];
  Bytes16 step_[Digits][kVectors];
};

template <int Digits>
const char* MatchDecades(const char* p, const char* end, uint32_t* next) {
  DecadeMatcher<Digits> matcher(*next);
  return matcher.Match(p, end, next);
}

// Matches the lines at p, ending no later than end, that continue a run whose last
// value is *value; enters their values into set, updates *value to the last one,
// and returns where the first line that does not continue the run begins. When
// more of the file follows the window and the run reaches the window's last bytes,
// *resume is set and the lines there are left for the next window, where the run
// goes on ten lines at a time.
const char* ExtendRun(const char* p, const char* end, bool more, uint32_t* value,
                      uint64_t* set, bool* resume) {
  uint32_t next = *value + 1;
  p = MatchLines(p, end, /*untilDecade=*/true, &next);
  while (next >= 10 && next % 10 == 0 && next + 9 <= kLastEntity) {
    int digits = DecimalDigits(next);
    switch (digits) {
      case 2: p = MatchDecades<2>(p, end, &next); break;
      case 3: p = MatchDecades<3>(p, end, &next); break;
      case 4: p = MatchDecades<4>(p, end, &next); break;
      default: p = MatchDecades<5>(p, end, &next); break;
    }
    if (DecimalDigits(next) == digits) break;
  }
  *resume = more && end - p < 64 && next <= kLastEntity;
  if (!*resume) p = MatchLines(p, end, /*untilDecade=*/false, &next);
  AddEntityRange(set, *value + 1, next);
  *value = next - 1;
  return p;
}

// Pieces of at most kLongLine - 1 bytes, each beginning with a decimal number
// (text after it is ignored). The file has tens of thousands of short lines
// of digits, which take a short path, and runs of consecutive numbers, which
// ExtendRun takes ten at a time.
void ScanEntities(TableReader* file, uint64_t* set) {
  constexpr size_t kPiece = kLongLine - 1;
  uint32_t last = ~uint32_t{0};  // value of the line before p when it had one
  bool resume = false;           // whether the run of `last` goes on at p
  for (;;) {
    std::string_view window = file->Window(kPiece);
    if (window.empty()) return;
    const char* p = window.data();
    const char* end = p + window.size();
    const bool more = !file->AtEnd();
    // Every piece that starts before `stop` lies whole in the window (a run leaves
    // the window's last bytes only when p is past it).
    const char* stop = more ? end - kPiece + 1 : end;
    // Eight bytes can be read at every p before fastStop.
    const char* fastStop = window.size() < 8 ? window.data() : std::min(stop, end - 7);
    if (resume) p = ExtendRun(p, end, more, &last, set, &resume);
    while (p < stop) {
      // Lines of one to five digits, eight bytes at a time while eight remain.
      while (p < fastStop) {
        uint64_t eight = LoadEight(p);
        unsigned digits = static_cast<unsigned>(LeadingDigits(eight));
        if (digits - 1 > 4 || ((eight >> (8 * digits)) & 0xFF) != '\n') break;
        uint32_t code = DigitsValue(eight, static_cast<int>(digits));
        p += digits + 1;
        if (code <= 0xFFFF) set[code >> 6] |= uint64_t{1} << (code & 63);
        if (code == last + 1 && code < 0xFFFF) p = ExtendRun(p, end, more, &code, set, &resume);
        last = code;
      }
      if (p >= stop) break;
      last = ~uint32_t{0};
      const char* limit = end - p > static_cast<ptrdiff_t>(kPiece) ? p + kPiece : end;
      const char* q = p;
      if (*q >= '0' && *q <= '9') {
        uint32_t code = 0;
        while (q < limit && *q >= '0' && *q <= '9' && code <= 0xFFFF) {
          code = code * 10 + static_cast<uint32_t>(*q - '0');
          ++q;
        }
        AddEntity(set, code);
      } else {
        std::string_view piece;
        CutPiece(std::string_view(p, static_cast<size_t>(limit - p)), kLongLine, &piece);
        int64_t code;
        if (ParseInteger(piece, 10, &code) > 0) AddEntity(set, code);
      }
      if (q < limit && *q == '\n') {
        p = q + 1;
      } else {
        const void* feed = std::memchr(q, '\n', static_cast<size_t>(limit - q));
        p = feed != nullptr ? static_cast<const char*>(feed) + 1 : limit;
      }
    }
    file->Skip(static_cast<size_t>(p - window.data()));
  }
}

}  // namespace

void DropPendingEntities() {
  Tables().entitiesPending = false;
  g_pendingEntityFile.reset();
}

void ReadPendingEntities() {
  TableStore& t = Tables();
  if (!t.entitiesPending) return;
  t.entitiesPending = false;
  ClearEntities();
  TableReader file(std::move(g_pendingEntityFile));
  if (!file.open()) return;
  t.entitiesWritten = true;
  ScanEntities(&file, t.entities);
}

int LoadCharsetTables(int family, const char* tablesDirectory) {
  int status = -1;
  if (family >= CHARSET_CHINESESIMPLIFIED && family <= CHARSET_SHIFTJIS) {
    status = LoadDoubleByteFamily(family, tablesDirectory);
  } else {
    for (const SingleByteFamily& f : kSingleByteFamilies) {
      if (f.family == family) status = LoadSingleByteFamily(f, tablesDirectory);
    }
  }
  if (status == -1) return -1;
  if (!Tables().entitiesLoaded) NoteEntities(tablesDirectory);
  return status;
}

int LoadBig5ToGbTables(const char* tablesDirectory) {
  TableFile local(kBig5ToGbLocalFile);
  TableFile shipped(local.open() && !local.text().empty()
                        ? std::string()
                        : TablePath(tablesDirectory, kBig5ToGbFile));
  std::string_view text = local.open() && !local.text().empty() ? local.text() : shipped.text();
  if (text.empty()) return 0;
  // The file is read as one text, which ends at its first 0 byte.
  text = text.substr(0, text.find('\0'));
  TableStore& t = Tables();
  std::memset(t.big5First, 0, sizeof t.big5First);
  std::memset(t.big5Second, 0, sizeof t.big5Second);
  size_t count = 0;
  size_t pos = 0;
  while (pos < text.size() && count < kBig5TableSize + 65536u) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty()) continue;
    int64_t value;
    ParseInteger(line, 0, &value);
    uint16_t stored = static_cast<uint16_t>(static_cast<uint64_t>(value) & 0xFFFF);
    if (count < kBig5TableSize) {
      t.big5First[count] = stored;
    } else {
      t.big5Second[count - kBig5TableSize] = stored;
    }
    ++count;
  }
  return 1;
}
