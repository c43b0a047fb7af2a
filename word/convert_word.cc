#include <cstdio>
#include <memory>
#include <vector>

#include "charset/convert.h"
#include "storage/compound_file.h"
#include "storage/properties.h"
#include "util/files.h"
#include "util/memory.h"
#include "util/strings.h"
#include "word/code_pages.h"
#include "word/contents_meta.h"
#include "word/fib.h"
#include "word/html_body.h"
#include "word/pieces.h"
#include "word/settings.h"
#include "word/style_names.h"
#include "word/word.h"
#include "word/xml_body.h"

namespace {

constexpr int kUnreadable = -5;
constexpr int kEncrypted = -6;
constexpr int kNoDocument = -8;

// Documents by these applications store double-byte text with each byte pair
// reversed when they are Japanese.
bool isReversedPairApplication(const char* application) {
  return equalsIgnoreCase(application, "Microsoft Word 6.0") ||
         equalsIgnoreCase(application, "Microsoft word for Windows 95");
}

// FIB offsets and lengths are only followed when they are below the file's size.
bool below(uint64_t value, uint64_t fileSize) { return value < fileSize; }

int convertDocument(WordSettings* settings, CompoundFile* compound, FILE* input,
                    const WordStreams& streams, const char* inputPath, const char* outputPath) {
  const uint32_t document = static_cast<uint32_t>(streams.document);
  const uint64_t fileSize = static_cast<uint64_t>(fileSizeByName(inputPath));
  std::vector<WordPiece> pieces;
  std::vector<ParagraphRun> paragraphRuns;
  std::vector<PageRun> pageRuns;

  MallocPtr<unsigned char> fibBytes(ReadStreamRange(compound, input, document, 0, kFibSize));
  WordFib fib;
  if (!fibBytes || !parseWordFib(fibBytes.get(), kFibSize, &fib)) return kUnreadable;

  const int32_t table = chooseTableStream(streams, fib);
  if (((fib.flags & kFibComplex) != 0 || (fib.flags2 & kFibExtendedChars) != 0) && table >= 0) {
    readPieceTable(compound, input, static_cast<uint32_t>(table), fib.complexOffset, &pieces);
  }
  // Word 6/95 keeps its piece table (fast-saved files) and the tables that say
  // how its 8-bit text is coded in "WordDocument".
  const bool word6 = isWord6Document(fib, table);
  const bool word6Wide = word6 && (fib.flags & kFibWideText) != 0;
  NarrowCoding word6Coding;
  if (word6) {
    if ((fib.flags & kFibComplex) != 0 && fib.word6.complexLength != 0) {
      readPieceTable(compound, input, document, fib.word6.complexOffset, &pieces,
                     word6Wide ? PieceForm::kWord6Wide : PieceForm::kWord6Narrow,
                     fib.word6.complexLength);
    }
    if (!word6Wide) word6Coding = readWord6Coding(compound, input, document, fib.word6);
  }
  const NarrowCoding* coding = word6 ? &word6Coding : nullptr;

  StyleNames styleNames;
  if (settings->outputXml && table >= 0) {
    styleNames = readStyleNames(*settings, compound, input, static_cast<uint32_t>(table),
                                fib.styleOffset, fib.styleLength, fileSize);
  }

  if (fib.binOffset != 0 && below(fib.binOffset, fileSize) &&
      fib.binLength < fileSize - fib.binOffset && table >= 0) {
    MallocPtr<unsigned char> bin(ReadStreamRange(compound, input, static_cast<uint32_t>(table),
                                                 fib.binOffset, fib.binLength));
    if (!bin) return kUnreadable;
    if (!readParagraphRuns(compound, input, bin.get(), fib.binLength, document, fileSize,
                           settings->outputXml, &paragraphRuns)) {
      return kUnreadable;
    }
  }

  if (fib.pageOffset != 0 && fib.pageLength != 0 && fib.breakOffset != 0 && fib.breakLength != 0 &&
      below(fib.pageOffset, fileSize) && below(fib.pageLength, fileSize) &&
      below(fib.breakOffset, fileSize) && below(fib.breakLength, fileSize) && table >= 0) {
    readPageRuns(compound, input, static_cast<uint32_t>(table), fib.pageOffset, fib.pageLength,
                 fib.breakOffset, fib.breakLength, &pageRuns);
  }

  if (fib.textEnd < fib.textStart) return kUnreadable;

  FilePtr out(openFile(outputPath, "w+b"));
  if (!out) return kUnreadable;
  // Not zero-filled: only the pages that output reaches are ever touched.
  constexpr size_t kBufferSize = 1 << 16;
  std::unique_ptr<char[]> buffer(new char[kBufferSize]);
  std::setvbuf(out.get(), buffer.get(), _IOFBF, kBufferSize);

  if (settings->outputXml) {
    std::fputs(settings->xmlHeader.c_str(), out.get());
    std::fputs("\n", out.get());
  } else {
    std::fputs("<HTML>\n<HEAD>\n", out.get());
    ScopedTablesDirectory tables(settings->tablesDirectory.c_str());
    CharPtr application(
        WriteHtmlHead(compound, input, out.get(), inputPath, settings->fileNameCharset));
    if (isReversedPairApplication(application.get()) &&
        settings->outputCharset == CHARSET_SHIFTJIS) {
      settings->reverseEndian = true;
    }
  }

  if (pieces.empty()) {
    pieces.push_back(WordPiece{0, fib.textStart, fib.textEnd - fib.textStart, word6Wide});
  }

  if (streams.contents >= 0) {
    writeContentsMeta(settings, compound, input, out.get(),
                      static_cast<uint32_t>(streams.contents));
  }

  if (settings->outputXml) {
    writeWordXml(settings, compound, input, document, out.get(), paragraphRuns, pieces, styleNames,
                 coding);
  } else {
    std::fputs("\n</HEAD>\n<BODY>\n", out.get());
    WordBody body(&pageRuns, &paragraphRuns, coding);
    for (const WordPiece& piece : pieces) {
      writePiece(settings, compound, input, document, &body, piece, out.get());
    }
    std::fputs("\n</BODY>\n</HTML>\n", out.get());
  }
  // The buffer goes away with this frame: the file is closed first.
  out.reset();
  return 0;
}

}  // namespace

int convertWord(const char* inputPath, const char* outputPath, const char* configPath,
                const char* section) {
  if (currentWordSettings() == nullptr) wordSetUp(configPath, section);
  FilePtr input(openFile(inputPath, "rb"));
  if (!input) return kUnreadable;
  return convertWordStream(currentWordSettings(), input.get(), inputPath, outputPath);
}

int convertWordStream(WordSettings* settings, FILE* input, const char* inputPath,
                      const char* outputPath) {
  CompoundPtr compound(OpenCompoundFile(input));
  if (!compound) return kUnreadable;

  WordStreams streams = findWordStreams(compound.get());
  if (streams.document < 0) return kNoDocument;
  if (isWordEncrypted(inputPath, compound.get(), input,
                      static_cast<uint32_t>(streams.document))) {
    return kEncrypted;
  }
  return convertDocument(settings, compound.get(), input, streams, inputPath, outputPath);
}
