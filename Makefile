# The two commands: `make run` and `make test`. Both first install what is missing (Debian 12).
# setup and build are helpers for those two.

JOBS := 2
CONFIGURE := cmake -S . -G Ninja -DQUANTELO_WERROR=ON
CTEST := ctest --output-on-failure -j$(JOBS) --no-tests=error

# The build directories; the main one is GCC, optimised, as the program ships.
MAIN_BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
# The core and the measurement in images, cross-built for 64-bit ARM and tested under user-mode
# QEMU: same digits and places there.
ARM_BUILD := build-aarch64
MAIN_CONFIGURE := CC=gcc CXX=g++ $(CONFIGURE) -B $(MAIN_BUILD) -DCMAKE_BUILD_TYPE=Release

# Configures, builds and tests one build directory: $(1) the directory, $(2) its configure command.
define build_and_test
	$(2)
	cmake --build $(1) -j$(JOBS)
	$(CTEST) --test-dir $(1)
endef

.PHONY: run test setup build package

setup:
	bash tools/setup-debian.sh

build: setup
	$(MAIN_CONFIGURE)
	cmake --build $(MAIN_BUILD) -j$(JOBS)

run: build
	exec $(MAIN_BUILD)/bin/quantelo

# The Debian package, in build/: quantelo_VERSION_ARCH.deb.
package: build
	cd $(MAIN_BUILD) && cpack -G DEB

# The main build runs last, so the closing test summary is its own.
test: setup
	$(call build_and_test,$(ASAN_BUILD),CC=clang CXX=clang++ $(CONFIGURE) -B $(ASAN_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUANTELO_SANITIZE=ON -DQUANTELO_BENCH=OFF)
	$(call build_and_test,$(FUZZ_BUILD),CC=clang CXX=clang++ $(CONFIGURE) -B $(FUZZ_BUILD) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUANTELO_FUZZ=ON -DQUANTELO_BENCH=OFF)
	$(call build_and_test,$(ARM_BUILD),$(CONFIGURE) -B $(ARM_BUILD) -DCMAKE_BUILD_TYPE=Release \
	  -DQUANTELO_GUI=OFF -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake)
	$(call build_and_test,$(MAIN_BUILD),$(MAIN_CONFIGURE))
