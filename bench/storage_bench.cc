// Compound file reading: opening a 20 MB file and reading all of its streams, from
// the in-memory image and from the file, and reading one stream record by record;
// the HTML head of a hostile property set that spends the whole read budget.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "storage/compound_file.h"
#include "storage/properties.h"
#include "tests/cfb_writer.h"

namespace {

// About 20 MB of streams: four large ones in sectors, 500 small ones in the mini stream.
const std::string& Container() {
  static const std::string bytes = [] {
    std::vector<CfbStream> streams;
    for (int i = 0; i < 4; ++i) {
      streams.push_back(
          {"Large" + std::to_string(i), std::string(4750000, static_cast<char>('a' + i))});
    }
    for (int i = 0; i < 500; ++i) {
      streams.push_back({"Small" + std::to_string(i), std::string(2000, static_cast<char>(i))});
    }
    return BuildCompoundFile(streams);
  }();
  return bytes;
}

FILE* TempFile() {
  static FILE* file = OpenTempFileWith(Container());
  return file;
}

int64_t ReadAll(CompoundFile* compound, FILE* file, const std::string* image) {
  int64_t total = 0;
  for (uint32_t i = 0; i < compound->entryCount; ++i) {
    const CompoundEntry& e = compound->entries[i];
    if (e.kind != 2) continue;
    unsigned char* data =
        image ? ReadStreamRangeFromImage(compound, file, i, 0, e.size,
                                         reinterpret_cast<const unsigned char*>(image->data()),
                                         image->size())
              : ReadStreamRange(compound, file, i, 0, e.size);
    if (data == nullptr) std::abort();
    total += e.size;
    std::free(data);
  }
  return total;
}

void BM_Open(benchmark::State& state) {
  FILE* file = TempFile();
  for (auto _ : state) {
    CompoundFile* compound = OpenCompoundFile(file);
    if (compound == nullptr) std::abort();
    benchmark::DoNotOptimize(compound->tableCount);
    CloseCompoundFile(&compound);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * Container().size());
}
BENCHMARK(BM_Open);

void BM_OpenAndReadAllFromImage(benchmark::State& state) {
  FILE* file = TempFile();
  int64_t bytes = 0;
  for (auto _ : state) {
    CompoundFile* compound = OpenCompoundFile(file);
    bytes += ReadAll(compound, file, &Container());
    CloseCompoundFile(&compound);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_OpenAndReadAllFromImage);

void BM_OpenAndReadAllFromFile(benchmark::State& state) {
  FILE* file = TempFile();
  int64_t bytes = 0;
  for (auto _ : state) {
    CompoundFile* compound = OpenCompoundFile(file);
    bytes += ReadAll(compound, file, nullptr);
    CloseCompoundFile(&compound);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_OpenAndReadAllFromFile);

// A converter walking a record stream: many small reads, each after the last.
void BM_RecordByRecord(benchmark::State& state) {
  FILE* file = TempFile();
  const uint32_t record = static_cast<uint32_t>(state.range(0));
  int64_t bytes = 0;
  for (auto _ : state) {
    CompoundFile* compound = OpenCompoundFile(file);
    const uint32_t size = compound->entries[1].size;
    for (uint32_t at = 0; at + record <= size; at += record) {
      unsigned char* data = ReadStreamRange(compound, file, 1, at, record);
      if (data == nullptr) std::abort();
      std::free(data);
      bytes += record;
    }
    CloseCompoundFile(&compound);
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_RecordByRecord)->Arg(16)->Arg(200);

// A property-set stream of 21 MB made of empty 8-byte sections: the section walk
// makes two reads per 8 bytes until the read budget is spent. This is the worst
// case a host's time limit has to cover.
void BM_HeadOfEmptySections(benchmark::State& state) {
  static const std::string bytes = [] {
    std::string data(21u << 20, '\0');
    for (size_t i = 0; i < data.size(); i += 8) data[i] = 8;
    return BuildCompoundFile({{"SummaryInformation", data, true}});
  }();
  static FILE* file = OpenTempFileWith(bytes);
  FILE* out = std::tmpfile();
  for (auto _ : state) {
    CompoundFile* compound = OpenCompoundFile(file);
    if (compound == nullptr) std::abort();
    std::rewind(out);
    std::free(WriteHtmlHead(compound, file, out, "in.doc", CHARSET_UTF8));
    CloseCompoundFile(&compound);
  }
  std::fclose(out);
}
BENCHMARK(BM_HeadOfEmptySections)->Unit(benchmark::kMillisecond);

}  // namespace
