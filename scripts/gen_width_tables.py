#!/usr/bin/env python3
"""Writes codes/WidthTables.cpp: the fourteen width tables of CKanji in all three codes.

The characters are listed once, as JIS codes (row << 8 | cell); EUC-JP and Shift_JIS bytes are
derived from them. Python's codecs are used only to print each row's character in a comment.

    python3 scripts/gen_width_tables.py > codes/WidthTables.cpp
"""

import sys

# ---- The source of truth: JIS codes ------------------------------------------------------------

# Full-width form of each half-width katakana byte 0xA1 + k, k = 0..62.
KANA_ZEN = [
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126,  # 0xA1..0xA5 punctuation
    0x2572,  # 0xA6 wo
    0x2521, 0x2523, 0x2525, 0x2527, 0x2529,  # 0xA7..0xAB small a i u e o
    0x2563, 0x2565, 0x2567, 0x2543,  # 0xAC..0xAF small ya yu yo tsu
    0x213C,  # 0xB0 prolonged sound mark
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A,  # 0xB1..0xB5 a i u e o
    0x252B, 0x252D, 0x252F, 0x2531, 0x2533,  # 0xB6..0xBA ka..ko
    0x2535, 0x2537, 0x2539, 0x253B, 0x253D,  # 0xBB..0xBF sa..so
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548,  # 0xC0..0xC4 ta..to
    0x254A, 0x254B, 0x254C, 0x254D, 0x254E,  # 0xC5..0xC9 na..no
    0x254F, 0x2552, 0x2555, 0x2558, 0x255B,  # 0xCA..0xCE ha..ho
    0x255E, 0x255F, 0x2560, 0x2561, 0x2562,  # 0xCF..0xD3 ma..mo
    0x2564, 0x2566, 0x2568,  # 0xD4..0xD6 ya yu yo
    0x2569, 0x256A, 0x256B, 0x256C, 0x256D,  # 0xD7..0xDB ra..ro
    0x256F, 0x2573,  # 0xDC wa, 0xDD n
    0x212B, 0x212C,  # 0xDE voiced, 0xDF semi-voiced sound mark
]

# Bytes whose voiced form is the next JIS code (ka..to, ha..ho); u takes vu, which stands apart.
VOICED_NEXT = list(range(0xB6, 0xC5)) + list(range(0xCA, 0xCF))
VOICED_U = (0xB3, 0x2574)
# Bytes whose semi-voiced form is two JIS codes on (ha..ho).
SEMI_VOICED = list(range(0xCA, 0xCF))

# ASCII 0x20..0x7E that are symbols, with their full-width partner in row 0x21.
ASCII_MARKS = {
    0x20: 0x2121, 0x21: 0x212A, 0x22: 0x2149, 0x23: 0x2174, 0x24: 0x2170, 0x25: 0x2173,
    0x26: 0x2175, 0x27: 0x2147, 0x28: 0x214A, 0x29: 0x214B, 0x2A: 0x2176, 0x2B: 0x215C,
    0x2C: 0x2124, 0x2D: 0x215D, 0x2E: 0x2125, 0x2F: 0x213F, 0x3A: 0x2127, 0x3B: 0x2128,
    0x3C: 0x2163, 0x3D: 0x2161, 0x3E: 0x2164, 0x3F: 0x2129, 0x40: 0x2177, 0x5B: 0x214E,
    0x5C: 0x216F, 0x5D: 0x214F, 0x5E: 0x2130, 0x5F: 0x2132, 0x60: 0x212E, 0x7B: 0x2150,
    0x7C: 0x2143, 0x7D: 0x2151, 0x7E: 0x2131,
}

KATAKANA_ROW, HIRAGANA_ROW, MARK_ROW = 0x25, 0x24, 0x21


# ---- The three codes ---------------------------------------------------------------------------

def jis_bytes(code):
    return [code >> 8, code & 0xFF]


def euc_bytes(code):
    return [b | 0x80 for b in jis_bytes(code)]


def sjis_bytes(code):
    # Two rows share a lead byte; odd rows take trail bytes 0x40..0x9E skipping 0x7F, even rows
    # 0x9F..0xFC.
    row, cell = jis_bytes(code)
    lead = ((row - 0x21) >> 1) + 0x81
    if lead > 0x9F:
        lead += 0x40
    if row & 1:
        trail = cell + 0x1F
        if trail >= 0x7F:
            trail += 1
    else:
        trail = cell + 0x7E
    return [lead, trail]


CODES = [("E", "EUC-JP", euc_bytes), ("S", "Shift_JIS", sjis_bytes), ("J", "JIS", jis_bytes)]


def char_of(code):
    row, cell = jis_bytes(code)
    try:
        return bytes([row | 0x80, cell | 0x80]).decode("euc_jp")
    except UnicodeDecodeError:
        return None


def ascii_name(byte):
    # A backslash would end a comment line by continuing it, so the awkward bytes go by name.
    return {0x20: "space", 0x5C: "backslash", 0x7F: "DEL"}.get(byte, chr(byte))


def half_of(byte):
    return bytes([byte]).decode("shift_jis") if 0xA1 <= byte <= 0xDF else chr(byte)


# ---- Tables as JIS codes -----------------------------------------------------------------------

def kana_records(hiragana):
    """63 (zen, daku, handaku) JIS codes, None where there is no such form."""
    records = []
    for k, zen in enumerate(KANA_ZEN):
        byte = 0xA1 + k
        daku = zen + 1 if byte in VOICED_NEXT else None
        if byte == VOICED_U[0] and not hiragana:
            daku = VOICED_U[1]
        handaku = zen + 2 if byte in SEMI_VOICED else None
        if hiragana and zen >> 8 == KATAKANA_ROW:
            # The hiragana of the same sound is the same cell one row up.
            zen, daku, handaku = [None if c is None else c - 0x100 for c in (zen, daku, handaku)]
        records.append((zen, daku, handaku))
    return records


def zen2han_records(row, count):
    """Inverse of the katakana tables for one kana row: cell - 0x21 -> half-width bytes."""
    found = {}
    for k, (zen, daku, handaku) in enumerate(kana_records(row == HIRAGANA_ROW)):
        for code, mark in ((zen, None), (daku, 0xDE), (handaku, 0xDF)):
            if code is not None and code >> 8 == row:
                found[code] = [0xA1 + k] + ([mark] if mark else [])
    return [(row << 8 | 0x21 + i, found.get(row << 8 | 0x21 + i, [])) for i in range(count)]


# ---- C++ output --------------------------------------------------------------------------------

def c_string(data):
    # Every byte as an escape, so that no escape can swallow a following hex digit.
    return '"' + "".join("\\x%02X" % b for b in data) + '"'


def c_char(byte):
    return "0" if byte == 0 else "'\\x%02X'" % byte


def zen2han_row(result, comment):
    result = list(result) + [0, 0]
    fields = "{%s, %s}," % (c_char(result[0]), c_char(result[1]))
    return "    %-17s // %s" % (fields, comment)


def emit_han2zen(out, name, hiragana, code_name, to_bytes):
    what = "hiragana" if hiragana else "katakana"
    out.append("// Half-width katakana byte 0xA1 + k to full-width %s, %s bytes." % (what, code_name))
    out.append("const CKanji::SHan2Zen CKanji::%s[63] = {" % name)
    for k, record in enumerate(kana_records(hiragana)):
        fields = [c_string(to_bytes(c)) if c is not None else "nullptr" for c in record]
        chars = " ".join(char_of(c) or "?" for c in record if c is not None)
        row = "{%s}," % ", ".join(fields)
        out.append("    %-38s // 0x%02X %s %s" % (row, 0xA1 + k, half_of(0xA1 + k), chars))
    out.append("};")
    out.append("")


def emit_zen2han(out, name, row, count, what):
    out.append("// %s: JIS cell - 0x21 of row 0x%02X to half-width katakana bytes (every code)."
               % (what, row))
    out.append("const CKanji::SZen2Han CKanji::%s[%d] = {" % (name, count))
    for code, result in zen2han_records(row, count):
        if char_of(code) is None:
            comment = "0x%04X no character" % code
        else:
            half = "".join(half_of(b) for b in result) if result else "stays full width"
            comment = "0x%04X %s %s" % (code, char_of(code), half)
        out.append(zen2han_row(result, comment))
    out.append("};")
    out.append("")


def ascii_to_jis(byte):
    if 0x30 <= byte <= 0x39 or 0x41 <= byte <= 0x5A or 0x61 <= byte <= 0x7A:
        return 0x2300 | byte
    return ASCII_MARKS.get(byte)


def emit_a2z(out, suffix, code_name, to_bytes):
    out.append("// ASCII byte - 0x20 to its full-width form, %s bytes; 0x7F has none." % code_name)
    out.append("const CKanji::SZen2Han CKanji::stTableA2Z%s[96] = {" % suffix)
    for byte in range(0x20, 0x80):
        code = ascii_to_jis(byte)
        result = to_bytes(code) if code is not None else []
        full = char_of(code) if code is not None else "none"
        out.append(zen2han_row(result, "0x%02X %s %s" % (byte, ascii_name(byte), full)))
    out.append("};")
    out.append("")


def mark_result(code, to_bytes):
    ascii_of = {jis: byte for byte, jis in ASCII_MARKS.items()}
    return [ascii_of[code]] if code in ascii_of else to_bytes(code)


def emit_m2h(out, suffix, code_name, to_bytes):
    rows = []
    if suffix == "S":
        # Indexed by the trail byte 0x40..0x9F under lead 0x81: 0x7F is no trail byte and 0x9F
        # belongs to the next row, so those two records hold no symbol of row 0x21.
        index = "Shift_JIS trail byte - 0x40 under lead 0x81"
        for trail in range(0x40, 0xA0):
            if trail == 0x7F:
                rows.append(([0x81, 0x7F], "0x817F no character"))
            elif trail == 0x9F:
                rows.append(([], "0x819F row 0x22, no record"))
            else:
                code = MARK_ROW << 8 | (trail - 0x1F if trail < 0x7F else trail - 0x20)
                rows.append((mark_result(code, to_bytes), "0x81%02X %s" % (trail, char_of(code))))
    else:
        index = "JIS cell - 0x21 of row 0x21" if suffix == "J" else "EUC-JP trail byte - 0xA1"
        for cell in range(0x21, 0x7F):
            code = MARK_ROW << 8 | cell
            data = to_bytes(code)
            rows.append((mark_result(code, to_bytes),
                         "0x%02X%02X %s" % (data[0], data[1], char_of(code))))
    out.append("// Full-width symbols to ASCII, or to their own %s bytes; index: %s."
               % (code_name, index))
    out.append("const CKanji::SZen2Han CKanji::stTableM2H%s[%d] = {" % (suffix, len(rows)))
    for result, comment in rows:
        if len(result) == 1:
            comment += " -> " + ascii_name(result[0])
        out.append(zen2han_row(result, comment))
    out.append("};")
    out.append("")


def generate():
    out = [
        "// Generated by scripts/gen_width_tables.py; do not edit. Regenerate with",
        "//   python3 scripts/gen_width_tables.py > codes/WidthTables.cpp",
        "// The full-width/half-width tables of CKanji. Each group holds the same characters in",
        "// EUC-JP, Shift_JIS and JIS bytes; the lists of JIS codes in the script are the source.",
        '#include "string/Kanji.h"',
        "",
        "// clang-format off",
        "",
    ]
    for hiragana in (False, True):
        for suffix, code_name, to_bytes in CODES:
            name = "stTableH2Z%s%s" % ("H" if hiragana else "", suffix)
            emit_han2zen(out, name, hiragana, code_name, to_bytes)
    emit_zen2han(out, "stTableZK2H", KATAKANA_ROW, 86, "Katakana")
    emit_zen2han(out, "stTableZH2H", HIRAGANA_ROW, 84, "Hiragana")
    for suffix in ("J", "S", "E"):
        code_name, to_bytes = {c[0]: c[1:] for c in CODES}[suffix]
        emit_a2z(out, suffix, code_name, to_bytes)
    for suffix in ("J", "S", "E"):
        code_name, to_bytes = {c[0]: c[1:] for c in CODES}[suffix]
        emit_m2h(out, suffix, code_name, to_bytes)
    out.append("// clang-format on")
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    sys.stdout.write(generate())
