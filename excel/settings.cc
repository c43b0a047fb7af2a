#include "excel/settings.h"

#include <cstdlib>
#include <cstring>

#include "config/config.h"
#include "util/files.h"
#include "util/grow_buffer.h"
#include "util/memory.h"

const char kExcelDefaultXmlHeader[] = "<Docuemnt>\n<Content>\n";
const char kExcelDefaultXmlFooter[] = "\n<//content>\n</Document>\n";

namespace {

std::string getString(ConfigFile* config, const char* section, const char* key,
                      const char* defaultValue, bool* found = nullptr) {
  char* value = nullptr;
  configGetString(config, section, key, &value, defaultValue);
  CharPtr owner(value);
  if (found != nullptr) *found = value != nullptr;
  return value != nullptr ? std::string(value) : std::string();
}

bool getBool(ConfigFile* config, const char* section, const char* key, int defaultValue) {
  int value = defaultValue;
  configGetBool(config, section, key, &value, defaultValue);
  return value != 0;
}

CharsetId charsetOf(const std::string& name) {
  return name.empty() ? CHARSET_ASCII : CharsetIdFromName(name.c_str());
}

}  // namespace

void readExcelSettings(ConfigFile* config, const char* section, ExcelSettings* settings) {
  std::string outputName = getString(config, section, "OutputCharSet", "ASCII");
  settings->outputCharset = charsetOf(outputName);
  settings->fileNameCharset =
      charsetOf(getString(config, section, "FileNameFromCharSet", outputName.c_str()));

  std::string tables = getString(config, section, "CharsetConvTablesDirectory", ".");
  toNativeSeparators(tables.data());
  settings->tablesDirectory = tables;

  settings->includeHeaderAndFooter = getBool(config, section, "IncludeHeaderAndFooter", 1);
  settings->outputXml = getBool(config, section, "OutputXML", 0);

  settings->xmlHeader = kExcelDefaultXmlHeader;
  bool haveHeaderFile = false;
  std::string headerPath = getString(config, section, "XMLHeaderFile", nullptr, &haveHeaderFile);
  if (haveHeaderFile) {
    toNativeSeparators(headerPath.data());
    if (fileExists(headerPath.c_str()) == 0) {
      GrowBuffer* buffer = growBufferReadFile(headerPath.c_str());
      if (buffer != nullptr) {
        CharPtr text(growBufferDetach(buffer));
        if (text) settings->xmlHeader = text.get();
      }
    }
  }

  settings->xmlFooter = getString(config, section, "XMLFooter", kExcelDefaultXmlFooter);
}
