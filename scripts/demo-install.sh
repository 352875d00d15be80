#!/usr/bin/env bash
# The install path of the demo: the launcher installs the bundled JVM with our
# small installer into a temporary directory, runs the sample with it and
# removes it again. Usage: scripts/demo-install.sh [build-dir]
exec "$(dirname "$0")/demo.sh" --install "$@"
