#!/usr/bin/env python3
"""Runs the Wine phase of the test command on an emulated PC, in lanes side
by side, and writes one JUnit file with a test case per test.

The PC has as many processors as this machine; each lane is a Wine of its
own (prefix, display, wineserver: scripts/with-wine.sh with its own
LARCH_WINEPREFIX), so lanes share no state. The work is a list of items,
each a Windows program or a few: one test suite of the test program (a
process per suite, as run_by_suite.py runs them), a page of the reference's
examples, the Chinese peer check, and every other test ctest knows
(read from its CTestTestfile.cmake files, so CMake stays the one place
that defines them). The peer check's outcome goes to peers.rc and
peers.log in the logs folder, as the test command reads it. Each lane takes the next item no lane has taken yet.

    run_lanes.py --build build/win --source . --junit out.xml --logs FOLDER
                 [--lanes N] [--only PATTERN[:PATTERN...]]

--only keeps the suites (gtest patterns: Suite*, Suite.Test*) and the other
items (by name: peers, shell.examples*, archive.cabinet_interop, ...) that a
pattern matches. Items taking the longest last time go first (their times
are kept in the logs folder).
"""
import argparse
import fnmatch
import glob
import json
import os
import re
import shlex
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import run_by_suite  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
SCRIPTS = os.path.join(REPO, "scripts")


# ---- The items ----------------------------------------------------------

def cmake_words(text):
    """The arguments of one CMake command, unquoted."""
    words, i = [], 0
    while i < len(text):
        c = text[i]
        if c.isspace():
            i += 1
        elif text.startswith("[=[", i):
            end = text.index("]=]", i)
            words.append(text[i + 3:end])
            i = end + 3
        elif c == '"':
            i += 1
            word = []
            while text[i] != '"':
                if text[i] == "\\":
                    i += 1
                word.append(text[i])
                i += 1
            words.append("".join(word))
            i += 1
        else:
            m = re.match(r"[^\s\"]+", text[i:])
            words.append(m.group(0))
            i += len(m.group(0))
    return words


def ctest_tests(build):
    """Name -> (command, environment, folder) of every test ctest lists by
    name (the test program's own tests are run by suite instead)."""
    tests = {}
    for path in sorted(glob.glob(os.path.join(build, "**", "CTestTestfile.cmake"), recursive=True)):
        with open(path, encoding="utf-8") as f:
            text = f.read()
        for m in re.finditer(r"^add_test\((.*)\)$", text, re.M):
            words = cmake_words(m.group(1))
            tests[words[0]] = {"command": words[1:], "env": {}, "cwd": os.path.dirname(path)}
        for m in re.finditer(r"^set_tests_properties\((.*)\)$", text, re.M):
            words = cmake_words(m.group(1))
            test = tests.get(words[0])
            for key, value in zip(words[2::2], words[3::2]):
                if test and key == "ENVIRONMENT":
                    test["env"].update(pair.split("=", 1) for pair in value.split(";"))
                elif test and key == "WORKING_DIRECTORY":
                    test["cwd"] = value
    return tests


def example_pages(source):
    pages = [os.path.relpath(p, source) for p in sorted(glob.glob(os.path.join(source, "docs", "functions", "*.md")))]
    folders = [os.path.relpath(p, source) for p in sorted(glob.glob(os.path.join(source, "examples", "*", "")))]
    return pages + folders


def other_items(build, source):
    """The items that are not suites of the test program: each ctest test
    (the examples split by page, as one case), and the peer check."""
    items = [{"name": "peers", "case": "peers", "command": [sys.executable, os.path.join(REPO, "tools", "check-chinese",
                                                                                         "check_chinese.py")],
              "env": {}, "cwd": REPO}]
    for name, test in ctest_tests(build).items():
        command = test["command"]
        if any(os.path.basename(w) == "run_examples.py" for w in command):
            for page in example_pages(source):
                part = os.path.splitext(os.path.basename(page))[0]  # shell.examples.text, shell.examples.demo
                items.append(dict(test, name=f"{name}.{part}", case=name, command=command + ["--only", page]))
        else:
            items.append(dict(test, name=name, case=name))
    return items


def selected(name, patterns):
    return not patterns or any(fnmatch.fnmatchcase(name, p) for p in patterns)


# ---- A lane -------------------------------------------------------------

def claim(queue, key):
    try:
        os.close(os.open(os.path.join(queue, "claims", key), os.O_CREAT | os.O_EXCL | os.O_WRONLY))
        return True
    except FileExistsError:
        return False


def run_item(item, args, work):
    """Runs one item in this lane; answers a list of (case name, status,
    output)."""
    if item.get("suite"):
        suite, filter_ = item["suite"], item["filter"]
        results, output = run_by_suite.run_suite(args.wine_run, args.tests, os.path.dirname(args.tests), suite,
                                                 args.timeout, work, args.logs, gtest_filter=filter_)
        cases = []
        for test in item["tests"]:
            status, text = results.get(test, ("fail", "no result: the process ended before this test"))
            cases.append((f"wine.{suite}.{test}", status, (output + "\n" + text) if status == "fail" else text))
        return cases
    log_path = os.path.join(args.logs, item["name"].replace("/", "-") + ".log")
    env = dict(os.environ, **item["env"])
    with open(log_path, "wb") as log:
        try:
            status = subprocess.run(item["command"], cwd=item["cwd"], env=env, stdout=log, stderr=subprocess.STDOUT,
                                    timeout=args.timeout).returncode
        except subprocess.TimeoutExpired:
            log.write(f"\n(ran longer than {args.timeout} s)\n".encode())
            status = -1
    with open(log_path, "rb") as log:
        output = log.read().decode("utf-8", "replace")
    return [(item["case"], "pass" if status == 0 else "fail", output)]


def lane(args):
    queue = args.queue
    work = os.path.join(queue, f"lane{args.lane}")
    os.makedirs(work, exist_ok=True)
    if args.lane == 1:
        # The first lane lists the test program's suites; the other lanes
        # start on the other items meanwhile.
        suites = []
        try:
            listed = run_by_suite.list_tests(args.wine_run, args.tests, os.path.dirname(args.tests))
        except (subprocess.SubprocessError, OSError) as e:
            listed = {}
            with open(os.path.join(queue, "listing-failed"), "w") as f:
                f.write(str(e))
        patterns = [p for p in args.only.split(":") if p] if args.only else []
        for suite, tests in listed.items():
            chosen = [t for t in tests if selected(suite, patterns) or selected(f"{suite}.{t}", patterns)]
            if not chosen:
                continue
            filter_ = f"{suite}.*" if len(chosen) == len(tests) else ":".join(f"{suite}.{t}" for t in chosen)
            suites.append({"name": suite, "suite": suite, "tests": chosen, "filter": filter_})
        write_json(os.path.join(queue, "suites.json"), order(suites, args.logs))
    for list_name in ("others.json", "suites.json"):
        path = os.path.join(queue, list_name)
        while not os.path.exists(path):
            time.sleep(1)
        with open(path) as f:
            items = json.load(f)
        for item in items:
            if not claim(queue, item["name"].replace("/", "-")):
                continue
            started = time.monotonic()
            cases = run_item(item, args, work)
            seconds = time.monotonic() - started
            failed = [c[0] for c in cases if c[1] == "fail"]
            print(f"lane {args.lane}: {item['name']}: {len(cases) - len(failed)} of {len(cases)} without failure"
                  f" ({seconds:.0f} s){'; failed: ' + ', '.join(failed) if failed else ''}", flush=True)
            write_json(os.path.join(queue, "results", item["name"].replace("/", "-") + ".json"),
                       {"cases": cases, "seconds": seconds, "lane": args.lane})
    return 0


def write_json(path, value):
    with open(path + ".new", "w") as f:
        json.dump(value, f)
    os.replace(path + ".new", path)


def order(items, logs):
    """Longest first, by the times of the last run; unknown ones keep their
    order, ahead of the known short ones."""
    try:
        with open(os.path.join(logs, "lane-times.json")) as f:
            times = json.load(f)
    except (OSError, ValueError):
        times = {}
    return sorted(items, key=lambda item: -times.get(item["name"], 60))


# ---- The coordinator ----------------------------------------------------

def coordinate(args):
    os.makedirs(args.logs, exist_ok=True)
    queue = os.path.join(args.logs, "lanes")
    subprocess.run(["rm", "-rf", queue], check=True)
    for sub in ("claims", "results"):
        os.makedirs(os.path.join(queue, sub))
    patterns = [p for p in args.only.split(":") if p] if args.only else []
    others = [i for i in other_items(args.build, args.source)
              if selected(i["name"], patterns) or selected(i["case"], patterns)]
    write_json(os.path.join(queue, "others.json"), order(others, args.logs))

    base = os.environ.get("LARCH_PC_DISK") or os.path.join(REPO, "build")
    lanes = []
    for n in range(1, args.lanes + 1):
        env = dict(os.environ, LARCH_WINEPREFIX=os.path.join(base, f"wineprefix-lane{n}"))
        command = ["bash", os.path.join(SCRIPTS, "with-wine.sh"), sys.executable, os.path.abspath(__file__),
                   "--lane", str(n), "--queue", queue] + shlex.split(args.passed)
        lanes.append(subprocess.Popen(command, env=env))
        time.sleep(1)  # each lane's virtual display takes its number in turn
    for p in lanes:
        p.wait()

    root = ET.Element("testsuite", name="wine")
    times, merged = {}, {}
    for list_name in ("others.json", "suites.json"):
        try:
            with open(os.path.join(queue, list_name)) as f:
                items = json.load(f)
        except (OSError, ValueError):
            items = []
            ET.SubElement(ET.SubElement(root, "testcase", name=f"wine.{list_name}", status="fail"), "failure",
                          message="the suites were not listed")
        for item in items:
            key = item["name"].replace("/", "-")
            try:
                with open(os.path.join(queue, "results", key + ".json")) as f:
                    result = json.load(f)
            except (OSError, ValueError):
                result = {"cases": [(item.get("case", item["name"]), "fail", "no result: no lane ran this item")],
                          "seconds": 0}
            times[item["name"]] = result["seconds"]
            if item["name"] == "peers":
                # A suite of its own in the test command's summary.
                name, status, text = result["cases"][0]
                with open(os.path.join(args.logs, "peers.log"), "w") as f:
                    f.write(text)
                with open(os.path.join(args.logs, "peers.rc"), "w") as f:
                    f.write("0\n" if status == "pass" else "1\n")
                continue
            for name, status, text in result["cases"]:
                # An item split in parts (the examples) is one case.
                if name in merged:
                    case, old = merged[name]
                    if status == "fail":
                        case.set("status", "fail")
                        if case.find("failure") is None:
                            ET.SubElement(case, "failure", message="failed")
                        out = case.find("system-out")
                        out.text = (out.text or "") + "\n" + text
                    continue
                case = ET.SubElement(root, "testcase", name=name,
                                     status={"pass": "run", "fail": "fail", "skipped": "notrun"}[status])
                merged[name] = (case, status)
                if status == "fail":
                    ET.SubElement(case, "failure", message="failed")
                    ET.SubElement(case, "system-out").text = text
                elif status == "skipped":
                    ET.SubElement(case, "skipped", message=text)
                    ET.SubElement(case, "system-out").text = "Skipped\n" + text
                else:
                    ET.SubElement(case, "system-out").text = ""
    ET.ElementTree(root).write(args.junit, encoding="utf-8", xml_declaration=True)
    if not args.only:
        write_json(os.path.join(args.logs, "lane-times.json"), times)
    return 0


def ctest_regex(only):
    """The ctest regular expression (-R) for --only's patterns, where ctest
    runs each test by its own name (wine.Suite.Test, shell.examples, ...)."""
    def one(pattern):
        body = "".join(".*" if c == "*" else "." if c == "?" else re.escape(c) if not c.isalnum() else c
                       for c in pattern)
        return f"^(wine[.])?{body}([.].*)?$"
    return "|".join(one(p) for p in only.split(":") if p)


def main():
    if sys.argv[1:2] == ["--ctest-regex"]:
        print(ctest_regex(sys.argv[2] if len(sys.argv) > 2 else ""))
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(REPO, "build", "win"))
    parser.add_argument("--source", default=REPO)
    parser.add_argument("--junit")
    parser.add_argument("--logs", required=True)
    parser.add_argument("--lanes", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--only", default="")
    parser.add_argument("--timeout", type=int, default=600, help="seconds for one item")
    parser.add_argument("--lane", type=int, help=argparse.SUPPRESS)
    parser.add_argument("--queue", help=argparse.SUPPRESS)
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    args.source = os.path.abspath(args.source)
    args.logs = os.path.abspath(args.logs)
    args.tests = os.path.join(args.build, "bin", "larch_tests.exe")
    args.wine_run = os.path.join(SCRIPTS, "wine-run")
    if args.lane:
        return lane(args)
    if not args.junit:
        parser.error("--junit is required")
    args.passed = " ".join(shlex.quote(a) for a in ["--build", args.build, "--source", args.source, "--logs", args.logs,
                                                    "--only", args.only, "--timeout", str(args.timeout)])
    return coordinate(args)


if __name__ == "__main__":
    sys.exit(main())
