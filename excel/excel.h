// The Excel converter: turns a workbook (.XLS, BIFF5 "Book" or BIFF8 "Workbook"
// stream of a compound file) into a flat HTML text dump or a tagged table per sheet.
#ifndef LUMEN_EXCEL_EXCEL_H_
#define LUMEN_EXCEL_EXCEL_H_

#include <cstdio>

struct ExcelSettings;

// Converts inputPath into outputPath with the keys of `section` in configPath.
// Returns 0, or: -1 input cannot be opened (or an unknown character set name is
// configured and passed on by the conversion), -4 not a compound file, -5 output
// cannot be created, -6 the workbook is encrypted (FILEPASS), -7 configuration
// cannot be loaded, -8 no entries or no "Workbook"/"Book" stream.
int convertExcel(const char* inputPath, const char* outputPath, const char* configPath,
                 const char* section);

// The conversion of convertExcel once the settings are read and the input is
// open: input is the workbook opened for binary reading, and inputPath names the
// file holding the same bytes (the head shows the name, the size is taken from
// it). convertExcel is this on the file it opens; a fuzz target calls it on a
// stream in memory with settings it reads once.
int convertExcelStream(const ExcelSettings& settings, FILE* input, const char* inputPath,
                       const char* outputPath);

#endif  // LUMEN_EXCEL_EXCEL_H_
