# make run   installs what is missing, builds an optimised program and starts it on the demo
# make test  installs what is missing, builds with the sanitizers and runs every test
JOBS        ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR    := build/asan
FUZZ_DIR    := build/fuzz
FUZZ_SECONDS ?= 20

.PHONY: all deps run test build build-test fuzz bench format clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	@scripts/run-demo $(RELEASE_DIR)

build-test: deps
	@cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DPW_SANITIZE=ON \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

# The bounded libFuzzer runs come first so that CTest's summary closes the output.
test: build-test
	@$(MAKE) --no-print-directory fuzz
	@cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# libFuzzer runs of the parsers for a bounded time each (skipped when clang is absent).
fuzz: deps
	@if command -v clang++ >/dev/null 2>&1; then \
	    CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DPW_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null && \
	    cmake --build $(FUZZ_DIR) -j $(JOBS) && \
	    for f in $(FUZZ_DIR)/tests/fuzz/fuzz_*; do \
	        name=$$(basename $$f); corpus=$$(mktemp -d); \
	        cp tests/fuzz/corpus/$$name/* $$corpus/ 2>/dev/null; \
	        echo "fuzzing $$name for $(FUZZ_SECONDS) s"; \
	        $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 -print_final_stats=0 $$corpus 2>$$corpus.log || \
	            { tail -n 60 $$corpus.log; rm -rf $$corpus $$corpus.log; exit 1; }; \
	        tail -n 1 $$corpus.log; rm -rf $$corpus $$corpus.log; \
	    done; \
	else echo "clang++ not found: libFuzzer runs skipped"; fi

bench: build
	@for b in $(RELEASE_DIR)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
	@bench/bench_ftp.sh $(RELEASE_DIR)/src/cli/pagewright-cli

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
