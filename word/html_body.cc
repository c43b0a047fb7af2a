#include "word/html_body.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "util/memory.h"
#include "word/lanes.h"
#include "word/text_writer.h"

namespace {

constexpr unsigned char kFieldBegin = 19;
constexpr unsigned char kFieldEnd = 21;
constexpr unsigned char kParagraphMark = 13;
constexpr unsigned char kPageBreak = 12;

bool isBlank(unsigned char c) {
  return c <= 16 || (c >= 19 && c <= 30) || (c >= 32 && c <= 39) || c == 41 || c == 160;
}

// The bytes of one piece, read from "WordDocument" in blocks as the walk needs
// them, so that a large piece is never held whole: bytes before the walk's
// current position (or an open heading's start, which it may go back to) are let
// go. Positions are offsets into the piece.
class PieceWindow {
 public:
  static constexpr size_t kBlock = 64 * 1024;

  // Bytes already in memory.
  PieceWindow(unsigned char* text, size_t length) : text_(text), length_(length) {
    loaded_ = length;
  }
  // Bytes to be read: length bytes at offset of the entry's stream.
  PieceWindow(CompoundFile* compound, FILE* input, uint32_t entry, uint32_t offset, size_t length)
      : compound_(compound), input_(input), entry_(entry), offset_(offset), length_(length) {}

  // The piece's length; shorter than asked when a block could not be read.
  size_t length() const { return length_; }
  // Makes bytes up to end (at most the length) available.
  void load(size_t end);
  // Lets go of bytes before keep.
  void release(size_t keep);
  // Pointer to the byte at pos, which must have been loaded and not let go of.
  unsigned char* at(size_t pos) {
    return text_ != nullptr ? text_ + pos : held_.data() + (pos - base_);
  }

 private:
  unsigned char* text_ = nullptr;  // all bytes, when given in memory
  CompoundFile* compound_ = nullptr;
  FILE* input_ = nullptr;
  uint32_t entry_ = 0;
  uint32_t offset_ = 0;
  size_t length_;
  std::vector<unsigned char> held_;  // bytes [base_, loaded_)
  size_t base_ = 0;
  size_t loaded_ = 0;
};

void PieceWindow::load(size_t end) {
  if (end > length_) end = length_;
  while (loaded_ < end) {
    size_t count = std::min(std::max(kBlock, end - loaded_), length_ - loaded_);
    MallocPtr<unsigned char> block(ReadStreamRange(compound_, input_, entry_,
                                                   offset_ + static_cast<uint32_t>(loaded_),
                                                   static_cast<uint32_t>(count)));
    if (!block) {
      length_ = loaded_;  // what cannot be read is left out
      return;
    }
    held_.insert(held_.end(), block.get(), block.get() + count);
    loaded_ += count;
  }
}

void PieceWindow::release(size_t keep) {
  if (text_ != nullptr || keep <= base_) return;
  size_t drop = std::min(keep, loaded_) - base_;
  if (drop < kBlock || drop < held_.size() / 2) return;
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(drop));
  base_ += drop;
}

// The walk over one piece; positions are byte offsets into the piece.
class PieceWalk {
 public:
  PieceWalk(WordSettings* settings, WordBody* body, const WordPiece& piece, PieceWindow* window,
            FILE* out)
      : settings_(settings),
        body_(body),
        piece_(piece),
        window_(window),
        step_(piece.wide ? 2 : 1),
        out_(out) {}

  void run();

 private:
  size_t length() const { return window_->length(); }
  unsigned char byteAt(size_t pos) { return *window_->at(pos); }
  bool isCode(size_t pos, unsigned char code) {
    return pos + step_ <= length() && byteAt(pos) == code && (step_ == 1 || byteAt(pos + 1) == 0);
  }
  // The first code in [pos, limit) (loaded), or limit.
  size_t find(size_t pos, size_t limit, unsigned char code);
  // The first paragraph end in [pos, limit), reading on as needed, or the length.
  size_t findParagraphEnd(size_t pos, size_t limit);
  // True when [from, to) holds only blanks. A scan is remembered, so that the
  // steps of one paragraph (between its fields) do not scan it again.
  bool allBlank(size_t from, size_t to);
  void write(size_t from, size_t to) {
    if (to > from) {
      writeWordText(settings_, window_->at(from), to - from, piece_.wide, false, true, out_, true,
                    NarrowText{body_->coding, uint64_t{piece_.offset} + from});
    }
  }

  WordSettings* settings_;
  WordBody* body_;
  const WordPiece& piece_;
  PieceWindow* window_;
  size_t step_;
  FILE* out_;
  size_t scanFrom_ = SIZE_MAX;  // the last scan: [scanFrom_, scanTo_) ...
  size_t scanTo_ = 0;
  size_t scanFound_ = 0;  // ... first held a non-blank here (scanTo_: none)
};

size_t PieceWalk::find(size_t pos, size_t limit, unsigned char code) {
  if (limit > length()) limit = length();
  while (pos < limit) {
    const unsigned char* start = window_->at(pos);
    const void* hit = std::memchr(start, code, limit - pos);
    if (hit == nullptr) return limit;
    size_t at = pos + static_cast<size_t>(static_cast<const unsigned char*>(hit) - start);
    if (step_ == 1 || (at % 2 == 0 && at + 1 < length() && byteAt(at + 1) == 0)) return at;
    pos = at + 1;
  }
  return limit;
}

size_t PieceWalk::findParagraphEnd(size_t pos, size_t limit) {
  while (pos < limit && pos < length()) {
    size_t stop = std::min(limit, pos + PieceWindow::kBlock);
    window_->load(stop + 1);  // and the 16-bit unit's high byte
    stop = std::min(stop, length());
    // Codes 11 to 14 are the ones with (c - 11) below 4.
    const unsigned char* base = window_->at(pos);
    const size_t count = stop - pos;
    if (step_ == 1) {
      for (size_t i = 0; i < count; ++i) {
        if (i + 8 <= count && !anyByteBelow(loadLanes(base + i), 15)) {
          i += 7;
          continue;
        }
        if (static_cast<unsigned char>(base[i] - 11) < 4) return pos + i;
      }
    } else {
      const size_t units = (std::min(stop + 1, length()) - pos) / 2;
      for (size_t i = 0; i < units && 2 * i < count; ++i) {
        if (i + 4 <= units && !anyUnitBelow(loadLanes(base + 2 * i), 15)) {
          i += 3;
          continue;
        }
        if (static_cast<unsigned char>(base[2 * i] - 11) < 4 && base[2 * i + 1] == 0) {
          return pos + 2 * i;
        }
      }
    }
    pos += step_ == 1 ? count : (count + 1) / 2 * 2;
  }
  return std::min(limit, length());
}

bool PieceWalk::allBlank(size_t from, size_t to) {
  if (to == scanTo_ && from >= scanFrom_ && from <= scanFound_) return scanFound_ >= to;
  size_t pos = from;
  for (; pos + step_ <= to; pos += step_) {
    if ((step_ == 2 && byteAt(pos + 1) != 0) || !isBlank(byteAt(pos))) break;
  }
  if (pos + step_ > to) pos = to;
  scanFrom_ = from;
  scanTo_ = to;
  scanFound_ = pos;
  return pos >= to;
}

void PieceWalk::run() {
  size_t pos = 0;
  // A position found is kept with the point its search began at: no mark lies
  // between the two. After a rewind to a heading's start only the stretch before
  // that point is searched again. Field marks are only looked for up to the
  // paragraph end (and its lookahead byte): when none is there, `at` is that
  // horizon and `exact` is false, and the search goes on once the walk reaches it.
  struct Found {
    size_t at;
    size_t from;
    bool exact;
  };
  Found paragraphEnd{SIZE_MAX, SIZE_MAX, true};
  Found fieldBegin{SIZE_MAX, SIZE_MAX, true}, fieldEnd{SIZE_MAX, SIZE_MAX, true};
  bool pageBreakPending = false;
  uint64_t lastPageEnd = UINT64_MAX;
  bool headingOpen = false;
  bool secondWriting = false;
  size_t savedPos = 0;
  int64_t savedDepth = 0;
  int pageBreakAnchors = 0;
  int64_t& depth = body_->fieldDepth;
  // Ends the heading's anchor name and goes back to write its text as text.
  auto closeAnchorAndRewind = [&] {
    std::fputs("\"></a>\n", out_);
    headingOpen = false;
    secondWriting = true;
    pos = savedPos;
    scanFrom_ = SIZE_MAX;  // the heading's text was cleaned on the first pass
    depth = savedDepth;
  };

  for (;;) {
    window_->release(headingOpen && !secondWriting ? std::min(savedPos, pos) : pos);
    size_t previousEnd = paragraphEnd.at;
    if (paragraphEnd.at < pos || paragraphEnd.at == SIZE_MAX) {
      paragraphEnd = Found{findParagraphEnd(pos, SIZE_MAX), pos, true};
    } else if (pos < paragraphEnd.from) {
      size_t at = findParagraphEnd(pos, paragraphEnd.from);
      paragraphEnd = Found{at < paragraphEnd.from ? at : paragraphEnd.at, pos, true};
    }
    const size_t horizon = std::min(paragraphEnd.at + step_, length());
    window_->load(horizon + 1);  // the byte after an 8-bit paragraph end too
    auto refresh = [&](Found* found, unsigned char code) {
      if (found->at == SIZE_MAX || found->at < pos || (!found->exact && found->at <= pos)) {
        size_t at = find(pos, horizon, code);
        *found = Found{at, pos, at < horizon || horizon >= length()};
      } else if (pos < found->from) {
        size_t at = find(pos, found->from, code);
        if (at < found->from) *found = Found{at, pos, true};
        found->from = pos;
      }
    };
    refresh(&fieldBegin, kFieldBegin);
    refresh(&fieldEnd, kFieldEnd);
    if (paragraphEnd.at != previousEnd && paragraphEnd.at < length() &&
        (byteAt(paragraphEnd.at) == kPageBreak || (step_ == 1 && paragraphEnd.at + 1 < length() &&
                                                   byteAt(paragraphEnd.at + 1) == kPageBreak))) {
      pageBreakPending = true;
    }
    const size_t none = length();

    bool heading = false;
    if (pos < none && !isCode(pos, kParagraphMark) && !headingOpen &&
        body_->paragraphIndex.find(static_cast<uint64_t>(piece_.offset) + pos) >= 0) {
      heading = !allBlank(pos, paragraphEnd.at);
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

    size_t mark = std::min(std::min(fieldBegin.at, fieldEnd.at), paragraphEnd.at);
    if (pageEnd >= pos && pageEnd < none && pageEnd <= mark) {
      if (depth == 0) write(pos, static_cast<size_t>(pageEnd));
      lastPageEnd = pageEnd;
      pos = static_cast<size_t>(pageEnd);
    } else if (mark >= none) {
      if (depth == 0) write(pos, none);
      if (!headingOpen || secondWriting) break;
      closeAnchorAndRewind();
    } else if (mark == fieldBegin.at) {
      if (depth == 0) write(pos, mark);
      ++depth;
      pos = mark + step_;
    } else if (mark == fieldEnd.at) {
      if (depth == 0) write(pos, mark);
      --depth;
      pos = mark + step_;
    } else {
      bool rewind = false;
      if (depth == 0) {
        // A page break after a heading waits until the heading's text is written
        // as text, so that it never lands inside the anchor's name.
        if (pageBreakPending && !(headingOpen && !secondWriting)) {
          std::fprintf(out_, "<a name=\"Page %d\"></a>", ++pageBreakAnchors);
          std::fputc('\n', out_);
          pageBreakPending = false;
        }
        write(pos, mark);
        rewind = headingOpen && !secondWriting;
        if (rewind) {
          closeAnchorAndRewind();
        } else {
          headingOpen = false;
          secondWriting = false;
        }
        std::fputc('\n', out_);
      }
      if (!rewind) pos = mark + step_;
    }
  }
}

// The count of the piece's bytes that lie inside "WordDocument". A piece that
// claims more text than the stream holds (a damaged or cut file) keeps what the
// stream holds: only what cannot be read is dropped.
uint32_t heldLength(const CompoundFile* compound, uint32_t documentEntry, const WordPiece& piece) {
  uint32_t size = compound->entries[documentEntry].size;
  if (piece.offset >= size) return 0;
  return std::min(piece.length, size - piece.offset);
}

}  // namespace

unsigned char* readPieceBytes(CompoundFile* compound, FILE* input, uint32_t documentEntry,
                              const WordPiece& piece, size_t* length) {
  *length = 0;
  uint32_t count = heldLength(compound, documentEntry, piece);
  if (count == 0) return nullptr;
  unsigned char* bytes = ReadStreamRange(compound, input, documentEntry, piece.offset, count);
  if (bytes != nullptr) *length = count;
  return bytes;
}

void writePieceText(WordSettings* settings, WordBody* body, const WordPiece& piece,
                    unsigned char* text, size_t length, FILE* out) {
  PieceWindow window(text, length);
  PieceWalk(settings, body, piece, &window, out).run();
}

int writePiece(WordSettings* settings, CompoundFile* compound, FILE* input, uint32_t documentEntry,
               WordBody* body, const WordPiece& piece, FILE* out) {
  if (settings->reverseEndian) {
    // The squeeze moves bytes across the whole piece: it is read whole.
    size_t length = 0;
    MallocPtr<unsigned char> text(readPieceBytes(compound, input, documentEntry, piece, &length));
    if (!text || !squeezeReversedPairs(text.get(), length)) return -5;
    writePieceText(settings, body, piece, text.get(), length, out);
    return 0;
  }
  uint32_t length = heldLength(compound, documentEntry, piece);
  if (length == 0) return -5;
  PieceWindow window(compound, input, documentEntry, piece.offset, length);
  window.load(1);
  if (window.length() == 0) return -5;
  PieceWalk(settings, body, piece, &window, out).run();
  return 0;
}
