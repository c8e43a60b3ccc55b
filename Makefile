# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

PACKAGES := cmake ninja-build g++ pkg-config \
	qt6-base-dev qt6-multimedia-dev libgif-dev libcurl4-openssl-dev \
	libgtest-dev libgmock-dev fonts-dejavu-core \
	socat netcat-openbsd stockfish qt6-httpserver-dev qt6-websockets-dev libqt6sql6-sqlite \
	liblz4-dev zlib1g-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build test run bench clean

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
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	tools/run-demo.sh $(BUILD)

bench: build
	cmake --build $(BUILD) --target bench_all
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

clean:
	rm -rf $(BUILD)
