#!/usr/bin/env bash
# Runs a command on an emulated x86 PC that sees this machine's files.
#
# Some virtual machines run only 64-bit programs: the kernel answers "Exec
# format error" for a 32-bit one and refuses 32-bit code segments, so 32-bit
# Wine cannot start there. The PC emulated here (QEMU, in software) boots a
# stock Debian kernel whose root file system is this machine's own, shared
# read-write over 9p: every installed package, the project and its build are
# the same files, and what the command writes lands here. Only /run, /dev
# and /tmp are the PC's own, and a disk of its own (ext4 on a virtio disk,
# build/vm/disk.img) holds what Wine writes most: prefixes and their
# temporary folders, many small files that the shared file system is slow
# with. Like any PC it has a network adapter, but nothing leaves it: QEMU
# starts it restricted, and the PC reaches only itself (loopback).
#
#   x86-pc.sh --prepare       fetch the kernel and make the boot image
#   x86-pc.sh --prepared      whether that is done
#   x86-pc.sh COMMAND...      run COMMAND there, in this folder, with this
#                             environment; exits with COMMAND's status
#
# Inside, LARCH_PC_DISK names the mounted disk (see scripts/wine-env.sh).
#
# The command's standard output and error come through the PC's console.
# Its input is this terminal when there is one (typed lines, Ctrl-D), and
# nothing otherwise. About ten times slower than running natively.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
vm=${LARCH_VM_DIR:-$here/build/vm}
image_version=3  # raise when the boot image is made differently

prepared() {
  [ -f "$vm/vmlinuz" ] && [ -f "$vm/initrd.gz" ] && [ "$(cat "$vm/version" 2>/dev/null)" = "$image_version" ]
}

prepare() {
  prepared && return 0
  local tmp pkg kernel
  tmp=$(mktemp -d)
  chmod 755 "$tmp"  # apt downloads as its own user
  # The package the metapackage points at: a kernel and its modules.
  pkg=$(apt-cache depends linux-image-amd64 | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n 1)
  [ -n "$pkg" ] || { echo "x86-pc: no kernel package found" >&2; return 1; }
  (cd "$tmp" && apt-get download -q "$pkg" >/dev/null 2>"$tmp/apt.log") || { cat "$tmp/apt.log" >&2; return 1; }
  dpkg-deb -x "$tmp"/*.deb "$tmp/root"
  kernel=$(ls "$tmp/root/lib/modules")
  mkdir -p "$vm"

  # The first stage: load the virtio and 9p drivers, mount this machine's
  # root, hand over to the second stage (x86-pc-init) on it.
  local ird=$tmp/initrd mods=$tmp/root/lib/modules/$kernel/kernel
  mkdir -p "$ird"/{bin,mod,newroot,proc,sys,dev}
  cp /usr/bin/busybox "$ird/bin/"
  for a in sh mount insmod switch_root cat poweroff; do ln -s busybox "$ird/bin/$a"; done
  # The drivers the shared root needs, each after the modules it depends on.
  local order=()
  add_module() {
    local name=$1 file dep
    for m in "${order[@]}"; do [ "$m" = "$name" ] && return 0; done
    file=$(find "$mods" -name "$name.ko*" | head -n 1)
    [ -n "$file" ] || { echo "x86-pc: kernel module $name not found" >&2; return 1; }
    for dep in $(strings "$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
      add_module "$dep"
    done
    cp "$file" "$ird/mod/"
    order+=("$name")
  }
  add_module virtio_pci
  add_module 9pnet_virtio
  add_module 9p
  add_module virtio_net
  # The PC's own disk; ext4 wants its checksum driver at mount time.
  add_module virtio_blk
  add_module ext4
  add_module crc32c_generic
  echo "${order[*]}" >"$ird/mod/order"
  cat >"$ird/init" <<'EOF'
#!/bin/sh
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /mod/order); do
  insmod /mod/$m.ko*
done
if ! mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose hostroot /newroot; then
  echo "x86-pc: the shared root cannot be mounted"
  poweroff -f
fi
for a in $(cat /proc/cmdline); do
  case $a in larch_init=*) init=${a#larch_init=} ;; esac
done
mount --move /dev /newroot/dev
mount --move /proc /newroot/proc
mount --move /sys /newroot/sys
exec switch_root /newroot "$init"
EOF
  chmod +x "$ird/init"
  (cd "$ird" && find . | cpio -o -H newc --quiet | gzip -1 >"$vm/initrd.gz.new")
  cp "$tmp/root/boot/vmlinuz-$kernel" "$vm/vmlinuz"
  mv "$vm/initrd.gz.new" "$vm/initrd.gz"
  echo "$image_version" >"$vm/version"
  rm -rf "$tmp"
}

case ${1:-} in
  --prepare) prepare; exit ;;
  --prepared) prepared; exit ;;
esac
[ $# -gt 0 ] || { echo "usage: x86-pc.sh --prepare | COMMAND..." >&2; exit 2; }
prepare

# The job: this environment, this folder, the command, and where its exit
# status goes. Each run has its own folder, so runs side by side do not mix.
run=$(mktemp -d "$vm/run.XXXXXX")
trap 'rm -rf "$run"' EXIT
{
  echo "# written by x86-pc.sh"
  export -p | grep -v -E '^declare -x (PWD|OLDPWD|SHLVL|_|DISPLAY|WAYLAND_DISPLAY|XDG_RUNTIME_DIR|TMUX|TMUX_PANE)='
  printf 'larch_dir=%q\n' "$PWD"
  printf 'larch_status=%q\n' "$run/status"
  printf 'larch_host=%q\n' "$(hostname)"
  printf 'larch_keep=%q\n' "$here"
  printf 'larch_tty_in=%d\n' "$([ -t 0 ] && echo 1 || echo 0)"
  printf 'larch_tty_out=%d\n' "$([ -t 1 ] && echo 1 || echo 0)"
  printf 'larch_command=('
  printf '%q ' "$@"
  printf ')\n'
} >"$run/job"

# The disk: one per build folder, kept between runs (a Wine prefix on it is
# made once); a run that finds it in use by another gets a new one of its own
# for its lifetime. Sparse: it takes only what is written.
make_disk() {
  rm -f "$1"
  truncate -s 16G "$1"
  mkfs.ext4 -q -F -O ^has_journal -E lazy_itable_init=1 "$1" >/dev/null
}
disk=$vm/disk.img
exec 9>"$vm/disk.lock"
if flock -n 9; then
  [ -f "$disk" ] || make_disk "$disk"
else
  disk=$run/disk.img
  make_disk "$disk"
fi

mem_kb=$(sed -n 's/^MemTotal: *\([0-9]*\) kB/\1/p' /proc/meminfo)
mem_mb=$((mem_kb / 1024 / 2))
[ "$mem_mb" -gt 8192 ] && mem_mb=8192
qemu-system-x86_64 -nodefaults -no-user-config -no-reboot \
  -accel tcg,thread=multi -cpu qemu64 -smp "$(nproc)" -m "$mem_mb" \
  -display none -vga none -serial stdio \
  -kernel "$vm/vmlinuz" -initrd "$vm/initrd.gz" \
  -append "console=ttyS0 quiet loglevel=0 panic=-1 larch_init=$here/scripts/x86-pc-init larch_job=$run/job" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=passthrough,id=hostroot,multidevs=remap \
  -drive file="$disk",if=virtio,format=raw,cache=unsafe,discard=unmap \
  -nic user,model=virtio-net-pci,restrict=on
status=$(cat "$run/status" 2>/dev/null || true)
if [ -z "$status" ]; then
  echo "x86-pc: the emulated PC stopped before the command ended" >&2
  exit 125
fi
exit "$status"
