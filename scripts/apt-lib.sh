# Package installation that survives a mirror in the middle of a sync, for
# scripts/setup.sh and the emulated machine's image (sourced, not run).
#
# A stale index for one suite or architecture ("File has unexpected size ...
# Mirror sync in progress?") makes apt-get update exit non-zero although the
# other indexes were read: the update is tried again, then work goes on with
# what was read, and only a package that cannot be installed is an error.
#
# Each function runs apt-get through "$@" of apt_run: set APT_PREFIX (an array,
# for example (chroot DIR)) to work on another root.

apt_run() {
  "${APT_PREFIX[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

apt_missing() {
  local p
  for p in "$@"; do
    "${APT_PREFIX[@]}" dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
  done
}

apt_update() {
  local try
  for try in 1 2 3; do
    if apt_run update -q; then return 0; fi
    echo "apt: update failed (try $try of 3)" >&2
    [ "$try" = 3 ] || sleep $((try * 5))
  done
  echo "apt: some package indexes could not be updated; going on with those that were" >&2
}

# apt_install WHO PACKAGE...: installs what is missing; on failure once more
# after a fresh update, then names what could not be installed and fails.
apt_install() {
  local who=$1 todo
  shift
  mapfile -t todo < <(apt_missing "$@")
  [ ${#todo[@]} -gt 0 ] || return 0
  apt_run install -y -q "${todo[@]}" && return 0
  apt_update
  mapfile -t todo < <(apt_missing "$@")
  apt_run install -y -q "${todo[@]}" && return 0
  # A mirror mid-sync may serve one architecture's update index and not the
  # other's; a library then has different candidates for amd64 and i386, and
  # apt refuses both. The release's own suite agrees across architectures.
  local release
  release=$("${APT_PREFIX[@]}" sh -c '. /etc/os-release && echo "${VERSION_CODENAME:-}"' 2>/dev/null || true)
  if [ -n "$release" ]; then
    echo "$who: trying again with $release's own versions (-t $release)" >&2
    mapfile -t todo < <(apt_missing "$@")
    apt_run install -y -q -t "$release" "${todo[@]}" && return 0
  fi
  mapfile -t todo < <(apt_missing "$@")
  echo "$who: these packages could not be installed: ${todo[*]}" >&2
  echo "$who: see apt-get's messages above; the package archive may be unreachable or mid-sync" >&2
  return 1
}
