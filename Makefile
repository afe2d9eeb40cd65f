# make run   - install what is needed, build, and run the main job on the embedded machine
# make test  - install what is needed, build, and run every test
# make test-asan - the tests under AddressSanitizer and UndefinedBehaviorSanitizer
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= 2

.PHONY: setup build run test test-asan clean

setup:
	@scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

run: build
	TARNWELL_TOOL=$(BUILD)/apps/tarnwell scripts/demo.sh

test: build
	ctest --test-dir $(BUILD) -j$(JOBS) --output-on-failure

test-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARN_SANITIZE=ON -DTARN_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) -j$(JOBS) --output-on-failure

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
