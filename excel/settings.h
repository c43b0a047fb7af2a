// ExcelSettings: the converter's keys, read once per conversion.
#ifndef LUMEN_EXCEL_SETTINGS_H_
#define LUMEN_EXCEL_SETTINGS_H_

#include <string>

#include "charset/charset.h"

struct ConfigFile;

extern const char kExcelDefaultXmlHeader[];  // "<Docuemnt>\n<Content>\n"
extern const char kExcelDefaultXmlFooter[];  // "\n<//content>\n</Document>\n"

struct ExcelSettings {
  CharsetId outputCharset = CHARSET_ASCII;    // OutputCharSet ("ASCII"); 0 when empty
  CharsetId fileNameCharset = CHARSET_ASCII;  // FileNameFromCharSet (the OutputCharSet text)
  std::string tablesDirectory;                // CharsetConvTablesDirectory (".")
  bool includeHeaderAndFooter = true;         // IncludeHeaderAndFooter (true)
  bool outputXml = false;                     // OutputXML (false)
  std::string xmlHeader;                      // contents of the XMLHeaderFile file
  std::string xmlFooter;                      // XMLFooter
};

// Reads the seven keys of `section` (falling back to "Default") in this order:
// OutputCharSet, FileNameFromCharSet, CharsetConvTablesDirectory,
// IncludeHeaderAndFooter, OutputXML, XMLHeaderFile, XMLFooter. A character set
// name that is not known gives -1. The XML header is the whole text of the file
// XMLHeaderFile names (up to its first 0 byte); the default header text when the
// key is absent or the file cannot be opened.
void readExcelSettings(ConfigFile* config, const char* section, ExcelSettings* settings);

#endif  // LUMEN_EXCEL_SETTINGS_H_
