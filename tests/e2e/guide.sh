#!/usr/bin/env bash
# One end-to-end case of the vendor's guide under Wine.
# Usage: guide.sh CASE MGLAUNCHER MGPACK RUNNER INSTALLER SOURCE_DIR HOST_BUILD
#   (WINEPREFIX set). The jvmhome fixture gives J:\jdk17 (java.exe bridge).
#   find     the guide's files and its mgpack commands, run as its section
#            "Try it" says, with -mg:javahome and arguments for the application;
#            the Java command is the one the guide shows
#   install  the same launcher packed with the sample's install.txt
# Every run passes -mg:silent first: a message box would wait for ever.
set -u
case_name=$1 launcher=$2 mgpack_exe=$3 runner=$4 installer=$5 src=$6 host=$7
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
e2e_workdir "mgtest-guide-$case_name"
guide=$src/docs/vendor-guide.md
# mgpack.exe as the release zip has it: the guide leaves the stub and the
# verify archive to it.
e2e_kit "$mgpack_exe" "$launcher" "$host/java/verify.jar"
cp "$installer" setup.exe
cp "$src"/examples/sample/{instructions.txt,launch.txt,sample.jvm} "$host/examples/sample.jar" .
mkdir tmp

# block N LANGUAGE: the Nth fenced block of that language in the guide.
block() { doc_block "$guide" "$@"; }
# The guide shows the sample's files as they are.
[ "$(block 1 text)" = "$(tr -d '\r' < instructions.txt)" ] || fail "the guide's program is not examples/sample/instructions.txt"
[ "$(block 3 text)" = "$(tr -d '\r' < launch.txt)" ] || fail "the guide's launch script is not examples/sample/launch.txt"
[ "$(block 2 text)" = "$(tr -d '\r' < "$src/docs/examples/instructions/find_then_launch.txt")" ] ||
  fail "the guide's second program is not docs/examples/instructions/find_then_launch.txt"

[ $case_name = install ] && cp "$src/examples/sample/install.txt" instructions.txt
# The guide's mgpack commands, as written: the second sh block.
commands=$(block 2 sh)
case $commands in *"mgpack build "*"mgpack list sample.exe"*) ;; *) fail "no mgpack commands in the guide: $commands" ;; esac
listing=$(eval "$commands")
[ -f sample.exe ] || fail "the guide's commands made no sample.exe: $listing"
for name in instructions.txt launch.txt sample.jvm verify.jar setup.exe sample.jar; do
  printf '%s\n' "$listing" | grep -q " $name\$" || fail "mgpack list shows no $name: $listing"
done

ran() {  # the sample's line with the arguments of "Try it"
  log_text run.log | grep -q '^Marrowgate sample running on Java 17.* with 2 arguments \[--open\] \[report.txt\]$'
}

case $case_name in
find)
  e2e_run sample.exe '-mg:javahome J:\jdk17 --open report.txt'
  log_text run.log | grep -qxF 'Found matching JVM at J:\jdk17' || fail "the home was not found: $(log_text run.log)"
  ran || fail "the application did not run as the guide says: $(log_text run.log)"
  # The command the guide shows for its JVM and arguments, here with this
  # home, temporary folder and arguments.
  shown=$(grep -F -- ' -Dsample.seconds=3 -classpath ' "$guide" | sed 's/^ *//')
  shown=${shown//'C:\Program Files\Java\jdk-17'/'J:\jdk17'}
  shown=$(printf '%s' "$shown" |
          sed 's/"C:\\Users\\ann\\AppData\\Local\\Temp\\LRE[^\\]*\.tmp\\/"TEMP\\/; s/ "hello" "two words"$/ "--open" "report.txt"/')
  command=$(log_text run.log | sed -n 's/^Executing launch script command: //p' | tail -1 |
            sed 's/ in working directory .*$//; s/"[^"]*\\LRE[^\\"]*\.tmp\\/"TEMP\\/')
  [ -n "$shown" ] && [ "$command" = "$shown" ] || fail "the guide shows [$shown]; the launcher ran [$command]"
  ;;
install)
  export MG_INSTALLER_SOURCE='J:\jdk17'
  e2e_run sample.exe '--open report.txt'
  ran || fail "the installed JVM did not run the application: $(log_text run.log)"
  ;;
*) fail "unknown case $case_name" ;;
esac
# The guide's promise: nothing the launcher made is left.
[ -z "$(ls -A tmp)" ] || fail "left in the temporary folder: $(ls -A tmp)"
e2e_finish "guide $case_name"
