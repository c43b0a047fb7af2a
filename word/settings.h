// WordSettings: the keys of the converter's section, read by wordSetUp and shared
// by every conversion until wordTearDown.
#ifndef LUMEN_WORD_SETTINGS_H_
#define LUMEN_WORD_SETTINGS_H_

#include <memory>
#include <string>
#include <vector>

#include "charset/charset.h"
#include "charset/convert.h"
#include "word/rename_map.h"

struct ConfigFile;

extern const char kWordDefaultXmlHeader[];  // "\n<document>\n"
extern const char kWordDefaultXmlFooter[];  // "\n</document>\n"

struct WordSettings {
  CharsetId outputCharset = CHARSET_ASCII;     // OutputCharSet ("ASCII"); 0 when empty
  CharsetId fileNameCharset = CHARSET_ASCII;   // FileNameFromCharSet (the OutputCharSet text)
  std::string xmlHeader;                       // contents of the XMLHeaderFile file
  bool formatTables = false;                   // FormatTables
  std::string tablesDirectory;                 // CharsetConvTablesDirectory (".")
  bool breakTables = false;                    // BreakTables
  bool reverseEndian = false;                  // ReverseEndian; also set by the head
  std::vector<std::string> sameExtensionList;  // TrelConvertSameExtentsionHeaderCSVs
  bool outputXml = false;                      // OutputXML
  std::unique_ptr<StyleRenameMap> renameMap;   // built from XMLRenameStyleFile
  bool hasRenameDefault = false;               // XMLRenameStyleDefault is set
  std::string renameDefault;
  std::string xmlFooter;                   // XMLFooter
  CharsetContext context = {nullptr, -1};  // tablesDirectory, hint -1

  // The context of every conversion of text in the body.
  const CharsetContext* charsetContext() {
    context.tablesDirectory = tablesDirectory.data();
    return &context;
  }
};

// Reads the keys of `section` (falling back to "Default") in this order:
// OutputCharSet, FileNameFromCharSet, XMLHeaderFile, FormatTables,
// CharsetConvTablesDirectory, BreakTables, ReverseEndian,
// TrelConvertSameExtentsionHeaderCSVs, OutputXML, XMLRenameStyleFile,
// XMLRenameStyleDefault, XMLFooter. A character set name that is not known gives
// -1; an empty one ASCII.
void readWordSettings(ConfigFile* config, const char* section, WordSettings* settings);

// The process-wide settings: nullptr until wordSetUp, and after wordTearDown.
WordSettings* currentWordSettings();

#endif  // LUMEN_WORD_SETTINGS_H_
