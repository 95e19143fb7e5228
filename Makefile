# Front door: `make run`, `make test`, `make test-opt`, `make bench`.
JOBS ?= $(shell nproc)
BUILD_RELEASE := build/release
BUILD_TEST := build/test
BUILD_TEST_OPT := build/test-opt

.PHONY: run test test-opt bench deps build-release build-test build-test-opt clean

deps:
	@scripts/install-deps

build-release: deps
	@cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD_RELEASE) -j $(JOBS) --target kolvex

run: build-release
	@mkdir -p run
	cd run && ../$(BUILD_RELEASE)/kolvex

# The benchmarks are built here too (none is run), so one that no longer compiles fails CI.
build-test: deps
	@cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOLVEX_SANITIZE=ON -DKOLVEX_BENCH=ON >/dev/null
	@cmake --build $(BUILD_TEST) -j $(JOBS)

test: build-test
	cd $(BUILD_TEST) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same suite optimised, without sanitizers: code and tests must not depend on the speed of
# either build. Only the test programs are built (the fuzz targets are the sanitizer build's).
build-test-opt: deps
	@cmake -S . -B $(BUILD_TEST_OPT) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_TEST_OPT) -j $(JOBS) --target kolvex_tests

test-opt: build-test-opt
	cd $(BUILD_TEST_OPT) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Only the benchmark programs are built and run (the folder also holds *_autogen folders).
bench: deps
	@cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVEX_BENCH=ON >/dev/null
	@cmake --build build/bench -j $(JOBS) --target kolvex_benchmarks
	@status=0; for b in build/bench/bench/kolvex_bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then QT_QPA_PLATFORM=offscreen "$$b" || status=1; fi; \
	done; exit $$status

clean:
	rm -rf build
