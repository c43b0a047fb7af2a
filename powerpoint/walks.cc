#include "powerpoint/walks.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "charset/code_page.h"
#include "charset/convert.h"
#include "util/byte_reader.h"

namespace {

bool isText(uint16_t type) { return type == kPptTextCharsAtom || type == kPptTextBytesAtom; }

// The text of a text atom in the output character set; nothing when the
// conversion fails.
std::string textOf(const PptSettings& settings, const PptRecord& record, const uint8_t* body) {
  std::string text;
  if (record.length == 0) return text;
  CharsetContext context{const_cast<char*>(settings.tablesDirectory.c_str()), -1};
  const int status =
      record.type == kPptTextBytesAtom
          ? ConvertNarrowText(CHARSET_UCS2, settings.outputCharset, body, record.length,
                              &context, &text)
          : AppendConverted(CHARSET_UCS2, settings.outputCharset, body, record.length, &context,
                            &text);
  if (status != CHARSET_OK) text.clear();
  return text;
}

bool isStopped(const PptSettings& settings, const std::string& text) {
  for (std::string_view entry : settings.stopList.lines) {
    // Most entries differ from the text in their first byte; an empty one stops all.
    if (text.size() < entry.size()) continue;
    if (entry.empty()) return true;
    if (text[0] == entry[0] && std::memcmp(text.data(), entry.data(), entry.size()) == 0)
      return true;
  }
  return false;
}

// The first of c in [from, end), or end.
const char* nextOf(const char* from, const char* end, char c) {
  const void* found = std::memchr(from, c, static_cast<size_t>(end - from));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// The text with "<" and ">" written as "&lt;" and "&gt;" and apostrophes as double
// quotes. Each mark is searched for on its own (memchr scans many bytes a step) and
// the runs between marks are copied whole.
std::string escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 16);
  const char* const end = text.data() + text.size();
  const char* from = text.data();
  const char* less = nextOf(from, end, '<');
  const char* greater = nextOf(from, end, '>');
  const char* apostrophe = nextOf(from, end, '\'');
  for (;;) {
    const char* mark = std::min({less, greater, apostrophe});
    out.append(from, static_cast<size_t>(mark - from));
    if (mark == end) return out;
    from = mark + 1;
    if (mark == less) {
      out += "&lt;";
      less = nextOf(from, end, '<');
    } else if (mark == greater) {
      out += "&gt;";
      greater = nextOf(from, end, '>');
    } else {
      out += '"';
      apostrophe = nextOf(from, end, '\'');
    }
  }
}

class HtmlWalk : public PptRecordVisitor {
 public:
  HtmlWalk(const PptSettings& settings, FILE* out) : settings_(settings), out_(out) {}

  bool atom(const std::vector<PptRecord>&, const PptRecord& record, const uint8_t* body) override {
    if (!isText(record.type)) return true;
    std::string text = textOf(settings_, record, body);
    if (!text.empty() && !isStopped(settings_, text))
      text = escaped(text);
    else
      text.clear();
    text += '\n';
    if (std::fwrite(text.data(), 1, text.size(), out_) != text.size()) {
      result = -5;
      return false;
    }
    return true;
  }

  int result = 0;

 private:
  const PptSettings& settings_;
  FILE* out_;
};

struct LevelFlags {
  bool title = false;
  bool body = false;
  bool notes = false;
  bool textBox = false;
};

// A SlideListWithText being walked and the slide its current entry stands for.
struct OpenList {
  uint16_t instance;
  uint32_t ordinal;
  uint32_t slide;
};

class XmlWalk : public PptRecordVisitor {
 public:
  XmlWalk(const PptSettings& settings, SlideState* state)
      : settings_(settings), state_(state), flags_(1) {}

  void enterContainer(const std::vector<PptRecord>&, const PptRecord& record) override {
    flags_.emplace_back();
    if (record.type == kPptSlideListWithText) lists_.push_back({record.instance, 0, 0});
  }

  void leaveContainer(const std::vector<PptRecord>&, const PptRecord& record) override {
    flags_.pop_back();
    if (record.type == kPptSlideListWithText && !lists_.empty()) lists_.pop_back();
  }

  bool atom(const std::vector<PptRecord>& path, const PptRecord& record,
            const uint8_t* body) override {
    ByteReader reader(body, record.length);
    LevelFlags& flags = flags_.back();
    switch (record.type) {
      case kPptSlideAtom:
        state_->skip = reader.has(0, 8) && reader.u32At(0) == reader.u32At(4);
        break;
      case kPptTextHeaderAtom:
        if (record.length > 0) setFlag(&flags, body[0]);
        break;
      case kPptSlidePersistAtom:
        if (!path.empty() && path.back().type == kPptSlideListWithText && !lists_.empty()) {
          OpenList& list = lists_.back();
          list.ordinal += 1;
          list.slide = slideOfListEntry(state_->map, list.instance, reader.u32At(0), list.ordinal);
        }
        break;
      case kPptTextCharsAtom:
      case kPptTextBytesAtom:
        // A header describes the text that follows it, so a skipped text uses it up
        // as well as a gathered one.
        if (!state_->skip) gather(slideOf(path), flags, record, body);
        flags = LevelFlags();
        break;
      default:
        break;
    }
    return true;
  }

 private:
  static void setFlag(LevelFlags* flags, uint8_t kind) {
    if (kind == 0) flags->title = true;
    if (kind == 1) flags->body = true;
    if (kind == 2) flags->notes = true;
    if (kind == 4) flags->textBox = true;
  }

  uint32_t slideOf(const std::vector<PptRecord>& path) const {
    if (!lists_.empty()) return lists_.back().slide;
    if (path.empty()) return 0;
    if (path[0].type == kPptSlide) return numberAt(state_->map.slideAt, path[0].offset);
    if (path[0].type == kPptNotes) return numberAt(state_->map.notesAt, path[0].offset);
    return 0;
  }

  void gather(uint32_t slide, const LevelFlags& flags, const PptRecord& record,
              const uint8_t* body) {
    const std::string* tag = flags.title     ? &settings_.titleTag
                             : flags.body    ? &settings_.bodyTag
                             : flags.notes   ? &settings_.notesTag
                             : flags.textBox ? &settings_.textBoxTag
                                             : nullptr;
    std::string text = textOf(settings_, record, body);
    // An empty text without a header adds its "<BR>" only to an entry that exists.
    SlideEntry* entry = slideEntry(state_, slide, tag != nullptr || !text.empty());
    if (entry == nullptr) return;
    if (tag != nullptr) entry->body.append("<").append(*tag).append(">\n");
    (flags.title ? entry->title : entry->body).append(text).append("<BR>");
    if (tag != nullptr) entry->body.append("</").append(*tag).append(">\n");
  }

  const PptSettings& settings_;
  SlideState* state_;
  std::vector<LevelFlags> flags_;  // one per open level, the innermost last
  std::vector<OpenList> lists_;
};

}  // namespace

int writeHtmlTexts(const PptStream& stream, const PptEdits& edits, const PptSettings& settings,
                   FILE* out) {
  HtmlWalk walk(settings, out);
  walkPptRecords(stream, &walk, liveRecords(edits));
  return walk.result;
}

void gatherXmlTexts(const PptStream& stream, const PptEdits& edits, const PptSettings& settings,
                    SlideState* state) {
  XmlWalk walk(settings, state);
  walkPptRecords(stream, &walk, liveRecords(edits));
}
