// Micro-benchmarks of the character set tables and conversions.
//
// The shipped tables are found next to this source file, or in the directory
// named by the environment variable LUMEN_TABLES.

#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

#include "charset/charset.h"
#include "charset/convert.h"

namespace {

std::string TablesDirectory() {
  const char* override = std::getenv("LUMEN_TABLES");
  if (override != nullptr && *override != '\0') return override;
  std::string source = __FILE__;
  size_t bench = source.rfind("/bench/");
  return (bench == std::string::npos ? std::string(".") : source.substr(0, bench)) + "/tables";
}

// About 1 MB of UCS-2: English, accented Latin, Greek, Japanese and a few
// characters that ASCII output writes as references.
std::string MixedText() {
  const char16_t piece[] =
      u"The quick brown fox jumps over the lazy dog. Grüße aus Köln, café crème. "
      u"Ελληνικά γράμματα. 日本語のテキストと カタカナ。 “quotes” – dash € 一二三 ";
  std::string bytes;
  while (bytes.size() < (1u << 20)) {
    for (const char16_t* p = piece; *p != 0; ++p) {
      bytes += static_cast<char>(*p & 0xFF);
      bytes += static_cast<char>(*p >> 8);
    }
  }
  return bytes;
}

void BM_LoadAsciiFamily(benchmark::State& state) {
  std::string dir = TablesDirectory();
  for (auto _ : state) {
    UnloadCharsetTables();  // the entity set is read again too
    if (LoadCharsetTables(CHARSET_ASCII, dir.c_str()) != 0) state.SkipWithError("no tables");
    benchmark::DoNotOptimize(EntitySet());  // read at its first use
  }
}
BENCHMARK(BM_LoadAsciiFamily)->Unit(benchmark::kMicrosecond);

void BM_LoadDoubleByteFamily(benchmark::State& state) {
  std::string dir = TablesDirectory();
  CharsetId family = static_cast<CharsetId>(state.range(0));
  EnsureCharsetTables(CHARSET_ASCII, dir.c_str());  // entity set loaded once, outside
  for (auto _ : state) {
    if (LoadCharsetTables(family, dir.c_str()) != 0) state.SkipWithError("no tables");
  }
}
BENCHMARK(BM_LoadDoubleByteFamily)
    ->Arg(CHARSET_CHINESESIMPLIFIED)
    ->Arg(CHARSET_CHINESETRADITIONAL)
    ->Arg(CHARSET_KOREAN)
    ->Arg(CHARSET_SHIFTJIS)
    ->Unit(benchmark::kMicrosecond);

void BM_ConvertUcs2(benchmark::State& state) {
  static const std::string text = MixedText();
  std::string dir = TablesDirectory();
  CharsetContext context = {dir.data(), -1};
  CharsetId target = static_cast<CharsetId>(state.range(0));
  for (auto _ : state) {
    char* output = nullptr;
    int32_t length = 0;
    int status = ConvertCharset(CHARSET_UCS2, target, text.data(),
                                static_cast<int32_t>(text.size()), &output, &length, &context);
    if (status != 0) state.SkipWithError("conversion failed");
    benchmark::DoNotOptimize(output);
    std::free(output);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ConvertUcs2)
    ->Arg(CHARSET_ASCII)
    ->Arg(CHARSET_WESTERNEUROPEAN)
    ->Arg(CHARSET_UTF8)
    ->Arg(CHARSET_SHIFTJIS)
    ->Arg(CHARSET_EUC)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
