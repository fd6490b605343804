#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a Debian 12
# machine. Idempotent: a second run finds every package and returns quickly.
set -euo pipefail

packages=(
  # Windows build
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev libz-mingw-w64-dev nasm cmake ninja-build make pkg-config
  # the 64-bit test tree, for machines whose kernel runs no 32-bit code
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev
  dpkg-dev autoconf automake libtool
  # SQLite's amalgamation is generated from its source package with tclsh
  tcl
  # host build, tests, fuzzing and benchmarks
  g++ clang libclang-rt-14-dev googletest
  libjpeg-dev libpng-dev libtiff-dev libopenjp2-7-dev libjbig-dev libwebp-dev zlib1g-dev
  libgif-dev libstb-dev libvips-dev imagemagick
  # the cache readers' libraries, and the tools that compress the body tests' inputs
  libbrotli-dev libzstd-dev libsqlite3-dev brotli zstd gzip
  # Wine on a virtual display, driven by the end-to-end tests
  wine wine32:i386 wine64 xvfb openbox xdotool x11-utils python3
  # real browser caches for the cache readers' tests and benchmark
  chromium firefox-esr
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}"
# A mirror caught mid-sync can fail one index for minutes: try again, then go
# on with the indexes that did arrive.
indexes_whole=false
for attempt in 1 2 3; do
  if $sudo apt-get update -q; then indexes_whole=true; break; fi
  echo "setup: package index update failed (attempt $attempt)" >&2
  sleep 20
done
install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"; }
if ! install "${missing[@]}"; then
  $indexes_whole && exit 1
  # Without the security index of one architecture, a library shared by the
  # 32- and 64-bit trees (Wine's) has its update on one side only and the two
  # cannot match: take the release's own versions on both sides.
  echo "setup: installing the release's versions, the update index being incomplete" >&2
  install -t bookworm "${missing[@]}"
fi
