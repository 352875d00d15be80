#!/usr/bin/env bash
# An emulated Debian 12 machine that runs the 32-bit launcher, for hosts whose
# kernel refuses 32-bit programs.
#
# Usage:
#   scripts/i686-machine.sh image          build the guest image (once; cached)
#   scripts/i686-machine.sh run CMD [ARG...]
#       run CMD inside, in the current directory, under Xvfb, with the source
#       tree (and the current directory, and MG_I686_SHARE) at their own paths;
#       CMD's output and exit code come back, and the machine powers off.
#   scripts/i686-machine.sh path           print the cached image's folder
#
# Environment:
#   MG_I686_CACHE    where images are kept (default ~/.cache/marrowgate/i686-machine)
#   MG_I686_SHARE    more host folders to share, separated by ':'
#   MG_I686_LOCAL    guest paths to cover with an empty guest-local folder,
#                    separated by ':' (a Wine prefix there is far faster than
#                    over the shared file system)
#   MG_I686_TIMEOUT  seconds a run may take (default 7200)
#   MG_I686_MEMORY   guest memory in MiB (default 6144)
#   MG_I686_BOOT_TIMEOUT  seconds the guest may take to boot (default 600)
#   MG_I686_KVM_BOOT_TIMEOUT  the same with KVM (default 120); a KVM that
#                    cannot start the guest gives way to software emulation
#   MG_I686_ACCEL    qemu's accelerator arguments, instead of that choice
#                    (for example "-accel tcg -cpu qemu64")
#   MG_DEBIAN_MIRROR the Debian archive (default http://deb.debian.org/debian)
#   Variables named MG_*, CTEST_*, WINE* and CI pass through to CMD.
#
# Exit codes: CMD's own, or 125 when the machine itself failed (image build,
# boot, timeout); the message says which.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
me="i686-machine"

# What goes into the image. Bump image_version when the build steps change:
# it and the package lists key the cache.
image_version=1
base_packages=linux-image-amd64,initramfs-tools,kmod,udev,procps,ca-certificates
guest_packages=(
  wine wine32:i386 wine64 xvfb xauth default-jdk-headless cmake python3
  python3-pefile binutils-mingw-w64-i686 osslsigncode openssl icoutils file bc imagemagick
)
mirror=${MG_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${MG_DEBIAN_SECURITY_MIRROR:-${mirror%/debian}/debian-security}
cache=${MG_I686_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/marrowgate/i686-machine}

die() { echo "$me: $*" >&2; exit 125; }

SUDO=()
if [ "$(id -u)" != 0 ]; then SUDO=(sudo); fi

image_key() {
  { echo "$image_version"; echo "$base_packages"; echo "${guest_packages[*]}"; guest_init; } |
    sha256sum | cut -c1-16
}

# The guest's init: mount what the host shares, run the job, power off.
# The job folder holds mounts.sh (written by the host) and job.sh.
guest_init() {
  cat <<'INIT'
#!/bin/sh
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
modprobe 9pnet_virtio
modprobe 9p
mkdir -p /mg-job
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 mgjob /mg-job; then
  echo booted > /mg-job/booted
  . /mg-job/mounts.sh
  /bin/bash /mg-job/job.sh > /mg-job/out 2> /mg-job/err < /dev/null
  echo $? > /mg-job/rc.tmp && mv /mg-job/rc.tmp /mg-job/rc
  sync
  umount -a -t 9p 2>/dev/null
fi
echo o > /proc/sysrq-trigger
sleep 60
INIT
}

image_dir() { echo "$cache/$(image_key)"; }

build_image() {
  local final tmp root lock
  final=$(image_dir)
  [ -f "$final/complete" ] && return 0
  command -v debootstrap >/dev/null || die "debootstrap is missing (scripts/setup.sh installs it)"
  command -v mke2fs >/dev/null || die "mke2fs is missing (scripts/setup.sh installs it)"
  mkdir -p "$cache"
  # One build at a time; a second caller waits and then finds it done.
  lock="$cache/.lock"
  exec 9>"$lock"
  flock 9
  if [ -f "$final/complete" ]; then exec 9>&-; return 0; fi
  echo "$me: building the guest image $(basename "$final") (about 15 minutes)" >&2
  local started=$SECONDS
  tmp=$(mktemp -d "$cache/.building.XXXXXX")
  root="$tmp/root"
  # Whatever happens, no half-built image stays and nothing stays mounted.
  trap 'unmount_chroot "$root"; "${SUDO[@]}" rm -rf --one-file-system "$tmp"' EXIT
  if ! "${SUDO[@]}" debootstrap --variant=minbase --arch=amd64 --include="$base_packages" \
      bookworm "$root" "$mirror" > "$tmp/debootstrap.log" 2>&1; then
    tail -n 20 "$tmp/debootstrap.log" >&2
    die "debootstrap failed (log above); no image was kept"
  fi
  "${SUDO[@]}" tee "$root/etc/apt/sources.list" >/dev/null <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security_mirror bookworm-security main
EOF
  mount_chroot "$root"
  # shellcheck source=apt-lib.sh
  . "$here/scripts/apt-lib.sh"
  APT_PREFIX=("${SUDO[@]}" chroot "$root")
  "${APT_PREFIX[@]}" dpkg --add-architecture i386
  apt_update
  apt_install "$me" "${guest_packages[@]}" || die "the guest's packages could not be installed; no image was kept"
  apt_run clean
  unmount_chroot "$root"
  guest_init | "${SUDO[@]}" tee "$root/sbin/mg-init" >/dev/null
  "${SUDO[@]}" chmod 755 "$root/sbin/mg-init"
  echo "mg-i686" | "${SUDO[@]}" tee "$root/etc/hostname" >/dev/null
  "${SUDO[@]}" cp "$root"/boot/vmlinuz-* "$tmp/vmlinuz"
  "${SUDO[@]}" cp "$root"/boot/initrd.img-* "$tmp/initrd.img"
  "${SUDO[@]}" chmod 644 "$tmp/vmlinuz" "$tmp/initrd.img"
  if ! "${SUDO[@]}" mke2fs -q -t ext4 -L mgroot -d "$root" "$tmp/root.img" 8G; then
    die "mke2fs could not make the root image; no image was kept"
  fi
  "${SUDO[@]}" rm -rf --one-file-system "$root"
  echo "$(image_key) built in $((SECONDS - started)) s" | "${SUDO[@]}" tee "$tmp/complete" >/dev/null
  # The rename is the commit: a folder under the final name is whole.
  "${SUDO[@]}" mv "$tmp" "$final"
  trap - EXIT
  # Older images are of no further use.
  local old
  for old in "$cache"/*; do
    [ -d "$old" ] && [ "$old" != "$final" ] && "${SUDO[@]}" rm -rf --one-file-system "$old"
  done
  exec 9>&-
  echo "$me: image built in $((SECONDS - started)) s" >&2
}

mount_chroot() {
  local root=$1 d
  for d in proc sys dev dev/pts; do
    "${SUDO[@]}" mount --bind "/$d" "$root/$d"
  done
}

unmount_chroot() {
  local root=$1 d
  [ -n "$root" ] || return 0
  for d in dev/pts dev sys proc; do
    mountpoint -q "$root/$d" 2>/dev/null && "${SUDO[@]}" umount -l "$root/$d"
  done
  return 0
}

# Host folders the guest sees at their own paths: the source tree, the
# current directory and MG_I686_SHARE, less any inside another.
shares() {
  local list=("$here" "$(pwd -P)") extra p q keep out=()
  IFS=: read -r -a extra <<< "${MG_I686_SHARE:-}"
  for p in "${extra[@]}"; do [ -n "$p" ] && list+=("$(cd "$p" && pwd -P)"); done
  for p in "${list[@]}"; do
    keep=1
    for q in "${list[@]}"; do
      if [ "$p" != "$q" ] && [[ "$p/" == "$q/"* ]]; then keep=0; fi
    done
    for q in "${out[@]}"; do [ "$p" = "$q" ] && keep=0; done
    [ $keep = 1 ] && out+=("$p")
  done
  printf '%s\n' "${out[@]}"
}

# boot_and_run ACCEL...: boots the guest with those qemu accelerator
# arguments, streams the job's output, and returns qemu's exit code (the
# caller's locals job, img, memory, timeout, boot_limit and qemu_args).
boot_and_run() {
  # The image is opened with snapshot=on: the guest's writes go to a
  # throw-away overlay, so the cached image never changes.
  "${SUDO[@]}" timeout --kill-after=10 "$timeout" qemu-system-x86_64 \
    -machine q35 "$@" -smp "$(nproc)" -m "$memory" \
    -display none -no-reboot -nic none \
    -serial "file:$job/console.log" \
    -kernel "$img/vmlinuz" -initrd "$img/initrd.img" \
    -append "console=ttyS0 root=/dev/vda rw init=/sbin/mg-init panic=1 quiet" \
    -drive "file=$img/root.img,format=raw,if=virtio,snapshot=on" \
    -virtfs "local,path=$job,mount_tag=mgjob,security_model=passthrough,id=mgjob" \
    "${qemu_args[@]}" &
  local qemu=$!
  # A guest that has not reached its init in time will not.
  (
    waited=0
    while kill -0 $qemu 2>/dev/null; do
      if [ -f "$job/booted" ]; then
        echo "$me: the guest booted in $waited s" >&2
        break
      fi
      if [ $waited -ge "$boot_limit" ]; then
        : > "$job/boot-timeout"
        kill $qemu 2>/dev/null
        break
      fi
      sleep 2
      waited=$((waited + 2))
    done
  ) &
  local watchdog=$!
  # The command's output as it comes.
  tail -n +1 -F --pid=$qemu "$job/out" 2>/dev/null &
  local tail_out=$!
  tail -n +1 -F --pid=$qemu "$job/err" >&2 2>/dev/null &
  local tail_err=$!
  local qrc=0
  wait $qemu || qrc=$?
  wait $tail_out $tail_err 2>/dev/null || true
  kill $watchdog 2>/dev/null || true
  return $qrc
}

run() {
  [ $# -gt 0 ] || die "usage: i686-machine.sh run COMMAND [ARG...]"
  command -v qemu-system-x86_64 >/dev/null || die "qemu-system-x86_64 is missing (scripts/setup.sh installs it)"
  build_image
  local img job qemu_args=() accel tag=0 p started=$SECONDS
  img=$(image_dir)
  job=$(mktemp -d "${TMPDIR:-/tmp}/mg-i686-job.XXXXXX")
  trap 'rm -rf "$job"' EXIT

  {
    mapfile -t shared < <(shares)
    for p in "${shared[@]}"; do
      tag=$((tag + 1))
      qemu_args+=(-virtfs "local,path=$p,mount_tag=share$tag,security_model=passthrough,id=share$tag")
      # cache=loose: without the page cache, Wine's loader got zeros for part
      # of a large executable's code (mgpack.exe faulted in main), and the
      # host does not change these trees while the guest runs.
      printf 'mkdir -p %q && mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144,cache=loose share%d %q\n' "$p" "$tag" "$p"
    done
    IFS=: read -r -a locals <<< "${MG_I686_LOCAL:-}"
    for p in "${locals[@]}"; do
      [ -n "$p" ] && printf 'mkdir -p %q && mount -t tmpfs -o size=4g tmpfs %q\n' "$p" "$p"
    done
  } > "$job/mounts.sh"

  {
    echo 'export HOME=/root LANG=C.UTF-8 LC_ALL=C.UTF-8 PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin'
    # A host name that resolves without a network: Wine looks its own up.
    echo 'hostname mg-i686 && echo "127.0.1.1 mg-i686" >> /etc/hosts'
    export -p | grep -E '^declare -x (MG_[A-Za-z0-9_]*|CTEST_[A-Za-z0-9_]*|WINE[A-Za-z0-9_]*|CI)=' || true
    printf 'cd %q || exit 125\n' "$(pwd -P)"
    if [ "${MG_I686_XVFB:-1}" = 1 ]; then
      printf 'exec xvfb-run -a -s "-screen 0 1024x768x24" '
    else
      printf 'exec '
    fi
    printf '%q ' "$@"
    echo
  } > "$job/job.sh"
  : > "$job/out"
  : > "$job/err"

  local memory=${MG_I686_MEMORY:-6144} timeout=${MG_I686_TIMEOUT:-7200}
  local tcg=(-accel tcg,thread=multi -cpu qemu64,+ssse3,+sse4.1,+sse4.2,+popcnt)
  local boot_limit=${MG_I686_BOOT_TIMEOUT:-600} qrc=0
  if [ -n "${MG_I686_ACCEL:-}" ]; then
    read -r -a accel <<< "$MG_I686_ACCEL"
  elif [ -w /dev/kvm ]; then
    accel=(-accel kvm -cpu host)
    # A working KVM boots the guest in seconds.
    boot_limit=${MG_I686_KVM_BOOT_TIMEOUT:-120}
  else
    # Software emulation; with -cpu max the guest kernel oopsed once Wine started.
    accel=("${tcg[@]}")
  fi
  boot_and_run "${accel[@]}" || qrc=$?
  # Some hosts offer /dev/kvm that cannot run a guest (nested virtualisation
  # without the MSRs qemu sets, or a guest stuck before its init).
  if [ "${accel[1]}" = kvm ] && [ ! -f "$job/booted" ] && [ -z "${MG_I686_ACCEL:-}" ]; then
    echo "$me: KVM did not start the guest (qemu exit code $qrc); using software emulation" >&2
    tail -n 5 "$job/console.log" >&2 2>/dev/null || true
    rm -f "$job/boot-timeout" "$job/console.log"
    boot_limit=${MG_I686_BOOT_TIMEOUT:-600} qrc=0
    boot_and_run "${tcg[@]}" || qrc=$?
  fi

  if [ -f "$job/rc" ]; then
    echo "$me: the command ended with exit code $(cat "$job/rc") after $((SECONDS - started)) s" >&2
    exit "$(cat "$job/rc")"
  fi
  if [ -f "$job/boot-timeout" ]; then
    tail -n 20 "$job/console.log" >&2 2>/dev/null || true
    die "the guest did not boot within ${MG_I686_BOOT_TIMEOUT:-600} s (MG_I686_BOOT_TIMEOUT); its console ends above"
  fi
  if [ $qrc = 124 ] || [ $qrc = 137 ]; then
    tail -n 20 "$job/console.log" >&2 2>/dev/null || true
    die "the run timed out after $timeout s (MG_I686_TIMEOUT); the guest's console ends above"
  fi
  tail -n 30 "$job/console.log" >&2 2>/dev/null || true
  if [ ! -f "$job/booted" ]; then
    die "the guest did not boot (qemu exit code $qrc); its console ends above"
  fi
  die "the guest stopped before the command finished (qemu exit code $qrc); its console ends above"
}

case "${1:-}" in
  image) build_image ;;
  path) image_dir ;;
  run) shift; run "$@" ;;
  *) sed -n '2,26p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
esac
