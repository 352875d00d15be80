#!/usr/bin/env bash
# README.md and the vendor's guide say what the launcher runs on in one text:
# the two sections must not drift apart.
# Usage: support-statement.sh SOURCE_DIR
set -u
src=${1:?usage: support-statement.sh SOURCE_DIR}
section() {
  awk '/^## What the launcher runs on/ { on = 1; next } on && /^## / { exit } on && !/^<!--/ { print }' "$1"
}
readme=$(section "$src/README.md")
guide=$(section "$src/docs/vendor-guide.md")
[ -n "$readme" ] || { echo "README.md has no section 'What the launcher runs on'"; exit 1; }
if [ "$readme" != "$guide" ]; then
  echo "The section 'What the launcher runs on' differs between README.md and docs/vendor-guide.md:"
  diff <(echo "$readme") <(echo "$guide")
  exit 1
fi
echo "one statement of what the launcher runs on"
