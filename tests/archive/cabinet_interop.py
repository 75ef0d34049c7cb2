#!/usr/bin/env python3
"""Cabinets made by the library against the Linux cabinet tools.

Runs larch-shell under Wine to build cabinets (CabCompress, and
CabCreateCabinet/CabAddFile2Cab/CabFlushCab) and to extract one made by
`gcab -c -z` (CabDecompress), then checks from outside:
  - cabextract lists, tests and extracts the library's cabinets with every
    file byte-identical; the folder is MSZIP, names carry no folders, the
    set identifier is 12345, a read-only source is stored read-only;
  - CabDecompress restores every file of the gcab cabinet byte-identical,
    with its stored time, replacing a longer existing file;
  - a file that is not a cabinet gives 0 and writes nothing;
  - under the Chinese code page, names beyond ASCII travel as UTF-8 both
    ways: CabDecompress of a gcab cabinet holding 中文utf.txt writes
    中文utf.txt, and a cabinet the library makes of 中文.txt is listed as
    中文.txt by cabextract -l and gcab -t and extracted under that name.
Exit status 0 when everything holds.
"""
import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time

FAILURES = []


def check(condition, message):
    if not condition:
        FAILURES.append(message)
        print("FAIL: " + message)


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_shell(shell, wine_run, lines, encoding="latin-1"):
    script = "SET LIBRARY TO larch.dll\n" + "\n".join(lines) + "\n"
    result = subprocess.run([wine_run, shell, "--raw"], input=script.encode(encoding),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    return [line.strip() for line in result.stdout.decode(encoding, errors="replace").splitlines()]


def check_utf8_names(shell, wine_run, work):
    """Names beyond ASCII, in both directions (code page 936)."""
    # The tools list and write names in the locale's encoding: UTF-8 for
    # them, whatever locale the test itself runs in.
    tools = dict(os.environ, LC_ALL="C.UTF-8")
    w = lambda *parts: wine_path(os.path.join(work, *parts))
    utf_dir = os.path.join(work, "utf")
    os.makedirs(os.path.join(utf_dir, "in"))
    os.makedirs(os.path.join(utf_dir, "from-gcab"))
    with open(os.path.join(utf_dir, "in", "中文utf.txt"), "wb") as f:
        f.write(b"from gcab\r\n")
    with open(os.path.join(utf_dir, "中文.txt"), "wb") as f:
        f.write(b"from larch\r\n")
    subprocess.run(["gcab", "-c", "-z", "-n", os.path.join(utf_dir, "gcab-utf.cab"),
                    os.path.join(utf_dir, "in", "中文utf.txt")], check=True, env=tools)
    got = run_shell(shell, wine_run, [
        f'? CabDecompress("{w("utf", "gcab-utf.cab")}", "{w("utf", "from-gcab")}")',
        f'? CabCompress("{w("utf", "中文.txt")}", "{w("utf", "larch-utf.cab")}")'], encoding="gbk")
    check(got == ["1", "1"], f"utf-8 names: shell printed {got}")
    check(os.listdir(os.path.join(utf_dir, "from-gcab")) == ["中文utf.txt"],
          f"gcab cabinet extracted as {os.listdir(os.path.join(utf_dir, 'from-gcab'))}")
    cab = os.path.join(utf_dir, "larch-utf.cab")
    if not os.path.exists(cab):
        check(False, "larch-utf.cab was not written")
        return
    info = cabinet_info(cab)
    check(info and [(e[0], e[1] & 0x80) for e in info[2]] == [("中文.txt".encode().decode("latin-1"), 0x80)],
          f"larch-utf.cab stores {info and info[2]}")
    listing = subprocess.run(["cabextract", "-l", cab], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             env=tools)
    check("中文.txt" in listing.stdout.decode("utf-8", errors="replace"),
          f"cabextract -l: {listing.stdout.decode('utf-8', errors='replace')}")
    listing = subprocess.run(["gcab", "-t", cab], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=tools)
    check(listing.stdout.decode("utf-8", errors="replace").split() == ["中文.txt"],
          f"gcab -t: {listing.stdout.decode('utf-8', errors='replace')}")
    out = os.path.join(utf_dir, "cabextract")
    subprocess.run(["cabextract", "-q", "-d", out, cab], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=tools)
    check(os.path.isdir(out) and os.listdir(out) == ["中文.txt"],
          f"cabextract wrote {os.listdir(out) if os.path.isdir(out) else None}")


def cabinet_info(path):
    """The set identifier, the folders' compression types and the files'
    (name, attributes, DOS date, DOS time) read from the cabinet's header."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"MSCF":
        return None
    coff_files, = struct.unpack_from("<I", data, 16)
    folders, files, flags, set_id = struct.unpack_from("<HHHH", data, 26)
    offset = 36
    header_reserve = folder_reserve = 0
    if flags & 4:
        header_reserve, folder_reserve = struct.unpack_from("<HB", data, offset)
        offset += 4 + header_reserve
    if flags & 1:  # previous cabinet: two names
        for _ in range(2):
            offset = data.index(b"\0", offset) + 1
    if flags & 2:  # next cabinet: two names
        for _ in range(2):
            offset = data.index(b"\0", offset) + 1
    compressions = []
    for _ in range(folders):
        _, _, compress = struct.unpack_from("<IHH", data, offset)
        compressions.append(compress & 0x0F)
        offset += 8 + folder_reserve
    entries = []
    offset = coff_files
    for _ in range(files):
        _, _, _, date, tm, attribs = struct.unpack_from("<IIHHHH", data, offset)
        end = data.index(b"\0", offset + 16)
        entries.append((data[offset + 16:end].decode("latin-1"), attribs, date, tm))
        offset = end + 1
    return set_id, compressions, entries


def same_bytes(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def make_sources(folder):
    rnd = random.Random(5)
    os.makedirs(folder)
    contents = {
        "alpha.txt": b"".join(b"line %d of a compressible text\r\n" % i for i in range(6000)),
        "noise.bin": bytes(rnd.getrandbits(8) for _ in range(70000)),
        "empty.dat": b"",
        "ro.txt": b"read-only text\r\n",
    }
    stamp = time.mktime((2021, 5, 6, 7, 8, 10, 0, 0, -1))  # even seconds: DOS times keep them
    for name, data in contents.items():
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(data)
        os.utime(path, (stamp, stamp - 3600 * 24 * 40))
    os.chmod(os.path.join(folder, "ro.txt"), 0o444)
    return list(contents)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--shell", required=True, help="larch-shell.exe (larch.dll beside it)")
    parser.add_argument("--source", required=True, help="the repository (for scripts/wine-run)")
    parser.add_argument("--keep", action="store_true", help="keep the work folder")
    args = parser.parse_args()
    for tool in ("cabextract", "gcab"):
        if not shutil.which(tool):
            print(f"{tool} is missing (scripts/setup.sh installs it)")
            return 2
    wine_run = os.path.join(args.source, "scripts", "wine-run")
    work = tempfile.mkdtemp(prefix="larch-cab-")
    try:
        src = os.path.join(work, "src")
        names = make_sources(src)
        # The gcab cabinet, names without folders.
        subprocess.run(["gcab", "-c", "-z", "-n", os.path.join(work, "gcab.cab")] +
                       [os.path.join(src, n) for n in names], check=True)
        from_gcab = os.path.join(work, "from-gcab")
        os.makedirs(from_gcab)
        with open(os.path.join(from_gcab, "alpha.txt"), "wb") as f:
            f.write(b"x" * 500000)  # longer than what replaces it
        from_junk = os.path.join(work, "from-junk")
        os.makedirs(from_junk)
        with open(os.path.join(work, "junk.cab"), "wb") as f:
            f.write(b"this text is not a cabinet\r\n" * 20)

        w = lambda *parts: wine_path(os.path.join(work, *parts))
        lines = [f'? CabCompress("{w("src", "alpha.txt")}", "{w("one.cab")}")',
                 f'h = CabCreateCabinet("{w("multi.cab")}")']
        lines += [f'? CabAddFile2Cab(h, "{w("src", n)}")' for n in names]
        lines += ["? CabFlushCab(h)",
                  f'? CabDecompress("{w("gcab.cab")}", "{w("from-gcab")}")',
                  f'? CabDecompress("{w("junk.cab")}", "{w("from-junk")}")']
        got = run_shell(args.shell, wine_run, lines)
        want = ["1"] * (len(names) + 3) + ["0"]
        check(got == want, f"shell printed {got}, expected {want}")

        # The library's cabinets, seen by cabextract.
        for cab, stored in (("one.cab", ["alpha.txt"]), ("multi.cab", names)):
            path = os.path.join(work, cab)
            if not os.path.exists(path):
                check(False, f"{cab} was not written")
                continue
            info = cabinet_info(path)
            check(info is not None, f"{cab}: no cabinet signature")
            if info:
                set_id, compressions, entries = info
                check(set_id == 12345, f"{cab}: set identifier {set_id}")
                check(compressions and all(c == 1 for c in compressions), f"{cab}: compression {compressions}")
                check([e[0] for e in entries] == stored, f"{cab}: stored names {[e[0] for e in entries]}")
                attribs = {e[0]: e[1] for e in entries}
                if "ro.txt" in attribs:
                    check(attribs["ro.txt"] & 0x01, f"{cab}: ro.txt stored with attributes {attribs['ro.txt']:#x}")
                    check(attribs["alpha.txt"] & 0x01 == 0, f"{cab}: alpha.txt stored read-only")
                check(all(a & ~0x27 == 0 for a in attribs.values()), f"{cab}: attributes beyond 0x27 {attribs}")
            test = subprocess.run(["cabextract", "-t", path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
            check(test.returncode == 0, f"cabextract -t {cab}: {test.stdout.decode(errors='replace')}")
            out = os.path.join(work, "cabextract-" + cab)
            run = subprocess.run(["cabextract", "-q", "-d", out, path], stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT)
            check(run.returncode == 0, f"cabextract {cab}: {run.stdout.decode(errors='replace')}")
            check(sorted(os.listdir(out)) == sorted(stored) if os.path.isdir(out) else False,
                  f"cabextract {cab}: wrote {os.listdir(out) if os.path.isdir(out) else None}")
            for n in stored:
                copy = os.path.join(out, n)
                ok = os.path.exists(copy) and same_bytes(copy, os.path.join(src, n))
                check(ok, f"cabextract {cab}: {n} differs")
                if ok:
                    # cabextract sets the stored time: it is the source's.
                    check(int(os.stat(copy).st_mtime) == int(os.stat(os.path.join(src, n)).st_mtime),
                          f"cabextract {cab}: {n} has another time")

        # The gcab cabinet, extracted by the library.
        check(sorted(os.listdir(from_gcab)) == sorted(names), f"from gcab: {sorted(os.listdir(from_gcab))}")
        for n in names:
            copy = os.path.join(from_gcab, n)
            if not os.path.exists(copy):
                check(False, f"from gcab: {n} missing")
                continue
            check(same_bytes(copy, os.path.join(src, n)), f"from gcab: {n} differs")
            check(int(os.stat(copy).st_mtime) == int(os.stat(os.path.join(src, n)).st_mtime),
                  f"from gcab: {n} time {os.stat(copy).st_mtime} != {os.stat(os.path.join(src, n)).st_mtime}")
            # gcab stores the archive attribute only: nothing is read-only.
            check(os.access(copy, os.W_OK), f"from gcab: {n} is read-only")
        check(os.listdir(from_junk) == [], f"junk cabinet wrote {os.listdir(from_junk)}")

        if os.environ.get("LARCH_LANG", "zh_CN.UTF-8").startswith("zh"):
            check_utf8_names(args.shell, wine_run, work)
    finally:
        if args.keep:
            print("work folder kept: " + work)
        else:
            for root, dirs, files in os.walk(work):
                for name in files:
                    os.chmod(os.path.join(root, name), 0o644)
            shutil.rmtree(work, ignore_errors=True)
    print(f"cabinet interop: {len(FAILURES)} failures")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
