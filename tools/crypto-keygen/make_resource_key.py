#!/usr/bin/env python3
"""Writes the key block of the file-buffer cipher, in the form the library
stores it as its MYRES 117 resource.

The block is 6886 bytes of MD5 output in counter mode over a fixed label,
so it can be regenerated at any time and never changes: buffers enciphered
under it open only under the same bytes. The resource holds bytes 0 to 52
as they are and bytes 53 to the end in reverse order; the library turns
them back when it loads the resource.

    make_resource_key.py OUT       write the stored form to OUT
    make_resource_key.py --check F exit 1 unless F holds exactly that form
"""
import hashlib
import sys

LABEL = b"larch file-buffer resource key/1"
SIZE = 6886
FIXED_PREFIX = 53


def key_block() -> bytes:
    out = bytearray()
    counter = 0
    while len(out) < SIZE:
        out += hashlib.md5(LABEL + counter.to_bytes(4, "little")).digest()
        counter += 1
    return bytes(out[:SIZE])


def stored_form(block: bytes) -> bytes:
    return block[:FIXED_PREFIX] + block[FIXED_PREFIX:][::-1]


def main(argv):
    if len(argv) == 3 and argv[1] == "--check":
        with open(argv[2], "rb") as f:
            ok = f.read() == stored_form(key_block())
        print("resource key matches" if ok else "resource key differs from the generator")
        return 0 if ok else 1
    if len(argv) == 2:
        with open(argv[1], "wb") as f:
            f.write(stored_form(key_block()))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
