#!/usr/bin/env python3
"""Writes the character set table files of lumen.

Sources, all installed from Debian:
  * the code pages: the codecs of the Python 3 standard library;
  * simplified and traditional Han variants: the Unicode Consortium's Unihan
    database (Unihan_Variants.txt from the package unicode-data).

Run from anywhere:  python3 tables/generate.py [--unihan DIR] [--out DIR]

Every file is written in the exact line format the loader reads, and the loader's
rules (later lines overwrite, the reverse-table exceptions of the double-byte
families, the ISO sections applied over the Windows code page) are simulated
here afterwards: the script stops with an error unless the tables the program
will build agree with the codecs for every byte and every code point.
"""

import argparse
import bz2
import codecs
import os
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))

# File name, codec, and for the files that also feed an ISO member, the member's
# section name and codec. Each file is one Windows or DOS code page.
SINGLE_BYTE = [
    ("TB_westerneuropean_ucs2.txt", "cp1252", None),
    ("TB_greek_ucs2.txt", "cp1253", ("GREEK_ISO", "iso8859_7")),
    ("TB_hebrew_ucs2.txt", "cp1255", ("HEBREW_ISO", "iso8859_8")),
    ("TB_arabic_ucs2.txt", "cp1256", ("ARABIC_ISO", "iso8859_6")),
    ("TB_cyrillic_ucs2.txt", "cp1251", ("CYRILLIC_ISO", "iso8859_5")),
    ("TB_cyrillickoi8_ucs2.txt", "koi8_r", None),
    ("TB_cyrillicdos_ucs2.txt", "cp866", None),
    ("TB_thai_ucs2.txt", "tis_620", None),
    ("TB_easterneuropean_ucs2.txt", "cp1250", ("EASTERNEUROPEAN_ISO", "iso8859_2")),
    ("TB_turkish_ucs2.txt", "cp1254", None),
    ("TB_vietnamese_ucs2.txt", "cp1258", None),
    ("TB_northerneuropean_ucs2.txt", "cp1257", ("NORTHERNEUROPEAN_ISO", "iso8859_4")),
    ("TB_ascii_ibm_ucs2.txt", "cp850", None),
    ("TB_latin3_ucs2.txt", "iso8859_3", None),
    ("TB_latin5_ucs2.txt", "iso8859_9", None),
    ("TB_latin6_ucs2.txt", "iso8859_14", None),
    ("TB_latin7_ucs2.txt", "iso8859_13", None),
    ("TB_latin9_ucs2.txt", "iso8859_15", None),
]

# Code pages that documents name for their 8-bit text but that no output set
# stands for: read for decoding only, in the single-byte line format.
DECODE_ONLY = [
    ("TB_macroman_ucs2.txt", "mac_roman"),
]

# File name, codec, lead bytes read as two-byte codes, family rule.
DOUBLE_BYTE = [
    ("TB_chsimplified_ucs2.txt", "gbk", range(0xA1, 0xFF), "gb"),
    ("TB_chtraditional_ucs2.txt", "cp950", range(0xA1, 0xFF), "big5"),
    ("TB_korean_ucs2.txt", "cp949", range(0x81, 0xFF), "korean"),
    ("TB_shiftjis_ucs2.txt", "cp932",
     list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)), "sjis"),
]

ISO_PART = {"iso8859_7": 7, "iso8859_8": 8, "iso8859_6": 6, "iso8859_5": 5,
            "iso8859_2": 2, "iso8859_4": 4}

# What route K writes for a Big5 code without a character, and the GB2312 code
# written for a character without a simplified form in GB2312: FULLWIDTH
# QUESTION MARK, A3 BF.
BIG5_UNMAPPED = 0xFF1F
GB_UNMAPPED = 0xA3BF


def fail(message):
    sys.exit("generate.py: " + message)


def decode_byte(codec, b):
    try:
        text = bytes([b]).decode(codec)
    except UnicodeDecodeError:
        return None
    if len(text) != 1 or ord(text) > 0xFFFF:
        return None
    return ord(text)


def encode_char(codec, cp):
    if 0xD800 <= cp <= 0xDFFF:
        return None
    try:
        return chr(cp).encode(codec)
    except UnicodeEncodeError:
        return None


def char_name(cp):
    return unicodedata.name(chr(cp), "U+%04X" % cp)


def write(out_dir, name, text):
    with open(os.path.join(out_dir, name), "wb") as f:
        f.write(text.encode("ascii"))


# ---------------------------------------------------------------------------
# Single-byte files: 256 lines "0xBYTE-0xCODE", byte order. A byte without a
# character gets a line without "-", which the loader skips.

def single_byte_text(codec):
    lines = []
    for b in range(256):
        cp = decode_byte(codec, b)
        lines.append("0x%x-0x%x" % (b, cp) if cp is not None else "0x%x unassigned" % b)
    return "\n".join(lines) + "\n"


def builtin_ascii_text():
    # windows-1252, the five bytes it leaves unassigned mapping to themselves.
    lines = []
    for b in range(256):
        cp = decode_byte("cp1252", b)
        lines.append("0x%x-0x%x" % (b, b if cp is None else cp))
    return "\n".join(lines)


def load_single(text, forward, reverse):
    """The loader's reading of a single-byte file (256 lines at most)."""
    for line in text.split("\n")[:256]:
        if "-" not in line:
            continue
        b, cp = (int(x, 0) for x in line.split("-", 1))
        forward[b] = cp
        reverse[cp] = b


def iso_section(section, windows_codec, iso_codec):
    """Entries that turn the Windows code page's tables into the ISO one's.

    An entry sets forward[byte] and reverse[code]. Besides the differing bytes,
    two kinds of clearing entries are needed: "byte = U+0000" empties a byte the
    ISO set leaves unassigned, and "0x00 = U+code" empties the reverse entry of a
    character that only the Windows code page has. A closing "0x00 = U+0000"
    restores the entries of byte 0 and U+0000.
    """
    part = ISO_PART[iso_codec]
    win = {b: decode_byte(windows_codec, b) for b in range(256)}
    iso = {b: decode_byte(iso_codec, b) for b in range(256)}
    lines = ["%s: ISO-8859-%d, entries over windows-%s" % (section, part, windows_codec[2:])]
    for b in range(256):
        if iso[b] is not None and iso[b] != win[b]:
            lines.append("%x:0x%02X = U+%04X : %s" % (part, b, iso[b], char_name(iso[b])))
    for b in range(256):
        if iso[b] is None and win[b] is not None:
            lines.append("%x:0x%02X = U+0000 : byte unassigned in ISO-8859-%d" % (part, b, part))
    iso_chars = set(cp for cp in iso.values() if cp is not None)
    for b in range(256):
        cp = win[b]
        if cp is not None and cp != 0 and cp not in iso_chars:
            lines.append("%x:0x00 = U+%04X : %s not in ISO-8859-%d" % (part, cp, char_name(cp), part))
    lines.append("%x:0x00 = U+0000 : NULL" % part)
    return lines


def apply_iso_section(lines, forward, reverse):
    for line in lines[1:]:
        field, rest = line.split(":", 1)
        b = int(rest.split(" = U+")[0], 16)
        cp = int(rest.split(" = U+")[1].split(" : ")[0], 16)
        forward[b] = cp
        reverse[cp] = b


def check_single(name, codec, forward, reverse):
    for b in range(256):
        cp = decode_byte(codec, b)
        if forward.get(b, 0) != (cp or 0):
            fail("%s: byte 0x%02x reads as U+%04X" % (name, b, forward.get(b, 0)))
    for cp in range(1, 0x10000):
        enc = encode_char(codec, cp)
        want = enc[0] if enc is not None and len(enc) == 1 else 0
        if reverse.get(cp, 0) != want:
            fail("%s: U+%04X writes 0x%02x, not 0x%02x" % (name, cp, reverse.get(cp, 0), want))


# ---------------------------------------------------------------------------
# Double-byte files: lines "0xNUMBER-0xCODE", NUMBER = first byte + 256 * second
# byte. Codes whose character the codec writes with another code come first, so
# that the code the codec writes is the one the loader keeps for the reverse table.

def double_byte_codes(codec, leads):
    codes = []
    for b in range(0x80):
        codes.append(((b,), b))
    for b in range(0x80, 0x100):
        if b in leads:
            continue
        cp = decode_byte(codec, b)
        if cp is not None:
            codes.append(((b,), cp))
    for lead in leads:
        for trail in range(0x40, 0x100):
            try:
                text = bytes([lead, trail]).decode(codec)
            except UnicodeDecodeError:
                continue
            if len(text) == 1 and ord(text) <= 0xFFFF:
                codes.append(((lead, trail), ord(text)))
    return codes


def double_byte_text(codec, leads):
    codes = double_byte_codes(codec, leads)
    known = set(code for code, cp in codes)
    # Characters the codec writes with a code that reads back as another
    # character (U+00A2 as Big5 A2 46, which reads as U+FFE0): a line of their
    # own, early, so that the code's own line later wins the forward entry.
    one_way = []
    for cp in range(0x80, 0x10000):
        enc = encode_char(codec, cp)
        if enc is not None and tuple(enc) in known and enc.decode(codec) != chr(cp):
            one_way.append((tuple(enc), cp))
    canonical = lambda c: encode_char(codec, c[1]) == bytes(c[0])
    ordered = (one_way + [c for c in codes if not canonical(c)] +
               [c for c in codes if canonical(c)])
    lines = []
    for code, cp in ordered:
        number = code[0] + 256 * (code[1] if len(code) == 2 else 0)
        lines.append("0x%x-0x%x" % (number, cp))
    return "\n".join(lines) + "\n"


def load_double(text, rule, forward, reverse):
    """The loader's reading of a double-byte file, reverse exceptions included."""
    for line in text.split("\n")[:65536]:
        if "-" not in line:
            continue
        number, cp = (int(x, 0) for x in line.split("-", 1))
        first, second = number & 0xFF, number >> 8
        forward[number] = cp
        if rule == "sjis" and cp == 0x30FB:
            continue
        if rule == "gb" and 0xA1 <= first <= 0xFE and not 0xA1 <= second <= 0xFE \
                and (first, second) != (0xE9, 0x46):
            first = 0
        if rule == "big5" and 0xA1 <= first <= 0xFE and not (
                0x40 <= second <= 0x7E or 0xA1 <= second <= 0xFE):
            first = 0
        reverse[cp] = (first, second)
    if rule == "sjis":
        reverse[0x30FB] = (0x81, 0x45)


def gb2312_code(cp):
    """The GB2312 bytes of a character as CHINESESIMPLIFIED writes them, or None."""
    enc = encode_char("gbk", cp)
    if enc is None:
        return None
    if len(enc) == 1:
        return enc if enc[0] < 0x80 else None
    if 0xA1 <= enc[0] <= 0xFE and (0xA1 <= enc[1] <= 0xFE or enc == b"\xe9\x46"):
        return enc
    return None


def expected_double(rule, codec, cp):
    if rule == "gb":
        return gb2312_code(cp)
    enc = encode_char(codec, cp)
    if enc is None:
        return None
    if rule == "big5" and len(enc) == 2 and enc[0] < 0xA1:
        return None
    return enc


def written_bytes(rule, entry):
    first, second = entry
    if first == 0:
        return None
    lead = {"gb": range(0xA1, 0xFF), "big5": range(0xA1, 0xFF),
            "korean": range(0x81, 0xFF),
            "sjis": list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))}[rule]
    return bytes([first, second]) if first in lead else bytes([first])


def check_double(name, codec, rule, leads, forward, reverse):
    for code, cp in double_byte_codes(codec, leads):
        number = code[0] + 256 * (code[1] if len(code) == 2 else 0)
        if forward.get(number) != cp:
            fail("%s: code %s reads wrongly" % (name, bytes(code).hex()))
    for cp in range(1, 0x10000):
        want = expected_double(rule, codec, cp)
        got = written_bytes(rule, reverse.get(cp, (0, 0)))
        if got != want:
            fail("%s: U+%04X writes %r, not %r" % (name, cp, got, want))


# ---------------------------------------------------------------------------
# Unihan variants.

def read_variants(unihan_dir):
    path = os.path.join(unihan_dir, "Unihan_Variants.txt")
    opener = open
    if not os.path.exists(path):
        path += ".bz2"
        opener = bz2.open
    simplified, traditional = {}, {}
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            cp, field, value = line.rstrip("\n").split("\t")
            cp = int(cp[2:], 16)
            targets = [int(v[2:].split("<")[0], 16) for v in value.split()]
            if field == "kSimplifiedVariant":
                simplified[cp] = targets
            elif field == "kTraditionalVariant":
                traditional[cp] = targets
    return simplified, traditional


def simp_to_trad_text(traditional):
    """Lines "SIMPLIFIED TRADITIONAL" for simplified characters Big5 lacks."""
    lines = []
    for cp in sorted(traditional):
        if cp > 0xFFFF or cp == 0 or encode_char("cp950", cp) is not None:
            continue
        for t in traditional[cp]:
            enc = encode_char("cp950", t) if t <= 0xFFFF else None
            if t != cp and enc is not None and len(enc) == 2:
                lines.append("%x %x" % (cp, t))
                break
    return "\n".join(lines) + "\n"


def big5_index_codes():
    for lead in range(0xA1, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF)):
            yield lead, trail


def big5_to_gb_text(simplified):
    """14,758 values Big5 code -> UCS-2, then 65,536 values UCS-2 -> GB2312."""
    values = []
    for lead, trail in big5_index_codes():
        try:
            text = bytes([lead, trail]).decode("cp950")
        except UnicodeDecodeError:
            text = ""
        values.append(ord(text) if len(text) == 1 and ord(text) <= 0xFFFF else BIG5_UNMAPPED)
    assert len(values) == 14758
    for cp in range(0x10000):
        if cp < 0x80:
            values.append(cp)
            continue
        gb = gb2312_code(cp)
        if gb is None:
            for s in simplified.get(cp, []):
                gb = gb2312_code(s) if s <= 0xFFFF else None
                if gb is not None:
                    break
        if gb is None or len(gb) != 2:
            values.append(GB_UNMAPPED)
        else:
            values.append(gb[0] << 8 | gb[1])
    return "\n".join("0x%x" % v for v in values) + "\n"


# ---------------------------------------------------------------------------

def entities_text(ascii_text):
    forward, reverse = {}, {}
    load_single(ascii_text, forward, reverse)
    representable = set(forward.values())
    numbers = [cp for cp in range(1, 0x10000)
               if cp not in representable and not 0xD800 <= cp <= 0xDFFF]
    return "\n".join(str(cp) for cp in numbers) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--unihan", default="/usr/share/unicode",
                        help="directory of Unihan_Variants.txt[.bz2]")
    parser.add_argument("--out", default=HERE, help="output directory")
    args = parser.parse_args()

    ascii_text = builtin_ascii_text()
    write(args.out, "TB_ascii_ucs2.txt", ascii_text)
    write(args.out, "TB_unicode_entities.txt", entities_text(ascii_text))

    iso_lines = []
    for name, codec, iso in SINGLE_BYTE:
        text = single_byte_text(codec)
        write(args.out, name, text)
        forward, reverse = {}, {}
        load_single(text, forward, reverse)
        check_single(name, codec, forward, reverse)
        if iso is not None:
            section = iso_section(iso[0], codec, iso[1])
            iso_lines += section + [""]
            apply_iso_section(section, forward, reverse)
            check_single(iso[0], iso[1], forward, reverse)
    write(args.out, "TB_iso8859.txt", "\n".join(iso_lines))

    for name, codec in DECODE_ONLY:
        text = single_byte_text(codec)
        write(args.out, name, text)
        forward, reverse = {}, {}
        load_single(text, forward, reverse)
        check_single(name, codec, forward, reverse)

    simplified, traditional = read_variants(args.unihan)
    for name, codec, leads, rule in DOUBLE_BYTE:
        text = double_byte_text(codec, leads)
        write(args.out, name, text)
        forward, reverse = {}, {}
        load_double(text, rule, forward, reverse)
        check_double(name, codec, rule, leads, forward, reverse)
        if rule == "big5":
            pairs = simp_to_trad_text(traditional)
            write(args.out, "TB_ucs2chsimp_ucs2chtrad.txt", pairs)
    write(args.out, "TB_chtraditional_chsimplified.txt", big5_to_gb_text(simplified))


if __name__ == "__main__":
    main()
