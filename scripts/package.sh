#!/usr/bin/env bash
# Makes the release a developer ships: dist/larch-<version>.zip with the
# stripped larch.dll, its debug symbols in larch.dll.debug (found by the
# debug link inside the DLL), larch-pack.exe, the function reference, the
# demonstration scripts, the licence, the third-party notices, the change
# log and SHA256SUMS; and dist/larch-<version>.zip.sha256 beside it.
#
#   bash scripts/package.sh [--no-build]
#
# The DLL is the one in build/win/bin, the one the tests load.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
if [ "${1:-}" != "--no-build" ]; then
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
rm -rf build/package "dist/$name.zip" "dist/$name.zip.sha256"
mkdir -p "$stage/docs" "$stage/examples" dist

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

cp README.md CHANGELOG.md "$stage/"
cp LICENSE "$stage/LICENSE.txt"
cp NOTICE "$stage/NOTICE.txt"
cp docs/quick-reference.md "$stage/docs/"
cp -r docs/functions docs/images "$stage/docs/"
cp -r examples/demo "$stage/examples/"

(cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
   xargs -d '\n' sha256sum > SHA256SUMS)

# A zip with fixed times and a fixed order, so the same tree gives the same
# bytes.
python3 - "$stage" "dist/$name.zip" <<'PY'
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
(cd dist && sha256sum "$name.zip" > "$name.zip.sha256")
echo "dist/$name.zip"
