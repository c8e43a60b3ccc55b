# The two commands of the README: `make run` and `make test`.
BUILD ?= build
# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, built by
# clang so that the fuzz programs come out of the same build under its libFuzzer.
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ pkg-config \
	qt6-base-dev qt6-multimedia-dev libgif-dev libcurl4-openssl-dev \
	libgtest-dev libgmock-dev fonts-dejavu-core fonts-liberation2 \
	socat netcat-openbsd stockfish qt6-httpserver-dev qt6-websockets-dev libqt6sql6-sqlite \
	liblz4-dev zlib1g-dev clang libclang-rt-14-dev lld dovecot-pop3d curl ngircd xvfb openbox

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# Line tables are all a failing test's backtrace needs; full debug information
# doubles the compile time. The sanitizer builds also optimise less, as usual.
BUILD_FLAGS := -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
SANITIZER_FLAGS := -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"

# Any sanitizer report ends the program with an error, so the test fails, leaks
# at exit included. The suppressions name only leaks inside system libraries.
SANITIZER_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan-system.supp:print_suppressions=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# Tests never see the user's own home: each run gets a fresh one under its build folder.
TEST_HOME = rm -rf $(1)/test-home && mkdir -p $(1)/test-home/config && \
	export HOME=$(abspath $(1))/test-home XDG_CONFIG_HOME=$(abspath $(1))/test-home/config

.PHONY: deps configure configure-asan build test test-asan test-fuzz run bench clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(BUILD_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	$(call TEST_HOME,$(BUILD)) && cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300
	@$(MAKE) --no-print-directory test-asan

configure-asan: deps
	@[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(SANITIZER_FLAGS) \
	  -DCMAKE_CXX_COMPILER=clang++ -DKORVO_SANITIZE=ON -DKORVO_LIBFUZZER=ON -DKORVO_PROCESS_PER_SUITE=ON

# The whole suite, fuzz runs included.
test-asan: configure-asan
	$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(call TEST_HOME,$(ASAN_BUILD)) && cd $(ASAN_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

# The fuzz runs alone.
test-fuzz: configure-asan
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target fuzz_all
	$(call TEST_HOME,$(ASAN_BUILD)) && cd $(ASAN_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest -L fuzz --output-on-failure -j $(JOBS) --timeout 300

run: build
	tools/run-demo.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target bench_all
	@failed=""; for b in $(BUILD)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  echo "== $$b"; "$$b" || failed="$$failed $${b##*/}"; \
	done; \
	if [ -n "$$failed" ]; then echo "failed:$$failed"; exit 1; fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
