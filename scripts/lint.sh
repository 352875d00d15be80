#!/usr/bin/env bash
# Static checks of the sources: clang-tidy (.clang-tidy) over the portable
# sources with the native build's compile commands, and cppcheck over the
# portable sources and, with _WIN32 defined, the Windows-only ones (which
# clang-tidy cannot compile without the Windows headers of a cross build).
# Exits non-zero on any finding. Answer a finding by fixing the code, or in
# the code: NOLINT(check) or cppcheck-suppress id, each with the reason.
#
#   scripts/lint.sh [lint-build-dir]      (default: build-lint)
#
# The directory only gets a configured native tree (-DMG_WINDOWS=OFF) for
# its compile_commands.json; nothing is built. About a minute on two cores.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-lint}
jobs=2

for tool in clang-tidy cppcheck; do
  command -v "$tool" >/dev/null || { echo "lint.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 2; }
done

# Configured every time (it is quick), so new sources are in the list.
mkdir -p "$build"
cmake -S "$root" -B "$build" -DMG_WINDOWS=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$build/configure.log" 2>&1 ||
  { cat "$build/configure.log" >&2; exit 2; }

# The module sources the native build compiles, without the tests.
mapfile -t portable < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, os, sys
root = os.path.realpath(sys.argv[2])
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if rel.startswith("..") or "/tests/" in "/" + rel or rel.split("/")[0] in ("fuzz", "bench", "examples"):
        continue
    if rel not in seen:
        seen.add(rel)
        print(path)
PY
)
# Every other module source is Windows-only.
mapfile -t windows < <(cd "$root" && for f in text/*.cpp payload/*.cpp instructions/*.cpp jvm/*.cpp launch/*.cpp \
    launcher/*.cpp ui/*.cpp tools/*.cpp bridge/*.cpp; do
  p="$root/$f"
  printf '%s\n' "${portable[@]}" | grep -qxF "$p" || echo "$p"
done)
[ ${#portable[@]} -gt 0 ] || { echo "lint.sh: no sources in $build/compile_commands.json" >&2; exit 2; }

status=0
echo "== clang-tidy: ${#portable[@]} portable sources"
log="$build/clang-tidy.log"
if ! printf '%s\0' "${portable[@]}" |
    xargs -0 -n 1 -P "$jobs" clang-tidy -p "$build" --quiet --warnings-as-errors='*' >"$log" 2>&1; then
  status=1
fi
# Only the findings, not clang-tidy's count of suppressed system-header notes.
grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter|^Error while processing' \
  "$log" || true

cppcheck_common=(--enable=warning,performance,portability --std=c++17 --language=c++ --inline-suppr
  --error-exitcode=1 --quiet -j "$jobs" -I "$root" --suppress=missingIncludeSystem
  --template='{file}:{line}: {severity}: {message} [{id}]')
echo "== cppcheck: ${#portable[@]} portable sources"
cppcheck "${cppcheck_common[@]}" "${portable[@]}" || status=1
echo "== cppcheck: ${#windows[@]} Windows sources (-D_WIN32)"
if [ ${#windows[@]} -gt 0 ]; then
  cppcheck "${cppcheck_common[@]}" -D_WIN32 -DWIN32 "${windows[@]}" || status=1
fi

if [ $status -eq 0 ]; then echo "lint: clean"; else echo "lint: findings above"; fi
exit $status
