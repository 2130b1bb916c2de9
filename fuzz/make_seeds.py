#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/ from small slices of
the shared corpus and test data (read from SHARED, default ../shared beside the repository).
The files are committed; rerun this only to change them:  python3 fuzz/make_seeds.py [SHARED]

Each seed follows its target's input layout (see the target's source): `codes` takes a header
byte and a two-byte room seed before the text; `string` a memory-limit byte and then operations;
`conf` two bytes of reader settings before the file contents."""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SHARED = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "shared")


def read(rel):
    with open(os.path.join(SHARED, rel), "rb") as f:
        return f.read()


def lines(rel, first, count):
    """`count` whole lines of a corpus file from line `first` (0-based)."""
    return b"\n".join(read(rel).split(b"\n")[first:first + count]) + b"\n"


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- codes: header (flags and start shift), room seed (2 bytes), text -----------------------
SLICES = {
    "ja-sjis": lines("corpus/ja-sjis.txt", 300, 40),
    "ja-euc": lines("corpus/ja-euc.txt", 300, 40),
    "ja-jis": lines("corpus/ja-jis.txt", 300, 40),
    "hw-sjis": lines("corpus/hw-sjis.txt", 300, 40),
    "hw-euc": lines("corpus/hw-euc.txt", 300, 40),
    "hw-jis": lines("corpus/hw-jis.txt", 300, 40),
}
for name, text in SLICES.items():
    write("codes", name, bytes([0x03, 0x12, 0x34]) + text[:1500])
write("codes", "iconv-2022jp", bytes([0x00, 0x00, 0x07]) + read("testdata/libiconv/ISO-2022-JP-snippet"))
write("codes", "iconv-2022jp1", bytes([0x01, 0x56, 0x01]) + read("testdata/libiconv/ISO-2022-JP-1-snippet"))
# Shift_JIS lead bytes 0xF0..0xFC, outside the library's Shift_JIS, and the last grid rows.
sjis_lines = read("testdata/encoding_rs/shift_jis_in.txt").split(b"\n")
write("codes", "sjis-high-leads", bytes([0x02, 0x99, 0x99]) + b"\n".join(sjis_lines[8800:8900]))
write("codes", "escapes", bytes([0x04, 0x01, 0x01]) +
      b"\x1b$B0!\x1b(Ba\x1b$@0!\x1b(J\x0e\x0f1\x0e\x1b(I6^\x1b$(D0!\x1b&@\x1b(Z\x1b$\x1b")

# ---- string: memory-limit byte, then operations ------------------------------------------
SLOTS = 5


class Ops:
    """Builds an operation stream as the target reads it, creating slots on first use."""

    def __init__(self, limit):
        self.out = bytearray([limit])
        self.made = set()

    def config(self, output, input_, flags=0x01):
        return bytes([output | (input_ << 2), flags])

    def op(self, kind, a, b, configs=()):
        self.out += bytes([kind, a, b])
        configs = list(configs)
        for slot in (a, b):
            if slot not in self.made:
                self.made.add(slot)
                self.out += configs.pop(0) if configs else self.config(1, 1)
        return self

    def text(self, data):
        data = data[:64]
        self.out += bytes([len(data)]) + data
        return self

    def byte(self, *values):
        self.out += bytes(values)
        return self


EUC, SJIS, JIS, AUTO = 0, 1, 2, 3
sjis = SLICES["ja-sjis"]
euc = SLICES["ja-euc"]
jis = SLICES["ja-jis"]
hw = SLICES["hw-sjis"]

s = Ops(3)
s.op(0, 0, 1, [s.config(EUC, AUTO), s.config(SJIS, SJIS)]).text(sjis[:60])
s.op(1, 0, 0).text(euc[60:120])
s.op(0, 1, 1).text(sjis[120:180])
s.op(9, 0, 1).byte(0, 1, 0)
s.op(10, 0, 1).byte(2, 3, 4)
s.op(16, 1, 0)
write("string", "assign-compare", bytes(s.out))

s = Ops(4)
s.op(0, 2, 3, [s.config(JIS, AUTO), s.config(SJIS, SJIS, 0x21)]).text(jis[:64])
s.op(11, 2, 2).text(b"\x1b$B").text(b"x")
s.op(0, 3, 3).text(hw[:64])
s.op(13, 3, 3).byte(0x1F)
s.op(14, 3, 3).byte(0x17)
s.op(15, 3, 3).byte(0x07)
s.op(6, 2, 3)
s.op(17, 2, 2)
write("string", "jis-width", bytes(s.out))

s = Ops(0)
s.op(0, 0, 0).text(b"-2147483649")
s.op(18, 0, 0)
s.op(2, 1, 1).text(b"ab\x00cd")
s.op(3, 1, 1).text(b"\x82\x4f\x82\x50\x82\x51")
s.op(18, 1, 1)
s.op(19, 1, 1).byte(9, 1)
s.op(27, 4, 4).byte(0)
s.op(27, 4, 4).byte(3)
s.op(27, 4, 4).byte(0)
write("string", "numbers-self", bytes(s.out))

s = Ops(5)
s.op(0, 0, 1, [s.config(EUC, EUC, 0x07), s.config(SJIS, AUTO, 0x0F)]).text(euc[200:264])
s.op(11, 0, 0).text(euc[200:204]).text(b"\xa4\xa2")
s.op(12, 0, 1).byte(2)
s.op(24, 3, 0).byte(0x0A, 0x21).text(euc[204:230])
s.op(12, 3, 0).byte(0)
s.op(25, 3, 3)
s.op(28, 0, 1)
write("string", "replace-copy", bytes(s.out))

# ---- conf: reader settings (codes, flags), then the file -----------------------------------
example = ("# 設定\n\nplace = 東京\u3000駅\nmode=fast  # note\ndebug=1\n")
write("conf", "example-sjis", bytes([AUTO << 2 | EUC, 0x01]) + example.encode("shift_jis"))
write("conf", "example-euc", bytes([EUC << 2 | EUC, 0x01]) + example.encode("euc_jp"))
write("conf", "example-jis", bytes([JIS << 2 | JIS, 0x01]) + example.encode("iso2022_jp"))
write("conf", "crlf-lastline", bytes([SJIS << 2 | SJIS, 0x00]) +
      "a=b\r\nキー＝値\r\n c = d # x\r\nlast=1".encode("shift_jis"))
write("conf", "no-key", bytes([SJIS << 2 | SJIS, 0x00]) + b"x=1\n=value\n")
write("conf", "no-equal", bytes([SJIS << 2 | SJIS, 0x00]) + b"x=1\nkey#note\n")
write("conf", "no-value", bytes([SJIS << 2 | SJIS, 0x00]) + b"x=1\na=b=\n")
write("conf", "binary", bytes([EUC << 2 | EUC, 0x10]) + bytes(range(256)))
