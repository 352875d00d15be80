#!/usr/bin/env bash
# The main demo: builds a launcher for the sample application (examples/)
# with mgpack and runs it under Wine with a real JVM, then checks that the
# application ran and that no temporary file or directory was left behind.
#
#   scripts/demo.sh [--install] [build-dir]     (default build dir: build/)
#
# By default the launcher finds and verifies the JVM registered in the Wine
# prefix's registry where a Windows JDK 17 registers itself. With --install
# (scripts/demo-install.sh) nothing is registered: the launcher installs the
# bundled JVM with our small installer into a temporary directory instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
mode=find
if [ "${1:-}" = "--install" ]; then mode=install; shift; fi
if [ "${1:-}" = "-h" ] || [ "${1:-}" = "--help" ]; then
  sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
fi
build=$(mkdir -p "${1:-$here/build}" && cd "${1:-$here/build}" && pwd)
win=$build/windows
demo=$build/demo-$mode
say() { printf '\n== %s\n' "$*"; }

say "Installing what is missing"
"$here/scripts/setup.sh"

say "Configuring and building in $build"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target mgpack java_bridge mg_verify_jar mg_sample_jar
# The Windows side is configured exactly as the native build's sub-builds
# are: the shipped launcher from windows-<arch>, the installer from windows.
arch=$("$here/scripts/windows-arch.sh")
shipped=$build/windows-$arch
cmake -S "$here" -B "$shipped" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch-shipped.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$shipped" -j2 --target mglauncher
cmake -S "$here" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DMG_HOST_BUILD="$build" -DMG_SHIPPED_DIR="$shipped/launcher" >/dev/null
cmake --build "$win" -j2 --target launchops_installer

say "Packing the sample application into sample.exe"
rm -rf "$demo" && mkdir -p "$demo"
instructions=$here/examples/sample/instructions.txt
[ $mode = install ] && instructions=$here/examples/sample/install.txt
"$build/tools/mgpack" build --stub "$shipped/launcher/mglauncher.exe" -o "$demo/sample.exe" \
  --file instructions "$instructions" --name instructions.txt \
  --file launch-script "$here/examples/sample/launch.txt" \
  --file jvm-file "$here/examples/sample/sample.jvm" \
  --file verify-archive "$build/java/verify.jar" \
  --file jvm-installer "$win/examples/launchops_installer.exe" --name setup.exe \
  --file application-archive "$build/examples/sample.jar"
"$build/tools/mgpack" list "$demo/sample.exe"

say "Preparing the Wine prefix $demo/wineprefix"
export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$here/tests/make-wineprefix.sh" "$WINEPREFIX"
# A JVM home whose java.exe is the bridge to Debian's OpenJDK, where a
# Windows JDK would be installed.
jdk_unix="$WINEPREFIX/drive_c/Program Files/Java/jdk-17"
jdk_win='C:\Program Files\Java\jdk-17'
"$here/tests/jvmhome/make-jvmhome.sh" "$jdk_unix" "$build/bridge/java.exe.so" >/dev/null
key='HKLM\SOFTWARE\JavaSoft\JDK\17'
if [ $mode = find ]; then
  # Both registry views: the launcher is a 32-bit program.
  wine reg add "$key" /v JavaHome /d "$jdk_win" /f /reg:32 >/dev/null 2>&1
  wine reg add "$key" /v JavaHome /d "$jdk_win" /f /reg:64 >/dev/null 2>&1 || true
  echo "registered $jdk_win under $key"
else
  # The installer copies this home; the launcher's children inherit it.
  mv "$jdk_unix" "$WINEPREFIX/drive_c/bundled-jvm"
  export MG_INSTALLER_SOURCE='C:\bundled-jvm'
  echo "the bundled installer will copy $MG_INSTALLER_SOURCE"
fi
wineserver -w

temp_win=$(wine cmd /c echo %TEMP% 2>/dev/null </dev/null | tr -d '\r')
temp_unix=$(winepath -u "$temp_win" 2>/dev/null)
# That query started the prefix's desktop process without a display; end it,
# or the launcher's windows could not be created under Xvfb.
wineserver -k 2>/dev/null || true
wineserver -w
mkdir -p "$temp_unix"
before=$(cd "$temp_unix" && find . | sort)

say "Running sample.exe under Wine (progress window on a virtual display)"
app_dir=$WINEPREFIX/drive_c/Sample
rm -rf "$app_dir" && mkdir -p "$app_dir"
cp "$demo/sample.exe" "$app_dir/sample.exe"
set +e
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" \
  wine 'C:\Sample\sample.exe' -mg:log 'C:\Sample\run.log' hello "two words" 'back\slash'
rc=$?
wineserver -w
set -e
cp -f "$app_dir/run.log" "$demo/run.log" 2>/dev/null || true
log=$(tr -d '\r' < "$demo/run.log" 2>/dev/null || true)
failed=0
check() {  # DESCRIPTION PATTERN
  if printf '%s\n' "$log" | grep -q -- "$2"; then echo "ok: $1"; else echo "MISSING: $1"; failed=1; fi
}

say "What the launcher did (from its log $demo/run.log)"
[ $rc = 0 ] || { echo "launcher exit code $rc"; failed=1; }
printf '%s\n' "$log" | grep -E '^(ERROR|WARNING): |Found matching JVM|Executing launch script command' || true
if [ $mode = find ]; then
  check "the JVM was found and verified" "Found matching JVM at $(printf '%s' "$jdk_win" | sed 's/\\/\\\\/g')"
else
  check "the bundled JVM was installed and used" 'Executing launch script command: .*\\bin\\java.exe'
fi
check "the application ran and printed its line" '^Marrowgate sample running on Java 17'
check "the arguments arrived" 'with 3 arguments \[hello\] \[two words\] \[back\\slash\]'
printf '%s\n' "$log" | grep '^Marrowgate sample' || true

say "Temporary items"
after=$(cd "$temp_unix" && find . | sort)
if [ "$before" = "$after" ]; then
  echo "ok: every temporary item is gone ($temp_win is as before the run)"
else
  echo "LEFT BEHIND in $temp_win:"
  diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") | grep '^>' || true
  failed=1
fi

if [ $failed = 0 ]; then say "Demo ($mode) passed"; else say "Demo ($mode) FAILED"; fi
exit $failed
