#!/usr/bin/env python3
"""Checks the release package that scripts/package.sh made.

  * dist/larch-<version>.zip is named after the version in
    src/bridge/version.h, and its .sha256 file matches it;
  * it holds exactly the files a developer needs, under larch-<version>/,
    and SHA256SUMS lists each of them with its sum;
  * its README is the user's README (docs/package/README.md) with every
    placeholder filled, the sizes it gives are those of the packaged files,
    and every relative link of its Markdown files points at a file the
    package holds (and at a heading that file has);
  * larch.h is include/larch.h, and the sample program comes with its data
    and its expected output;
  * larch.dll is the DLL the tests loaded (build/win/bin/larch.dll), stripped:
    no debug sections, a debug link that names larch.dll.debug with that
    file's checksum, byte for byte what stripping the tested DLL gives;
  * the DLL needs no runtime DLLs beyond the system's, and its version
    resource and version text are the package's version.

Prints each failed check, then "N passed, N failed"; exits 1 on a failure.

    python3 tests/package/check_package.py [--dist dist] [--bin build/win/bin]
"""

import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
OBJCOPY = "i686-w64-mingw32-objcopy"
OBJDUMP = "i686-w64-mingw32-objdump"
# What larch.dll may import: Windows' own DLLs, nothing a user would lack.
SYSTEM_DLLS = {
    "advapi32.dll", "cabinet.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "iphlpapi.dll",
    "kernel32.dll", "mpr.dll", "msvcrt.dll", "netapi32.dll", "ole32.dll", "oleaut32.dll",
    "rpcrt4.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "version.dll", "wininet.dll",
    "ws2_32.dll",
}


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL: {what}")
        return ok


def version():
    text = open(os.path.join(REPO, "src/bridge/version.h"), encoding="utf-8").read()
    fields = dict(re.findall(r"#define LARCH_VERSION_(\w+) (\S+)", text))
    return fields["TEXT"].strip('"'), tuple(int(fields[k]) for k in ("MAJOR", "MINOR", "BUILD"))


def repo_files(folder, pattern=None):
    root = os.path.join(REPO, folder)
    return sorted(os.path.join(folder, f) for f in os.listdir(root)
                  if os.path.isfile(os.path.join(root, f)) and (pattern is None or re.search(pattern, f)))


def sections(path):
    out = subprocess.run([OBJDUMP, "-h", path], capture_output=True, text=True, check=True).stdout
    return re.findall(r"^\s*\d+\s+(\S+)\s", out, re.M)


def imports(path):
    out = subprocess.run([OBJDUMP, "-p", path], capture_output=True, text=True, check=True).stdout
    return [name.lower() for name in re.findall(r"DLL Name: (\S+)", out)]


def debug_link(path):
    """(file name, CRC) of the .gnu_debuglink section, or None."""
    out = subprocess.run([OBJDUMP, "-s", "-j", ".gnu_debuglink", path], capture_output=True, text=True).stdout
    data = b"".join(bytes.fromhex("".join(m.split()))
                    for m in re.findall(r"^ [0-9a-f]+ ((?:[0-9a-f]{2,8} ?){1,4})", out, re.M))
    end = data.find(b"\0")
    offset = (end + 4) & ~3
    if end < 0 or len(data) < offset + 4:
        return None
    return data[:end].decode("ascii", "replace"), struct.unpack_from("<I", data, offset)[0]


def link_time(path):
    """The time stamp in the PE file header."""
    data = open(path, "rb").read(4096)
    pe = struct.unpack_from("<I", data, 60)[0]
    return struct.unpack_from("<I", data, pe + 8)[0]


def fixed_file_version(data):
    """The file version (a, b, c, d) of the version resource, or None."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF


def slug(heading):
    """The anchor a Markdown viewer gives a heading (GitHub's rule)."""
    text = re.sub(r"[`*_]", lambda m: "_" if m.group(0) == "_" else "", heading.strip().lower())
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(path):
    found, seen = set(), {}
    fenced = False
    for line in open(path, encoding="utf-8"):
        if line.startswith("```"):
            fenced = not fenced
        m = None if fenced else re.match(r"#{1,6} (.*)", line)
        if m:
            base = slug(m.group(1))
            n = seen.get(base, 0)
            seen[base] = n + 1
            found.add(base if n == 0 else f"{base}-{n}")
    return found


def check_links(checks, top, files):
    """Every relative link of the package's Markdown files reaches a file of
    the package, and a heading of it where the link names one."""
    broken = []
    for rel in sorted(f for f in files if f.endswith(".md")):
        text = open(os.path.join(top, rel), encoding="utf-8").read()
        text = re.sub(r"^```.*?^```", "", text, flags=re.M | re.S)
        for target in re.findall(r"\]\(([^)\s]+)\)", text):
            if re.match(r"[a-z]+:", target):
                continue
            path, _, anchor = target.partition("#")
            resolved = os.path.normpath(os.path.join(os.path.dirname(rel), path)) if path else rel
            full = os.path.join(top, resolved)
            if resolved.startswith("..") or not os.path.exists(full):
                broken.append(f"{rel}: {target}")
            elif anchor and (not full.endswith(".md") or anchor not in anchors(full)):
                broken.append(f"{rel}: {target} (no such heading)")
    checks.check(not broken, f"every link inside the package reaches its target ({broken})")


def check_readme(checks, top, version_text):
    readme = os.path.join(top, "README.md")
    text = open(readme, encoding="utf-8").read() if os.path.isfile(readme) else ""
    checks.check(not re.search(r"@[A-Z][A-Za-z.:-]*@", text), "README.md has every placeholder filled")
    checks.check(f"# larch {version_text}" in text, "README.md names the package's version")
    # The user's README, not the contributors' guide.
    checks.check("CONTRIBUTING" not in text and "scripts/" not in text and "x86-pc" not in text,
                 "README.md is the user's README (no building, Wine set-up or code layout)")
    for name in ("larch.dll", "larch.dll.debug", "larch-pack.exe"):
        path = os.path.join(top, name)
        if os.path.isfile(path):
            kb = (os.path.getsize(path) + 1023) // 1024
            row = re.search(r"^\| `" + re.escape(name) + r"` \|.*$", text, re.M)
            checks.check(row and f"{kb} KB" in row.group(0), f"README.md gives the size of {name} ({kb} KB)")


def linked_thread_library(dll):
    """The thread library's functions the DLL holds, by their names in its
    debug information, or [] when it holds none."""
    out = subprocess.run([OBJDUMP, "-t", dll], capture_output=True, text=True).stdout
    names = sorted(set(re.findall(r"\b(_?(?:pthread|winpthread)_\w+)", out)))
    return names[:5]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", default=os.path.join(REPO, "dist"))
    parser.add_argument("--bin", default=os.path.join(REPO, "build/win/bin"))
    args = parser.parse_args()

    checks = Checks()
    text, numbers = version()
    name = f"larch-{text}"
    archive = os.path.join(args.dist, name + ".zip")
    if not checks.check(os.path.isfile(archive), f"{archive} exists"):
        print(f"{checks.passed} passed, {checks.failed} failed")
        return 1

    digest = hashlib.sha256(open(archive, "rb").read()).hexdigest()
    sums_file = archive + ".sha256"
    checks.check(os.path.isfile(sums_file) and open(sums_file).read().split() == [digest, name + ".zip"],
                 f"{sums_file} gives the archive's SHA-256")

    expected = {"larch.dll", "larch.dll.debug", "larch-pack.exe", "larch.h", "README.md", "LICENSE.txt",
                "NOTICE.txt", "CHANGELOG.md", "SHA256SUMS", "docs/quick-reference.md"}
    expected.update(repo_files("docs/functions", r"\.md$"))
    expected.update(repo_files("docs/images"))
    expected.update(repo_files("examples/demo", r"\.(prg|out)$"))
    expected.update(repo_files("examples/sample"))

    work = tempfile.mkdtemp(prefix="larch-package-")
    try:
        with zipfile.ZipFile(archive) as z:
            names = z.namelist()
            checks.check(all(n.startswith(name + "/") for n in names), f"every entry lies under {name}/")
            found = {n[len(name) + 1:] for n in names}
            checks.check(not (expected - found), f"package lacks {sorted(expected - found)}")
            checks.check(not (found - expected), f"package has unexpected {sorted(found - expected)}")
            z.extractall(work)
        top = os.path.join(work, name)

        listed = {}
        sums_path = os.path.join(top, "SHA256SUMS")
        if os.path.isfile(sums_path):
            for line in open(sums_path, encoding="utf-8"):
                value, _, path = line.rstrip("\n").partition("  ")
                listed[path] = value
        actual = {}
        for path in found - {"SHA256SUMS"}:
            full = os.path.join(top, path)
            if os.path.isfile(full):
                actual[path] = hashlib.sha256(open(full, "rb").read()).hexdigest()
        checks.check(listed == actual, "SHA256SUMS lists every file with its sum")

        dll = os.path.join(top, "larch.dll")
        debug = os.path.join(top, "larch.dll.debug")
        tested = os.path.join(args.bin, "larch.dll")
        if checks.check(os.path.isfile(dll) and os.path.isfile(debug), "larch.dll and larch.dll.debug are packaged"):
            dll_sections = sections(dll)
            checks.check(not [s for s in dll_sections if s.startswith(".debug")],
                         f"larch.dll carries no debug sections ({dll_sections})")
            checks.check(".debug_info" in sections(debug), "larch.dll.debug holds the debug information")
            crc = zlib.crc32(open(debug, "rb").read()) & 0xFFFFFFFF
            checks.check(debug_link(dll) == ("larch.dll.debug", crc),
                         "larch.dll links to larch.dll.debug with its checksum")
            # Stripping the tested DLL again, beside the packaged debug file,
            # must give the packaged DLL exactly.
            again = os.path.join(work, "again")
            os.mkdir(again)
            shutil.copy(debug, again)
            env = dict(os.environ, SOURCE_DATE_EPOCH=str(link_time(tested)))
            subprocess.run([OBJCOPY, "--strip-all", "--add-gnu-debuglink=larch.dll.debug", tested, "larch.dll"],
                           cwd=again, env=env, check=True)
            checks.check(open(os.path.join(again, "larch.dll"), "rb").read() == open(dll, "rb").read(),
                         f"the packaged larch.dll is {tested}, stripped")
            checks.check(os.path.getsize(dll) < 2 * 1024 * 1024,
                         f"the packaged larch.dll is small ({os.path.getsize(dll)} bytes)")
            foreign = sorted(set(imports(dll)) - SYSTEM_DLLS)
            checks.check(not foreign, f"larch.dll needs only system DLLs (also {foreign})")
            data = open(dll, "rb").read()
            checks.check(fixed_file_version(data) == numbers + (0,),
                         f"version resource {fixed_file_version(data)} is {numbers + (0,)}")
            checks.check(text.encode("utf-16-le") in data, f"version resource texts say {text}")
            checks.check(text.encode("ascii") + b"\0" in data, f"the DLL's own version text is {text}")

        check_readme(checks, top, text)
        check_links(checks, top, found)
        header = os.path.join(top, "larch.h")
        checks.check(os.path.isfile(header) and
                     open(header, "rb").read() == open(os.path.join(REPO, "include/larch.h"), "rb").read(),
                     "larch.h is include/larch.h")
        samples = [f for f in found if f.startswith("examples/sample/") and f.endswith(".prg")]
        checks.check(samples and all(p[:-4] + ".out" in found for p in samples),
                     f"the sample program comes with its expected output ({sorted(samples)})")

        changelog = os.path.join(top, "CHANGELOG.md")
        checks.check(os.path.isfile(changelog) and f"## {text}" in open(changelog, encoding="utf-8").read(),
                     f"CHANGELOG.md has a section for {text}")
        notice = os.path.join(top, "NOTICE.txt")
        notice_text = open(notice, encoding="utf-8").read() if os.path.isfile(notice) else ""
        checks.check("Unicode, Inc." in notice_text and "OpenCC" in notice_text and "Apache License" in notice_text,
                     "NOTICE.txt carries the Unicode and OpenCC notices")
        checks.check("mingw-w64" in notice_text and "GCC Runtime Library Exception" in notice_text,
                     "NOTICE.txt carries the notices of the runtime linked into the DLL")
        if os.path.isfile(tested):
            threads = linked_thread_library(tested)
            checks.check(not threads or "winpthreads" in notice_text,
                         f"NOTICE.txt carries the thread library's notice (the DLL holds {threads})")
        changelog_text = open(changelog, encoding="utf-8").read() if os.path.isfile(changelog) else ""
        undated = re.findall(r"^## (?!.*\d{4}-\d{2}-\d{2}).*$", changelog_text, re.M)
        checks.check(not undated, f"every CHANGELOG.md entry carries its date ({undated})")

    finally:
        shutil.rmtree(work, ignore_errors=True)

    print(f"{checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
