#!/usr/bin/env python3
"""Runs every example of the function reference and every example script
through larch-shell, and compares what it prints with what they show.

A reference example is a fenced block tagged `larch`: lines starting with
". " are typed into the shell, every other line is expected output. An
example script is examples/FOLDER/NAME.prg with its expected output in
NAME.out; it runs in its own folder.

Starting a Windows program costs seconds on an emulated PC, so the examples
of one reference page (and the scripts of one folder) run in one shell:
each example is framed by marker lines, and between two examples the
library is released and the variables cleared, which leaves the next one
what a new shell would give it. A batch that ends early (the shell died)
has its remaining examples run one shell each, as before.

    run_examples.py --shell larch-shell.exe --source REPO [--only WORD ...]
"""
import argparse
import glob
import os
import subprocess
import sys


TIMEOUT = 120  # seconds for one example; a batch gets this for each example
MARK = "\x02larch-example"  # a line the examples themselves never print
# What a new shell has: no library, no variables, no identity set.
RESET = ["RELEASE LIBRARY larch.dll", "RELEASE ALL", '_screen.tag = ""']


def run_shell(shell, wine_run, script, cwd, timeout):
    # --raw: the script reaches the shell as the code page's own bytes, and
    # the output comes back as such. An example that does not end in time
    # shows as such and the others still run.
    try:
        result = subprocess.run([wine_run, shell, "--raw"], input=script.encode("latin-1"), cwd=cwd,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    return result.stdout.decode("latin-1").replace("\r\n", "\n")


def mark(kind, n):
    return f'? CHR(2) + "{MARK[1:]} {kind} {n}"'


def run_batch(shell, wine_run, scripts, cwd):
    """Runs the scripts in one shell; answers each one's output, or None
    for those whose end marker never came."""
    lines = []
    for n, script in enumerate(scripts):
        lines += [mark("start", n), script.rstrip("\n"), mark("end", n)] + RESET
    out = run_shell(shell, wine_run, "\n".join(lines) + "\n", cwd, TIMEOUT * len(scripts))
    outputs = [None] * len(scripts)
    if out is None:
        return outputs
    current, taken = None, []
    for line in out.split("\n"):
        at = line.find(MARK)
        if at < 0:
            if current is not None:
                taken.append(line)
            continue
        # Output an example left unfinished on its last line stays its own.
        if at > 0 and current is not None:
            taken.append(line[:at])
        kind, n = line[at + len(MARK):].split()[:2]
        if kind == "start":
            current, taken = int(n), []
        elif current == int(n):
            outputs[current] = "\n".join(taken) + ("\n" if taken else "")
            current = None
    return outputs


def run_all(shell, wine_run, scripts, cwd):
    outputs = run_batch(shell, wine_run, scripts, cwd) if len(scripts) > 1 else [None] * len(scripts)
    for n, script in enumerate(scripts):
        if outputs[n] is None:
            got = run_shell(shell, wine_run, script, cwd, TIMEOUT)
            outputs[n] = got if got is not None else f"(no end within {TIMEOUT} s)"
    return outputs


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
    parser.add_argument("--only", nargs="*", default=[],
                        help="run only the pages and folders whose path holds one of these words")
    args = parser.parse_args()
    wine_run = os.path.join(args.source, "scripts", "wine-run")
    cwd = os.getcwd()
    failures = 0
    checked = 0

    def wanted(path):
        return not args.only or any(word in os.path.relpath(path, args.source) for word in args.only)

    for md in sorted(glob.glob(os.path.join(args.source, "docs", "functions", "*.md"))):
        if not wanted(md):
            continue
        examples = list(blocks(md))
        scripts = ["SET LIBRARY TO larch.dll\n" + "\n".join(to_bytes_text(c) for c in commands) + "\n"
                   for _, commands, _ in examples]
        for (line_no, _, expected), output in zip(examples, run_all(args.shell, wine_run, scripts, cwd)):
            got = output.rstrip("\n").split("\n")
            want = [to_bytes_text(e) for e in expected]
            while want and want[-1] == "":
                want.pop()
            checked += 1
            if got != want and not (got == [""] and want == []):
                failures += 1
                print(f"{os.path.relpath(md, args.source)}:{line_no}: example differs")
                print("  expected: " + repr(want))
                print("  got:      " + repr(got))

    for folder in sorted(glob.glob(os.path.join(args.source, "examples", "*", ""))):
        prgs = [p for p in sorted(glob.glob(os.path.join(folder, "*.prg"))) if os.path.exists(p[:-4] + ".out")]
        if not prgs or not wanted(folder):
            continue
        scripts = []
        for prg in prgs:
            with open(prg, "rb") as f:
                scripts.append(to_bytes_text(f.read().decode("utf-8")))
        for prg, got in zip(prgs, run_all(args.shell, wine_run, scripts, folder)):
            with open(prg[:-4] + ".out", "rb") as f:
                want = to_bytes_text(f.read().decode("utf-8"))
            checked += 1
            if got != want:
                failures += 1
                print(f"{os.path.relpath(prg, args.source)}: output differs from {os.path.basename(prg)[:-4]}.out")
                print("  expected: " + repr(want))
                print("  got:      " + repr(got))

    print(f"{checked} examples checked, {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
