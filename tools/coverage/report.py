#!/usr/bin/env python3
"""Line and function coverage of src/ per family, from the counts that
coverage builds (-DLARCH_COVERAGE=ON) leave beside their object files.

Each build is given as GCOV:FOLDER, the gcov that reads its notes (the
cross toolchain's for the DLL) and the folder searched for .gcno files.
The builds are merged: a line or function counts as reached when any build
reached it. A header's lines and an inline function compiled into several
objects are one line and one function.

Usage: report.py --source DIR --build NAME=GCOV:FOLDER [--build ...]
                 [--json OUT] [--unreached-limit N]

Prints one row per family (lines, functions, and each build's own line
figure), then the functions no test runs, by family and file.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

FAMILIES = ["bridge", "text", "crypto", "registry", "archive", "files", "system", "net", "dialogs"]


def gcov_documents(gcov, notes, cwd):
    """Runs gcov on the notes files (in batches) and yields its JSON documents."""
    decoder = json.JSONDecoder()
    for start in range(0, len(notes), 40):
        batch = notes[start:start + 40]
        out = subprocess.run([gcov, "--json-format", "--stdout", *batch], cwd=cwd, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, check=True).stdout.decode("utf-8", "replace")
        pos = 0
        while True:
            while pos < len(out) and out[pos].isspace():
                pos += 1
            if pos >= len(out):
                break
            document, pos = decoder.raw_decode(out, pos)
            yield document


def collect(gcov, folder, source):
    """Answers (lines, functions) of the build under FOLDER, for files under
    SOURCE/src: lines {(file, line): count}, functions {(file, line, column):
    [names, count, end line]}; file names are relative to SOURCE."""
    notes = []
    for root, _, files in os.walk(folder):
        notes += [os.path.abspath(os.path.join(root, f)) for f in files if f.endswith(".gcno")]
    notes.sort()
    src = os.path.join(source, "src") + os.sep
    lines, functions = {}, {}
    with tempfile.TemporaryDirectory() as work:
        for document in gcov_documents(gcov, notes, work):
            cwd = document.get("current_working_directory", "")
            for entry in document.get("files", []):
                path = os.path.normpath(os.path.join(cwd, entry["file"]))
                if not path.startswith(src):
                    continue
                name = os.path.relpath(path, source)
                for line in entry.get("lines", []):
                    key = (name, line["line_number"])
                    lines[key] = lines.get(key, 0) + line["count"]
                for function in entry.get("functions", []):
                    key = (name, function["start_line"], function.get("start_column", 0))
                    # Instantiations of one template share the place: one function.
                    record = functions.setdefault(key, [set(), 0, function["end_line"]])
                    record[0].add(function.get("demangled_name") or function["name"])
                    record[1] += function["execution_count"]
    return lines, functions


SHORTER = [
    ("std::basic_string_view<char, std::char_traits<char> >", "std::string_view"),
    ("std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >", "std::string"),
    ("[abi:cxx11]", ""),
    ("(anonymous namespace)::", ""),
    ("larch::", ""),
]


def demangled(names):
    """Stdcall functions keep their mangled names in the notes (the "@16"
    suffix stops gcov's demangler); c++filt reads them without it."""
    mangled = sorted({n for n in names if re.fullmatch(r"_Z\S+@\d+", n)})
    if not mangled:
        return {}
    out = subprocess.run(["c++filt"], input="\n".join(n.rsplit("@", 1)[0] for n in mangled), text=True,
                         stdout=subprocess.PIPE, check=False).stdout.splitlines()
    return dict(zip(mangled, out)) if len(out) == len(mangled) else {}


def readable(name):
    for long, short in SHORTER:
        name = name.replace(long, short)
    return name


def family_of(name):
    parts = name.split("/")
    return parts[1] if len(parts) > 2 else "(src)"


def percent(reached, total):
    return f"{100.0 * reached / total:5.1f}%" if total else "    -"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", action="append", required=True, help="NAME=GCOV:FOLDER")
    parser.add_argument("--json", help="also write the figures and the unreached functions here")
    parser.add_argument("--unreached-limit", type=int, default=-1, help="list at most N unreached functions")
    args = parser.parse_args()
    source = os.path.abspath(args.source)

    builds = []
    for entry in args.build:
        name, rest = entry.split("=", 1)
        gcov, folder = rest.split(":", 1)
        if not os.path.isdir(folder):
            print(f"coverage: no build folder {folder}", file=sys.stderr)
            return 1
        builds.append((name, *collect(gcov, folder, source)))

    lines, functions = {}, {}
    for _, build_lines, build_functions in builds:
        for key, count in build_lines.items():
            lines[key] = lines.get(key, 0) + count
        for key, (names, count, end) in build_functions.items():
            record = functions.setdefault(key, [set(), 0, end])
            record[0] |= names
            record[1] += count

    # A function inlined wherever it is called has an out-of-line copy that
    # never runs while its lines do: it counts as reached when a line of its
    # body is. The body starts on the line after the first, where a lambda
    # shares its first line with the code around it.
    for (file, start, _), record in functions.items():
        if record[1] == 0:
            body = range(start + 1, record[2] + 1) if record[2] > start else [start]
            if any(lines.get((file, line), 0) > 0 for line in body):
                record[1] = 1

    def tally(items, reached_of):
        by_family = {}
        for key, value in items:
            row = by_family.setdefault(family_of(key[0]), [0, 0])
            row[1] += 1
            row[0] += 1 if reached_of(value) else 0
        return by_family

    line_rows = tally(lines.items(), lambda count: count > 0)
    function_rows = tally(functions.items(), lambda record: record[1] > 0)
    build_rows = [(name, tally(build_lines.items(), lambda count: count > 0)) for name, build_lines, _ in builds]

    families = [f for f in FAMILIES if f in line_rows] + sorted(set(line_rows) - set(FAMILIES))
    header = f"{'family':<10} {'lines':>17} {'functions':>15}"
    for name, _ in build_rows:
        header += f"  {name + ' lines':>{max(12, len(name) + 6)}}"
    print(header)
    figures = {}

    def row(label, line, function, per_build):
        text = f"{label:<10} {line[0]:>5}/{line[1]:<5} {percent(*line)} {function[0]:>4}/{function[1]:<4} {percent(*function)}"
        for (name, _), value in zip(build_rows, per_build):
            text += f"  {percent(*value):>{max(12, len(name) + 6)}}"
        print(text)
        figures[label] = {"lines": line, "functions": function,
                          "build_lines": {name: value for (name, _), value in zip(build_rows, per_build)}}

    for family in families:
        row(family, line_rows[family], function_rows.get(family, [0, 0]),
            [rows.get(family, [0, 0]) for _, rows in build_rows])
    total = lambda rows: [sum(r[0] for r in rows.values()), sum(r[1] for r in rows.values())]
    row("total", total(line_rows), total(function_rows), [total(rows) for _, rows in build_rows])

    plain = demangled({n for record in functions.values() for n in record[0]})

    def shown_name(names):
        name = readable(plain.get(min(names, key=len), min(names, key=len)))
        return name if len(names) == 1 else f"{name} (and {len(names) - 1} more instantiations)"

    unreached = sorted((key, shown_name(record[0])) for key, record in functions.items() if record[1] == 0)
    unreached.sort(key=lambda item: (FAMILIES.index(family_of(item[0][0])) if family_of(item[0][0]) in FAMILIES
                                     else len(FAMILIES), item[0]))
    print(f"\nFunctions no test runs ({len(unreached)}):")
    shown = unreached if args.unreached_limit < 0 else unreached[:args.unreached_limit]
    for (file, line, _), name in shown:
        print(f"  {file}:{line}  {name}")
    if len(shown) < len(unreached):
        print(f"  ... and {len(unreached) - len(shown)} more")

    if args.json:
        with open(args.json, "w", encoding="utf-8") as out:
            json.dump({"families": figures,
                       "unreached": [{"file": k[0], "line": k[1], "function": n} for k, n in unreached]},
                      out, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
