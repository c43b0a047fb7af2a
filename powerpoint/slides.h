// Which slide each text of a presentation belongs to, and the per-slide texts of
// the tagged output.
//
// The slides are the top-level Slide containers in stream order, numbered from 1,
// except title masters: a Slide container that the master list (instance 1 of the
// SlideListWithText records) names through the persist directory. Slide 0 gathers
// everything that belongs to no slide (masters, handout, document-level text); its
// texts are never written.
#ifndef LUMEN_POWERPOINT_SLIDES_H_
#define LUMEN_POWERPOINT_SLIDES_H_

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "powerpoint/edits.h"
#include "powerpoint/records.h"

struct PptSettings;

// Positions of top-level containers (streams are below 4 GiB) and what they
// belong to, in stream order.
using PositionList = std::vector<std::pair<uint32_t, uint32_t>>;

// Slide numbers of the stream's containers, built by one walk before the texts are
// gathered.
struct SlideMap {
  PositionList slideAt;  // top-level Slide containers: slide number, 0 for a title master
  PositionList notesAt;  // top-level Notes containers: slide number, 0 for none
  // Stream position of each persist id (kNoPosition: none). Persist ids have 20
  // bits, so this stays small.
  std::vector<uint32_t> persistOffsets;
};

// The number a sorted list gives the container at position, or 0.
uint32_t numberAt(const PositionList& list, uint64_t position);

// Builds the map from the top-level records a walk reaches (the live ones when
// edits holds a chain): the lists of the Document container, the SlideAtom of each
// Slide and the NotesAtom of each Notes; the persist directory is the live one of
// edits, or else that of every PersistDirectoryAtom in stream order.
void buildSlideMap(const PptStream& stream, const PptEdits& edits, SlideMap* map);

// The slide a SlidePersistAtom of a SlideListWithText stands for: instance 0 (the
// slides) through its persist id to a slide, instance 2 (the notes) through its
// persist id to the notes of a slide; when the id does not resolve, the ordinal
// (1-based) of the atom in its list. 0 for every other list.
uint32_t slideOfListEntry(const SlideMap& map, uint16_t listInstance, uint32_t persistId,
                          uint32_t ordinal);

struct SlideEntry {
  std::string body;   // tag texts, body, notes and text box texts
  std::string title;  // title texts
};

// The process-wide state of one conversion: the slide map, the per-slide texts and
// the skip flag that SlideAtom records set and clear. One conversion at a time.
struct SlideState {
  SlideMap map;
  std::map<uint32_t, SlideEntry> entries;  // by slide number
  bool skip = false;
};

// The state, reset to empty at the start of each conversion.
SlideState& pptSlideState();
void resetPptSlideState();

// The entry of a slide, made when missing; nullptr when create is false and the
// slide has none.
SlideEntry* slideEntry(SlideState* state, uint32_t slide, bool create);

// Writes every slide entry but slide 0's, in slide order: the slide tag, the title
// ("<title> text </title>") or "<B>Slide -  N </B>" with the slide number, then
// "<P>", the body text, "<P>" and the closing slide tag. False when a write fails.
bool writeSlides(const SlideState& state, const PptSettings& settings, FILE* out);

#endif  // LUMEN_POWERPOINT_SLIDES_H_
