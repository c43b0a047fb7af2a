// PptSettings: the converter's keys and its stop list, read once per conversion.
#ifndef LUMEN_POWERPOINT_SETTINGS_H_
#define LUMEN_POWERPOINT_SETTINGS_H_

#include <string>
#include <string_view>
#include <vector>

#include "charset/charset.h"
#include "util/memory.h"

struct ConfigFile;

// The lines of a stop list file; they point into its text, which the list keeps.
struct StopList {
  CharPtr text;
  std::vector<std::string_view> lines;
};

struct PptSettings {
  std::string tablesDirectory;                // CharsetConvTablesDirectory (".")
  CharsetId outputCharset = CHARSET_ASCII;    // OutputCharSet ("ASCII"); 0 when empty
  CharsetId fileNameCharset = CHARSET_ASCII;  // FileNameFromCharSet (the OutputCharSet text)
  StopList stopList;                          // the StopList file ("pptconv.dat")
  bool outputXml = false;                     // OutputXML (false)
  // Read only in XML mode.
  std::string documentTag = "document";  // DocumentTag
  std::string slideTag = "slide";        // SlideTag
  std::string bodyTag = "body";          // BodyTag
  std::string titleTag = "title";        // TitleTag
  std::string notesTag = "notes";        // NotesTag
  std::string textBoxTag = "textbox";    // TextBoxTag
  std::string xmlFooter;                 // XMLFooter (none)
  std::string xmlHeader;                 // whole text of the XMLHeaderFile file (none)
};

// Reads the keys of `section` (falling back to "Default") in this order:
// OutputCharSet, FileNameFromCharSet, StopList, CharsetConvTablesDirectory,
// OutputXML and, in XML mode only, DocumentTag, SlideTag, BodyTag, TitleTag,
// NotesTag, TextBoxTag, XMLFooter, XMLHeaderFile. A character set name that is not
// known gives -1. Then loads the stop list (see readStopList).
void readPptSettings(ConfigFile* config, const char* section, PptSettings* settings);

// The lines of the file at path, in file order, empty ones included; nothing when
// it cannot be opened. A line is read up to its line feed and at most 1023 bytes
// (a longer one goes on as the next line), and ends at its first 0 byte. Of a line
// read, the last byte is cut when it is a line feed or carriage return, and so,
// independently, is the byte before it; cutting the one before also drops the last.
StopList readStopList(const char* path);

#endif  // LUMEN_POWERPOINT_SETTINGS_H_
