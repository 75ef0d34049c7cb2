#!/usr/bin/env python3
"""Checks that an INI file written by KVWriteIniStr reads back the same in
Python's configparser: runs the Wine test that writes it, then compares.

Usage: files_ini_configparser_check.py --tests larch_tests.exe --wine-run scripts/wine-run
"""
import argparse
import configparser
import os
import subprocess
import sys
import tempfile

# The same table as kInteropEntries in files_ini_test.cpp.
ENTRIES = [
    ("Main", "Name", "larch library"),
    ("Main", "Path", "C:\\Program Files\\larch\\larch.dll"),
    ("Main", "Equation", "a=b; c: d"),
    ("Second Section", "Number", "12345"),
    ("Second Section", "Empty", ""),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tests", required=True)
    parser.add_argument("--wine-run", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "written.ini")
        env = dict(os.environ, LARCH_INI_CHECK="Z:" + path.replace("/", "\\"))
        run = subprocess.run([args.wine_run, args.tests, "--gtest_filter=ChildIni.WritesAFileForConfigparser"],
                             env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        if run.returncode != 0 or not os.path.exists(path):
            sys.stdout.write(run.stdout.decode("latin-1"))
            print("the Wine test did not write", path)
            return 1
        config = configparser.ConfigParser(interpolation=None)
        config.optionxform = str  # keep the keys' letter case
        with open(path, encoding="latin-1") as f:
            config.read_file(f)
        failures = 0
        for section, key, value in ENTRIES:
            got = config.get(section, key, fallback=None)
            if got != value:
                print(f"[{section}] {key}: expected {value!r}, configparser read {got!r}")
                failures += 1
        print(f"{len(ENTRIES) - failures} of {len(ENTRIES)} entries read back by configparser")
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
