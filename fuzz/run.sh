#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each one for a fixed time.
#
#   fuzz/run.sh [-t seconds] [-b build-dir] [seconds] [target...]
#
# The time per target is 60 s unless given, with -t or as a first argument
# that is a number. Each target ends with a line of its final statistics:
# executions, coverage (libFuzzer's cov:, the edges reached), features and
# corpus size.
# Every executable named fuzz_* in the build's fuzz/ folder is a target; the
# seed corpus of fuzz_NAME is fuzz/corpus/NAME and its dictionary, if any,
# fuzz/NAME.dict. New inputs go to a working corpus in the build directory,
# so the committed seeds stay as they are.
# Crashes are written to build-dir/fuzz/artifacts/NAME/; turn each into a
# regression test.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=60
build="$root/build-fuzz"

usage() { sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; }

while getopts "t:b:h" opt; do
  case $opt in
    t) seconds=$OPTARG ;;
    b) build=$OPTARG ;;
    h) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
case ${1:-} in ''|*[!0-9]*) ;; *) seconds=$1; shift ;; esac
case $seconds in ''|*[!0-9]*) echo "run.sh: -t needs a number of seconds" >&2; exit 2 ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DMG_FUZZ=ON -DMG_WINDOWS=OFF \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
fi

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  # Only the fuzz targets, not the whole tree.
  cmake --build "$build" --target help | sed -n 's/^\.\.\. \(fuzz_[A-Za-z0-9_]*\).*/\1/p' > "$build/fuzz-targets.txt"
  mapfile -t targets < "$build/fuzz-targets.txt"
fi
if [ ${#targets[@]} -eq 0 ]; then
  echo "run.sh: no fuzz targets found in $build" >&2
  exit 1
fi

status=0
for t in "${targets[@]}"; do
  if ! cmake --build "$build" --target "$t" -j2 >"$build/fuzz-build.log" 2>&1; then
    if [ ! -x "$build/fuzz/$t" ]; then
      echo "run.sh: building $t failed, see $build/fuzz-build.log" >&2
      exit 1
    fi
    echo "   (build failed, see $build/fuzz-build.log; running the existing $t)"
  fi
  name=${t#fuzz_}
  work="$build/fuzz/corpus/$name"
  artifacts="$build/fuzz/artifacts/$name/"
  mkdir -p "$work" "$artifacts"
  seeds=()
  [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
  dict=()
  [ -f "$here/$name.dict" ] && dict=(-dict="$here/$name.dict")
  echo "== $t for ${seconds}s"
  if ! "$build/fuzz/$t" "$work" "${seeds[@]}" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$artifacts" -timeout=10 -rss_limit_mb=2048 2>"$build/fuzz/$t.log"; then
    echo "   FAILED: see $build/fuzz/$t.log and $artifacts"
    status=1
  fi
  # The last status line has cov:, ft: and corp:; the final stats the counts.
  last=$(grep -E '^#[0-9]+' "$build/fuzz/$t.log" | tail -1 || true)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz/$t.log" | tail -1)
  field() { sed -n "s|.* $1: *\([0-9][0-9]*\(/[0-9A-Za-z]*\)\{0,1\}\).*|\1|p" <<<"$last"; }
  printf '   %s: execs %s cov %s ft %s corpus %s exec/s %s\n' "$t" "${execs:-?}" "$(field cov)" \
    "$(field ft)" "$(field corp)" "$(field exec/s)"
done
exit $status
