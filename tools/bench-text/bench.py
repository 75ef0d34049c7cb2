#!/usr/bin/env python3
"""Text benchmark: the library against reference tools, in one run.

  * KVBig5ToGb2312 on a 16 MiB Big5 text against the pipeline
    iconv -f BIG5 -t UTF-8 | opencc -c tw2s.json | iconv -f UTF-8 -t GBK
    (wall time of the whole pipeline, reading and writing files);
  * KVIsMatchString with *a*a*a*a*a*b on texts of "a" from 1 KiB to 1 MiB
    against glibc fnmatch on the same inputs (each fnmatch length gets a
    time limit; a run over it is shown as ">limit").

The library runs under Wine through larch-bench-text and times itself, so
Wine's start-up is not counted. Figures only: nothing here passes or fails.

    python3 tools/bench-text/bench.py [--bin build/win/bin] [--mib 16]
"""

import argparse
import ctypes
import multiprocessing
import os
import random
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
PATTERN = "*a*a*a*a*a*b"
LENGTHS = [1 << k for k in range(10, 21, 2)]  # 1 KiB, 4 KiB ... 1 MiB


def big5_text(size):
    """Deterministic Big5 prose: frequent ideographs, ASCII words, punctuation."""
    rng = random.Random(1)
    ideographs = []
    for lead in range(0xA4, 0xC7):
        for trail in list(range(0x40, 0x7F)) + list(range(0xA1, 0xFF)):
            raw = bytes([lead, trail])
            try:
                raw.decode("big5")
                ideographs.append(raw)
            except UnicodeDecodeError:
                pass
    # Only characters that the reference pipeline takes, so that it runs.
    check = subprocess.run("iconv -c -f BIG5 -t UTF-8 | opencc -c tw2s.json | iconv -c -f UTF-8 -t GBK",
                           shell=True, input=b"\n".join(ideographs) + b"\n", capture_output=True).stdout
    kept = check.split(b"\n")[:-1]
    assert len(kept) == len(ideographs)
    ideographs = [raw for raw, out in zip(ideographs, kept) if out]
    punctuation = ["，".encode("big5"), "。".encode("big5"), b" ", b"\n"]
    words = [b"Larch ", b"2024 ", b"ABC "]
    parts = []
    total = 0
    while total < size:
        r = rng.random()
        piece = (rng.choice(ideographs) if r < 0.85 else
                 rng.choice(punctuation) if r < 0.97 else rng.choice(words))
        parts.append(piece)
        total += len(piece)
    return b"".join(parts)[:size].rsplit(b"\n", 1)[0] + b"\n"


def run_library(bin_dir, work, *args):
    exe = os.path.join(os.path.abspath(bin_dir), "larch-bench-text.exe")
    out = subprocess.run([os.path.join(REPO, "scripts", "wine-run"), exe, *args], cwd=work,
                         capture_output=True, text=True, check=True)
    return [line.split() for line in out.stdout.splitlines()]


def fnmatch_seconds(length, queue):
    libc = ctypes.CDLL("libc.so.6")
    libc.fnmatch.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_int]
    text = b"a" * length
    best = float("inf")
    for _ in range(3):
        start = time.perf_counter()
        matched = libc.fnmatch(PATTERN.encode(), text, 0) == 0
        best = min(best, time.perf_counter() - start)
    queue.put((best, matched))


def timed_fnmatch(length, limit):
    queue = multiprocessing.Queue()
    worker = multiprocessing.Process(target=fnmatch_seconds, args=(length, queue))
    worker.start()
    worker.join(limit)
    if worker.is_alive():
        worker.terminate()
        worker.join()
        return None
    return queue.get()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", default=os.path.join(REPO, "build", "win", "bin"))
    parser.add_argument("--mib", type=int, default=16)
    parser.add_argument("--fnmatch-limit", type=float, default=30.0, help="seconds per length")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "big5.txt")
        with open(source, "wb") as f:
            f.write(big5_text(args.mib << 20))
        size = os.path.getsize(source)

        (_, _, lib_seconds), = run_library(args.bin, work, "convert", "big5.txt", "larch.txt")
        lib_seconds = float(lib_seconds)
        start = time.perf_counter()
        subprocess.run("iconv -f BIG5 -t UTF-8 big5.txt | opencc -c tw2s.json"
                       " | iconv -f UTF-8 -t GBK > pipeline.txt", shell=True, cwd=work, check=True)
        pipe_seconds = time.perf_counter() - start
        with open(os.path.join(work, "larch.txt"), "rb") as a, open(os.path.join(work, "pipeline.txt"), "rb") as b:
            ours, theirs = a.read(), b.read()
        same = sum(1 for x, y in zip(ours.split(b"\n"), theirs.split(b"\n")) if x == y)
        lines = theirs.count(b"\n")

        print("Big5 -> GBK, %.1f MiB of Big5 text" % (size / 1048576))
        print("  KVBig5ToGb2312 (Wine, host emulator)  %7.3f s  %7.1f MiB/s" % (lib_seconds, size / 1048576 / lib_seconds))
        print("  iconv | opencc tw2s | iconv           %7.3f s  %7.1f MiB/s" % (pipe_seconds, size / 1048576 / pipe_seconds))
        print("  ratio %.1fx; %d of %d lines identical (opencc also converts phrases)" % (
            pipe_seconds / lib_seconds, same, lines))

        print("Matching %s against texts of \"a\"" % PATTERN)
        print("  %9s  %16s  %16s" % ("length", "KVIsMatchString", "glibc fnmatch"))
        ours = {int(n): (float(s), m) for _, n, s, m in run_library(args.bin, work, "match", PATTERN,
                                                                     *map(str, LENGTHS))}
        for length in LENGTHS:
            seconds, matched = ours[length]
            theirs = timed_fnmatch(length, args.fnmatch_limit)
            reference = (">%.0f s" % args.fnmatch_limit if theirs is None
                         else "%.6f s%s" % (theirs[0], "" if theirs[1] == (matched == "T") else " (differs)"))
            print("  %9d  %14.6f s  %16s" % (length, seconds, reference))
    return 0


if __name__ == "__main__":
    sys.exit(main())
