#!/usr/bin/env bash
# Makes the release files of the current commit in dist/ (or DIST_DIR): the
# Linux archive, the Windows zip, the Debian package and SHA256SUMS.
# Usage: scripts/release.sh [DIST_DIR]
# It builds a clean clone of HEAD (uncommitted changes are not released) in
# a temporary folder: configure, build what ships, install and pack
# (scripts/release-pack.sh). Two runs on one commit give the same bytes: every
# time in the files is the commit's (SOURCE_DATE_EPOCH), and the compilers
# write no build paths.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dist=${1:-$here/dist}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
SOURCE_DATE_EPOCH=$(git -C "$here" log -1 --format=%ct)
export SOURCE_DATE_EPOCH
[ -z "$(git -C "$here" status --porcelain --untracked-files=no)" ] ||
  echo "release.sh: uncommitted changes are not released (building $(git -C "$here" rev-parse --short HEAD))" >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q --no-hardlinks "$here" "$work/src"
git -C "$work/src" checkout -q --detach "$(git -C "$here" rev-parse HEAD)"
# The 32-bit launchers and mgpack.exe come from the shipped build; no test
# build is needed.
cmake -S "$work/src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DMG_I686_MACHINE=OFF > "$work/configure.log" ||
  { cat "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j2 --target mgpack mg_verify_jar mg_sample_jar mg_upper_jar windows-i686
"$work/src/scripts/release-pack.sh" "$work/build" "$dist"
