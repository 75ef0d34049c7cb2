#!/usr/bin/env bash
# Installs everything larch needs to build and test on a Debian 12 machine:
# the i686 mingw cross compiler, 32-bit Wine, Xvfb and the peer tools the
# tests compare against. Packages already present are skipped.
set -euo pipefail

need=(wine wine32:i386 g++-mingw-w64-i686 mingw-w64-tools xvfb xdotool x11-utils
      imagemagick locales fonts-wqy-microhei fonts-wine cmake ninja-build googletest
      cabextract gcab python3-pyftpdlib opencc unicode-data openssl bzip2
      clang libclang-rt-14-dev libgtest-dev clang-format)

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Where this machine cannot run 32-bit programs (some virtual machines: the
# kernel answers "Exec format error"), Wine runs on an emulated PC instead;
# see scripts/x86-pc.sh.
if ! wine --version >/dev/null 2>&1; then
  pc=(qemu-system-x86 busybox-static cpio binutils e2fsprogs util-linux)
  missing=()
  for p in "${pc[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ] || ! bash "$(dirname "$0")/x86-pc.sh" --prepared; then
    # Fresh package lists: the PC's kernel is fetched as a package too.
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  bash "$(dirname "$0")/x86-pc.sh" --prepare
fi

# Wine picks the ANSI code page from LANG, and ignores a LANG whose locale
# was never generated.
gen=0
for loc in zh_CN.UTF-8 en_US.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${loc/UTF-8/utf8}"; then
    sed -i "s/^# *\(${loc} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${loc} UTF-8" /etc/locale.gen || echo "${loc} UTF-8" >> /etc/locale.gen
    gen=1
  fi
done
[ $gen -eq 1 ] && locale-gen >/dev/null
exit 0
