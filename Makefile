# make run   - install what is needed, build, and run the main job on the embedded machine
# make test  - install what is needed, build, and run every test
# make test-asan - the tests under AddressSanitizer and UndefinedBehaviorSanitizer
# make test-windows - both Windows builds, and the 64-bit one's tests under Wine
# make build-release - the Release build a user makes (programs only), warnings shown, not fatal
# The project's own builds treat warnings as errors; a user's plain cmake build does not.
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
RELEASE_BUILD ?= build-release
WIN64_BUILD ?= build-win64
WIN32_BUILD ?= build-win32
JOBS ?= 2

.PHONY: setup build run test test-unit test-fuzz test-asan build-release setup-windows \
  build-windows test-windows clean

setup:
	@scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

run: build
	TARNWELL_TOOL=$(BUILD)/apps/tarnwell scripts/demo.sh

test: test-unit test-fuzz

test-unit: build
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure

# A short run of every fuzz target over its kept corpus (libFuzzer needs clang).
test-fuzz: setup
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_FUZZ=ON \
	  -DTARN_TESTS=OFF -DTARN_BENCH=OFF -DTARN_WERROR=ON
	cmake --build $(FUZZ_BUILD) --target fuzz_all -j$(JOBS)
	ctest --test-dir $(FUZZ_BUILD) -j$(JOBS) --output-on-failure

test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARN_SANITIZE=ON -DTARN_BENCH=OFF \
	  -DTARN_WERROR=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) -j$(JOBS) --output-on-failure

# Without tests and benchmarks, to keep CI short: what matters is that the optimiser's build of
# the product compiles.
build-release: setup
	cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DTARN_TESTS=OFF -DTARN_BENCH=OFF \
	  -DTARN_WERROR=OFF
	cmake --build $(RELEASE_BUILD) -j$(JOBS)

setup-windows:
	@scripts/setup-windows.sh

# The 64-bit build with its tests; the 32-bit build (the programs only: this machine runs no
# 32-bit code) checked to be PE32 images.
build-windows: setup-windows
	cmake -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_BENCH=OFF -DTARN_WERROR=ON
	cmake --build $(WIN64_BUILD) -j$(JOBS)
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-i686.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_BENCH=OFF -DTARN_TESTS=OFF -DTARN_WERROR=ON
	cmake --build $(WIN32_BUILD) -j$(JOBS)
	scripts/check-image.sh pei-x86-64 $(WIN64_BUILD)/apps/uninstall.exe
	scripts/check-image.sh pei-i386 $(WIN32_BUILD)/apps/uninstall.exe

test-windows: build-windows
	scripts/test-windows.sh $(WIN64_BUILD) $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(RELEASE_BUILD) $(WIN64_BUILD) $(WIN32_BUILD)
