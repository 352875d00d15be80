#!/usr/bin/env bash
# The release files, made from this build's outputs by scripts/release-pack.sh
# (the step scripts/release.sh ends with), as a vendor uses them.
# Usage: release.sh CASE SOURCE_DIR HOST_BUILD RELEASE_DIR [LAUNCHERS | RUNNER]
#   pack     packs into RELEASE_DIR/dist with the launchers of LAUNCHERS (the
#            ones this machine's Wine runs), then again into RELEASE_DIR/again
#            under another umask and time zone: the same SHA256SUMS
#   archive  the Linux archive unpacked into an empty folder outside the build
#            tree: its README's commands, run there with only the system on
#            PATH, pack the sample without --stub, with a bare ready-file name
#            and the default verify archive; the launcher lists and runs under
#            Wine (WINEPREFIX set, J:\jdk17 from the jvmhome fixture); the
#            vendor's guide shows the same commands
#   static   the archive's bin/mgpack is statically linked, the zip's
#            bin/mgpack.exe a 32-bit Windows program
#   deb      dpkg-deb --info and --contents show the package's fields and
#            layout, lintian (where installed) finds no error or warning, and
#            the package unpacked into a root of its own packs a console
#            launcher with its /usr/bin/mgpack
set -u
case_name=$1 src=$2 host=$3 dir=$4 extra=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
dist=$dir/dist
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$host/CMakeCache.txt")
name=marrowgate-$version
deb=marrowgate_${version}-1_amd64.deb
# LAUNCHER PACKED: PACKED begins with LAUNCHER, but for the PE checksum that
# mgpack keeps true for the whole file (4 bytes).
packed_with() {
  [ "$(cmp -l -n "$(stat -c %s "$1")" "$1" "$2" 2>/dev/null | wc -l)" -le 4 ]
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

case $case_name in
pack)
  rm -rf "$dir" && mkdir -p "$dir"
  "$src/scripts/release-pack.sh" "$host" "$dist" --launchers "$extra" > "$dir/pack.out" 2>&1 ||
    fail "release-pack.sh: $(cat "$dir/pack.out")"
  (umask 077 && TZ=Pacific/Auckland "$src/scripts/release-pack.sh" "$host" "$dir/again" --launchers "$extra") \
    > "$dir/again.out" 2>&1 || fail "release-pack.sh again: $(cat "$dir/again.out")"
  for f in "$name-linux-x86_64.tar.gz" "$name-windows.zip" "$deb"; do
    grep -q "  $f\$" "$dist/SHA256SUMS" || fail "SHA256SUMS lacks $f: $(cat "$dist/SHA256SUMS")"
  done
  (cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the files"
  cmp -s "$dist/SHA256SUMS" "$dir/again/SHA256SUMS" ||
    fail "a second packing differs: $(diff "$dist/SHA256SUMS" "$dir/again/SHA256SUMS")"
  ;;
archive)
  runner=$extra
  cd "$scratch" || exit 1
  cp "$dist/$name-linux-x86_64.tar.gz" .
  tar -xzOf "$name-linux-x86_64.tar.gz" "$name/README.md" > readme.md || fail "the archive has no README.md"
  commands=$(doc_block readme.md 1 sh)
  case $commands in *"tar -xzf "*"/bin/mgpack build "*"/bin/mgpack list sample.exe"*) ;;
    *) fail "no unpack, build and list commands in the README: $commands" ;; esac
  case $commands in *--stub*) fail "the README's commands name a stub: $commands" ;; esac
  [ "$(doc_block "$src/docs/vendor-guide.md" 1 sh)" = "$commands" ] ||
    fail "the vendor's guide's first commands are not the archive README's"
  mkdir home
  listing=$(env -i PATH=/usr/bin:/bin HOME="$scratch/home" bash -ec "$commands" 2>&1) ||
    fail "the README's commands failed: $listing"
  for entry in find_then_launch.txt launch.txt java17-or-newer.jvm verify.jar sample.jar; do
    printf '%s\n' "$listing" | grep -q " $entry\$" || fail "mgpack list shows no $entry: $listing"
  done
  packed_with "$name/share/marrowgate/mglauncher.exe" sample.exe || fail "sample.exe is not the installed mglauncher.exe packed"
  e2e_workdir mgtest-release-archive
  cp "$scratch/sample.exe" . && mkdir tmp
  e2e_run sample.exe '-mg:javahome J:\jdk17 --open report.txt'
  log_text run.log | grep -qxF 'Found matching JVM at J:\jdk17' || fail "the home was not found: $(log_text run.log)"
  log_text run.log | grep -q '^Marrowgate sample running on Java 17.* with 2 arguments \[--open\] \[report.txt\]$' ||
    fail "the sample did not run: $(log_text run.log)"
  [ -z "$(ls -A tmp)" ] || fail "left in the temporary folder: $(ls -A tmp)"
  ;;
static)
  cd "$scratch" || exit 1
  tar -xzf "$dist/$name-linux-x86_64.tar.gz" "$name/bin/mgpack" || fail "the archive has no bin/mgpack"
  what=$(file -b "$name/bin/mgpack")
  case $what in *"statically linked"*) ;; *) fail "bin/mgpack is not statically linked: $what" ;; esac
  "$name/bin/mgpack" --version | grep -qx "mgpack $version" || fail "bin/mgpack --version: $("$name/bin/mgpack" --version)"
  unzip -q "$dist/$name-windows.zip" "$name/bin/mgpack.exe" || fail "the zip has no bin/mgpack.exe"
  what=$(file -b "$name/bin/mgpack.exe")
  case $what in "PE32 executable (console) Intel 80386"*) ;; *) fail "bin/mgpack.exe is no 32-bit program: $what" ;; esac
  ;;
deb)
  info=$(dpkg-deb --info "$dist/$deb") || fail "dpkg-deb --info: $info"
  for field in "Package: marrowgate" "Version: $version-1" "Architecture: amd64" "Section: devel" \
               "Priority: optional" "Maintainer: "; do
    printf '%s\n' "$info" | grep -q "^ $field" || fail "the control file has no '$field': $info"
  done
  contents=$(dpkg-deb --contents "$dist/$deb") || fail "dpkg-deb --contents: $contents"
  for path in ./usr/bin/mgpack ./usr/share/marrowgate/mglauncher.exe ./usr/share/marrowgate/mglauncher-console.exe \
              ./usr/share/marrowgate/verify.jar ./usr/share/marrowgate/jvmfiles/java17-or-newer.jvm \
              ./usr/share/marrowgate/examples/sample/sample.jar ./usr/share/doc/marrowgate/copyright \
              ./usr/share/doc/marrowgate/changelog.Debian.gz ./usr/share/doc/marrowgate/vendor-guide.md \
              ./usr/share/man/man1/mgpack.1.gz; do
    printf '%s\n' "$contents" | grep -q " $path\$" || fail "the package has no $path: $contents"
  done
  printf '%s\n' "$contents" | grep -v ' root/root ' && fail "entries not owned by root"
  printf '%s\n' "$contents" | grep -q '^-rwxr-xr-x .* ./usr/bin/mgpack$' || fail "/usr/bin/mgpack is not 755"
  if command -v lintian > /dev/null; then
    lint=$(lintian --fail-on error,warning "$dist/$deb" 2>&1) || fail "lintian: $lint"
  fi
  root=$scratch/root
  dpkg-deb -x "$dist/$deb" "$root" || fail "dpkg-deb -x"
  cd "$scratch" || exit 1
  examples=$root/usr/share/marrowgate/examples
  out=$(env -i PATH=/usr/bin:/bin "$root/usr/bin/mgpack" build --stub console -o upper.exe \
        --file instructions "$examples/console/instructions.txt" --file launch-script "$examples/console/launch.txt" \
        --file jvm-file java17-or-newer.jvm --file verify-archive default \
        --file application-archive "$examples/console/upper.jar" 2>&1) || fail "the package's mgpack: $out"
  packed_with "$root/usr/share/marrowgate/mglauncher-console.exe" upper.exe || fail "--stub console packed another stub"
  ;;
*) fail "unknown case $case_name" ;;
esac
e2e_finish "release $case_name"
