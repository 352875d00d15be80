#!/usr/bin/env bash
# The vendor's guide's Maven step, as written: its xml block is the one plugin
# of a Maven build run offline against Debian's Maven repository, with an
# installation of mgpack laid out as the release archive has it (the stand-in
# stub for the launcher). The build must write target/sample.exe carrying the
# guide's files, the ready JVM file and the default verify archive.
# Usage: maven.sh SOURCE_DIR MGPACK STAND_IN_STUB VERIFY_JAR SAMPLE_JAR WORK_DIR
# Exits 77 (skipped) without Maven or Debian's exec-maven-plugin.
set -u
src=$1 mgpack_bin=$2 stand_in=$3 verify=$4 sample=$5 work=$6
repo=/usr/share/maven-repo
command -v mvn > /dev/null && [ -d "$repo/org/codehaus/mojo/exec-maven-plugin" ] ||
  { echo "no mvn or no exec-maven-plugin in $repo (Debian: maven, libexec-maven-plugin-java)"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p kit/bin kit/share/marrowgate/jvmfiles project/src/launcher project/target
cp "$mgpack_bin" kit/bin/mgpack
"$stand_in" kit/share/marrowgate/mglauncher.exe 100000 || exit 1
cp "$verify" kit/share/marrowgate/verify.jar
cp "$src"/jvm/jvmfiles/*.jvm kit/share/marrowgate/jvmfiles/
cp "$src/docs/examples/instructions/find_then_launch.txt" project/src/launcher/instructions.txt
cp "$src/examples/sample/launch.txt" project/src/launcher/
# The jar a jar project's build makes before its package phase ends.
cp "$sample" project/target/sample-1.0.jar

plugin=$(awk '$0 == "```xml" { inside = 1; next } inside && $0 == "```" { exit } inside { print }' \
  "$src/docs/vendor-guide.md")
case $plugin in *"<artifactId>exec-maven-plugin</artifactId>"*) ;; *) fail "no Maven plugin in the guide: $plugin" ;; esac
cat > project/pom.xml <<POM
<project xmlns="http://maven.apache.org/POM/4.0.0">
  <modelVersion>4.0.0</modelVersion>
  <groupId>com.example</groupId>
  <artifactId>sample</artifactId>
  <version>1.0</version>
  <packaging>pom</packaging>
  <build>
    <plugins>
$plugin
    </plugins>
  </build>
</project>
POM
# A repository of its own, seeded from Debian's, so that nothing is written there.
mkdir m2
cp -rs "$repo"/. m2/
(cd project && PATH="$work/kit/bin:$PATH" mvn -o -q -B -Dmaven.repo.local="$work/m2" package) > mvn.out 2>&1 ||
  fail "mvn package: $(tail -40 mvn.out)"
[ -f project/target/sample.exe ] || fail "no target/sample.exe: $(tail -20 mvn.out)"
listing=$(kit/bin/mgpack list project/target/sample.exe 2>&1)
for entry in instructions.txt launch.txt java17-or-newer.jvm verify.jar sample-1.0.jar; do
  printf '%s\n' "$listing" | grep -q " $entry\$" || fail "the launcher lacks $entry: $listing"
done
[ $failures -eq 0 ] && echo "maven passed"
exit $((failures > 0))
