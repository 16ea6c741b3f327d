# make run   installs what is missing, builds an optimised program and starts it on the demo
# make test  installs what is missing, builds with the sanitizers and runs every test
JOBS        ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR    := build/asan
TSAN_DIR    := build/tsan
# The threaded tests: the FTP client against a live server, the workers, the sessions and the
# news page and the remote pane, whose workers hand their events to the window, and the
# transfer queue with its worker, and its journal saved from many threads.
TSAN_TESTS  := test_ftp_client test_ftp_failures test_ftp_cli test_main_worker test_ftp_session test_news_flows test_news_editor test_ftp_panes test_transfer_queue test_transfer_drop test_transfer_journal
FUZZ_DIR    := build/fuzz
FUZZ_SECONDS ?= 20

.PHONY: all deps run test build build-test tsan fuzz bench format clean

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

# The threaded tests under ThreadSanitizer, in a build folder of their own.
tsan: deps
	@cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DPW_TSAN=ON \
	    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TESTS) pagewright-cli
	@cd $(TSAN_DIR) && QT_QPA_PLATFORM=offscreen \
	    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$(CURDIR)/tests/tsan.supp" \
	    ctest --output-on-failure -j $(JOBS) -R '^($(shell echo $(TSAN_TESTS) | tr ' ' '|'))$$'

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
