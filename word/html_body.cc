#include "word/html_body.h"

#include <cstring>

#include "util/memory.h"
#include "word/text_writer.h"

namespace {

constexpr unsigned char kFieldBegin = 19;
constexpr unsigned char kFieldEnd = 21;
constexpr unsigned char kParagraphMark = 13;
constexpr unsigned char kPageBreak = 12;

bool isParagraphEnd(unsigned char c) { return c >= 11 && c <= 14; }

bool isBlank(unsigned char c) {
  return c <= 16 || (c >= 19 && c <= 30) || (c >= 32 && c <= 39) || c == 41 || c == 160;
}

// The walk over one piece's bytes; positions are byte offsets into text.
class PieceWalk {
 public:
  PieceWalk(WordSettings* settings, WordBody* body, const WordPiece& piece, unsigned char* text,
            size_t length, FILE* out)
      : settings_(settings), body_(body), piece_(piece), text_(text), length_(length),
        step_(piece.wide ? 2 : 1), out_(out) {}

  void run();

 private:
  bool isCode(size_t pos, unsigned char code) const {
    return pos + step_ <= length_ && text_[pos] == code && (step_ == 1 || text_[pos + 1] == 0);
  }
  size_t find(size_t pos, unsigned char code) const;
  size_t findParagraphEnd(size_t pos) const;
  bool allBlank(size_t from, size_t to) const;
  void write(size_t from, size_t to) {
    if (to > from) {
      writeWordText(settings_, text_ + from, to - from, piece_.wide, false, true, out_, true);
    }
  }

  WordSettings* settings_;
  WordBody* body_;
  const WordPiece& piece_;
  unsigned char* text_;
  size_t length_;
  size_t step_;
  FILE* out_;
};

size_t PieceWalk::find(size_t pos, unsigned char code) const {
  while (pos < length_) {
    const void* hit = std::memchr(text_ + pos, code, length_ - pos);
    if (hit == nullptr) return length_;
    size_t at = static_cast<size_t>(static_cast<const unsigned char*>(hit) - text_);
    if (step_ == 1 || (at % 2 == 0 && at + 1 < length_ && text_[at + 1] == 0)) return at;
    pos = at + 1;
  }
  return length_;
}

size_t PieceWalk::findParagraphEnd(size_t pos) const {
  for (; pos + step_ <= length_; pos += step_) {
    if (isParagraphEnd(text_[pos]) && (step_ == 1 || text_[pos + 1] == 0)) return pos;
  }
  return length_;
}

bool PieceWalk::allBlank(size_t from, size_t to) const {
  for (size_t pos = from; pos + step_ <= to; pos += step_) {
    if (step_ == 2 && text_[pos + 1] != 0) return false;
    if (!isBlank(text_[pos])) return false;
  }
  return true;
}

void PieceWalk::run() {
  const size_t none = length_;
  size_t pos = 0;
  size_t fieldBegin = none, fieldEnd = none, paragraphEnd = none;
  bool fresh = true;
  bool pageBreakPending = false;
  uint64_t lastPageEnd = UINT64_MAX;
  bool headingOpen = false;
  bool secondWriting = false;
  size_t savedPos = 0;
  int64_t savedDepth = 0;
  int pageBreakAnchors = 0;
  int64_t& depth = body_->fieldDepth;

  for (;;) {
    if (fresh || fieldBegin < pos) fieldBegin = find(pos, kFieldBegin);
    if (fresh || fieldEnd < pos) fieldEnd = find(pos, kFieldEnd);
    if (fresh || paragraphEnd < pos) {
      paragraphEnd = findParagraphEnd(pos);
      if (paragraphEnd < length_ &&
          (text_[paragraphEnd] == kPageBreak ||
           (step_ == 1 && paragraphEnd + 1 < length_ && text_[paragraphEnd + 1] == kPageBreak))) {
        pageBreakPending = true;
      }
    }
    fresh = false;

    bool heading = false;
    if (pos < length_ && !isCode(pos, kParagraphMark) && !headingOpen &&
        body_->paragraphIndex.find(static_cast<uint64_t>(piece_.offset) + pos) >= 0) {
      heading = !allBlank(pos, paragraphEnd);
    }

    uint64_t pageEnd = UINT64_MAX;
    uint64_t position = piece_.firstChar + static_cast<uint64_t>(pos / step_);
    int64_t page = body_->pageIndex.find(position);
    if (page >= 0) {
      PageRun& run = (*body_->pages)[static_cast<size_t>(page)];
      uint64_t end = (static_cast<uint64_t>(run.endChar) - piece_.firstChar) * step_;
      if (end != lastPageEnd) pageEnd = end;
      if (!run.written && !headingOpen) {
        std::fprintf(out_, "\n<a name=\"Page %d\"></a>\n", static_cast<int>(run.page));
        std::fputc('\n', out_);
        run.written = true;
      }
    }

    if (heading) {
      headingOpen = true;
      if (!secondWriting) {
        std::fputs("\n<a name=\"", out_);
        savedPos = pos;
        savedDepth = depth;
      }
    }

    size_t mark = std::min(std::min(fieldBegin, fieldEnd), paragraphEnd);
    if (pageEnd >= pos && pageEnd < length_ && pageEnd <= mark) {
      if (depth == 0) write(pos, static_cast<size_t>(pageEnd));
      lastPageEnd = pageEnd;
      pos = static_cast<size_t>(pageEnd);
    } else if (mark == none) {
      if (depth == 0) write(pos, length_);
      if (!headingOpen || secondWriting) break;
      std::fputs("\"></a>\n", out_);
      headingOpen = false;
      secondWriting = true;
      pos = savedPos;
      depth = savedDepth;
      fresh = true;
    } else if (mark == fieldBegin) {
      if (depth == 0) write(pos, mark);
      ++depth;
      pos = mark + step_;
    } else if (mark == fieldEnd) {
      if (depth == 0) write(pos, mark);
      --depth;
      pos = mark + step_;
    } else {
      bool restart = false;
      if (depth == 0) {
        // A page break after a heading waits until the heading's text is written
        // as text, so that it never lands inside the anchor's name.
        if (pageBreakPending && !(headingOpen && !secondWriting)) {
          std::fprintf(out_, "<a name=\"Page %d\"></a>", ++pageBreakAnchors);
          std::fputc('\n', out_);
          pageBreakPending = false;
        }
        write(pos, mark);
        if (headingOpen && secondWriting) {
          headingOpen = false;
          secondWriting = false;
        } else if (headingOpen) {
          std::fputs("\"></a>\n", out_);
          headingOpen = false;
          secondWriting = true;
          restart = true;
        } else {
          secondWriting = false;
        }
        std::fputc('\n', out_);
      }
      if (restart) {
        pos = savedPos;
        depth = savedDepth;
        fresh = true;
      } else {
        pos = mark + step_;
      }
    }
  }
}

}  // namespace

unsigned char* readPieceBytes(CompoundFile* compound, FILE* input, uint32_t documentEntry,
                              const WordPiece& piece, size_t* length) {
  *length = 0;
  uint32_t size = compound->entries[documentEntry].size;
  if (piece.offset >= size || piece.length == 0) return nullptr;
  // A piece that claims more text than the stream holds cannot be read: skipped.
  uint32_t count = piece.length;
  if (count > size - piece.offset) return nullptr;
  unsigned char* bytes = ReadStreamRange(compound, input, documentEntry, piece.offset, count);
  if (bytes != nullptr) *length = count;
  return bytes;
}

void writePieceText(WordSettings* settings, WordBody* body, const WordPiece& piece,
                    unsigned char* text, size_t length, FILE* out) {
  PieceWalk(settings, body, piece, text, length, out).run();
}

int writePiece(WordSettings* settings, CompoundFile* compound, FILE* input,
               uint32_t documentEntry, WordBody* body, const WordPiece& piece, FILE* out) {
  size_t length = 0;
  MallocPtr<unsigned char> text(readPieceBytes(compound, input, documentEntry, piece, &length));
  if (!text) return -5;
  if (settings->reverseEndian && !squeezeReversedPairs(text.get(), length)) return -5;
  writePieceText(settings, body, piece, text.get(), length, out);
  return 0;
}
