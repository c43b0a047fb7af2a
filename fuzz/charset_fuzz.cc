// Fuzz target for the character set engine.
//
// Input: a selector byte, a second byte, then the text. A selector below 0x80
// converts the text from CharsetId (selector % 33) to CharsetId (second % 33)
// through the shipped tables, and runs the Japanese code conversions over it. A
// selector of 0x80 or above writes the text as one table file (chosen by the
// second byte) into a scratch directory, loads that family from it and converts
// through what was loaded.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "charset/convert.h"
#include "charset/japanese.h"
#include "fuzz/fuzz_scratch.h"

namespace {

const struct {
  const char* name;
  CharsetId family;
} kFiles[] = {
    {"TB_ascii_ucs2.txt", CHARSET_ASCII},
    {"TB_greek_ucs2.txt", CHARSET_GREEK},
    {"TB_iso8859.txt", CHARSET_CYRILLIC},
    {"TB_chsimplified_ucs2.txt", CHARSET_CHINESESIMPLIFIED},
    {"TB_chtraditional_ucs2.txt", CHARSET_CHINESETRADITIONAL},
    {"TB_ucs2chsimp_ucs2chtrad.txt", CHARSET_CHINESETRADITIONAL},
    {"TB_shiftjis_ucs2.txt", CHARSET_SHIFTJIS},
    {"TB_unicode_entities.txt", CHARSET_ASCII},
    {"TB_chtraditional_chsimplified.txt", -1},
};

void Convert(CharsetId source, CharsetId target, const uint8_t* text, size_t size,
             const std::string& directory) {
  std::string dir = directory;
  CharsetContext context = {dir.data(), -1};
  char* output = nullptr;
  int32_t length = 0;
  if (ConvertCharset(source, target, text, static_cast<int32_t>(size), &output, &length,
                     &context) == 0 &&
      output != nullptr) {
    if (output[length] != '\0') std::abort();
    std::free(output);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2 || size > (1u << 20)) return 0;
  uint8_t selector = data[0];
  uint8_t second = data[1];
  // An exactly sized copy: no terminator after the text.
  std::vector<uint8_t> text(data + 2, data + size);
  const uint8_t* bytes = text.empty() ? nullptr : text.data();

  if (selector < 0x80) {
    static const std::string shipped = FuzzSourceTables();
    Convert(selector % CHARSET_COUNT, second % CHARSET_COUNT, bytes, text.size(), shipped);
    for (int target : {JAPANESE_JIS, JAPANESE_EUC, JAPANESE_SJIS}) {
      std::string out;
      ConvertJapaneseCode(target, bytes, text.size(), &out, 1 + second % 6);
    }
    DetectJapaneseCode(bytes, text.size());
    return 0;
  }

  namespace fs = std::filesystem;
  // In memory where the system has it: the folder is made anew for every input.
  std::error_code ignored;
  static const fs::path scratch =
      (fs::is_directory("/dev/shm", ignored) ? fs::path("/dev/shm") : fs::temp_directory_path()) /
      "lumen_charset_fuzz";
  fs::remove_all(scratch, ignored);
  fs::create_directories(scratch, ignored);
  const auto& file = kFiles[second % (sizeof kFiles / sizeof kFiles[0])];
  {
    std::ofstream out(scratch / file.name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(text.data()),
              static_cast<std::streamsize>(text.size()));
  }
  UnloadCharsetTables();
  static const uint8_t kSample[] = {0x41, 0x00, 0xAC, 0x20, 0x00, 0x4E, 0xA4, 0x40, 0x82, 0xA0};
  if (file.family < 0) {
    Convert(CHARSET_CHINESETRADITIONAL, CHARSET_CHINESESIMPLIFIED, kSample, sizeof kSample,
            scratch.string());
  } else {
    Convert(CHARSET_UCS2, file.family, kSample, sizeof kSample, scratch.string());
    Convert(file.family, CHARSET_UCS2, kSample, sizeof kSample, scratch.string());
  }
  UnloadCharsetTables();
  return 0;
}
