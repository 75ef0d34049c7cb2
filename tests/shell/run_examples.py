#!/usr/bin/env python3
"""Runs every example of the function reference and every demo script
through larch-shell, and compares what it prints with what they show.

A reference example is a fenced block tagged `larch`: lines starting with
". " are typed into the shell, every other line is expected output. A demo
is examples/demo/NAME.prg with its expected output in NAME.out.
"""
import argparse
import glob
import os
import subprocess
import sys


TIMEOUT = 120  # seconds for one example


def run_shell(shell, wine_run, script):
    # --raw: the script reaches the shell as the code page's own bytes, and
    # the output comes back as such. An example that does not end in time
    # shows as such and the others still run.
    try:
        result = subprocess.run([wine_run, shell, "--raw"], input=script.encode("latin-1"),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return f"(no end within {TIMEOUT} s)"
    return result.stdout.decode("latin-1").replace("\r\n", "\n")


def blocks(markdown_path):
    """Yields (line number, commands, expected lines) for each example block."""
    with open(markdown_path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        if lines[i].strip() == "```larch":
            start = i + 1
            i += 1
            commands, expected = [], []
            while i < len(lines) and lines[i].strip() != "```":
                line = lines[i]
                if line.startswith(". "):
                    commands.append(line[2:])
                else:
                    expected.append(line)
                i += 1
            yield start, commands, expected
        i += 1


def to_bytes_text(s):
    # Files are UTF-8; the shell speaks the ANSI code page (GBK).
    return s.encode("gbk").decode("latin-1")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True)
    parser.add_argument("--source", required=True)
    args = parser.parse_args()
    wine_run = os.path.join(args.source, "scripts", "wine-run")
    failures = 0
    checked = 0

    for md in sorted(glob.glob(os.path.join(args.source, "docs", "functions", "*.md"))):
        for line_no, commands, expected in blocks(md):
            script = "SET LIBRARY TO larch.dll\n" + "\n".join(to_bytes_text(c) for c in commands) + "\n"
            got = run_shell(args.shell, wine_run, script).rstrip("\n").split("\n")
            want = [to_bytes_text(e) for e in expected]
            while want and want[-1] == "":
                want.pop()
            checked += 1
            if got != want and not (got == [""] and want == []):
                failures += 1
                print(f"{os.path.relpath(md, args.source)}:{line_no}: example differs")
                print("  expected: " + repr(want))
                print("  got:      " + repr(got))

    for prg in sorted(glob.glob(os.path.join(args.source, "examples", "demo", "*.prg"))):
        out = prg[:-4] + ".out"
        with open(prg, "rb") as f:
            script = f.read().decode("utf-8")
        got = run_shell(args.shell, wine_run, to_bytes_text(script))
        with open(out, "rb") as f:
            want = to_bytes_text(f.read().decode("utf-8"))
        checked += 1
        if got != want:
            failures += 1
            print(f"{os.path.relpath(prg, args.source)}: output differs from {os.path.basename(out)}")
            print("  expected: " + repr(want))
            print("  got:      " + repr(got))

    print(f"{checked} examples checked, {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
