#!/usr/bin/env python3
"""Checks the library's Chinese functions against tools that no one here wrote.

  * KVBig5ToGb2312 on every Big5 ideograph against
    iconv -f CP950 -t UTF-8 | opencc -c tw2s.json | iconv -f UTF-8 -t CP936;
  * KVGb2312ToBig5 on every GB2312 character against
    iconv -f CP936 -t UTF-8 | opencc -c s2tw.json | iconv -f UTF-8 -t CP950;
    (characters whose reference result the target code page cannot encode
    are left out and counted);
  * KVBig5ToGb2312 on every Big5 ideograph against the rule of the
    standards: a character that OpenCC (TSCharacters) and Unihan
    (kSimplifiedVariant) both keep stays as it is, and a character that
    changes becomes a simplified form they list for it (tw2s itself breaks
    this rule: its Taiwan-variant step turns 抬 into 擡);
  * KVCnCharToSpell on GB2312 level 1 against the code ranges of its
    pinyin-ordered rows, and on the GBK compatibility ideographs against
    the characters Unihan names as their unified forms;
  * KVCnCharToStroke on every GBK ideograph against Unihan kTotalStrokes.

The library runs under Wine through larch-text-lines (tools/check-chinese),
one call per character. Prints the figures; exits 1 when an agreement falls
below the floor given with --floor (percent, default 99), or when any
character breaks one of the rules.

    python3 tools/check-chinese/check_chinese.py [--bin build/win/bin]
"""

import argparse
import bz2
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

# First codes of the GB2312 level-1 rows by initial (the classic table).
LEVEL1_INITIALS = [
    (0xB0A1, "A"), (0xB0C5, "B"), (0xB2C1, "C"), (0xB4EE, "D"), (0xB6EA, "E"),
    (0xB7A2, "F"), (0xB8C1, "G"), (0xB9FE, "H"), (0xBBF7, "J"), (0xBFA6, "K"),
    (0xC0AC, "L"), (0xC2E8, "M"), (0xC4C3, "N"), (0xC5B6, "O"), (0xC5BE, "P"),
    (0xC6DA, "Q"), (0xC8BB, "R"), (0xC8F6, "S"), (0xCBFA, "T"), (0xCDDA, "W"),
    (0xCEF4, "X"), (0xD1B9, "Y"), (0xD4D1, "Z"),
]
# The stroke rows' own characters, which stand for their row's count.
STROKE_ROWS = "一二三不且丞丣並临丵乾亁亂僊僵亸償儭儳儶儷亹儽儾囔圞灥囖灩灪"


def pairs(leads, trails, codec):
    """(code, bytes) of every double-byte code the codec decodes."""
    found = []
    for lead in leads:
        for trail in trails:
            raw = bytes([lead, trail])
            try:
                raw.decode(codec)
            except UnicodeDecodeError:
                continue
            found.append(((lead << 8) | trail, raw))
    return found


def big5_ideographs():
    trails = list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF))
    codes = pairs(range(0xA4, 0xFA), trails, "cp950")
    return [(c, b) for c, b in codes
            if 0xA440 <= c <= 0xC67E or 0xC940 <= c <= 0xF9DC]


def gb2312_chars():
    return pairs(range(0xA1, 0xF8), range(0xA1, 0xFF), "gb2312")


class Library:
    def __init__(self, bin_dir, work):
        self.exe = os.path.join(os.path.abspath(bin_dir), "larch-text-lines.exe")
        self.wine_run = os.path.join(REPO, "scripts", "wine-run")
        self.work = work

    def apply(self, function, lines, *extra):
        with open(os.path.join(self.work, "in.txt"), "wb") as f:
            f.write(b"\n".join(lines) + b"\n")
        subprocess.run([self.wine_run, self.exe, function, "in.txt", "out.txt", *extra],
                       cwd=self.work, check=True, stderr=subprocess.DEVNULL)
        with open(os.path.join(self.work, "out.txt"), "rb") as f:
            out = f.read().split(b"\n")[:-1]
        assert len(out) == len(lines), "%s: %d results for %d lines" % (function, len(out), len(lines))
        return out


def pipeline(lines, source, config, target):
    """The reference: iconv | opencc | iconv, line by line in one run. An
    empty line means the target code page cannot encode the result."""
    commands = ("iconv -f %s -t UTF-8 | opencc -c %s | iconv -c -f UTF-8 -t %s"
                % (source, config, target))
    out = subprocess.run(["bash", "-o", "pipefail", "-c", commands], input=b"\n".join(lines) + b"\n",
                         capture_output=True)
    if out.returncode not in (0, 1):  # iconv -c exits 1 after dropping characters
        raise SystemExit(out.stderr.decode(errors="replace"))
    result = out.stdout.split(b"\n")[:-1]
    assert len(result) == len(lines)
    return result


def show(raw, codec):
    return raw.decode(codec, errors="replace")


def compare_conversion(title, library, function, chars, source, config, target, lib_codec, src_codec, got=None):
    lines = [raw for _, raw in chars]
    if got is None:
        got = library.apply(function, lines)
    want = pipeline(lines, source, config, target)
    hanzi = lambda raw: "\u3400" <= raw.decode(src_codec) <= "\u9fff" or "\uf900" <= raw.decode(src_codec) <= "\ufaff"
    figures = {}
    differences = []
    for (code, raw), g, w in zip(chars, got, want):
        group = "ideographs" if hanzi(raw) else "symbols"
        f = figures.setdefault(group, [0, 0, 0])
        f[0] += 1
        if not w:
            continue
        f[1] += 1
        if g == w:
            f[2] += 1
        else:
            differences.append("%04X %s -> library %s, reference %s" % (
                code, show(raw, src_codec), show(g, lib_codec), show(w, lib_codec)))
    print("%s (%s):" % (title, function))
    for group, (total, comparable, agree) in sorted(figures.items()):
        print("  %-10s %5d characters, %5d with an encodable reference, %5d agree (%.2f %%)" % (
            group, total, comparable, agree, 100.0 * agree / max(comparable, 1)))
    for line in differences[:40]:
        print("    " + line)
    if len(differences) > 40:
        print("    ... %d more" % (len(differences) - 40))
    return figures


def check_pinyin(library):
    level1 = [(c, b) for c, b in gb2312_chars() if 0xB0A1 <= c <= 0xD7F9]
    got = library.apply("KVCnCharToSpell", [b for _, b in level1])
    agree = 0
    differences = []
    for (code, raw), g in zip(level1, got):
        want = [letter for first, letter in LEVEL1_INITIALS if first <= code][-1]
        if g.decode("ascii", errors="replace") == want:
            agree += 1
        else:
            differences.append("%04X %s -> %s, code range %s" % (code, show(raw, "gbk"), show(g, "gbk"), want))
    print("Pinyin initials of GB2312 level 1 (KVCnCharToSpell) against its code ranges:")
    print("  %d characters, %d agree (%.2f %%)" % (len(level1), agree, 100.0 * agree / len(level1)))
    for line in differences:
        print("    " + line)
    return 100.0 * agree / len(level1)


def unihan_field(name, field):
    """{char: value} of one Unihan field."""
    values = {}
    with bz2.open("/usr/share/unicode/Unihan_%s.txt.bz2" % name, "rt", encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] == field:
                values[chr(int(parts[0][2:], 16))] = parts[2]
    return values


def unihan_chars(value):
    return [chr(int(item.split("<")[0][2:], 16)) for item in value.split()]


def opencc_characters(name, work):
    """{char: [candidates]} of an OpenCC character dictionary, in its order."""
    text = os.path.join(work, name + ".txt")
    subprocess.run(["opencc_dict", "-i", "/usr/share/opencc/%s.ocd2" % name, "-o", text,
                    "-f", "ocd2", "-t", "text"], check=True)
    table = {}
    with open(text, encoding="utf-8") as f:
        for line in f:
            key, _, values = line.rstrip("\n").partition("\t")
            if len(key) == 1:
                table[key] = values.split(" ")
    return table


def check_simplified_forms(chars, got, work):
    """KVBig5ToGb2312's results against the rule of the standards; the
    number of characters that break it."""
    ts = opencc_characters("TSCharacters", work)
    unihan = {c: unihan_chars(v) for c, v in unihan_field("Variants", "kSimplifiedVariant").items()}
    checked = kept = changed = 0
    differences = []
    for (code, raw), g in zip(chars, got):
        char = raw.decode("cp950")
        try:
            result = g.decode("gbk")
            char.encode("gbk")
        except (UnicodeDecodeError, UnicodeEncodeError):
            continue  # GBK lacks the character: no simplified form to judge
        checked += 1
        opencc_keeps = char not in ts or ts[char][0] == char
        unihan_keeps = char not in unihan or char in unihan[char]
        listed = list(dict.fromkeys(ts.get(char, []) + unihan.get(char, [])))
        if opencc_keeps and unihan_keeps:
            kept += 1
            if result != char:
                differences.append("%04X %s -> %s, which OpenCC and Unihan keep" % (code, char, result))
        elif result != char:
            if result in listed:
                changed += 1
            else:
                differences.append("%04X %s -> %s, listed: %s" % (code, char, result, " ".join(listed)))
    print("Big5 ideographs to GBK (KVBig5ToGb2312) against the forms OpenCC TSCharacters and Unihan list:")
    print("  %d characters GBK has: %d that both keep, %d changed to a listed form; %d break the rule" % (
        checked, kept, changed, len(differences)))
    for line in differences[:40]:
        print("    " + line)
    return len(differences)


def check_compatibility_initials(library):
    """KVCnCharToSpell on the GBK compatibility ideographs against the
    initials of the unified characters they stand for; the number that
    differ."""
    compatibility = unihan_field("IRGSources", "kCompatibilityVariant")
    trails = list(range(0x40, 0x7F)) + list(range(0x80, 0xFF))
    chars = [(c, b) for c, b in pairs(range(0x81, 0xFF), trails, "gbk") if b.decode("gbk") in compatibility]
    unified = [unihan_chars(compatibility[b.decode("gbk")])[0].encode("gbk") for _, b in chars]
    got = library.apply("KVCnCharToSpell", [b for _, b in chars] + unified)
    differences = []
    for (code, raw), base, g, want in zip(chars, unified, got, got[len(chars):]):
        if g != want:
            differences.append("%04X %s -> %s, its unified %s -> %s" % (
                code, show(raw, "gbk"), show(g, "gbk"), show(base, "gbk"), show(want, "gbk")))
    print("Pinyin initials of the GBK compatibility ideographs (KVCnCharToSpell) against their unified characters:")
    print("  %d characters, %d differ" % (len(chars), len(differences)))
    for line in differences:
        print("    " + line)
    return len(differences)


def unihan_strokes():
    strokes = {}
    with bz2.open("/usr/share/unicode/Unihan_IRGSources.txt.bz2", "rt", encoding="utf-8") as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if len(parts) == 3 and parts[1] == "kTotalStrokes":
                strokes[chr(int(parts[0][2:], 16))] = int(parts[2].split()[0])
    return strokes


def check_strokes(library):
    strokes = unihan_strokes()
    trails = list(range(0x40, 0x7F)) + list(range(0x80, 0xFF))
    chars = [(c, b) for c, b in pairs(range(0x81, 0xFF), trails, "gbk") if b.decode("gbk") in strokes]
    got = library.apply("KVCnCharToStroke", [b for _, b in chars], "1")
    agree = rows = 0
    differences = []
    counted = {}
    for (code, raw), g in zip(chars, got):
        char = raw.decode("gbk")
        unihan = strokes[char]
        if char in STROKE_ROWS:
            rows += 1
            unihan = STROKE_ROWS.index(char) + 1
        # Counts of 30 and more are beyond the last row and give nothing.
        want = b"%02d" % unihan if unihan < 30 else b""
        counted[len(g) > 0] = counted.get(len(g) > 0, 0) + 1
        if g == want:
            agree += 1
        else:
            differences.append("%04X %s -> %r, Unihan %d" % (code, char, g, strokes[char]))
    print("Stroke counts of GBK ideographs (KVCnCharToStroke) against Unihan kTotalStrokes:")
    print("  %d characters (%d of them stroke-row characters, taken at their row's count), "
          "%d agree (%.2f %%); %d counted, %d at 30 strokes or more" % (
              len(chars), rows, agree, 100.0 * agree / len(chars), counted.get(True, 0),
              counted.get(False, 0)))
    for line in differences[:40]:
        print("    " + line)
    return 100.0 * agree / len(chars)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(REPO, "build", "win", "bin"))
    parser.add_argument("--floor", type=float, default=99.0)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        library = Library(args.bin, work)
        shares = []
        ideographs = big5_ideographs()
        simplified = library.apply("KVBig5ToGb2312", [raw for _, raw in ideographs])
        to_gbk = compare_conversion("Big5 ideographs to GBK", library, "KVBig5ToGb2312", ideographs,
                                    "CP950", "tw2s.json", "CP936", "gbk", "cp950", simplified)
        broken = check_simplified_forms(ideographs, simplified, work)
        to_big5 = compare_conversion("GB2312 characters to Big5", library, "KVGb2312ToBig5", gb2312_chars(),
                                     "CP936", "s2tw.json", "CP950", "cp950", "gbk")
        for figures in (to_gbk, to_big5):
            _, comparable, agree = figures["ideographs"]
            shares.append(100.0 * agree / comparable)
        shares.append(check_pinyin(library))
        broken += check_compatibility_initials(library)
        shares.append(check_strokes(library))
    low = [s for s in shares if s < args.floor]
    # The rules hold for every character, whatever the agreement.
    return 1 if low or broken else 0


if __name__ == "__main__":
    sys.exit(main())
