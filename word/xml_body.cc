#include "word/xml_body.h"

#include <cstring>

#include "util/memory.h"
#include "word/html_body.h"
#include "word/text_writer.h"

namespace {

constexpr char kUnknownStyle[] = "text-unknown";

const char* tagOf(const ParagraphRun& run, const StyleNames& names) {
  if (run.style < names.size() && names[run.style]) return names[run.style]->c_str();
  return kUnknownStyle;
}

void addElement(WordSettings* settings, const unsigned char* bytes, size_t length, bool wide,
                const NarrowText& narrow, size_t run, std::vector<TextElement>* elements) {
  if (length == 0) return;
  TextElement element{std::string(), run};
  if (wide) {
    size_t convertedLength = 0;
    CharPtr converted(convertWideText(settings, bytes, length, &convertedLength));
    if (converted) element.text.assign(converted.get(), convertedLength);
  } else {
    const void* zero = std::memchr(bytes, 0, length);
    size_t kept =
        zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - bytes) : length;
    appendNarrowText(settings, bytes, kept, narrow, &element.text);
  }
  if (!element.text.empty()) elements->push_back(std::move(element));
}

// A field's instructions (field begin through separator, first field only) become
// spaces; the remaining control characters become spaces too.
void blankControls(std::string* text) {
  size_t begin = text->find('\x13');
  if (begin != std::string::npos) {
    size_t separator = text->find('\x14', begin);
    if (separator != std::string::npos) {
      std::memset(&(*text)[begin], ' ', separator - begin + 1);
    }
  }
  for (char& c : *text) {
    if (c == 13 || c == 7 || c == 12 || c == 19 || c == 21 || c == 20) c = ' ';
  }
}

void writeSimpleForm(WordSettings* settings, CompoundFile* compound, FILE* input,
                     uint32_t documentEntry, FILE* out, const std::vector<WordPiece>& pieces,
                     const NarrowCoding* coding) {
  for (const WordPiece& piece : pieces) {
    size_t length = 0;
    MallocPtr<unsigned char> bytes(readPieceBytes(compound, input, documentEntry, piece, &length));
    if (!bytes) continue;
    std::fputs("<P>", out);
    if (piece.wide) {
      size_t convertedLength = 0;
      CharPtr converted(convertWideText(settings, bytes.get(), length, &convertedLength));
      if (converted) std::fwrite(converted.get(), 1, convertedLength, out);
    } else {
      std::string text;
      appendNarrowText(settings, bytes.get(), length, NarrowText{coding, piece.offset}, &text);
      std::fwrite(text.data(), 1, text.size(), out);
    }
    std::fputs("</P>", out);
  }
}

}  // namespace

void openStyleTag(FILE* out, const ParagraphRun& run, const StyleNames& names) {
  std::fprintf(out, "\n<%s>\n", tagOf(run, names));
}

void closeStyleTag(FILE* out, const ParagraphRun& run, const StyleNames& names) {
  std::fprintf(out, "\n</%s>\n", tagOf(run, names));
}

void cutPiece(WordSettings* settings, const std::vector<ParagraphRun>& runs, const WordPiece& piece,
              const unsigned char* bytes, size_t length, std::vector<TextElement>* elements,
              const NarrowCoding* coding) {
  auto from = [&](size_t pos) { return NarrowText{coding, uint64_t{piece.offset} + pos}; };
  if (runs.empty() || runs.front().start > piece.offset) return;
  size_t run = 0;
  while (run + 1 < runs.size() && runs[run + 1].start <= piece.offset) ++run;
  const uint64_t pieceEnd = static_cast<uint64_t>(piece.offset) + length;
  if (runs[run].end >= pieceEnd) {
    addElement(settings, bytes, length, piece.wide, from(0), run, elements);
    return;
  }
  size_t pos = 0;
  while (pos < length && run < runs.size()) {
    // A run that ends at or before the cut point adds nothing; the text left when
    // the runs are used up belongs to the last one.
    const uint64_t runEnd = runs[run].end;
    size_t end;
    if (run + 1 == runs.size() || runEnd >= pieceEnd) {
      end = length;
    } else if (runEnd <= piece.offset + static_cast<uint64_t>(pos)) {
      end = pos;
    } else {
      end = static_cast<size_t>(runEnd - piece.offset);
    }
    if (end > pos) {
      addElement(settings, bytes + pos, end - pos, piece.wide, from(pos), run, elements);
      pos = end;
    }
    ++run;
  }
}

int writeWordXml(WordSettings* settings, CompoundFile* compound, FILE* input,
                 uint32_t documentEntry, FILE* out, const std::vector<ParagraphRun>& runs,
                 const std::vector<WordPiece>& pieces, const StyleNames& names,
                 const NarrowCoding* coding) {
  if (runs.empty()) {
    writeSimpleForm(settings, compound, input, documentEntry, out, pieces, coding);
    return 0;
  }
  std::vector<TextElement> elements;
  for (const WordPiece& piece : pieces) {
    size_t length = 0;
    MallocPtr<unsigned char> bytes(readPieceBytes(compound, input, documentEntry, piece, &length));
    if (!bytes) continue;
    cutPiece(settings, runs, piece, bytes.get(), length, &elements, coding);
  }
  if (!elements.empty()) {
    bool opened = false;
    size_t previous = elements.front().run;
    for (TextElement& element : elements) {
      if (element.run != previous) {
        closeStyleTag(out, runs[previous], names);
        openStyleTag(out, runs[element.run], names);
        opened = true;
      } else if (!opened) {
        openStyleTag(out, runs[element.run], names);
        opened = true;
      }
      previous = element.run;
      blankControls(&element.text);
      std::fwrite(element.text.data(), 1, element.text.size(), out);
    }
    closeStyleTag(out, runs[previous], names);
  }
  std::fputs(settings->xmlFooter.c_str(), out);
  return 0;
}
