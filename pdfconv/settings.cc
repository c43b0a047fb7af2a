#include "pdfconv/settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "config/settings_keys.h"

namespace {

int pageLimit(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || errno != 0 || value <= 0 || value > INT_MAX) {
    return kPdfDefaultMaxPages;
  }
  return static_cast<int>(value);
}

// An empty page path counts as not set, as for the program's own error pages.
void readPage(ConfigFile* config, const char* key, std::string* page) {
  std::string value = settingPath(config, "Configuration", key, page->c_str());
  if (!value.empty()) *page = value;
}

}  // namespace

void readPdfSettings(ConfigFile* config, const char* section, PdfSettings* settings) {
  if (config == nullptr) return;
  CharsetId charset =
      CharsetIdFromName(settingString(config, section, "OutputCharSet", "UTF8").c_str());
  if (charset >= 0 && charset < CHARSET_COUNT) settings->outputCharset = charset;
  settings->tablesDirectory = settingPath(config, section, "CharsetConvTablesDirectory", ".");
  settings->outputXml = settingFlag(config, section, "OutputXML", 0);
  settingFileText(config, section, "XMLHeaderFile", &settings->xmlHeader);
  settings->xmlFooter =
      settingString(config, section, "XMLFooter", settings->xmlFooter.c_str());
  settings->maxPages = pageLimit(settingString(config, section, "MaxPages", ""));
  readPage(config, "HTMLError4", &settings->notPdfPage);
  readPage(config, "HTMLError5", &settings->unreadablePage);
  readPage(config, "HTMLError6", &settings->encryptedPage);
}
