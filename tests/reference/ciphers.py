#!/usr/bin/env python3
"""A second, independent implementation of larch's ciphers, in Python.

It is written from the descriptions of the algorithms in
docs/functions/crypto.md and the design notes of the crypto family, not from
src/crypto, and it exists to give the known-answer tables of
tests/native/crypto_known_answers_test.cpp and
tests/wine/crypto_known_answers_test.cpp their expected bytes.  MD5 comes
from Python's hashlib.

The fixed values that are the library's own choice (the default key of the
second text cipher, the block-key seed and alphabet, the two trailer tags and
the key resource) are data, not algorithm: they are copied below (the
resource is read from src/crypto/resource_key.bin, which holds it in its
stored order) and only their stated form is checked.

    python3 tests/reference/ciphers.py            print the tables
    python3 tests/reference/ciphers.py --check    compare them with the tables
                                                  in the two test files
    python3 tests/reference/ciphers.py --write    put them into the test files
"""

import argparse
import hashlib
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# --- fixed values of the library -------------------------------------------

# The library's own choices, copied as data from where it publishes them
# (each is "fixed for good"); only their form is checked here.
DEFAULT_TXT2_KEY = b"Larch/TextCipher2:default-key#0413$bW7qZk"
KEY_ALPHABET = b"FJIS.AfWrgGxU*v#BwZbuc+LPtmkXn=zp$:CMRihyjE%HaDo&lVq@!eN-s?YQdTOK"
BUFFER_TAG = b"Larch file buffer seal v1.3"
STREAM_TAG = b"Larch string source stream seal v1"


def _seed():
    # An 8-bit linear congruential walk from 0x5A.
    s = [0x5A]
    while len(s) < 125:
        s.append((s[-1] * 109 + 89) % 256)
    return bytes(s)


BLOCK_KEY_SEED = _seed()


def _printable(text):
    return all(0x20 <= c < 0x7F for c in text)


assert len(DEFAULT_TXT2_KEY) == 41 and _printable(DEFAULT_TXT2_KEY)
assert len(BLOCK_KEY_SEED) == 125 and any(c >= 0x80 for c in BLOCK_KEY_SEED)
assert len(KEY_ALPHABET) == 65 and len(set(KEY_ALPHABET)) == 65 and _printable(KEY_ALPHABET)
assert len(BUFFER_TAG) == 27 and _printable(BUFFER_TAG)
assert len(STREAM_TAG) == 34 and _printable(STREAM_TAG)


def resource_key():
    """The file-buffer key block as used: the stored resource with the order
    of its bytes from offset 53 to the end reversed back."""
    with open(os.path.join(ROOT, "src", "crypto", "resource_key.bin"), "rb") as f:
        stored = f.read()
    assert len(stored) == 6886
    return stored[:53] + stored[53:][::-1]


# --- MD5 digest texts --------------------------------------------------------


def md5_hex(data):
    return hashlib.md5(bytes(data)).hexdigest().encode()


def md5_hex_swapped(data):
    h = md5_hex(data)
    out = bytearray(32)
    for i in range(0, 32, 2):
        out[i], out[i + 1] = h[i + 1], h[i]
    return bytes(out)


def cut_at_nul(b):
    b = bytes(b)
    i = b.find(b"\0")
    return b if i < 0 else b[:i]


# --- text cipher one ---------------------------------------------------------

B64 = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"


def b64_encode(data):
    out = bytearray()
    for g in range(0, len(data), 3):
        grp = bytes(data[g:g + 3])
        real = len(grp)
        b0, b1, b2 = (grp + b"\0\0")[:3]
        vals = [b0 >> 2, ((b0 << 4) & 0x3F) | (b1 >> 4), ((b1 << 2) & 0x3F) | (b2 >> 6), b2 & 0x3F]
        chars = bytearray(B64[v] for v in vals)
        if real == 1:
            chars[2:4] = b"=="
        elif real == 2:
            chars[3:4] = b"="
        out += chars
    return bytes(out)


def _decode_table():
    t = [0xFE] * 256
    for i, c in enumerate(B64):
        t[c] = i
        t[c | 0x80] = i
    t[0x3D] = 0xFF
    t[0xBD] = 0xFF
    return t


def b64_decode(chars):
    """The decoder as the cipher uses it: skips bytes 7..13 and 32, never
    rejects anything, and counts three bytes per whole group of four."""
    table = _decode_table()
    kept = [c for c in chars if not (7 <= c <= 13 or c == 32)]
    out = bytearray()

    def join(s):
        s = [0 if v == 0xFF else v for v in s]
        s0, s1, s2, s3 = s
        return bytes([((s0 << 2) | ((s1 >> 4) & 3)) & 0xFF,
                      ((s1 << 4) | ((s2 >> 2) & 0x0F)) & 0xFF,
                      ((s2 << 6) | (s3 & 0x3F)) & 0xFF])

    i = 0
    while len(kept) - i >= 4:
        s = [table[c] for c in kept[i:i + 4]]
        # s0 and s1 are used as they are, even when 0xFF.
        s0, s1 = s[0], s[1]
        s2 = 0 if s[2] == 0xFF else s[2]
        s3 = 0 if s[3] == 0xFF else s[3]
        out += bytes([((s0 << 2) | ((s1 >> 4) & 3)) & 0xFF,
                      ((s1 << 4) | ((s2 >> 2) & 0x0F)) & 0xFF,
                      ((s2 << 6) | (s3 & 0x3F)) & 0xFF])
        i += 4
    rest = len(kept) - i
    if rest:
        s = [table[c] for c in kept[i:]] + [0] * (4 - rest)
        out += join(s)[:rest]
    return bytes(out)


def text_shuffle(t):
    t = bytes(t)
    if len(t) < 2:
        return t
    return bytes([t[1], t[0]]) + t[2:][::-1]


def txt1(text, mode):
    text = bytes(text)
    if not text:
        return b""
    if mode == 1:
        return text_shuffle(b64_encode(text) + b"abcd")
    if len(text) < 4:
        return b""
    body = text_shuffle(text)[:len(text) - 4]
    return cut_at_nul(b64_decode(body))


# --- text cipher two ---------------------------------------------------------


def additive_xor(data, key):
    data = bytearray(data)
    key = cut_at_nul(key)
    if not data or not key:
        return bytes(data)
    for i in range(len(data)):
        data[i] ^= (key[i % len(key)] + 53) & 0xFF
    return bytes(data)


def txt2(value, key=None):
    """key None: the one-parameter call."""
    value = bytes(value)
    if not value:
        return value
    if key is not None:
        return additive_xor(value, key)
    if len(value) < 4:
        return value
    return additive_xor(value, DEFAULT_TXT2_KEY)


# --- block cipher ------------------------------------------------------------


def rol(v, r):
    r %= 8
    return ((v << r) | (v >> (8 - r))) & 0xFF


def parity_rotate(data, forward=True):
    p = bytearray(data)
    for i in range(len(p)):
        odd = i % 2 == 1
        if forward:
            p[i] = rol(p[i], 7 if odd else 1) ^ 0x0F
        else:
            p[i] = rol(p[i] ^ 0x0F, 1 if odd else 7)
    return bytes(p)


def parity_rotate_stepwise(data, forward=True):
    """ParityRotate by its individual steps, to check the folded form above."""
    def swap(v):
        return rol(v, 4)
    p = bytearray(data)
    for i in range(len(p)):
        v = p[i]
        if i % 2 == 1:
            v = rol(swap(rol(v, 5)), 6) ^ 0x0F if forward else rol(swap(rol(v ^ 0x0F, 2)), 3)
        else:
            v = rol(swap(rol(v, 3)), 2) ^ 0x0F if forward else rol(swap(rol(v ^ 0x0F, 6)), 5)
        p[i] = v
    return bytes(p)


def cyclic_xor(data, key):
    assert len(key) >= 1
    return bytes(b ^ key[i % len(key)] for i, b in enumerate(data))


def block_encipher(data, key):
    """Returns (cipher, transformed key)."""
    k = parity_rotate(key)
    return cyclic_xor(parity_rotate(data), k), k


def block_decipher(data, key):
    k = parity_rotate(key)
    return parity_rotate(cyclic_xor(data, k), forward=False), k


def key_alphabet_pass(key):
    a = KEY_ALPHABET
    n = len(a)
    k = bytearray(key)
    for i in range(len(k)):
        s = (k[i] - 256 if k[i] >= 0x80 else k[i]) + i
        k[i] = a[(s & 0xFFFFFFFF) % n]
    k.reverse()
    for i in range(len(k)):
        s = (k[i] - 256 if k[i] >= 0x80 else k[i]) - i
        k[i] = a[(s & 0xFFFFFFFF) % n]
    return bytes(k)


def mix_file_digest(key, digest_buffer):
    d = bytearray(digest_buffer)
    assert len(d) >= 32
    d[8:32] = d[8:32][::-1]
    k = bytearray(cyclic_xor(key, d[:32]))
    k[5:125] = k[5:125][::-1]
    return bytes(k)


def block_key(digest_text=None):
    k = bytes(BLOCK_KEY_SEED)
    if digest_text is not None:
        # The digest buffer is zero-filled before the text goes in: the
        # library's fixed choice for an empty digest text (a file that
        # cannot be read), whose other buffer bytes are otherwise unset.
        k = mix_file_digest(k, (digest_text + bytes(36))[:36])
    return key_alphabet_pass(k)


def byte_block2(value, key_file_bytes=None):
    """KVEncryptByteBlock2 with a key file holding key_file_bytes."""
    if not value:
        return b""
    digest = None if key_file_bytes is None else md5_hex(key_file_bytes)
    return block_encipher(value, block_key(digest))[0]


def run_lines(text):
    """The command lines KVRunFoxBatch2 runs for a deciphered text."""
    text = cut_at_nul(text)
    return [bytes(x) for x in text.replace(b"\r", b"\n").split(b"\n") if x]


# --- file-buffer cipher ------------------------------------------------------


def _trailer(second_word, tag, length, key_text):
    t = bytearray(84)
    t[0:4] = (1).to_bytes(4, "little")
    t[4:8] = second_word.to_bytes(4, "little")
    t[8:40] = md5_hex_swapped(tag)
    t[44:48] = length.to_bytes(4, "little")
    t[48:80] = md5_hex(key_text)
    return bytes(t)


def sealed_buffer_trailer(length, key_text):
    k = cut_at_nul(key_text)
    t, _ = block_encipher(_trailer(1, BUFFER_TAG, length, k), md5_hex_swapped(k))
    return cyclic_xor(t, md5_hex(t))


def buffer_payload_key(sealed, key_text):
    k = cut_at_nul(key_text)
    o, k2 = block_encipher(sealed, k)
    o = cyclic_xor(o, md5_hex(cut_at_nul(k2)))
    return md5_hex_swapped(o)


def file_buffer(buf, key_text, mode):
    """KVEncryptFileBuffer2; None stands for the failure result ""."""
    buf = bytes(buf)
    k = cut_at_nul(key_text)
    if not buf or not k:
        return None
    rk = resource_key()
    if mode == 1:
        h = sealed_buffer_trailer(len(buf), k)
        pk = buffer_payload_key(h, k)
        return cyclic_xor(cyclic_xor(buf, pk), rk) + cyclic_xor(h, pk)
    if len(buf) <= 84:
        return None
    p = len(buf) - 84
    h = sealed_buffer_trailer(p, k)
    pk = buffer_payload_key(h, k)
    if cyclic_xor(buf[p:], pk) != h:
        return None
    return cyclic_xor(cyclic_xor(buf[:p], rk), pk)


# --- string-source streams ---------------------------------------------------


def stream_trailer(length, key_text):
    return additive_xor(_trailer(0, STREAM_TAG, length, key_text), md5_hex_swapped(key_text))


def stream_payload_key(expected, key_text):
    d = bytes(0x10 if b else 0 for b in expected)
    d = additive_xor(d, key_text)[::-1]
    d = additive_xor(d, key_text)
    return md5_hex_swapped(d)


def make_stream(plain, key_text):
    e = stream_trailer(len(plain), key_text)
    return additive_xor(plain, stream_payload_key(e, key_text)) + e


def parse_strings(text):
    """The entries a well-formed payload loads, in order: the parse pass
    that overwrites delimiters and line breaks with NUL, each entry read
    from its recorded start up to the next NUL."""
    t = bytearray(text) + b"\0"
    lines, marked = 0, False
    for c in text:
        if c in b"\r\n":
            lines += marked
            marked = False
        elif c:
            marked = True
    lines += marked
    offsets, close, just_opened = [], None, False
    for i in range(len(text)):
        c = t[i]
        if c == 0:
            continue
        if just_opened:
            offsets.append(i)
            just_opened = False
        if c in b"\r\n":
            t[i] = 0
        elif close is None:
            if c in b"\"'[":
                t[i] = 0
                close = 0x5D if c == 0x5B else c
                just_opened = True
        elif c == close:
            t[i] = 0
            close = None
    assert len(offsets) == lines, "not a well-formed payload"
    return [cut_at_nul(t[o:]) for o in offsets]


def load_stream(stream, key_text):
    """LoadStringSrcStream with the given executable digest text; None when
    the stream is refused."""
    stream = bytes(stream)
    if len(stream) <= 84:
        return None
    p = len(stream) - 84
    e = stream_trailer(p, key_text)
    if stream[p:] != e:
        return None
    return parse_strings(additive_xor(stream[:p], stream_payload_key(e, key_text)))


# --- the tables --------------------------------------------------------------

NATIVE_FILE = os.path.join(ROOT, "tests", "native", "crypto_known_answers_test.cpp")
WINE_FILE = os.path.join(ROOT, "tests", "wine", "crypto_known_answers_test.cpp")

GBK_CHINESE_TEXT = "中文 text".encode("gbk")  # D6 D0 CE C4 20 74 65 78 74
GBK_KEY = "密钥".encode("gbk")  # C3 DC D4 BF
GBK_PLAIN = "加密的文本".encode("gbk")
BINARY = bytes([0x00, 0xFF, 0x00, 0x80, 0x7F, 0xFF, 0x01, 0xFE])
# The small key block the native file-buffer rows use in place of the
# resource (its bytes cover 0x00, 0xFF and the top bit).
SMALL_KEY_BLOCK = bytes([0x01, 0x80, 0xFF, 0x00, 0x7F, 0x55, 0xAA])
# The exact bytes of stand-in executable and key files.
EXE_A = b"MZ stand-in executable A\x00\xff" + GBK_CHINESE_TEXT
EXE_B = b"MZ stand-in executable B"
KEY_FILE = b"key file\x00\xff" + GBK_KEY


def counting(n, start=0):
    """n bytes start, start + 1, ... (mod 256): every row of this kind is
    built from these in the tests too."""
    return bytes((start + i) % 256 for i in range(n))


def cxx(b, indent=6, width=100):
    """A C++ string_view literal of the bytes, wrapped into adjacent pieces."""
    pieces, cur, prev_hex = [], "", False
    for c in bytes(b):
        ch = chr(c)
        if 0x20 <= c < 0x7F and ch not in '"\\?':
            if prev_hex and ch in "0123456789abcdefABCDEF":
                cur += '" "'
            cur += ch
            prev_hex = False
        else:
            cur += {0x0D: "\\r", 0x0A: "\\n", 0x09: "\\t", 0x22: '\\"', 0x5C: "\\\\", 0x3F: "?"}.get(c, "\\x%02x" % c)
            prev_hex = c not in (0x0D, 0x0A, 0x09, 0x22, 0x5C, 0x3F)
        if len(cur) >= width:
            pieces.append(cur)
            cur, prev_hex = "", False
    if cur or not pieces:
        pieces.append(cur)
    sep = "\"\n" + " " * indent + "\""
    return '"' + sep.join(pieces) + '"sv'


def row(*fields):
    one_line = "    {" + ", ".join(fields) + "},"
    if len(one_line) <= 120 and "\n" not in one_line:
        return one_line
    return "    {" + ",\n     ".join(fields) + "},"


def name(text):
    return '"' + text + '"'


def opt(b):
    return "std::nullopt" if b is None else "std::optional<std::string_view>(" + cxx(b) + ")"


def native_tables():
    t = {}

    rows = []
    for label, plain in [("one byte", b"a"), ("two bytes", b"ab"), ("one whole group", b"abc"),
                         ("one past a group", b"abcd"), ("0x00 and 0xFF", b"\xff\x00\xff\x00"),
                         ("top-bit bytes", b"\x80\xfe\xff"), ("Chinese", GBK_CHINESE_TEXT)]:
        cipher = txt1(plain, 1)
        rows.append(row(name(label), cxx(plain), cxx(cipher), cxx(txt1(cipher, 0))))
    t["txt1_encipher"] = rows

    abc = txt1(b"abc", 1)  # WYdcbajJ
    top = bytearray(abc)
    for i in (0, 1, 6, 7):
        top[i] |= 0x80
    rows = []
    for label, cipher in [("one character", b"W"), ("three characters", b"WYd"), ("the marker alone", b"dcba"),
                          ("CR LF appended", abc + b"\r\n"),
                          ("blanks and a line break after the sixth character",
                           b"GSdcbaoNmc\r\nhxGIs8GbsV  "),
                          ("a blank in front", b" GSdcbaoNmchxGIs8GbsV"),
                          ("characters with the top bit set", bytes(top)),
                          ("characters outside the alphabet", b"!~dcba*&"),
                          ("padding in the first two places", b"==dcbaAB"),
                          ("three characters after the marker", b"QYdcba=")]:
        rows.append(row(name(label), cxx(cipher), cxx(txt1(cipher, 0))))
    t["txt1_decipher"] = rows

    rows = []
    for label, data, key in [
            ("one-character key", b"abc", b"k"),
            ("key character 0xCB turns to 0", b"\x00\xff z", b"\xcb"),
            ("key shorter than the data wraps", b"0123456789", b"abc"),
            ("key longer than the data", b"xy", DEFAULT_TXT2_KEY),
            ("default key on 45 bytes wraps", counting(45, 0x20), DEFAULT_TXT2_KEY),
            ("a NUL ends the key", b"plain text", b"ab\x00cd"),
            ("Chinese key and text", GBK_PLAIN, GBK_KEY),
            ("0x00 and 0xFF in data and key", BINARY, b"\xff\x01\x80"),
            ("empty key", b"abc", b"")]:
        rows.append(row(name(label), cxx(data), cxx(key), cxx(additive_xor(data, key))))
    t["additive_xor"] = rows

    rows = []
    for label, data in [("one byte: the even transform only", b"\x01"),
                        ("every single bit, 0x00 and 0xFF", b"\x00\xff\x01\x02\x04\x08\x10\x20\x40\x80")]:
        rows.append(row(name(label), cxx(data), cxx(parity_rotate(data))))
    t["parity_rotate"] = rows

    rows = []
    for label, data, key in [("empty data", b"", b"k"), ("one byte, one-byte key", b"\x00", b"\xff"),
                             ("key longer than the data", b"abc", b"\x00\xffkey"),
                             ("data one past the key", b"\xff\x00\x80\x7f", b"K\x01\xfe"),
                             ("Chinese data and key", GBK_PLAIN, GBK_KEY)]:
        cipher, turned = block_encipher(data, key)
        rows.append(row(name(label), cxx(data), cxx(key), cxx(cipher), cxx(turned)))
    t["block_encipher"] = rows

    rows = []
    for label, key in [("0xFF at position 0, 0x00, 0x80", b"\xff\x00\x80\x7f"),
                       ("70 bytes: positions past the alphabet's length", counting(70, 0xC0))]:
        rows.append(row(name(label), cxx(key), cxx(key_alphabet_pass(key))))
    t["key_alphabet_pass"] = rows

    rows = []
    for label, digest in [("no key file", None), ("digest of \\\"abc\\\"", md5_hex(b"abc")),
                          ("unreadable key file (empty digest text)", b"")]:
        rows.append(row(name(label), opt(digest), cxx(block_key(digest))))
    t["block_key"] = rows

    rows = []
    for label, plain, digest in [("empty", b"", None), ("one byte", b"x", None), ("two bytes", b"\xff\x00", None),
                                 ("125 bytes, the key's length", counting(125), None),
                                 ("126 bytes, one past the key", counting(126, 0x80), md5_hex(b"abc")),
                                 ("command lines with Chinese", b"? '" + GBK_CHINESE_TEXT + b"'\r\nx = 1",
                                  md5_hex(KEY_FILE))]:
        cipher = block_encipher(plain, block_key(digest))[0]
        rows.append(row(name(label), cxx(plain), opt(digest), cxx(cipher)))
    t["batch"] = rows

    rows = []
    for label, plain, key in [("one byte, one-character key", b"x", b"k"),
                              ("32 bytes, the payload key's cycle", counting(32), b"key"),
                              ("33 bytes, one past", counting(33, 0xF0), b"key"),
                              ("0x00 and 0xFF, Chinese key", BINARY, GBK_KEY),
                              ("200-character key", GBK_PLAIN, counting(200, 0x20)[:95] * 2 + b"12345"),
                              ("key whose turn makes a NUL at an odd position", b"data", b"A\x1ebc"),
                              ("key whose turn makes a NUL at position 0", b"data", b"\x87zz")]:
        k = cut_at_nul(key)
        h = sealed_buffer_trailer(len(plain), k)
        pk = buffer_payload_key(h, k)
        cipher = cyclic_xor(cyclic_xor(plain, pk), SMALL_KEY_BLOCK) + cyclic_xor(h, pk)
        rows.append(row(name(label), cxx(plain), cxx(key), cxx(cipher)))
    t["file_buffer"] = rows

    big = counting(6887)
    t["file_buffer_resource"] = [row(name("6887 bytes: one past the resource key's length"), "6887",
                                     name("resource key"), name(md5_hex(file_buffer(big, b"resource key", 1)).decode()))]

    key_a, key_b = md5_hex(EXE_A), md5_hex(EXE_B)
    rows = []
    for label, payload, key in [("one byte", b"x", key_a),
                                ("three strings", b"'one'\r\n\"two\"\r\n[three]", key_a),
                                ("the same under another executable", b"'one'\r\n\"two\"\r\n[three]", key_b),
                                ("Chinese, 0x00 and 0xFF", b"[" + GBK_CHINESE_TEXT + b"]\n'\x00\xff'", key_b)]:
        rows.append(row(name(label), cxx(payload), cxx(key), cxx(make_stream(payload, key))))
    t["string_stream"] = rows

    rows = []
    for label, payload in [("empty pair", b"''"),
                           ("blank lines, labels, CR and LF alone",
                            b"\r\ntitle = \"" + GBK_CHINESE_TEXT + b"\"  && comment\r\n\r\n[x]\n'y'\r"),
                           ("NUL inside and right after the opening", b"'a\x00b'\n\"\x00cd\"\n[\xff\xfe]")]:
        entries = parse_strings(payload)
        rows.append(row(name(label), cxx(payload), "{" + ", ".join(cxx(e) for e in entries) + "}"))
    t["string_entries"] = rows
    return t


def wine_tables():
    t = {}
    rows = []
    for label, value, key in [("no key, three bytes: unchanged", b"abc", None),
                              ("no key, four bytes", b"abcd", None),
                              ("no key, 45 bytes with 0x00, 0xFF and Chinese",
                               BINARY + GBK_PLAIN + counting(27, 0x30), None),
                              ("empty key: unchanged", b"abcd", b""),
                              ("a NUL ends the key", b"abcd", b"ab\x00cd"),
                              ("Chinese key", GBK_PLAIN, GBK_KEY)]:
        rows.append(row(name(label), cxx(value), opt(key), cxx(txt2(value, key))))
    t["txt2"] = rows

    rows = []
    for label, plain, keyfile in [("no key file, one byte", b"x", None),
                                  ("key file with 0x00, 0xFF and Chinese", counting(126, 0x80), KEY_FILE),
                                  ("empty key file", b"? 1", b""),
                                  ("unreadable key file", b"? 1", "missing")]:
        if keyfile == "missing":
            digest, kf = b"", "{KeyFile::kMissing, {}}"
        elif keyfile is None:
            digest, kf = None, "{KeyFile::kNone, {}}"
        else:
            digest, kf = md5_hex(keyfile), "{KeyFile::kWith, " + cxx(keyfile) + "}"
        rows.append(row(name(label), cxx(plain), kf, cxx(block_encipher(plain, block_key(digest))[0])))
    t["byte_block"] = rows

    rows = []
    for label, plain, exe in [("lines, an empty line, no line break at the end", b"x = 41\r\n\r\n? x + 1", None),
                              ("a NUL ends the text", b"a = 1\nb = 2\x00c = 3", None),
                              ("bound to the executable, Chinese", b"? '" + GBK_CHINESE_TEXT + b"'\r", EXE_A)]:
        digest = None if exe is None else md5_hex(exe)
        cipher = block_encipher(plain, block_key(digest))[0]
        lines = "{" + ", ".join(cxx(x) for x in run_lines(plain)) + "}"
        rows.append(row(name(label), cxx(cipher), opt(exe), lines))
    t["run_batch"] = rows

    rows = []
    for label, buf, key in [("one byte, one-character key", b"x", b"k"),
                            ("0x00 and 0xFF, Chinese key", BINARY, GBK_KEY),
                            ("a NUL ends the key", b"secret data", b"key\x00more"),
                            ("33 bytes", counting(33, 0xF0), b"key"),
                            # Bytes 53 on of the key block are those its load step reorders.
                            ("100 bytes, into the reordered part of the key block", counting(100, 0x40), b"key")]:
        rows.append(row(name(label), cxx(buf), cxx(key), cxx(file_buffer(buf, key, 1))))
    t["file_buffer2"] = rows

    rows = []
    for label, exe, payload in [("three strings", EXE_A, b"'one'\r\n\"two\"\r\n[three]"),
                                ("Chinese, blank lines", EXE_B, b"\r\n[" + GBK_CHINESE_TEXT + b"]\n\n'\xff'")]:
        entries = "{" + ", ".join(cxx(e) for e in parse_strings(payload)) + "}"
        rows.append(row(name(label), cxx(exe), cxx(make_stream(payload, md5_hex(exe))), entries))
    t["streams"] = rows
    return t


def render(rows):
    return "\n".join(rows) + "\n"


BEGIN = "// BEGIN reference table "
END = "// END reference table "


def blocks_in(text):
    out, lines, i = {}, text.split("\n"), 0
    while i < len(lines):
        if lines[i].startswith(BEGIN):
            label = lines[i][len(BEGIN):].strip()
            j = i + 1
            while not lines[j].startswith(END):
                j += 1
            out[label] = "\n".join(lines[i + 1:j]) + "\n"
            i = j
        i += 1
    return out


def replace_blocks(text, tables):
    lines, out, i = text.split("\n"), [], 0
    while i < len(lines):
        out.append(lines[i])
        if lines[i].startswith(BEGIN):
            label = lines[i][len(BEGIN):].strip()
            out.extend(render(tables[label]).rstrip("\n").split("\n"))
            while not lines[i].startswith(END):
                i += 1
            out.append(lines[i])
        i += 1
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--check", action="store_true")
    group.add_argument("--write", action="store_true")
    args = parser.parse_args()
    files = [(NATIVE_FILE, native_tables()), (WINE_FILE, wine_tables())]
    if not (args.check or args.write):
        for path, tables in files:
            for label, rows in tables.items():
                print("%s: %s" % (os.path.relpath(path, ROOT), label))
                print(render(rows))
        return 0
    status = 0
    for path, tables in files:
        with open(path, encoding="utf-8") as f:
            text = f.read()
        if args.write:
            with open(path, "w", encoding="utf-8") as f:
                f.write(replace_blocks(text, tables))
            continue
        found = blocks_in(text)
        for label, rows in tables.items():
            if found.get(label) != render(rows):
                print("%s: table %s differs from the reference" % (os.path.relpath(path, ROOT), label))
                status = 1
        for label in set(found) - set(tables):
            print("%s: table %s is not the reference's" % (os.path.relpath(path, ROOT), label))
            status = 1
    if status == 0:
        print("every table matches the reference")
    return status


if __name__ == "__main__":
    sys.exit(main())
