// The two record walks that turn text atoms into output: one line per text in
// HTML mode, per-slide texts in XML mode.
#ifndef LUMEN_POWERPOINT_WALKS_H_
#define LUMEN_POWERPOINT_WALKS_H_

#include <cstdio>

#include "powerpoint/edits.h"
#include "powerpoint/records.h"
#include "powerpoint/settings.h"
#include "powerpoint/slides.h"

// Both walks read the live records of edits (see liveRecords). A text atom's text
// is converted to the output character set: 16-bit characters (TextCharsAtom) from
// UCS-2, 8-bit ones (TextBytesAtom) as the low bytes of UTF-16 units.

// Every TextCharsAtom and TextBytesAtom, in stream order, as one line: the text,
// left out when it begins with an entry of the stop list, with "<" and ">" written
// as "&lt;" and "&gt;" and apostrophes as double quotes; then "\n" in every case.
// 0, or -5 when a write fails.
int writeHtmlTexts(const PptStream& stream, const PptEdits& edits, const PptSettings& settings,
                   FILE* out);

// Gathers every text atom into the entry of its slide (see slides.h), tagged by the
// TextHeaderAtom before it in the same container: title texts into the title text,
// all others into the body text, each followed by "<BR>", the tag texts into the
// body text. Texts that follow a SlideAtom whose first two 32-bit values are equal
// are left out until the next SlideAtom.
void gatherXmlTexts(const PptStream& stream, const PptEdits& edits, const PptSettings& settings,
                    SlideState* state);

#endif  // LUMEN_POWERPOINT_WALKS_H_
