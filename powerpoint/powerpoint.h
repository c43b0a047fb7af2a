// The PowerPoint converter: turns a presentation (.PPT, the "PowerPoint Document"
// stream of a compound file, or a plain "Text_Content" stream) into one line of
// HTML per text, or a tagged text with one element per slide.
#ifndef LUMEN_POWERPOINT_POWERPOINT_H_
#define LUMEN_POWERPOINT_POWERPOINT_H_

#include <cstdio>

struct PptSettings;

// Converts inputPath into outputPath with the keys of `section` in configPath.
// Returns 0, or: -1 input cannot be opened (or an unknown character set name is
// configured and passed on by the conversion), -4 not a compound file, -5 output
// cannot be created, a text line cannot be written, or a "Text_Content" stream
// starts at sector 0, -6 the presentation is encrypted, -7 configuration cannot be loaded, -8 neither a
// "PowerPoint Document" nor a "Text_Content" stream.
int convertPowerPoint(const char* inputPath, const char* outputPath, const char* configPath,
                      const char* section);

// The conversion of convertPowerPoint once the settings are read and the input is
// open: input is the presentation opened for binary reading, and inputPath names
// the file holding the same bytes (the head shows the name). convertPowerPoint is
// this on the file it opens; a fuzz target calls it on a stream in memory with
// settings it reads once.
int convertPowerPointStream(const PptSettings& settings, FILE* input, const char* inputPath,
                            const char* outputPath);

#endif  // LUMEN_POWERPOINT_POWERPOINT_H_
