#!/usr/bin/env bash
# Cross-builds the image libraries and the cache libraries (brotli and zstd
# decoders, SQLite) of a Windows tree as static libraries of
# its architecture (ZEMA_ARCH, i686 by default) into build/deps/ARCH
# (include/, lib/). Returns at once when the
# stamp shows the same pins, scripts and toolchain as the installed build;
# otherwise fetches what is missing and rebuilds everything, since one
# library's headers feed the next (zlib and jpeg into tiff).
set -euo pipefail
source "$(dirname "$0")/common.sh"

triple=$DEPS_ARCH-w64-mingw32
toolchain=$ZEMA_ROOT/cmake/mingw-$DEPS_ARCH.cmake
mingw_root=/usr/$triple
zlib_lib=$mingw_root/lib/libz.a

# Everything that decides what the build produces; any change in it means a
# rebuild, nothing else does.
stamp_key() {
  echo "pins:"
  deps_pins
  echo "scripts: $(cd "$ZEMA_ROOT" && cat deps/versions deps/*.sh cmake/mingw-*.cmake | sha256sum | cut -d' ' -f1)"
  echo "compiler: $($triple-gcc-posix -dumpfullversion) $(nasm -v | cut -d' ' -f3)"
  echo "zlib: $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || echo unknown)"
}

mkdir -p "$DEPS_DIR"
# Several trees (or engineers) may configure at once; one builds, the others
# wait and then find the stamp.
exec 9>"$DEPS_DIR/.lock-$DEPS_ARCH"
flock 9

key=$(stamp_key)
if [ -f "$DEPS_STAMP" ] && [ "$(grep -v '^fetched ' "$DEPS_STAMP")" = "$key" ]; then
  exit 0
fi

[ -f "$zlib_lib" ] || deps_die "$zlib_lib is missing (package libz-mingw-w64-dev)"
command -v nasm >/dev/null || deps_die "nasm is missing; libjpeg-turbo's SIMD code needs it"

started=$SECONDS
# The sources are shared by both architectures: one fetch at a time.
flock "$DEPS_DIR/.lock-fetch" "$DEPS_SCRIPTS/fetch.sh"

rm -rf "$DEPS_PREFIX" "$DEPS_WORK"
mkdir -p "$DEPS_PREFIX/include" "$DEPS_PREFIX/lib" "$DEPS_WORK"

# Each step's output goes to its own log; only a failure shows it.
step() {
  local name=$1; shift
  local log=$DEPS_WORK/$name.log
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    deps_die "$name failed (full log: $log)"
  fi
}

cmake_common=(
  -G Ninja
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_INSTALL_PREFIX="$DEPS_PREFIX"
  -DBUILD_SHARED_LIBS=OFF
  -DZLIB_INCLUDE_DIR="$mingw_root/include"
  -DZLIB_LIBRARY="$zlib_lib"
)

build_jpeg() {
  local src; src=$(deps_source_dir libjpeg-turbo)
  local b=$DEPS_WORK/libjpeg-turbo
  deps_log "building libjpeg-turbo $(deps_fetched_version libjpeg-turbo)"
  step libjpeg-turbo cmake -S "$src" -B "$b" "${cmake_common[@]}" \
    -DCMAKE_ASM_NASM_COMPILER=nasm \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DREQUIRE_SIMD=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DWITH_12BIT=OFF
  # Only the library target: the static tools would be built by "all".
  step libjpeg-turbo ninja -C "$b" -j "$JOBS" jpeg-static
  cp "$b/libjpeg.a" "$DEPS_PREFIX/lib/"
  cp "$b/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$DEPS_PREFIX/include/"
  grep -q 'define JPEG_LIB_VERSION  *62' "$b/jconfig.h" || deps_die "libjpeg-turbo is not the 6b interface"
}

build_png() {
  local src; src=$(deps_source_dir libpng1.6)
  local b=$DEPS_WORK/libpng
  deps_log "building libpng $(deps_fetched_version libpng1.6)"
  step libpng cmake -S "$src" -B "$b" "${cmake_common[@]}" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_EXECUTABLES=OFF -DPNG_TESTS=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXECUTABLES=ON \
    -DSKIP_INSTALL_FILES=ON -DSKIP_INSTALL_EXPORT=ON
  step libpng ninja -C "$b" -j "$JOBS" png_static
  step libpng cmake --install "$b"
}

build_tiff() {
  local src; src=$(deps_source_dir tiff)
  local b=$DEPS_WORK/tiff
  deps_log "building tiff $(deps_fetched_version tiff)"
  # zlib and jpeg only: every other external codec would need more libraries
  # in the Windows tree.
  step tiff cmake -S "$src" -B "$b" "${cmake_common[@]}" \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF \
    -Dcxx=OFF -Dzlib=ON -Dpixarlog=ON -Djpeg=ON -Dold-jpeg=ON -Djpeg12=OFF \
    -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Dlibdeflate=OFF -Dlerc=OFF \
    -Dsphinx=OFF \
    -DJPEG_INCLUDE_DIR="$DEPS_PREFIX/include" -DJPEG_LIBRARY="$DEPS_PREFIX/lib/libjpeg.a"
  step tiff ninja -C "$b" -j "$JOBS" tiff
  step tiff cmake --install "$b"
}

build_openjpeg() {
  local src; src=$(deps_source_dir openjpeg2)
  local b=$DEPS_WORK/openjpeg
  deps_log "building openjpeg $(deps_fetched_version openjpeg2)"
  step openjpeg cmake -S "$src" -B "$b" "${cmake_common[@]}" \
    -DBUILD_STATIC_LIBS=ON -DBUILD_CODEC=OFF -DBUILD_DOC=OFF -DBUILD_TESTING=OFF \
    -DBUILD_JPIP=OFF -DBUILD_JAVA=OFF -DBUILD_VIEWER=OFF -DBUILD_UNIT_TESTS=OFF \
    -DBUILD_PKGCONFIG_FILES=ON
  step openjpeg ninja -C "$b" -j "$JOBS" openjp2
  step openjpeg cmake --install "$b"
  rm -rf "$DEPS_PREFIX/share"  # its man page
}

build_jbig() {
  local src; src=$(deps_source_dir jbigkit)
  local b=$DEPS_WORK/jbigkit
  deps_log "building jbigkit $(deps_fetched_version jbigkit)"
  # The upstream Makefile builds in place; a copy keeps the source pristine.
  cp -r "$src/libjbig" "$b"
  step jbigkit make -C "$b" -j "$JOBS" libjbig.a \
    CC=$triple-gcc-posix AR=$triple-ar CFLAGS="-O2 -W -Wall -ansi"
  cp "$b/libjbig.a" "$DEPS_PREFIX/lib/"
  cp "$b/jbig.h" "$b/jbig_ar.h" "$DEPS_PREFIX/include/"
}

build_webp() {
  local src; src=$(deps_source_dir libwebp)
  local b=$DEPS_WORK/libwebp
  deps_log "building libwebp $(deps_fetched_version libwebp)"
  step libwebp cmake -S "$src" -B "$b" "${cmake_common[@]}" \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF \
    -DWEBP_BUILD_EXTRAS=OFF
  # The decoder library alone; the project's demux target would pull in the
  # encoder, so its two sources are compiled here against the decoder.
  step libwebp ninja -C "$b" -j "$JOBS" webpdecoder
  local f
  for f in demux anim_decode; do
    step libwebp $triple-gcc-posix -O2 -DNDEBUG -DHAVE_CONFIG_H -I"$b" -I"$src" \
      -c "$src/src/demux/$f.c" -o "$b/$f.o"
  done
  step libwebp $triple-ar rcs "$b/libwebpdemux.a" "$b/demux.o" "$b/anim_decode.o"
  cp "$b/libwebpdecoder.a" "$b/libwebpdemux.a" "$DEPS_PREFIX/lib/"
  mkdir -p "$DEPS_PREFIX/include/webp"
  cp "$src/src/webp/decode.h" "$src/src/webp/demux.h" "$src/src/webp/mux_types.h" \
    "$src/src/webp/types.h" "$DEPS_PREFIX/include/webp/"
}

# Compiles C files with the cross compiler into one static library; for the
# libraries whose own builds bring more than the few files the viewer needs.
compile_static() {
  local name=$1 lib=$2; shift 2
  local b=$DEPS_WORK/$name objs=() f o
  mkdir -p "$b"
  for f in "$@"; do
    case $f in -*) continue ;; esac
    o=$b/$(basename "${f%.c}").o
    step "$name" $triple-gcc-posix -O2 -DNDEBUG "${cflags[@]}" -c "$f" -o "$o"
    objs+=("$o")
  done
  rm -f "$b/$lib"
  step "$name" $triple-ar rcs "$b/$lib" "${objs[@]}"
  cp "$b/$lib" "$DEPS_PREFIX/lib/"
}

build_brotli() {
  local src; src=$(deps_source_dir brotli)
  deps_log "building brotli $(deps_fetched_version brotli)"
  # The decoder alone: the viewer only reads what servers compressed.
  local cflags=(-I"$src/c/include")
  compile_static brotli libbrotlicommon.a "$src"/c/common/*.c
  compile_static brotli libbrotlidec.a "$src"/c/dec/*.c
  mkdir -p "$DEPS_PREFIX/include/brotli"
  cp "$src"/c/include/brotli/{decode.h,port.h,types.h} "$DEPS_PREFIX/include/brotli/"
}

build_zstd() {
  local src; src=$(deps_source_dir libzstd)
  deps_log "building zstd $(deps_fetched_version libzstd)"
  # Decompression only, without the legacy formats; the assembly Huffman
  # decoder is written for the System V calling convention, not Windows'.
  local cflags=(-I"$src/lib" -I"$src/lib/common" -DZSTD_DISABLE_ASM -DZSTD_LEGACY_SUPPORT=0
    -DZSTD_MULTITHREAD=0 -DZSTD_NO_TRACE)
  compile_static zstd libzstd.a "$src"/lib/common/*.c "$src"/lib/decompress/*.c
  cp "$src/lib/zstd.h" "$src/lib/zstd_errors.h" "$DEPS_PREFIX/include/"
}

build_sqlite() {
  local src; src=$(deps_source_dir sqlite3)
  local b=$DEPS_WORK/sqlite3
  deps_log "building sqlite3 $(deps_fetched_version sqlite3)"
  # The source package holds the full tree: its amalgamation is generated
  # with the host's compiler and tclsh, then cross-compiled.
  mkdir -p "$b"
  (cd "$b" && step sqlite3 "$src/configure" --disable-tcl --disable-readline)
  step sqlite3 make -C "$b" -j "$JOBS" sqlite3.c
  # Only reads databases another program wrote: no extensions loaded, no
  # shared cache, no deprecated calls; threads serialised by SQLite itself;
  # file: names allowed, so a copied cache opens with ?immutable=1.
  local cflags=(-DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_OMIT_SHARED_CACHE
    -DSQLITE_OMIT_DEPRECATED -DSQLITE_DEFAULT_MEMSTATUS=0 -DSQLITE_DQS=0 -DSQLITE_USE_URI=1)
  compile_static sqlite3 libsqlite3.a "$b/sqlite3.c"
  cp "$b/sqlite3.h" "$DEPS_PREFIX/include/"
}

build_jpeg
build_png
build_tiff
build_openjpeg
build_jbig
build_webp
build_brotli
build_zstd
build_sqlite

# Written last: an interrupted build leaves no stamp and is redone.
{
  echo "$key"
  while read -r pkg _; do echo "fetched $pkg $(deps_fetched_version "$pkg")"; done < <(deps_pins)
} > "$DEPS_STAMP"
deps_log "built in $((SECONDS - started)) s into $DEPS_PREFIX"
