#!/usr/bin/env python3
"""Runs the Wine phase of the test command on an emulated PC, in lanes side
by side, and writes one JUnit file with a test case per test.

The PC has as many processors as this machine; each lane is a Wine of its
own (prefix, display, wineserver: scripts/with-wine.sh with its own
LARCH_WINEPREFIX), so lanes share no state. The first lane's prefix is made
once and copied for the others. The work is a list of items, each a Windows
program or a few: a run of the test program (a long suite alone, shorter
ones together in one process, up to about BATCH_SECONDS), a page of the
reference's examples, the Chinese peer check, and every other test ctest
knows (read from its CTestTestfile.cmake files, so CMake stays the one
place that defines them). The peer check's outcome goes to peers.rc and
peers.log in the logs folder, as the test command reads it. Each lane takes
the next item no lane has taken yet.

    run_lanes.py --build build/win --source . --junit out.xml --logs FOLDER
                 [--lanes N] [--only PATTERN[:PATTERN...]]

--only keeps the suites (gtest patterns: Suite*, Suite.Test*) and the other
items (by name: peers, shell.examples*, archive.cabinet_interop, ...) that a
pattern matches. Items expected to take longest go first: the times of the
last run are kept in the logs folder (lane-times.json, seconds by suite and
by item); without them, the times recorded beside this script stand in.
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

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
SCRIPTS = os.path.join(REPO, "scripts")

# Each start of the test program costs seconds on the PC: suites shorter
# than this share a process, up to this much work in one.
BATCH_SECONDS = 45
# The time expected of a suite or item no run has timed yet.
UNKNOWN_SECONDS = 10


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
    checker = os.path.join(REPO, "tools", "check-chinese", "check_chinese.py")
    items = [{"name": "peers", "case": "peers", "command": [sys.executable, checker, "--bin", os.path.join(build, "bin")],
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


# ---- The test program ---------------------------------------------------

def list_tests(wine_run, tests):
    """Suite name -> test names, in the program's order; Child* suites run
    only inside processes other tests start, and are left out."""
    out = subprocess.run([wine_run, tests, "--gtest_list_tests"], cwd=os.path.dirname(tests), stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, timeout=600, check=True).stdout.decode("utf-8", "replace")
    suites, suite = {}, None
    for line in out.splitlines():
        if not line.strip() or line.startswith("Note:"):
            continue
        if not line.startswith(" "):
            suite = line.split("#")[0].strip().rstrip(".")
            if not suite.startswith("Child"):
                suites[suite] = []
        elif suite in suites:
            suites[suite].append(line.split("#")[0].strip())
    return suites


def run_tests(wine_run, tests, gtest_filter, name, timeout, work, logs):
    """Runs the tests GTEST_FILTER names in one process; answers (results
    by "Suite.Test", seconds by suite, the process output, whether it ran
    out of time). The output also goes to LOGS/NAME.log as it comes."""
    report = os.path.join(work, name + ".xml")
    windows_report = "Z:" + report.replace("/", "\\")  # Wine's drive Z: is the Unix root
    log_path = os.path.join(logs, name + ".log")
    timed_out = False
    with open(log_path, "wb") as log:
        try:
            subprocess.run([wine_run, tests, f"--gtest_filter={gtest_filter}", f"--gtest_output=xml:{windows_report}"],
                           cwd=os.path.dirname(tests), stdout=log, stderr=subprocess.STDOUT, timeout=timeout)
        except subprocess.TimeoutExpired:
            timed_out = True
            log.write(f"\n(the tests ran longer than {timeout} s)\n".encode())
    with open(log_path, "rb") as log:
        output = log.read().decode("utf-8", "replace")
    results, seconds = {}, {}
    try:
        # Failure messages may quote the code page's bytes, which are not
        # UTF-8 whatever the report's header says.
        with open(report, "rb") as f:
            root = ET.fromstring(f.read().decode("utf-8", "replace"))
        os.remove(report)
        for suite in root.iter("testsuite"):
            seconds[suite.get("name")] = float(suite.get("time") or 0)
        for case in root.iter("testcase"):
            key = f"{case.get('classname')}.{case.get('name')}"
            failures = [f.get("message", "") for f in case.iter("failure")]
            skipped = case.find("skipped")
            if failures:
                results[key] = ("fail", "\n".join(failures))
            elif skipped is not None or case.get("result") == "skipped":
                reason = (skipped.get("message", "") if skipped is not None else "").strip().splitlines()
                results[key] = ("skipped", reason[-1] if reason else "")
            else:
                results[key] = ("pass", "")
    except (OSError, ET.ParseError):
        pass  # the process ended without a report: every test of it failed
    return results, seconds, output, timed_out


def program_items(listed, patterns, times):
    """The chosen tests as items: a suite expected to take BATCH_SECONDS or
    more runs alone, the others share a process with their neighbours in
    the program's order (a family's suites stand together) up to that much
    expected work."""
    items, batch = [], []

    def close():
        if batch:
            first, last = batch[0][0], batch[-1][0]
            name = first if len(batch) == 1 else f"{first}..{last}"
            gtest_filter = ":".join(f"{suite}.*" if every else ":".join(f"{suite}.{t}" for t in tests)
                                    for suite, tests, every in batch)
            items.append({"name": name, "suites": [[suite, tests] for suite, tests, _ in batch],
                          "filter": gtest_filter, "expected": sum(times.get(suite, UNKNOWN_SECONDS)
                                                                  for suite, _, _ in batch)})
            batch.clear()

    for suite, tests in listed.items():
        chosen = [t for t in tests if selected(suite, patterns) or selected(f"{suite}.{t}", patterns)]
        if not chosen:
            continue
        expected = times.get(suite, UNKNOWN_SECONDS)
        if batch and sum(times.get(s, UNKNOWN_SECONDS) for s, _, _ in batch) + expected > BATCH_SECONDS:
            close()
        batch.append((suite, chosen, len(chosen) == len(tests)))
    close()
    return items


# ---- A lane -------------------------------------------------------------

def claim(queue, key):
    try:
        os.close(os.open(os.path.join(queue, "claims", key), os.O_CREAT | os.O_EXCL | os.O_WRONLY))
        return True
    except FileExistsError:
        return False


def file_name(name):
    return name.replace("/", "-")  # parameterised suites are named Prefix/Suite


def run_program_item(item, args, work):
    """Runs a test program item; answers (cases, seconds by suite). When
    the process ends early, each suite that has no result at all is run
    again in a process of its own, so one crash costs one suite."""
    results, seconds, output, timed_out = run_tests(args.wine_run, args.tests, item["filter"],
                                                    file_name(item["name"]), args.timeout, work, args.logs)
    outputs = {suite: output for suite, _ in item["suites"]}
    if len(item["suites"]) > 1 and not timed_out:
        for suite, tests in item["suites"]:
            if not any(f"{suite}.{t}" in results for t in tests):
                again = run_tests(args.wine_run, args.tests, ":".join(f"{suite}.{t}" for t in tests),
                                  file_name(suite), args.timeout, work, args.logs)
                results.update(again[0])
                seconds.update(again[1])
                outputs[suite] = again[2]
    cases = []
    for suite, tests in item["suites"]:
        for test in tests:
            status, text = results.get(f"{suite}.{test}", ("fail", "no result: the process ended before this test"))
            cases.append((f"wine.{suite}.{test}", status,
                          (outputs[suite] + "\n" + text) if status == "fail" else text))
    return cases, seconds


def run_item(item, args, work):
    """Runs one item in this lane; answers (cases, seconds by suite), each
    case a (case name, status, output)."""
    if item.get("suites"):
        return run_program_item(item, args, work)
    log_path = os.path.join(args.logs, file_name(item["name"]) + ".log")
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
    return [(item["case"], "pass" if status == 0 else "fail", output)], {}


def lane(args):
    queue = args.queue
    work = os.path.join(queue, f"lane{args.lane}")
    os.makedirs(work, exist_ok=True)
    if args.lane == 1:
        # The first lane lists the test program's suites; the other lanes
        # start on the other items meanwhile.
        try:
            listed = list_tests(args.wine_run, args.tests)
        except (subprocess.SubprocessError, OSError) as e:
            listed = {}
            with open(os.path.join(queue, "listing-failed"), "w") as f:
                f.write(str(e))
        patterns = [p for p in args.only.split(":") if p] if args.only else []
        write_json(os.path.join(queue, "suites.json"), order(program_items(listed, patterns, known_times(args.logs))))
    for list_name in ("others.json", "suites.json"):
        path = os.path.join(queue, list_name)
        while not os.path.exists(path):
            time.sleep(1)
        with open(path) as f:
            items = json.load(f)
        for item in items:
            if not claim(queue, file_name(item["name"])):
                continue
            started = time.monotonic()
            cases, suite_seconds = run_item(item, args, work)
            seconds = time.monotonic() - started
            failed = [c[0] for c in cases if c[1] == "fail"]
            print(f"lane {args.lane}: {item['name']}: {len(cases) - len(failed)} of {len(cases)} without failure"
                  f" ({seconds:.0f} s){'; failed: ' + ', '.join(failed) if failed else ''}", flush=True)
            write_json(os.path.join(queue, "results", file_name(item["name"]) + ".json"),
                       {"cases": cases, "seconds": seconds, "suite_seconds": suite_seconds, "lane": args.lane})
    return 0


def write_json(path, value):
    with open(path + ".new", "w") as f:
        json.dump(value, f, indent=0, sort_keys=True)
    os.replace(path + ".new", path)


def known_times(logs):
    """Seconds by suite and by item: the last run's, or else the ones
    recorded beside this script."""
    for path in (os.path.join(logs, "lane-times.json"), os.path.join(HERE, "lane-times.json")):
        try:
            with open(path) as f:
                return json.load(f)
        except (OSError, ValueError):
            continue
    return {}


def order(items):
    """Longest expected first."""
    return sorted(items, key=lambda item: -item["expected"])


# ---- The coordinator ----------------------------------------------------

def make_prefixes(args, base):
    """Makes the first lane's Wine prefix if it is missing, and copies it
    for the other lanes (making a prefix takes most of a minute on the PC,
    a copy seconds)."""
    first = os.path.join(base, "wineprefix-lane1")
    if not os.path.exists(os.path.join(first, "system.reg")):
        subprocess.run(["bash", os.path.join(SCRIPTS, "with-wine.sh"), "--prefix-only"],
                       env=dict(os.environ, LARCH_WINEPREFIX=first), check=True)
    for n in range(2, args.lanes + 1):
        prefix = os.path.join(base, f"wineprefix-lane{n}")
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            subprocess.run(["rm", "-rf", prefix, prefix + ".new"], check=True)
            subprocess.run(["cp", "-a", first, prefix + ".new"], check=True)
            os.rename(prefix + ".new", prefix)


def coordinate(args):
    os.makedirs(args.logs, exist_ok=True)
    queue = os.path.join(args.logs, "lanes")
    subprocess.run(["rm", "-rf", queue], check=True)
    for sub in ("claims", "results"):
        os.makedirs(os.path.join(queue, sub))
    patterns = [p for p in args.only.split(":") if p] if args.only else []
    times = known_times(args.logs)
    others = [dict(i, expected=times.get(i["name"], UNKNOWN_SECONDS)) for i in other_items(args.build, args.source)
              if selected(i["name"], patterns) or selected(i["case"], patterns)]
    write_json(os.path.join(queue, "others.json"), order(others))

    base = os.environ.get("LARCH_PC_DISK") or os.path.join(REPO, "build")
    make_prefixes(args, base)
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
    merged = {}
    for list_name in ("others.json", "suites.json"):
        try:
            with open(os.path.join(queue, list_name)) as f:
                items = json.load(f)
        except (OSError, ValueError):
            items = []
            ET.SubElement(ET.SubElement(root, "testcase", name=f"wine.{list_name}", status="fail"), "failure",
                          message="the suites were not listed")
        for item in items:
            try:
                with open(os.path.join(queue, "results", file_name(item["name"]) + ".json")) as f:
                    result = json.load(f)
            except (OSError, ValueError):
                result = {"cases": [(item.get("case", item["name"]), "fail", "no result: no lane ran this item")],
                          "seconds": 0, "suite_seconds": {}}
            if item.get("suites"):
                # A suite's own time, and its share of the process start.
                share = (result["seconds"] - sum(result["suite_seconds"].values())) / len(item["suites"])
                for suite, _ in item["suites"]:
                    if suite in result["suite_seconds"]:
                        times[suite] = round(result["suite_seconds"][suite] + max(share, 0), 1)
            else:
                times[item["name"]] = round(result["seconds"], 1)
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
