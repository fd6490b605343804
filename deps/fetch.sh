#!/usr/bin/env bash
# Fetches the pinned Debian source packages into build/deps/src with
# `apt-get source`, through a private sources list and private index files so
# the system's own apt state is never touched. Versions are tried in the
# order deps/versions lists them; the first that downloads wins.
set -euo pipefail
source "$(dirname "$0")/common.sh"

apt_opts=(
  -o Dir::Etc::SourceList=/dev/null
  -o Dir::Etc::SourceParts="$DEPS_APT/sources.list.d"
  -o Dir::State::Lists="$DEPS_APT/lists"
  -o Dir::Cache="$DEPS_APT/cache"
)

# The mirror and keyring are whatever this machine already trusts: the
# system's sources are copied with their binary entries turned into source
# entries, so no archive address is written down here.
make_sources() {
  local out=$DEPS_APT/sources.list.d
  rm -rf "$out"; mkdir -p "$out" "$DEPS_APT/lists/partial" "$DEPS_APT/cache/archives/partial"
  local f found=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -E 's/^Types:.*$/Types: deb-src/' "$f" > "$out/$(basename "$f")"
    found=1
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -nE 's/^[[:space:]]*deb[[:space:]]+/deb-src /p' "$f" > "$out/$(basename "$f")"
    found=1
  done
  [ $found -eq 1 ] || deps_die "no apt sources found under /etc/apt"
}

updated=0
update_lists() {
  [ $updated -eq 0 ] || return 0
  make_sources
  deps_log "reading the source indexes"
  apt-get "${apt_opts[@]}" -q update >>"$log" 2>&1 || { tail -n 20 "$log" >&2; deps_die "apt-get update failed (log: $log)"; }
  updated=1
}

# Downloads and unpacks one exact version; fails without leaving a half
# unpacked tree behind. The name is the source package's: without
# --only-source apt reads it as an installed binary package of that name
# (brotli is one) and asks for that binary's source version instead.
fetch_one() {
  local pkg=$1 ver=$2
  local dir=$DEPS_SRC/$pkg-${ver//:/_} dl=$DEPS_SRC/.download-$pkg
  rm -rf "$dl" "$dir"; mkdir -p "$dl"
  if ! (cd "$dl" && apt-get "${apt_opts[@]}" -q source --only-source --download-only "$pkg=$ver" >>"$log" 2>&1); then
    # Shows the 404s that make a fallback necessary.
    grep '^E:' "$log" | tail -n 3 | sed 's/^/deps:   /' >&2 || true
    rm -rf "$dl"
    return 1
  fi
  local dsc; dsc=$(ls "$dl"/*.dsc)
  # Debian's patches (the security fixes among them) are applied here.
  dpkg-source --no-copy -x "$dsc" "$dir" >>"$log" 2>&1 || { rm -rf "$dl" "$dir"; return 1; }
  rm -rf "$dl"
  echo "$ver" > "$DEPS_SRC/$pkg.version"
}

mkdir -p "$DEPS_SRC"
log=$DEPS_SRC/fetch.log
: > "$log"
while read -r pkg versions; do
  got=""
  for ver in $versions; do
    if [ "$(deps_fetched_version "$pkg")" = "$ver" ] && [ -d "$DEPS_SRC/$pkg-${ver//:/_}" ]; then
      got=$ver; break
    fi
    update_lists
    deps_log "fetching $pkg $ver"
    if fetch_one "$pkg" "$ver"; then got=$ver; break; fi
    deps_log "$pkg $ver could not be fetched; trying the next listed version"
  done
  [ -n "$got" ] || deps_die "no listed version of $pkg could be fetched ($versions)"
  # Older unpacked versions would only confuse a later look at the tree.
  for old in "$DEPS_SRC/$pkg"-*; do
    [ "$old" = "$DEPS_SRC/$pkg-${got//:/_}" ] || rm -rf "$old"
  done
done < <(deps_pins)
