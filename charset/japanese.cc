#include "charset/japanese.h"

#include <cstring>

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kShiftOut = 0x0E;  // SO: half-width katakana
constexpr uint8_t kShiftIn = 0x0F;   // SI: back to ASCII
constexpr uint8_t kSingleShift2 = 0x8E;
constexpr uint8_t kSingleShift3 = 0x8F;

const char kToAscii[] = "\x1b(B";
const char kToKanji[] = "\x1b$B";
const char kToKana[] = "\x1b(I";
const char kToSupplement[] = "\x1b$(D";

enum Mode { kAscii, kKanji, kKana, kSupplement };

size_t TextLength(const uint8_t* text, size_t length) {
  if (text == nullptr) return 0;
  const void* zero = std::memchr(text, 0, length);
  return zero != nullptr ? static_cast<const uint8_t*>(zero) - text : length;
}

bool InRange(int c, int low, int high) { return c >= low && c <= high; }

bool IsSjisLead(int c) { return InRange(c, 0x81, 0x9F) || InRange(c, 0xE0, 0xEF); }

// Lead bytes of the user-defined area and the vendor extensions of Shift_JIS:
// their characters have no JIS X 0208 form, so JIS and EUC output drops them.
bool IsSjisExtensionLead(int c) { return InRange(c, 0xF0, 0xFC); }

// A JIS X 0208 row/cell pair (0x21..0x7E each) as Shift_JIS bytes, and back.
void JisToSjis(int c1, int c2, std::string* out) {
  int rowOffset = c1 < 95 ? 112 : 176;
  int cellOffset = (c1 & 1) != 0 ? (c2 > 95 ? 32 : 31) : 126;
  out->push_back(static_cast<char>(((c1 + 1) >> 1) + rowOffset));
  out->push_back(static_cast<char>(c2 + cellOffset));
}

void SjisToJis(int c1, int c2, int highBits, std::string* out) {
  int adjust = c2 < 159 ? 1 : 0;
  int rowOffset = c1 < 160 ? 112 : 176;
  int cellOffset = adjust != 0 ? (c2 > 127 ? 32 : 31) : 126;
  out->push_back(static_cast<char>((((c1 - rowOffset) << 1) - adjust) | highBits));
  out->push_back(static_cast<char>((c2 - cellOffset) | highBits));
}

// Writes the escape sequence that enters mode unless the text is already in it.
void Enter(Mode mode, Mode* current, std::string* out) {
  if (*current == mode) return;
  *current = mode;
  switch (mode) {
    case kAscii: out->append(kToAscii); break;
    case kKanji: out->append(kToKanji); break;
    case kKana: out->append(kToKana); break;
    case kSupplement: out->append(kToSupplement); break;
  }
}

void SjisToJisText(const uint8_t* t, size_t n, std::string* out) {
  Mode mode = kAscii;
  for (size_t i = 0; i < n;) {
    int c = t[i];
    if (InRange(c, 0xA1, 0xDF)) {
      Enter(kKana, &mode, out);
      out->push_back(static_cast<char>(c & 0x7F));
      i += 1;
    } else if (IsSjisLead(c)) {
      if (i + 1 >= n) break;  // a lead byte without its trail byte
      Enter(kKanji, &mode, out);
      SjisToJis(c, t[i + 1], 0, out);
      i += 2;
    } else if (IsSjisExtensionLead(c)) {
      i += 2;
    } else {
      Enter(kAscii, &mode, out);
      out->push_back(static_cast<char>(c));
      i += 1;
    }
  }
  Enter(kAscii, &mode, out);
}

void SjisToEucText(const uint8_t* t, size_t n, std::string* out) {
  for (size_t i = 0; i < n;) {
    int c = t[i];
    if (InRange(c, 0xA1, 0xDF)) {
      out->push_back(static_cast<char>(kSingleShift2));
      out->push_back(static_cast<char>(c));
      i += 1;
    } else if (IsSjisLead(c)) {
      if (i + 1 >= n) break;
      SjisToJis(c, t[i + 1], 0x80, out);
      i += 2;
    } else if (IsSjisExtensionLead(c)) {
      i += 2;
    } else {
      out->push_back(static_cast<char>(c));
      i += 1;
    }
  }
}

void EucToSjisText(const uint8_t* t, size_t n, std::string* out) {
  for (size_t i = 0; i < n;) {
    int c = t[i];
    if (InRange(c, 0xA1, 0xFE)) {
      if (i + 1 >= n) break;
      JisToSjis(c & 0x7F, t[i + 1] & 0x7F, out);
      i += 2;
    } else if (c == kSingleShift2) {
      if (i + 1 < n) out->push_back(static_cast<char>(t[i + 1]));
      i += 2;
    } else {
      out->push_back(static_cast<char>(c));
      i += 1;
    }
  }
}

// Single-shifted characters leave JIS X 0208, so the next pair after one of them
// enters it again.
void EucToJisText(const uint8_t* t, size_t n, std::string* out) {
  Mode mode = kAscii;
  for (size_t i = 0; i < n;) {
    int c = t[i];
    if (InRange(c, 0xA1, 0xFE)) {
      if (i + 1 >= n) break;
      Enter(kKanji, &mode, out);
      out->push_back(static_cast<char>(c & 0x7F));
      out->push_back(static_cast<char>(t[i + 1] & 0x7F));
      i += 2;
    } else if (c == kSingleShift2) {
      if (i + 1 >= n) break;
      Enter(kKana, &mode, out);
      out->push_back(static_cast<char>(t[i + 1] & 0x7F));
      i += 2;
    } else if (c == kSingleShift3) {
      if (i + 2 >= n) break;
      Enter(kSupplement, &mode, out);
      out->push_back(static_cast<char>(t[i + 1] & 0x7F));
      out->push_back(static_cast<char>(t[i + 2] & 0x7F));
      i += 3;
    } else {
      Enter(kAscii, &mode, out);
      out->push_back(static_cast<char>(c));
      i += 1;
    }
  }
  Enter(kAscii, &mode, out);
}

// Length of the escape sequence at t[i] (ESC, intermediate bytes 0x20..0x2F,
// one final byte 0x30..0x7E), cut short by the end of the text.
size_t EscapeLength(const uint8_t* t, size_t n, size_t i) {
  size_t j = i + 1;
  while (j < n && InRange(t[j], 0x20, 0x2F)) ++j;
  if (j < n && InRange(t[j], 0x30, 0x7E)) ++j;
  return j - i;
}

bool SequenceIs(const uint8_t* t, size_t length, const char* sequence) {
  return length == std::strlen(sequence) && std::memcmp(t, sequence, length) == 0;
}

void JisToOtherText(const uint8_t* t, size_t n, bool toEuc, std::string* out) {
  Mode mode = kAscii;
  for (size_t i = 0; i < n;) {
    int c = t[i];
    if (c == kEsc) {
      size_t length = EscapeLength(t, n, i);
      const uint8_t* s = t + i;
      i += length;
      if (SequenceIs(s, length, kToKanji) || SequenceIs(s, length, "\x1b$@")) {
        mode = kKanji;
      } else if (toEuc && SequenceIs(s, length, kToSupplement)) {
        mode = kSupplement;
      } else if (SequenceIs(s, length, kToAscii) || SequenceIs(s, length, "\x1b(J")) {
        mode = kAscii;
      } else if (SequenceIs(s, length, kToKana)) {
        mode = kKana;
      } else {
        out->append(reinterpret_cast<const char*>(s), length);
      }
    } else if (c == kShiftOut) {
      mode = kKana;
      i += 1;
    } else if (c == kShiftIn) {
      mode = kAscii;
      i += 1;
    } else if (mode == kKanji || mode == kSupplement) {
      if (i + 1 >= n) break;
      if (!toEuc) {
        JisToSjis(c, t[i + 1], out);
      } else {
        if (mode == kSupplement) out->push_back(static_cast<char>(kSingleShift3));
        out->push_back(static_cast<char>(c | 0x80));
        out->push_back(static_cast<char>(t[i + 1] | 0x80));
      }
      i += 2;
    } else if (mode == kKana) {
      if (InRange(c, 0x21, 0x5F)) {
        if (toEuc) out->push_back(static_cast<char>(kSingleShift2));
        out->push_back(static_cast<char>(c | 0x80));
      } else if (!toEuc) {
        out->push_back(static_cast<char>(c));
      }
      i += 1;
    } else {
      out->push_back(static_cast<char>(c));
      i += 1;
    }
  }
}

}  // namespace

int DetectJapaneseCode(const uint8_t* text, size_t length) {
  size_t n = TextLength(text, length);
  size_t i = 0;
  auto next = [&]() -> int { return i < n ? text[i++] : -1; };
  int code = JAPANESE_NONE;
  while ((code == JAPANESE_NONE || code == JAPANESE_EUC_OR_SJIS) && i < n) {
    int c = next();
    if (c == kEsc) {
      if (next() == '$') {
        c = next();
        if (c == 'B') code = JAPANESE_JIS;
        if (c == '@') code = JAPANESE_JIS_OLD;
      }
    } else if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9F)) {
      code = JAPANESE_SJIS;
    } else if (c == kSingleShift2) {
      c = next();
      if (InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xA0) || InRange(c, 0xE0, 0xFC)) {
        code = JAPANESE_SJIS;
      } else if (InRange(c, 0xA1, 0xDF)) {
        code = JAPANESE_EUC_OR_SJIS;
      }
    } else if (InRange(c, 0xA1, 0xDF)) {
      c = next();
      if (InRange(c, 0xF0, 0xFE)) {
        code = JAPANESE_EUC;
      } else if (InRange(c, 0xA1, 0xDF)) {
        code = JAPANESE_EUC_OR_SJIS;
      } else if (InRange(c, 0xE0, 0xEF)) {
        // Both readings stay possible until a byte only one of them allows.
        code = JAPANESE_EUC_OR_SJIS;
        while (c >= 0x40 && code == JAPANESE_EUC_OR_SJIS) {
          if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9F)) code = JAPANESE_SJIS;
          if (c == 0xFD || c == 0xFE) code = JAPANESE_EUC;
          c = next();
        }
      } else if (c < 0xA0) {  // the end of the text included
        code = JAPANESE_SJIS;
      }
    } else if (InRange(c, 0xF0, 0xFE)) {
      code = JAPANESE_EUC;
    } else if (InRange(c, 0xE0, 0xEF)) {
      c = next();
      if (InRange(c, 0x40, 0x7E) || InRange(c, 0x80, 0xA0)) {
        code = JAPANESE_SJIS;
      } else if (c == 0xFD || c == 0xFE) {
        code = JAPANESE_EUC;
      } else if (InRange(c, 0xA1, 0xFC)) {
        code = JAPANESE_EUC_OR_SJIS;
      }
    }
  }
  return code;
}

void ConvertJapaneseCode(int targetCode, const uint8_t* text, size_t length,
                         std::string* output, int assumedSource) {
  size_t n = TextLength(text, length);
  if (n == 0) return;
  int code = DetectJapaneseCode(text, n);
  if (code == JAPANESE_EUC_OR_SJIS) code = assumedSource;
  // Half-width katakana alone never decides; a JIS text must still have its
  // escape sequences read.
  if (code == JAPANESE_NONE && assumedSource == JAPANESE_JIS) code = JAPANESE_JIS;
  ConvertJapaneseText(targetCode, text, n, output, code);
}

void ConvertJapaneseText(int targetCode, const uint8_t* text, size_t length,
                         std::string* output, int code) {
  size_t n = TextLength(text, length);
  if (n == 0) return;
  bool fromJis = code == JAPANESE_JIS || code == JAPANESE_JIS_OLD;
  output->reserve(output->size() + 2 * n + 16);
  if (targetCode == JAPANESE_JIS && code == JAPANESE_EUC) {
    EucToJisText(text, n, output);
  } else if (targetCode == JAPANESE_JIS && code == JAPANESE_SJIS) {
    SjisToJisText(text, n, output);
  } else if (targetCode == JAPANESE_EUC && fromJis) {
    JisToOtherText(text, n, true, output);
  } else if (targetCode == JAPANESE_EUC && code == JAPANESE_SJIS) {
    SjisToEucText(text, n, output);
  } else if (targetCode == JAPANESE_SJIS && fromJis) {
    JisToOtherText(text, n, false, output);
  } else if (targetCode == JAPANESE_SJIS && code == JAPANESE_EUC) {
    EucToSjisText(text, n, output);
  } else {
    output->append(reinterpret_cast<const char*>(text), n);
  }
}
