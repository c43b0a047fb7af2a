#include "excel/settings.h"

#include <cstdlib>
#include <cstring>

#include "config/settings_keys.h"

const char kExcelDefaultXmlHeader[] = "<Docuemnt>\n<Content>\n";
const char kExcelDefaultXmlFooter[] = "\n<//content>\n</Document>\n";

namespace {

CharsetId charsetOf(const std::string& name) {
  return name.empty() ? CHARSET_ASCII : CharsetIdFromName(name.c_str());
}

}  // namespace

void readExcelSettings(ConfigFile* config, const char* section, ExcelSettings* settings) {
  std::string outputName = settingString(config, section, "OutputCharSet", "ASCII");
  settings->outputCharset = charsetOf(outputName);
  settings->fileNameCharset =
      charsetOf(settingString(config, section, "FileNameFromCharSet", outputName.c_str()));

  settings->tablesDirectory = settingPath(config, section, "CharsetConvTablesDirectory", ".");

  settings->includeHeaderAndFooter = settingFlag(config, section, "IncludeHeaderAndFooter", 1);
  settings->outputXml = settingFlag(config, section, "OutputXML", 0);

  settings->xmlHeader = kExcelDefaultXmlHeader;
  settingFileText(config, section, "XMLHeaderFile", &settings->xmlHeader);

  settings->xmlFooter = settingString(config, section, "XMLFooter", kExcelDefaultXmlFooter);
}
