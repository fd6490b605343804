# Shared by the dependency scripts: where things live and what is pinned.
# Sourced, not run.

ZEMA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DEPS_SCRIPTS=$ZEMA_ROOT/deps
# Overridable so a scratch tree can keep its own copy, but by default every
# Windows tree of the checkout shares one build of the libraries.
DEPS_DIR=${ZEMA_DEPS_DIR:-$ZEMA_ROOT/build/deps}
# A different pin list is only for trying a version out by hand.
DEPS_VERSIONS=${ZEMA_DEPS_VERSIONS:-$DEPS_SCRIPTS/versions}
DEPS_SRC=$DEPS_DIR/src
DEPS_WORK=$DEPS_DIR/work/${ZEMA_ARCH:-i686}
# The Windows architecture: i686 for the shipped programs; x86_64 for the test
# tree of machines whose kernel runs no 32-bit code (tools/wine-arch.sh).
DEPS_ARCH=${ZEMA_ARCH:-i686}
case "$DEPS_ARCH" in i686|x86_64) ;; *) echo "deps: unknown ZEMA_ARCH $DEPS_ARCH" >&2; exit 1 ;; esac
DEPS_PREFIX=$DEPS_DIR/$DEPS_ARCH
DEPS_STAMP=$DEPS_PREFIX/.stamp
DEPS_APT=$DEPS_DIR/apt
JOBS=${JOBS:-2}

deps_log() { echo "deps: $*" >&2; }
deps_die() { echo "deps: error: $*" >&2; exit 1; }

# Prints "package version version..." for every pinned package.
deps_pins() {
  sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$DEPS_VERSIONS" | tr -s ' \t' ' '
}

# The version that was actually fetched for a package (a fallback may have
# been taken), empty when it has not been fetched yet.
deps_fetched_version() {
  [ -f "$DEPS_SRC/$1.version" ] && cat "$DEPS_SRC/$1.version" || true
}

# Source directory of a fetched package.
deps_source_dir() {
  local v; v=$(deps_fetched_version "$1")
  [ -n "$v" ] || deps_die "$1 has not been fetched"
  echo "$DEPS_SRC/$1-${v//:/_}"
}
