#include "powerpoint/settings.h"

#include <cstring>

#include "config/settings_keys.h"
#include "util/files.h"

namespace {

CharsetId charsetOf(const std::string& name) {
  return name.empty() ? CHARSET_ASCII : CharsetIdFromName(name.c_str());
}

bool isLineEnd(char c) { return c == '\n' || c == '\r'; }

}  // namespace

std::vector<std::string> readStopList(const char* path) {
  std::vector<std::string> lines;
  FilePtr file(openFile(path, "rb"));
  if (!file) return lines;
  char line[1024];
  while (std::fgets(line, sizeof line, file.get()) != nullptr) {
    size_t length = std::strlen(line);
    if (length > 0) {
      const bool cutLast = isLineEnd(line[length - 1]);
      const bool cutBefore = length >= 2 && isLineEnd(line[length - 2]);
      if (cutLast) line[length - 1] = '\0';
      if (cutBefore) line[length - 2] = '\0';
    }
    lines.emplace_back(line);
  }
  return lines;
}

void readPptSettings(ConfigFile* config, const char* section, PptSettings* settings) {
  std::string outputName = settingString(config, section, "OutputCharSet", "ASCII");
  settings->outputCharset = charsetOf(outputName);
  settings->fileNameCharset =
      charsetOf(settingString(config, section, "FileNameFromCharSet", outputName.c_str()));
  bool hasStopList = false;
  std::string stopListPath = settingPath(config, section, "StopList", "pptconv.dat", &hasStopList);
  settings->tablesDirectory = settingPath(config, section, "CharsetConvTablesDirectory", ".");
  settings->outputXml = settingFlag(config, section, "OutputXML", 0);

  if (settings->outputXml) {
    settings->documentTag = settingString(config, section, "DocumentTag", "document");
    settings->slideTag = settingString(config, section, "SlideTag", "slide");
    settings->bodyTag = settingString(config, section, "BodyTag", "body");
    settings->titleTag = settingString(config, section, "TitleTag", "title");
    settings->notesTag = settingString(config, section, "NotesTag", "notes");
    settings->textBoxTag = settingString(config, section, "TextBoxTag", "textbox");
    settings->xmlFooter = settingString(config, section, "XMLFooter", nullptr);
    settingFileText(config, section, "XMLHeaderFile", &settings->xmlHeader);
  }

  if (hasStopList && !stopListPath.empty()) settings->stopList = readStopList(stopListPath.c_str());
}
