# The two commands a developer needs: `make run` and `make test`.
# Both run the setup script first; it returns at once when nothing is missing.

JOBS ?= 2
ROOT := $(CURDIR)

.PHONY: setup deps configure build host win win64 test run fuzz bench clean

setup:
	@tools/setup.sh

# The image and cache libraries of the Windows tree, cross-built once into build/deps and
# reused while deps/versions and the scripts are unchanged (quick then).
deps: setup
	@JOBS=$(JOBS) deps/build.sh

build/host/build.ninja: CMakeLists.txt
	CC=clang CXX=clang++ cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMA_SANITIZE=ON

build/bench/build.ninja: CMakeLists.txt
	CC=clang CXX=clang++ cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEMA_SANITIZE=OFF

# The benchmarks again with what ships: gcc 12 (the cross compiler's version)
# and the Windows tree's build type and flags.
build/bench-shipped/build.ninja: CMakeLists.txt
	CC=gcc CXX=g++ cmake -S . -B build/bench-shipped -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DZEMA_SANITIZE=OFF

build/win/build.ninja: CMakeLists.txt cmake/mingw-i686.cmake | deps
	cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-i686.cmake

# The same sources for 64-bit Windows: the tests' tree on machines whose
# kernel runs no 32-bit code, where only 64-bit Wine works.
build/win64/build.ninja: CMakeLists.txt cmake/mingw-x86_64.cmake | setup
	cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/mingw-x86_64.cmake

host: setup build/host/build.ninja
	ninja -C build/host -j $(JOBS)

win: setup deps build/win/build.ninja
	ninja -C build/win -j $(JOBS)

win64: setup build/win64/build.ninja
	ninja -C build/win64 -j $(JOBS)

# The shipped 32-bit tree always; the 64-bit one where Wine runs only that.
build: host win
	@if [ "$$(tools/wine-arch.sh)" = x86_64 ]; then $(MAKE) --no-print-directory win64; fi

test: build
	tools/run-tests.sh

run: build
	tools/run-viewer.sh

# Every codec fuzz target in turn for SECONDS_PER_TARGET each (fuzz/targets.txt
# lists them); FUZZ_TARGETS="gif png" runs only those.
SECONDS_PER_TARGET ?= 60
FUZZ_TARGETS ?=
fuzz: setup build/host/build.ninja
	ninja -C build/host -j $(JOBS) fuzzers
	tools/run-fuzz.sh --per-target $(SECONDS_PER_TARGET) build/host/fuzz $(FUZZ_TARGETS)

# The Image browser's scan benchmark runs the shipped Windows build under
# Wine: the tree this machine's Wine runs, as `make build` picks it.
WIN_TREE = $(if $(filter x86_64,$(shell tools/wine-arch.sh)),win64,win)

bench: setup build/bench/build.ninja build/bench-shipped/build.ninja build/$(WIN_TREE)/build.ninja
	ninja -C build/bench -j $(JOBS) benchmarks
	ninja -C build/bench-shipped -j $(JOBS) benchmarks
	ninja -C build/$(WIN_TREE) -j $(JOBS) scan_bench
	tools/run-bench.sh

clean:
	rm -rf build
