#!/usr/bin/env bash
# Makes the release a developer ships: larch-<version>.zip with the
# stripped larch.dll, its debug symbols in larch.dll.debug (found by the
# debug link inside the DLL), the named values for the host language
# (larch.h), larch-pack.exe, the user's README (docs/package/README.md, with
# the sizes of the built files written in), the function reference, the
# sample program and the demonstration scripts, the licence, the
# third-party notices, the change log and SHA256SUMS; and
# larch-<version>.zip.sha256 beside it.
#
#   bash scripts/package.sh [--out DIR] [--no-build]
#
# DIR (default dist) receives the two files. The DLL is the one in
# build/win/bin, the one the tests load.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=dist build=1
while [ $# -gt 0 ]; do
  case $1 in
    --out) [ $# -ge 2 ] || { echo "package: --out needs a folder" >&2; exit 2; }; out=$2; shift 2 ;;
    --out=*) out=${1#--out=}; shift ;;
    --no-build) build=0; shift ;;
    *) echo "usage: bash scripts/package.sh [--out DIR] [--no-build]" >&2; exit 2 ;;
  esac
done
mkdir -p "$out"
out=$(cd "$out" && pwd)
cd "$here"
if [ "$build" = 1 ]; then
  bash scripts/build.sh --win-only --quiet
fi

version_part() { sed -n "s/^#define LARCH_VERSION_$1 \(.*\)$/\1/p" src/bridge/version.h; }
version=$(version_part TEXT | tr -d '"')
major=$(version_part MAJOR) minor=$(version_part MINOR) build=$(version_part BUILD)
# The text form and the numbers of the version resource must agree.
if [ "$version" != "$(printf '%d.%d.%04d' "$major" "$minor" "$build")" ]; then
  echo "package: version text $version does not match $major.$minor.$build in src/bridge/version.h" >&2
  exit 1
fi

bin=build/win/bin
objcopy=i686-w64-mingw32-objcopy
name=larch-$version
stage=build/package/$name
rm -rf build/package "$out/$name.zip" "$out/$name.zip.sha256"
mkdir -p "$stage/docs" "$stage/examples"

# objcopy stamps a PE file it writes with the time it finds in
# SOURCE_DATE_EPOCH, else the current time; giving it the link time the file
# already carries keeps the stripped file a pure function of the built one.
link_time() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tu4 -j$((pe + 8)) -N4 "$1" | tr -d ' '
}
# The debug file first: the link in the stripped DLL carries its checksum.
dll_time=$(link_time "$bin/larch.dll")
SOURCE_DATE_EPOCH=$dll_time $objcopy --only-keep-debug "$bin/larch.dll" "$stage/larch.dll.debug"
(cd "$stage" && SOURCE_DATE_EPOCH=$dll_time \
   $objcopy --strip-all --add-gnu-debuglink=larch.dll.debug "$here/$bin/larch.dll" larch.dll)
SOURCE_DATE_EPOCH=$(link_time "$bin/larch-pack.exe") \
  $objcopy --strip-all "$bin/larch-pack.exe" "$stage/larch-pack.exe"

cp CHANGELOG.md include/larch.h "$stage/"
cp LICENSE "$stage/LICENSE.txt"
cp NOTICE "$stage/NOTICE.txt"
cp docs/quick-reference.md "$stage/docs/"
cp -r docs/functions docs/images "$stage/docs/"
cp -r examples/demo examples/sample "$stage/examples/"

# The user's README, with the version and the sizes of the files as built.
size_text() {
  local bytes
  bytes=$(stat -c %s "$1")
  printf '%d KB' $(((bytes + 1023) / 1024))
}
sed -e "s/@VERSION@/$version/g" \
    -e "s/@SIZE:larch.dll@/$(size_text "$stage/larch.dll")/g" \
    -e "s/@SIZE:larch.dll.debug@/$(size_text "$stage/larch.dll.debug")/g" \
    -e "s/@SIZE:larch-pack.exe@/$(size_text "$stage/larch-pack.exe")/g" \
    docs/package/README.md >"$stage/README.md"
if grep -n '@[A-Z]*[:A-Za-z.-]*@' "$stage/README.md" >&2; then
  echo "package: docs/package/README.md has a placeholder that nothing fills" >&2
  exit 1
fi

(cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
   xargs -d '\n' sha256sum > SHA256SUMS)

# A zip with fixed times and a fixed order, so the same tree gives the same
# bytes.
python3 - "$stage" "$out/$name.zip" <<'PY'
import os, sys, zipfile
stage, target = sys.argv[1], sys.argv[2]
root = os.path.dirname(stage)
paths = []
for folder, _, files in os.walk(stage):
    for f in files:
        paths.append(os.path.relpath(os.path.join(folder, f), root))
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for rel in sorted(paths):
        info = zipfile.ZipInfo(rel.replace(os.sep, "/"), date_time=(2000, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(os.path.join(root, rel), "rb") as src:
            z.writestr(info, src.read())
PY
(cd "$out" && sha256sum "$name.zip" > "$name.zip.sha256")
echo "$out/$name.zip"
