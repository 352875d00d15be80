#!/usr/bin/env bash
# Packs a build's installed layout (packaging/CMakeLists.txt) into the release
# files: marrowgate-VERSION-linux-x86_64.tar.gz, marrowgate-VERSION-windows.zip,
# marrowgate_VERSION-1_amd64.deb and SHA256SUMS, the same bytes on every run
# of one commit. scripts/release.sh runs it on a clean clone's build; the
# tests run it on their build tree's own outputs.
# Usage: release-pack.sh BUILD_DIR DIST_DIR [--launchers DIR]
#   BUILD_DIR        a host build with mgpack, the jars and windows-i686 built
#   --launchers DIR  packs the launchers of DIR instead of the 32-bit ones
#                    (tests on hosts that run only 64-bit programs)
# Every file gets the time SOURCE_DATE_EPOCH (default: the time of the source
# tree's last commit), owner root and a mode of 755 or 644.
set -euo pipefail
export LC_ALL=C TZ=UTC
umask 022
usage() { echo "usage: release-pack.sh BUILD_DIR DIST_DIR [--launchers DIR]" >&2; exit 2; }
[ $# -ge 2 ] || usage
build=$(cd "$1" && pwd) dist=$2
shift 2
launchers=
while [ $# -gt 0 ]; do
  case $1 in
    --launchers) [ $# -ge 2 ] || usage; launchers=$(cd "$2" && pwd); shift 2 ;;
    *) usage ;;
  esac
done
here=$(cd "$(dirname "$0")/.." && pwd)
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache CMAKE_PROJECT_VERSION)
[ -n "$version" ] || { echo "release-pack.sh: $build is no configured build" >&2; exit 1; }
: "${SOURCE_DATE_EPOCH:=$(git -C "$(cache CMAKE_HOME_DIRECTORY)" log -1 --format=%ct)}"
export SOURCE_DATE_EPOCH
name=marrowgate-$version
debversion=$version-1
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

install_into() {  # DIR COMPONENT...
  local dir=$1 component
  shift
  for component in "$@"; do
    cmake --install "$build" --prefix "$dir" --component "$component" --strip > /dev/null
  done
}

# The jars' entries carry the time they were built: they get SOURCE_DATE_EPOCH.
normalize_jars() {  # DIR
  find "$1" -name '*.jar' -print0 | python3 -c '
import os, sys, time, zipfile
stamp = max(time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6], (1980, 1, 1, 0, 0, 0))
for path in filter(None, sys.stdin.read().split("\0")):
    if not zipfile.is_zipfile(path):  # the examples stand-in jars are text
        continue
    with zipfile.ZipFile(path) as z:
        entries = [(i, z.read(i)) for i in z.infolist()]
    with zipfile.ZipFile(path + ".new", "w") as z:
        for info, data in entries:
            fixed = zipfile.ZipInfo(info.filename, stamp)
            fixed.compress_type = info.compress_type
            fixed.external_attr = 0o644 << 16
            fixed.create_system = 3
            z.writestr(fixed, data)
    os.replace(path + ".new", path)
'
}

# Modes, owners and times that do not depend on the machine or the run.
normalize() {  # DIR
  find "$1" -type d -exec chmod 755 {} +
  find "$1" -type f -exec chmod 644 {} +
  find "$1" -type f -path '*/bin/*' -exec chmod 755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

readme() {  # the archives' README, with the version
  sed "s/@VERSION@/$version/g" "$here/packaging/README.in"
}

# What all three carry, installed once: share/marrowgate and the documentation.
common=$work/common
install_into "$common" files docs
if [ -n "$launchers" ]; then
  cp "$launchers"/mglauncher.exe "$launchers"/mglauncher-console.exe "$common/share/marrowgate/"
fi
normalize_jars "$common"

# The Linux archive: bin/mgpack and the whole layout under marrowgate-VERSION/.
linux=$work/linux/$name
mkdir -p "$linux" && cp -R "$common"/. "$linux"/
install_into "$linux" mgpack
readme > "$linux/README.md"
normalize "$work/linux"
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
  -C "$work/linux" -cf - "$name" | gzip -n -9 > "$dist/$name-linux-x86_64.tar.gz"

# The zip: the same layout with the 32-bit bin/mgpack.exe.
windows=$work/windows/$name
mkdir -p "$windows" && cp -R "$common"/. "$windows"/
install_into "$windows" mgpack-windows
# cmake --install --strip strips with the host's strip, which takes no PE file.
i686-w64-mingw32-strip "$windows/bin/mgpack.exe"
readme > "$windows/README.md"
normalize "$work/windows"
rm -f "$dist/$name-windows.zip"
(cd "$work/windows" && find "$name" -type f | sort | zip -X -D -q -9 -@ "$dist/$name-windows.zip")

# The Debian package: /usr/bin/mgpack, /usr/share/marrowgate, the
# documentation with the copyright and changelog that policy asks for.
deb=$work/deb
mkdir -p "$deb/usr" && cp -R "$common"/. "$deb/usr"/
install_into "$deb/usr" mgpack
doc=$deb/usr/share/doc/marrowgate
cp "$here/packaging/copyright" "$doc/copyright"
sed -e "s/@VERSION@/$version/g" -e "s/@DEBVERSION@/$debversion/g" \
    -e "s/@DATE@/$(date -u -R -d "@$SOURCE_DATE_EPOCH")/" "$here/packaging/changelog.in" |
  gzip -n -9 > "$doc/changelog.Debian.gz"
gzip -n -9 "$deb/usr/share/man/man1/mgpack.1"
mkdir -p "$deb/usr/share/lintian/overrides"
cp "$here/packaging/lintian-overrides" "$deb/usr/share/lintian/overrides/marrowgate"
normalize "$deb/usr"
mkdir -p "$deb/DEBIAN"
cat > "$deb/DEBIAN/control" <<CONTROL
Package: marrowgate
Version: $debversion
Architecture: amd64
Maintainer: Marrowgate developers <marrowgate@example.com>
Installed-Size: $(du -sk --apparent-size "$deb/usr" | cut -f1)
Section: devel
Priority: optional
Description: native launcher for Java applications on 32-bit Windows
 mgpack appends a Java application's files (an instructions program, a
 launch script, JVM files, jars, a JVM installer) to a small 32-bit Windows
 launcher and writes one .exe that finds a JVM it can trust, or installs
 the bundled one, and starts the application.
 .
 This package holds mgpack, the GUI and console launchers, the ready JVM
 files, the verify archive, examples and the documentation.
CONTROL
(cd "$deb" && find usr -type f | sort | xargs md5sum > DEBIAN/md5sums)
normalize "$deb/DEBIAN"
dpkg-deb --root-owner-group -Zxz --build "$deb" "$dist/marrowgate_${debversion}_amd64.deb" > /dev/null

cd "$dist"
sha256sum "$name-linux-x86_64.tar.gz" "$name-windows.zip" "marrowgate_${debversion}_amd64.deb" > SHA256SUMS
cat SHA256SUMS
