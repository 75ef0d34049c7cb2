#!/usr/bin/env python3
"""Runs the Wine test program one test suite per process and writes one
JUnit file with a test case per test, named as ctest names them
("wine.Suite.Test").

ctest starts the program once per test. Where Wine runs on an emulated PC
(scripts/x86-pc.sh) each start costs seconds, so there the tests run a
suite at a time: the same tests, each suite still in a process of its own.

Usage: run_by_suite.py --tests larch_tests.exe --wine-run scripts/wine-run
                       --junit out.xml --logs FOLDER [--timeout SECONDS]
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET


def list_tests(wine_run, tests, cwd):
    """Suite name -> test names, in the program's order; Child* suites run
    only inside processes other tests start, and are left out."""
    out = subprocess.run([wine_run, tests, "--gtest_list_tests"], cwd=cwd, stdout=subprocess.PIPE,
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


def run_suite(wine_run, tests, cwd, suite, timeout, work, logs, gtest_filter=None):
    """Runs one suite (or the tests of it GTEST_FILTER names); answers
    (results by test name, the process output). The output also goes to
    LOGS/SUITE.log as it comes."""
    file_name = suite.replace("/", "-")  # parameterised suites are named Prefix/Suite
    report = os.path.join(work, file_name + ".xml")
    windows_report = "Z:" + report.replace("/", "\\")  # Wine's drive Z: is the Unix root
    log_path = os.path.join(logs, file_name + ".log")
    with open(log_path, "wb") as log:
        try:
            subprocess.run([wine_run, tests, f"--gtest_filter={gtest_filter or suite + '.*'}",
                            f"--gtest_output=xml:{windows_report}"],
                           cwd=cwd, stdout=log, stderr=subprocess.STDOUT, timeout=timeout)
        except subprocess.TimeoutExpired:
            log.write(f"\n(the suite ran longer than {timeout} s)\n".encode())
    with open(log_path, "rb") as log:
        output = log.read().decode("utf-8", "replace")
    results = {}
    try:
        # Failure messages may quote the code page's bytes, which are not
        # UTF-8 whatever the report's header says.
        with open(report, "rb") as f:
            root = ET.fromstring(f.read().decode("utf-8", "replace"))
        for case in root.iter("testcase"):
            failures = [f.get("message", "") for f in case.iter("failure")]
            skipped = case.find("skipped")
            if failures:
                results[case.get("name")] = ("fail", "\n".join(failures))
            elif skipped is not None or case.get("result") == "skipped":
                reason = (skipped.get("message", "") if skipped is not None else "").strip().splitlines()
                results[case.get("name")] = ("skipped", reason[-1] if reason else "")
            else:
                results[case.get("name")] = ("pass", "")
    except (OSError, ET.ParseError):
        pass  # the process ended without a report: every test of it failed
    return results, output


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tests", required=True)
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--junit", required=True)
    parser.add_argument("--logs", required=True, help="folder for each suite's output")
    parser.add_argument("--timeout", type=int, default=1200, help="seconds for one suite")
    args = parser.parse_args()
    tests, wine_run = os.path.abspath(args.tests), os.path.abspath(args.wine_run)
    cwd = os.path.dirname(tests)

    root = ET.Element("testsuite", name="wine")
    os.makedirs(args.logs, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for suite, names in list_tests(wine_run, tests, cwd).items():
            started = time.monotonic()
            results, output = run_suite(wine_run, tests, cwd, suite, args.timeout, work, args.logs)
            failed = [n for n in names if results.get(n, ("fail",))[0] == "fail"]
            print(f"{suite}: {len(names) - len(failed)} of {len(names)} without failure"
                  f" ({time.monotonic() - started:.0f} s){'; failed: ' + ', '.join(failed) if failed else ''}",
                  flush=True)
            for name in names:
                status, text = results.get(name, ("fail", "no result: the process ended before this test"))
                case = ET.SubElement(root, "testcase", name=f"wine.{suite}.{name}",
                                     status={"pass": "run", "fail": "fail", "skipped": "notrun"}[status])
                if status == "fail":
                    ET.SubElement(case, "failure", message="failed")
                    ET.SubElement(case, "system-out").text = output + "\n" + text
                elif status == "skipped":
                    ET.SubElement(case, "skipped", message=text)
                    ET.SubElement(case, "system-out").text = "Skipped\n" + text
    ET.ElementTree(root).write(args.junit, encoding="utf-8", xml_declaration=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
