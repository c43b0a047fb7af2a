// PdfSettings: the plug-in's keys, read once per conversion from its section
// (falling back to "Default") and the error pages of section "Configuration".
#ifndef LUMEN_PDFCONV_SETTINGS_H_
#define LUMEN_PDFCONV_SETTINGS_H_

#include <string>

#include "charset/charset.h"

struct ConfigFile;

constexpr int kPdfDefaultMaxPages = 500;

struct PdfSettings {
  CharsetId outputCharset = CHARSET_UTF8;  // OutputCharSet ("UTF8"; unknown names too)
  std::string tablesDirectory = ".";       // CharsetConvTablesDirectory
  bool outputXml = false;                  // OutputXML
  std::string xmlHeader = "\n<document>\n";  // the text of the XMLHeaderFile file
  std::string xmlFooter = "\n</document>\n";  // XMLFooter
  int maxPages = kPdfDefaultMaxPages;      // MaxPages; 0, negative or not a number: default
  std::string notPdfPage = "Error4.html";     // Configuration/HTMLError4
  std::string unreadablePage = "Error5.html";  // Configuration/HTMLError5
  std::string encryptedPage = "Error6.html";   // Configuration/HTMLError6
};

// Reads the settings; a missing configuration (nullptr) leaves the defaults.
void readPdfSettings(ConfigFile* config, const char* section, PdfSettings* settings);

#endif  // LUMEN_PDFCONV_SETTINGS_H_
