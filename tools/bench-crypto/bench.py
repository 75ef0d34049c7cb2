#!/usr/bin/env python3
"""Crypto benchmark, one run on the same files: the library's MD5 file
digest against md5sum (256 MiB), its file-buffer cipher against
`openssl enc -aes-128-ctr` (64 MiB, read from the file and written to
/dev/null). Best of three runs each; wall-clock and CPU seconds (the CPU
figure is the fair one on a shared machine). A ratio above 1.0 means the
library is faster. Figures, not a test.

    tools/bench-crypto/bench.py [BUILD_DIR]     (default build/win)
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def children_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def best_of_three(command):
    wall = cpu = float("inf")
    for _ in range(3):
        w, c = time.perf_counter(), children_cpu()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        wall = min(wall, time.perf_counter() - w)
        cpu = min(cpu, children_cpu() - c)
    return wall, cpu


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "win")
    with tempfile.TemporaryDirectory() as work:
        digest_file = os.path.join(work, "digest.bin")
        buffer_file = os.path.join(work, "buffer.bin")
        with open(digest_file, "wb") as f:
            f.write(os.urandom(256 << 20))
        with open(buffer_file, "wb") as f:
            f.write(os.urandom(64 << 20))

        md5sum = best_of_three(["md5sum", digest_file])
        key = "000102030405060708090a0b0c0d0e0f"
        openssl = best_of_three(["openssl", "enc", "-aes-128-ctr", "-K", key, "-iv", key,
                                 "-in", buffer_file, "-out", os.devnull])

        def winpath(p):
            return "Z:" + p.replace("/", "\\")

        out = subprocess.run(
            ["bash", os.path.join(ROOT, "scripts", "with-wine.sh"), os.path.join(ROOT, "scripts", "wine-run"),
             os.path.join(build, "bin", "larch-bench-crypto.exe"), winpath(digest_file), winpath(buffer_file)],
            check=True, capture_output=True, text=True).stdout
        larch = {}
        for line in out.replace("\r", "").splitlines():
            parts = line.split()
            if parts[0] == "digest":
                larch["digest"] = parts[1]
            elif len(parts) == 3:
                larch[parts[0]] = (float(parts[1]), float(parts[2]))
        expected = subprocess.run(["md5sum", digest_file], check=True, capture_output=True, text=True).stdout[:32]
        if larch.get("digest") != expected:
            sys.exit("the library's digest differs from md5sum's:\n" + out)

    def ratio(reference, ours):
        # Thread CPU times come in 10 ms steps under Wine.
        return f"{reference / ours:5.2f}" if ours > 0 else "  n/a"

    def row(name, ours, reference, reference_name):
        print(f"{name:40} wall {ours[0]:7.3f} s  cpu {ours[1]:7.3f} s | {reference_name:7} wall {reference[0]:7.3f} s"
              f"  cpu {reference[1]:7.3f} s | ratio wall {ratio(reference[0], ours[0])}  cpu {ratio(reference[1], ours[1])}")

    row("Get32Md5FileChecksum, 256 MiB", larch["Get32Md5FileChecksum"], md5sum, "md5sum")
    row("KVEncryptFileBuffer2 encipher, 64 MiB", larch["KVEncryptFileBuffer2-encipher"], openssl, "openssl")
    row("KVEncryptFileBuffer2 decipher, 64 MiB", larch["KVEncryptFileBuffer2-decipher"], openssl, "openssl")
    row("  the library's share of the call", larch["KVEncryptFileBuffer2-library-share"], openssl, "openssl")
    row("  the portable cipher core alone", larch["EncipherFileBuffer-core"], openssl, "openssl")


if __name__ == "__main__":
    main()
