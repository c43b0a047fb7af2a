#include <cstdio>
#include <cstdlib>

#include "config/settings_keys.h"
#include "excel/excel.h"
#include "excel/output.h"
#include "excel/records.h"
#include "excel/settings.h"
#include "excel/stream.h"
#include "excel/workbook.h"
#include "storage/compound_file.h"
#include "util/files.h"
#include "util/memory.h"

namespace {

constexpr int kNoInput = -1;
constexpr int kNotCompound = -4;
constexpr int kNoOutput = -5;
constexpr int kNoConfig = -7;
constexpr int kNoWorkbook = -8;

int runWalk(const ExcelSettings& settings, CompoundFile* compound, FILE* input, uint32_t entry,
            const char* inputPath, const char* outputPath) {
  FilePtr outputFile(openFile(outputPath, "w+b"));
  if (!outputFile) return kNoOutput;
  int result;
  {
    ExcelOutput output(outputFile.get());
    ExcelState state(&settings, &output);
    writeDocumentStart(&state, compound, input, inputPath);

    uint64_t fileSize = static_cast<uint64_t>(fileSizeByName(inputPath));
    WorkbookStream stream(compound, input, entry);

    result = walkWorkbook(&state, &stream, fileSize);
    writeDocumentEnd(&state);
  }
  return result;
}

}  // namespace

int convertExcel(const char* inputPath, const char* outputPath, const char* configPath,
                 const char* section) {
  FilePtr input(openFile(inputPath, "rb"));

  ConfigFile* loaded = nullptr;
  if (configLoad(&loaded, configPath, 0) != 0) return kNoConfig;
  ConfigPtr config(loaded);
  ExcelSettings settings;
  readExcelSettings(config.get(), section, &settings);

  if (!input) return kNoInput;
  return convertExcelStream(settings, input.get(), inputPath, outputPath);
}

int convertExcelStream(const ExcelSettings& settings, FILE* input, const char* inputPath,
                       const char* outputPath) {
  CompoundPtr compound(OpenCompoundFile(input));
  if (!compound) return kNotCompound;
  if (compound->entryCount == 0) return kNoWorkbook;
  // "WorkBook" (BIFF8) or "Book" (BIFF5), any case; one directly in the root wins.
  int32_t entry = FindContentStream(compound.get(), "WorkBook", "Book");
  if (entry < 0) return kNoWorkbook;

  return runWalk(settings, compound.get(), input, static_cast<uint32_t>(entry), inputPath,
                 outputPath);
}
