#!/usr/bin/env python3
"""Generates src/text/chinese_tables.cpp, the Chinese character data of larch.

Reads Unihan (Debian package unicode-data, /usr/share/unicode/Unihan_*.txt.bz2)
and the OpenCC character dictionaries (Debian package opencc / libopencc-data,
/usr/share/opencc/*.ocd2, turned into text with opencc_dict) and writes:

  * two sorted UTF-16 pair arrays, traditional->simplified (the simplified
    form listed for the character itself) and simplified->traditional
    (Taiwan variants on the traditional side);
  * one 16-bit key per GBK double-byte code: pinyin rank << 5 | stroke key;
  * the pinyin and stroke boundary rows that the classification searches.

    gen_chinese_tables.py            rewrite the committed file
    gen_chinese_tables.py --check    exit 1 when it differs from a fresh run
"""

import argparse
import bz2
import difflib
import os
import re
import subprocess
import sys
import tempfile
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
OUTPUT = os.path.join(REPO, "src", "text", "chinese_tables.cpp")

# Pinyin rows, tried from the first to the last: a character takes the
# letter of the first boundary it does not sort before. I, U and V have none.
PINYIN_ROWS = [
    ("Z", "匝"), ("Y", "丫"), ("X", "夕"), ("W", "哇"), ("T", "他"), ("S", "撒"),
    ("R", "然"), ("Q", "七"), ("P", "趴"), ("O", "哦"), ("N", "拿"), ("M", "妈"),
    ("L", "廓"), ("K", "咖"), ("J", "讥"), ("H", "哈"), ("G", "嘎"), ("F", "发"),
    ("E", "讹"), ("D", "搭"), ("C", "擦"), ("B", "八"), ("A", "阿"),
]
# The first character of 1, 2, ... 30 strokes.
STROKE_ROWS = "一二三不且丞丣並临丵乾亁亂僊僵亸償儭儳儶儷亹儽儾囔圞灥囖灩灪"

STROKE_BITS = 5
MAX_STROKE_KEY = (1 << STROKE_BITS) - 1
PINYIN_RANKS = 1 << (16 - STROKE_BITS)

# GB2312 level 1, the characters that GB2312 orders by pinyin: rows 0xB0 to
# 0xD7, trail bytes 0xA1 to 0xFE.
def is_level1(code):
    return 0xB0A1 <= code <= 0xD7F9 and (code & 0xFF) >= 0xA1

# Price of a level-1 character placed against all its readings.
OUT_OF_ORDER = 3

TONE_MARKS = {"\u0304": 1, "\u0301": 2, "\u030C": 3, "\u0300": 4}


# ---- sources ---------------------------------------------------------------

def read_unihan(unihan_dir, name, fields):
    """{field: {char: value}} for the wanted fields of one Unihan file."""
    result = {f: {} for f in fields}
    version = None
    path = os.path.join(unihan_dir, "Unihan_%s.txt.bz2" % name)
    with bz2.open(path, "rt", encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                m = re.match(r"# Unicode version: (\S+)", line)
                if m:
                    version = m.group(1)
                continue
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] in result:
                result[parts[1]][chr(int(parts[0][2:], 16))] = parts[2]
    return result, version


def read_opencc(opencc_dir, name, workdir):
    """{char: [candidates]} of one OpenCC character dictionary, in its order
    (the first is the usual form)."""
    text = os.path.join(workdir, name + ".txt")
    subprocess.run(["opencc_dict", "-i", os.path.join(opencc_dir, name + ".ocd2"),
                    "-o", text, "-f", "ocd2", "-t", "text"], check=True)
    table = {}
    with open(text, encoding="utf-8") as f:
        for line in f:
            key, _, values = line.rstrip("\n").partition("\t")
            candidates = [v for v in values.split(" ") if len(v) == 1]
            if len(key) == 1 and candidates:
                table[key] = candidates
    return table


def package_version(package):
    try:
        out = subprocess.run(["dpkg-query", "-W", "-f", "${Version}", package],
                             capture_output=True, text=True, check=True)
        return out.stdout.strip() or "unknown"
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


# ---- code pages ------------------------------------------------------------

def gbk_codes():
    """(index, code, char) of every GBK double-byte code in grid order; char
    is None where the code page has no character."""
    index = 0
    for lead in range(0x81, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
            try:
                char = bytes([lead, trail]).decode("gbk")
            except UnicodeDecodeError:
                char = None
            yield index, (lead << 8) | trail, char
            index += 1


def double_byte_chars(codec):
    chars = set()
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            try:
                chars.add(bytes([lead, trail]).decode(codec))
            except UnicodeDecodeError:
                pass
    return chars


# ---- readings --------------------------------------------------------------

def parse_pinyin(reading):
    """(syllable, tone): the syllable in ASCII with ü written v, tone 1-4,
    5 for the neutral tone."""
    tone = 5
    out = []
    for ch in unicodedata.normalize("NFD", reading.strip().lower()):
        if ch in TONE_MARKS:
            tone = TONE_MARKS[ch]
        elif ch == "\u0308":  # ü
            if out and out[-1] == "u":
                out[-1] = "v"
        elif unicodedata.combining(ch):
            continue  # ê and the like: the base letter is enough to sort
        elif "a" <= ch <= "z":
            out.append(ch)
    return "".join(out), tone


def syllable_order(syllable):
    """Sort key of a syllable: ü sorts as u, with the ü form second, so lu,
    lü, luan, lüe, lun follow one another as in GB2312."""
    return syllable.replace("v", "u"), syllable


def reading_order(reading):
    return syllable_order(reading[0]), reading[1]


def readings_of(char, fields):
    """Every reading of a character, kMandarin's first."""
    found = []
    mandarin = fields["kMandarin"].get(char)
    if mandarin:
        found += mandarin.split()
    for field in ("kTGHZ2013", "kXHC1983", "kHanyuPinyin"):
        for entry in fields[field].get(char, "").split():
            found += entry.split(":", 1)[-1].split(",")
    for entry in fields["kHanyuPinlu"].get(char, "").split():
        found.append(entry.split("(")[0])
    return [parse_pinyin(r) for r in found if r]


def level1_readings(level1, fields):
    """The reading of each GB2312 level-1 character as its place in the code
    order says: a least-change path through the characters' readings along
    which the syllables never decrease; kMandarin's reading wherever the
    order allows it."""
    options = []
    for char in level1:
        readings = readings_of(char, fields)
        first = readings[0][0] if readings else None
        choice = {}
        for syllable, tone in readings:
            choice.setdefault(syllable, tone)
        options.append((first, choice))
    syllables = sorted({s for _, choice in options for s in choice}, key=syllable_order)
    column = {s: k for k, s in enumerate(syllables)}
    inf = float("inf")
    best = [0.0] * len(syllables)
    back = []
    for first, choice in options:
        running, arg = inf, -1
        prefix = []
        for k in range(len(syllables)):
            if best[k] < running:
                running, arg = best[k], k
            prefix.append((running, arg))
        # A character none of whose readings fits the order takes the
        # syllable of its place, at a price that keeps this rare.
        row = [prefix[k][0] + OUT_OF_ORDER for k in range(len(syllables))]
        came = [prefix[k][1] for k in range(len(syllables))]
        for syllable in choice:
            k = column[syllable]
            cost, arg = prefix[k]
            row[k] = cost + (0 if syllable == first else 1)
            came[k] = arg
        best = row
        back.append(came)
    k = min(range(len(syllables)), key=lambda j: best[j])
    assert best[k] < inf, "no ordered reading path through GB2312 level 1"
    path = []
    for came in reversed(back):
        path.append(k)
        k = came[k]
    path.reverse()
    return {char: (syllables[k], options[i][1].get(syllables[k], 5))
            for i, (char, k) in enumerate(zip(level1, path))}


# ---- tables ----------------------------------------------------------------

def compatibility_base(char, compatibility):
    """The unified ideograph that a compatibility ideograph stands for
    (Unihan kCompatibilityVariant), or None."""
    value = compatibility.get(char)
    return chr(int(value.split()[0][2:], 16)) if value else None


def sort_keys(fields, strokes_field, compatibility):
    codes = list(gbk_codes())
    level1 = [c for _, code, c in codes if c and is_level1(code)]
    readings = level1_readings(level1, fields)
    for _, code, char in codes:
        if char and char not in readings:
            r = readings_of(char, fields)
            # A compatibility ideograph (GBK FD9C-FE41: 郎 凉 秊 裏 隣 兀 嗀)
            # has no reading of its own: it is read as the character it
            # stands for.
            base = compatibility_base(char, compatibility)
            if not r and base:
                r = readings_of(base, fields)
            if r:
                readings[char] = r[0]

    boundary_letter = {char: letter for letter, char in PINYIN_ROWS}
    # Tone 0 puts a boundary character before every reading of its letter.
    ordered = sorted(set(readings.values()) | {(l.lower(), 0) for l, _ in PINYIN_ROWS},
                     key=reading_order)
    assert len(ordered) < PINYIN_RANKS, "too many pinyin ranks"
    rank = {r: k + 1 for k, r in enumerate(ordered)}  # 0: sorts before all

    boundary_strokes = {char: s + 1 for s, char in enumerate(STROKE_ROWS)}
    keys = []
    for _, _, char in codes:
        pinyin = strokes = 0
        if char:
            if char in boundary_letter:
                pinyin = rank[(boundary_letter[char].lower(), 0)]
            elif char in readings:
                pinyin = rank[readings[char]]
            if char in boundary_strokes:
                strokes = boundary_strokes[char]
            elif char in strokes_field:
                strokes = min(int(strokes_field[char].split()[0]), MAX_STROKE_KEY)
        keys.append(pinyin << STROKE_BITS | strokes)
    return keys


def variants_of(value, char):
    """The listed variants other than the character itself, in order."""
    found = []
    for item in (value or "").split():
        variant = chr(int(item[2:], 16))
        if variant != char:
            found.append(variant)
    return found


def first_variant(value, char):
    """The first listed variant other than the character itself."""
    found = variants_of(value, char)
    return found[0] if found else None


def simplified_forms(c, variants, opencc):
    """The simplified forms the standards list for a character, the one to
    take first: OpenCC's TSCharacters candidates (in OpenCC's order, the
    usual form first) when it has the character; else Unihan's
    kSimplifiedVariant, which is in code order, so the character itself
    comes first when Unihan lists it as a simplified form of its own (著 is
    着 and 著, 戠 is 只 and 戠). Empty when neither lists the character."""
    if c in opencc["TSCharacters"]:
        return opencc["TSCharacters"][c]
    listed = [chr(int(item[2:], 16)) for item in (variants["kSimplifiedVariant"].get(c) or "").split()]
    if c in listed:
        listed.remove(c)
        listed.insert(0, c)
    return listed


def pair_tables(fields, variants, opencc):
    gbk = double_byte_chars("gbk")
    big5 = double_byte_chars("cp950")

    def bmp(c):
        return ord(c) < 0x10000

    def first(table, c):
        return table[c][0] if c in table else None

    # Simplified -> traditional, as s2tw does character by character: any
    # GBK character may come in; the result has to be a Big5 character.
    # OpenCC's first candidate is the usual form; a character Big5 lacks
    # takes the first candidate Big5 has (OpenCC's, then Unihan's
    # kTraditionalVariant), so 硷 becomes 鹼 and 瘘 瘺 instead of a "?".
    to_traditional = []
    for c in sorted(gbk):
        usable = lambda t: t != c and bmp(c) and bmp(t) and t in big5 and t in gbk
        t = first(opencc["STCharacters"], c)
        if t is None and c not in big5:
            t = first_variant(variants["kTraditionalVariant"].get(c), c)
        t = t or c
        t = first(opencc["TWVariants"], t) or t
        if not usable(t) and c not in big5:
            candidates = opencc["STCharacters"].get(c, []) + variants_of(
                variants["kTraditionalVariant"].get(c), c)
            found = [u for u in (first(opencc["TWVariants"], v) or v for v in candidates) if usable(u)]
            t = found[0] if found else c
        if usable(t):
            to_traditional.append((c, t))

    # Traditional -> simplified: the characters come from Big5 (through
    # GBK), the result has to be a GBK character. A character takes the
    # simplified form listed for the character itself: OpenCC's
    # TSCharacters (the first candidate GBK has), else Unihan's
    # kSimplifiedVariant (the first one GBK has). A character that OpenCC
    # does not list and that Unihan lists as a simplified form of its own
    # (著, 戠), or does not list at all (抬, 潀), stays as it is.
    # OpenCC's TWVariantsRev is no simplification: it turns a Taiwan form
    # into another traditional form (抬->擡, 著->着, 顎->齶, 鯰->鮎), and
    # following it gave 抬->擡, 著->着, 顎->腭, 鯰->鲇, 潀->潨.
    to_simplified = []
    for c in sorted(big5 & gbk):
        encodable = [u for u in simplified_forms(c, variants, opencc) if bmp(u) and u in gbk]
        t = encodable[0] if encodable else c
        if t != c and bmp(c):
            to_simplified.append((c, t))
    return to_simplified, to_traditional


# ---- output ----------------------------------------------------------------

def c_bytes(text):
    return "".join("\\x%02X" % b for b in text.encode("gbk"))


def emit_pairs(name, pairs):
    lines = ["const CharPair %s[] = {" % name]
    for k in range(0, len(pairs), 6):
        chunk = pairs[k:k + 6]
        lines.append("    " + " ".join("{0x%04X, 0x%04X}," % (ord(a), ord(b)) for a, b in chunk))
    lines.append("};")
    lines.append("const size_t %sCount = sizeof %s / sizeof %s[0];" % (name, name, name))
    return lines


def render(keys, to_simplified, to_traditional, versions):
    out = [
        "// Generated by tools/gen-chinese-tables/gen_chinese_tables.py: do not edit.",
        "// Sources: Unihan %(unihan)s (Debian unicode-data %(unicode_data)s; Unicode License)" % versions,
        "// and the OpenCC %(opencc)s character dictionaries (Debian opencc; Apache-2.0)." % versions,
        '#include "text/chinese_tables.h"',
        "",
        "namespace larch {",
        "",
        "// %d pairs: the form listed for the character itself, OpenCC TSCharacters" % len(to_simplified),
        "// (the first candidate GBK has), else Unihan kSimplifiedVariant unless it",
        "// lists the character itself. Keys are Big5 characters, values GBK characters.",
    ]
    out += emit_pairs("kTraditionalToSimplified", to_simplified)
    out += [
        "",
        "// %d pairs: OpenCC STCharacters then TWVariants; Unihan kTraditionalVariant" % len(to_traditional),
        "// for characters outside Big5 that OpenCC leaves, and for characters outside",
        "// Big5 the first candidate Big5 has. Values are Big5 characters.",
    ]
    out += emit_pairs("kSimplifiedToTraditional", to_traditional)
    out += [
        "",
        "const char kPinyinBoundaryLetters[] = \"%s\";" % "".join(l for l, _ in PINYIN_ROWS),
        "const char kPinyinBoundaryChars[] =",
    ]
    for k in range(0, len(PINYIN_ROWS), 6):
        chunk = "".join(c for _, c in PINYIN_ROWS[k:k + 6])
        out.append("    \"%s\"  // %s" % (c_bytes(chunk), chunk))
    out[-1] = out[-1].replace("\"  //", "\";  //")
    out.append("const char kStrokeBoundaryChars[] =")
    for k in range(0, len(STROKE_ROWS), 6):
        chunk = STROKE_ROWS[k:k + 6]
        out.append("    \"%s\"  // %d-%d" % (c_bytes(chunk), k + 1, k + len(chunk)))
    out[-1] = out[-1].replace("\"  //", "\";  //")
    out += [
        "",
        "// Per GBK double-byte code, in grid order (lead 0x81-0xFE, trail",
        "// 0x40-0x7E and 0x80-0xFE): pinyin rank << 5 | stroke key.",
        "const uint16_t kGbkCharKeys[kGbkCodeCount] = {",
    ]
    for k in range(0, len(keys), 190):
        row = keys[k:k + 190]
        out.append("    // lead 0x%02X" % (0x81 + k // 190))
        for j in range(0, len(row), 19):
            out.append("    " + ",".join("%d" % v for v in row[j:j + 19]) + ",")
    out += ["};", "", "}  // namespace larch", ""]
    return "\n".join(out)


def generate(unihan_dir, opencc_dir):
    readings, version = read_unihan(unihan_dir, "Readings", [
        "kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013", "kHanyuPinlu"])
    irg, _ = read_unihan(unihan_dir, "IRGSources", ["kTotalStrokes", "kCompatibilityVariant"])
    if not irg["kTotalStrokes"]:  # before Unicode 15 the field lived elsewhere
        irg["kTotalStrokes"] = read_unihan(unihan_dir, "DictionaryLikeData", ["kTotalStrokes"])[0]["kTotalStrokes"]
    variants, _ = read_unihan(unihan_dir, "Variants", ["kSimplifiedVariant", "kTraditionalVariant"])
    with tempfile.TemporaryDirectory() as work:
        opencc = {name: read_opencc(opencc_dir, name, work) for name in
                  ("STCharacters", "TWVariants", "TSCharacters", "TWVariantsRev")}
    keys = sort_keys(readings, irg["kTotalStrokes"], irg["kCompatibilityVariant"])
    to_simplified, to_traditional = pair_tables(readings, variants, opencc)
    versions = {"unihan": version or "unknown",
                "unicode_data": package_version("unicode-data"),
                "opencc": package_version("libopencc-data")}
    return render(keys, to_simplified, to_traditional, versions)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed file instead of writing it")
    parser.add_argument("--output", default=OUTPUT)
    parser.add_argument("--unihan-dir", default="/usr/share/unicode")
    parser.add_argument("--opencc-dir", default="/usr/share/opencc")
    args = parser.parse_args()
    text = generate(args.unihan_dir, args.opencc_dir)
    if args.check:
        with open(args.output, encoding="utf-8") as f:
            committed = f.read()
        if committed != text:
            sys.stdout.writelines(difflib.unified_diff(
                committed.splitlines(True), text.splitlines(True),
                "committed", "regenerated", n=1))
            print("chinese tables: the committed file differs from a fresh run")
            return 1
        print("chinese tables: the committed file matches a fresh run")
        return 0
    with open(args.output, "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
