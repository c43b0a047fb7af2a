#include "tests/word_writer.h"

#include <algorithm>

namespace {

constexpr size_t kPage = 512;
constexpr size_t kRunsPerPage = 20;
constexpr uint16_t kStyleFixedSize = 10;

void Put(std::string* bytes, size_t offset, const std::string& value) {
  if (bytes->size() < offset + value.size()) bytes->resize(offset + value.size(), '\0');
  bytes->replace(offset, value.size(), value);
}

void PadTo(std::string* bytes, size_t multiple) {
  bytes->resize((bytes->size() + multiple - 1) / multiple * multiple, '\0');
}

// Stylesheet: header size, a header holding the style count and the fixed-part
// size, then per style its size, fixed part, counted name and a 0 unit.
std::string Stylesheet(const std::vector<WordStyle>& styles) {
  std::string header = LeU16(static_cast<uint16_t>(styles.size())) + LeU16(kStyleFixedSize) +
                       std::string(14, '\0');
  std::string out = LeU16(static_cast<uint16_t>(header.size())) + header;
  for (const WordStyle& style : styles) {
    std::string body;
    if (!style.empty) {
      uint16_t count = style.countOverride >= 0 ? static_cast<uint16_t>(style.countOverride)
                                                : static_cast<uint16_t>(style.name.size());
      body = std::string(kStyleFixedSize, '\0') + LeU16(count);
      for (char16_t c : style.name) body += LeU16(c);
      body += LeU16(0);
    }
    uint16_t size = style.sizeOverride >= 0 ? static_cast<uint16_t>(style.sizeOverride)
                                            : static_cast<uint16_t>(body.size());
    out += LeU16(size) + body;
  }
  return out;
}

// One 512-byte page of paragraph runs: run count + 1 file positions, one 13-byte
// entry per run (its first byte the word offset of its property entry), the
// property entries packed from the end, and the run count in the last byte.
std::string ParagraphPage(const std::vector<WordParagraphRun>& runs, bool zeroCountForm) {
  std::string page(kPage, '\0');
  size_t at = 0;
  for (const WordParagraphRun& run : runs) Put(&page, (at++) * 4, LeU32(run.start));
  Put(&page, at * 4, LeU32(runs.back().end));
  size_t entries = (runs.size() + 1) * 4;
  size_t top = kPage - 1;
  for (size_t i = 0; i < runs.size(); ++i) {
    // Count 2 gives 3 bytes of properties (the style and one spare byte); the
    // other form spells the count of 16-bit units in a second byte.
    std::string entry = zeroCountForm ? std::string(1, '\0') + "\x01" + LeU16(runs[i].style)
                                      : "\x02" + LeU16(runs[i].style) + std::string(1, '\0');
    top = (top - entry.size()) & ~size_t{1};
    Put(&page, top, entry);
    page[entries + 13 * i] = static_cast<char>(top / 2);
  }
  page[kPage - 1] = static_cast<char>(runs.size());
  return page;
}

// A Word 6/95 font table: total size, then per font its size - 1, flags, weight,
// character set, alternate name offset and a name.
std::string FontTable(const std::vector<uint8_t>& charsets) {
  std::string fonts;
  for (size_t i = 0; i < charsets.size(); ++i) {
    std::string name = "Font" + std::to_string(i) + std::string(1, '\0');
    std::string entry = std::string(1, '\x16') + LeU16(400) +
                        std::string(1, static_cast<char>(charsets[i])) + std::string(1, '\0') +
                        name;
    fonts += std::string(1, static_cast<char>(entry.size())) + entry;
  }
  return LeU16(static_cast<uint16_t>(fonts.size() + 2)) + fonts;
}

// One 512-byte Word 6/95 character-property page: run count + 1 file positions,
// one word offset per run, the property lists (length byte, then sprm 93 and the
// font) packed from the end, and the run count in the last byte.
std::string CharacterPage(const std::vector<WordFontRun>& runs, const WordDescription& d) {
  std::string page(kPage, '\0');
  for (size_t i = 0; i < runs.size(); ++i) {
    Put(&page, 4 * i, LeU32(WordTextOffset(d, runs[i].piece, runs[i].start)));
  }
  Put(&page, 4 * runs.size(), LeU32(WordTextOffset(d, runs.back().piece, runs.back().end)));
  size_t offsets = 4 * (runs.size() + 1);
  size_t top = kPage - 1;
  for (size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].font < 0) continue;
    std::string list = "\x03\x5d" + LeU16(static_cast<uint16_t>(runs[i].font));
    top = (top - list.size()) & ~size_t{1};
    Put(&page, top, list);
    page[offsets + i] = static_cast<char>(top / 2);
  }
  page[kPage - 1] = static_cast<char>(runs.size());
  return page;
}

}  // namespace

uint32_t WordTextOffset(const WordDescription& description, size_t piece, uint32_t at) {
  uint32_t offset = kWordTextStart;
  for (size_t i = 0; i < piece && i < description.pieces.size(); ++i) {
    offset += static_cast<uint32_t>(description.pieces[i].bytes.size());
  }
  return offset + at;
}

WordStreamBytes BuildWordStreams(const WordDescription& d) {
  WordStreamBytes out;
  std::string& doc = out.document;
  doc.assign(kWordTextStart, '\0');
  PokeU16(&doc, 0, 0xA5EC);
  PokeU16(&doc, 2, d.word6 ? 101 : 0x00C1);
  if (d.word6) PokeU16(&doc, 6, 0x0409);  // the language id: US English
  PokeU16(&doc, kFibFlags, d.flags);
  doc[0x13] = static_cast<char>(d.byte13);

  for (const WordPieceText& piece : d.pieces) {
    out.textOffsets.push_back(static_cast<uint32_t>(doc.size()));
    doc += piece.bytes;
  }
  std::vector<size_t> order = d.pieceOrder;
  if (order.empty()) {
    for (size_t i = 0; i < d.pieces.size(); ++i) order.push_back(i);
  }
  uint32_t characters = 0;
  std::vector<uint32_t> positions{0};
  for (size_t i : order) {
    const WordPieceText& piece = d.pieces[i];
    characters += static_cast<uint32_t>(piece.bytes.size() / (piece.sixteenBit ? 2 : 1));
    positions.push_back(characters);
  }
  PokeU32(&doc, kFibTextStart, kWordTextStart);
  PokeU32(&doc, kFibTextEnd, static_cast<uint32_t>(doc.size()));
  PokeU32(&doc, 0x4C, characters);

  std::string& table = out.table;
  auto place = [&](size_t fibField, const std::string& part) {
    PokeU32(&doc, fibField, static_cast<uint32_t>(table.size()));
    PokeU32(&doc, fibField + 4, static_cast<uint32_t>(part.size()));
    table += part;
  };
  if (!d.styles.empty()) {
    out.stylesheet = static_cast<uint32_t>(table.size());
    place(kFibStylesheet, Stylesheet(d.styles));
  }

  std::string clx;
  if (d.clxPropertyBlock) clx += std::string(1, '\x01') + LeU16(3) + "\x01\x02\x03";
  std::string plex;
  for (uint32_t position : positions) plex += LeU32(position);
  for (size_t i : order) {
    uint32_t offset = out.textOffsets[i];
    uint32_t stored = d.pieces[i].sixteenBit || d.word6 ? offset : (offset * 2) | 0x40000000u;
    plex += LeU16(0) + LeU32(stored) + LeU16(0);
  }
  clx += std::string(1, '\x02') + LeU32(static_cast<uint32_t>(plex.size()));
  if (d.word6) {
    // Character-property pages (one per 20 runs), the font table, the bin table
    // (file positions and 16-bit page numbers) and the complex part.
    PadTo(&doc, kPage);
    std::string positionsPart, pagesPart;
    for (size_t first = 0; first < d.fontRuns.size(); first += kRunsPerPage) {
      std::vector<WordFontRun> chunk(
          d.fontRuns.begin() + first,
          d.fontRuns.begin() + std::min(first + kRunsPerPage, d.fontRuns.size()));
      positionsPart += LeU32(WordTextOffset(d, chunk.front().piece, chunk.front().start));
      pagesPart += LeU16(static_cast<uint16_t>(doc.size() / kPage));
      doc += CharacterPage(chunk, d);
    }
    if (!d.fontRuns.empty()) {
      const WordFontRun& last = d.fontRuns.back();
      positionsPart += LeU32(WordTextOffset(d, last.piece, last.end));
    }
    auto placeInDocument = [&](size_t fibField, const std::string& part) {
      PokeU32(&doc, fibField, static_cast<uint32_t>(doc.size()));
      PokeU32(&doc, fibField + 4, static_cast<uint32_t>(part.size()));
      doc += part;
    };
    placeInDocument(0xD0, FontTable(d.fontCharsets));
    placeInDocument(0xB8, positionsPart + pagesPart);
    PokeU16(&doc, 0x18E, static_cast<uint16_t>(pagesPart.size() / 2));
    out.pieceTable = static_cast<uint32_t>(doc.size() + clx.size());
    placeInDocument(0x160, clx + plex);
    if (doc.size() < d.minDocumentSize) doc.resize(d.minDocumentSize, '\0');
    return out;
  }
  out.pieceTable = static_cast<uint32_t>(table.size() + clx.size());
  clx += plex;
  place(kFibComplexPart, clx);

  if (!d.runs.empty()) {
    PadTo(&doc, kPage);
    std::string positionsPart, pagesPart;
    // A page holds runs that follow one another without a gap.
    for (size_t first = 0, next; first < d.runs.size(); first = next) {
      next = first + 1;
      while (next < d.runs.size() && next - first < kRunsPerPage &&
             d.runs[next].start == d.runs[next - 1].end) {
        ++next;
      }
      std::vector<WordParagraphRun> chunk(d.runs.begin() + first, d.runs.begin() + next);
      positionsPart += LeU32(chunk.front().start);
      pagesPart += LeU32(static_cast<uint32_t>(doc.size() / kPage));
      doc += ParagraphPage(chunk, d.zeroCountForm);
    }
    positionsPart += LeU32(d.runs.back().end);
    out.binTable = static_cast<uint32_t>(table.size());
    place(kFibBinTable, positionsPart + pagesPart);
  }

  if (!d.pages.empty()) {
    // Page descriptors: their count, one spare value, then 10 bytes each that
    // begin with the page number. Breaks: positions, then 6 bytes each that begin
    // with a descriptor index.
    std::string descriptors = LeU32(static_cast<uint32_t>(d.pages.size())) + LeU32(0);
    std::string breakPositions, breakEntries;
    for (size_t i = 0; i < d.pages.size(); ++i) {
      descriptors += LeU16(d.pages[i].number) + std::string(8, '\0');
      breakPositions += LeU32(d.pages[i].first);
      breakEntries += LeU16(static_cast<uint16_t>(i)) + std::string(4, '\0');
    }
    breakPositions += LeU32(d.pages.back().end);
    place(kFibPageTable, descriptors);
    place(kFibBreakTable, breakPositions + breakEntries);
  }

  if (doc.size() < kFibSize) doc.resize(kFibSize, '\0');
  if (doc.size() < d.minDocumentSize) doc.resize(d.minDocumentSize, '\0');
  return out;
}

std::string PackWordFile(const WordDescription& d, const WordStreamBytes& streams) {
  std::vector<CfbStream> all{{"WordDocument", streams.document}};
  if (d.tableStream && !d.word6) {
    std::string name = d.tableName;
    if (name.empty()) name = (d.flags & kFibTableOne) ? "1Table" : "0Table";
    all.push_back({name, streams.table});
  }
  all.insert(all.end(), d.extra.begin(), d.extra.end());
  if (d.contents.empty()) return BuildCompoundFile(all);

  // "CONTENTS" lies in a storage of its own: the last two streams become that
  // storage and its only child, cut from the root's chain of siblings.
  all.push_back({"Package", ""});
  all.push_back({"CONTENTS", d.contents});
  CfbImage image = BuildCompoundImage(all);
  uint32_t storage = static_cast<uint32_t>(all.size()) - 1;
  image.PutU8(image.EntryOffset(storage) + kCfbEntryKind, 1);
  image.SetEntryU32(storage, kCfbEntryRight, kCfbFree);
  image.SetEntryU32(storage, kCfbEntryChild, storage + 1);
  image.SetEntryU32(storage, kCfbEntryFirstSector, 0);
  return image.bytes;
}

std::string BuildWordFile(const WordDescription& description) {
  return PackWordFile(description, BuildWordStreams(description));
}

WordPieceText Text8(const std::string& text) { return {text, false}; }

WordPieceText Text16(const std::u16string& text) {
  std::string bytes;
  for (char16_t c : text) bytes += LeU16(c);
  return {bytes, true};
}

std::string ContentsStream(const std::vector<std::pair<std::u16string, std::u16string>>& pairs) {
  // Count at 52; from 56 a value table of 8-byte entries numbered 2, 3, ... (each
  // holding its value's offset at byte 4) ended by an entry numbered 0; the mark
  // 0x0809; then from 8 bytes past the mark the names (number, length with
  // terminator at +4, characters at +8); then the values (length at +52,
  // characters at +56).
  const uint16_t count = static_cast<uint16_t>(pairs.size());
  std::string names;
  for (uint16_t k = 0; k < count; ++k) {
    const std::u16string& name = pairs[k].first;
    std::string record = LeU16(k + 2) + LeU16(0) +
                         std::string(1, static_cast<char>(name.size() + 1)) +
                         std::string(3, '\0');
    for (char16_t c : name) record += LeU16(c);
    names += record + LeU16(0);
  }
  names += LeU16(0);
  size_t valuesStart = 56 + 8 * (count + 1) + 8 + names.size();
  std::string table, values;
  for (uint16_t k = 0; k < count; ++k) {
    uint16_t at = static_cast<uint16_t>(valuesStart + values.size());
    table += std::string(1, static_cast<char>(k + 2)) + std::string(3, '\0') + LeU16(at) +
             LeU16(0);
    const std::u16string& value = pairs[k].second;
    std::string block(52, '\0');
    block += std::string(1, static_cast<char>(value.size() + 1)) + std::string(3, '\0');
    for (char16_t c : value) block += LeU16(c);
    values += block + LeU16(0);
  }
  table += std::string(8, '\0');
  std::string head(56, '\0');
  head[52] = static_cast<char>(count);
  return head + table + LeU16(0x0809) + std::string(6, '\0') + names + values;
}

void PokeU16(std::string* bytes, size_t offset, uint16_t value) {
  Put(bytes, offset, LeU16(value));
}

void PokeU32(std::string* bytes, size_t offset, uint32_t value) {
  Put(bytes, offset, LeU32(value));
}
