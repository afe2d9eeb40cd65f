# make run   - install what is needed, build, and run the main job on the embedded machine
# make test  - install what is needed, build, and run every test
# make test-asan - the tests under AddressSanitizer and UndefinedBehaviorSanitizer
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS ?= 2

.PHONY: setup build run test test-unit test-fuzz test-asan clean

setup:
	@scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

run: build
	TARNWELL_TOOL=$(BUILD)/apps/tarnwell scripts/demo.sh

test: test-unit test-fuzz

test-unit: build
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure

# A short run of every fuzz target over its kept corpus (libFuzzer needs clang).
test-fuzz: setup
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_FUZZ=ON \
	  -DTARN_TESTS=OFF -DTARN_BENCH=OFF
	cmake --build $(FUZZ_BUILD) --target fuzz_all -j$(JOBS)
	ctest --test-dir $(FUZZ_BUILD) -j$(JOBS) --output-on-failure

test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARN_SANITIZE=ON -DTARN_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) -j$(JOBS) --output-on-failure

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
