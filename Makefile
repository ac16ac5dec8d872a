# The two commands of the README: `make run` and `make test`. Both set up what is
# missing on a Debian machine first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WEB_BUILD ?= build-web
WEB_SITE := $(WEB_BUILD)/site
GAME_DIR := $(BUILD)/vornu
# The build that `make install` and `make package` ship (packaging/release-build).
RELEASE_BUILD ?= build-release
PREFIX ?= /usr/local
# Compiler warnings stop the build only when asked for: the tests ask.
WERROR ?= OFF
test test-asan test-fuzz test-package: WERROR = ON

PACKAGES := cmake make g++ pkg-config clang libclang-rt-14-dev \
  libsdl2-dev libsdl2-mixer-dev libsdl2-image-dev timgm6mb-soundfont \
  libgtest-dev libgmock-dev libbenchmark-dev \
  dpkg-dev lintian desktop-file-utils appstream gettext libgettextpo-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# The browser build: Debian's WebAssembly compiler, the synthesiser and encoder that render the
# songs (sox compares them with the desktop's: web/compare-songs.sh), the source packages' tools,
# and Chromium for its tests.
WEB_PACKAGES := emscripten fluidsynth vorbis-tools sox dpkg-dev chromium

.PHONY: all deps configure build run demo test test-asan fuzz-build test-fuzz fuzz-long bench \
  bench-program monkey monkey-asan clean release install package test-package test-web bench-web web \
  web-deps serve pot finnish-sums

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNU_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(GAME_DIR) && ./vornu-lowres

# The whole game played to the credits by synthetic mouse and key events, at a watchable pace.
demo: build
	cd $(GAME_DIR) && ./vornu-demo

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-asan
	$(MAKE) test-fuzz
	$(MAKE) test-package
	$(MAKE) test-web

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORNU_SANITIZE=ON -DVORNU_BENCH=OFF \
	  -DVORNU_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DVORNU_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DVORNU_WERROR=$(WERROR)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Every fuzz target for a few seconds.
test-fuzz: fuzz-build
	cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)

# Every fuzz target (or those of FUZZ_TARGETS) for FUZZ_SECONDS each, FUZZ_PARALLEL at a time,
# with executions, coverage, peak memory and findings per target.
FUZZ_SECONDS ?= 600
FUZZ_PARALLEL ?= 1
FUZZ_TARGETS ?=
fuzz-long: fuzz-build
	fuzz/long-run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_PARALLEL) $(FUZZ_TARGETS)

# The translators' template po/vornu.pot, rewritten from the sources' texts.
pot: build
	cmake --build $(BUILD) --target pot

# The list of SHA-256 sums of the Finnish text-bearing files (tests/lang/finnish.sha256),
# rewritten from the built data: for when a change to the Finnish data is meant.
finnish-sums: build
	tests/lang/finnish-sums.sh refresh $(GAME_DIR) $(abspath tests/lang/finnish.sha256)

# Release build with Debian's hardening flags, installed below PREFIX (DESTDIR honoured).
release: deps
	packaging/release-build $(RELEASE_BUILD) $(PREFIX) $(JOBS) $(WERROR)

install: release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_BUILD) --strip

# vornu_VERSION_ARCH.deb in this folder.
package: override PREFIX = /usr
package: release
	packaging/make-deb $(RELEASE_BUILD) .

# The package checked with lintian and the validators, and played from an unpacked copy.
test-package: override PREFIX = /usr
test-package: package
	rm -rf $(RELEASE_BUILD)/install-check
	$(MAKE) install PREFIX=/usr WERROR=$(WERROR) DESTDIR=$(abspath $(RELEASE_BUILD))/install-check
	packaging/check-package $$(cut -d' ' -f1 $(RELEASE_BUILD)/debian/files) \
	  $(RELEASE_BUILD)/install-check

web-deps: deps
	@missing=""; for p in $(WEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	command -v npm >/dev/null || missing="$$missing npm"; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# The game in the browser: vornu-lowres and the robot's demo as WebAssembly, with the page and
# the game data, in $(WEB_SITE). The libraries are built once and kept in $(WEB_BUILD). -O3:
# optimising for size saved under 2 % of the program and cost a fifth of a frame's work.
web: build web-deps
	web/build-libs.sh $(WEB_BUILD) $(JOBS)
	. web/emsdk-env.sh $(WEB_BUILD) && emcmake cmake -S . -B $(WEB_BUILD)/game -DCMAKE_BUILD_TYPE=Release \
	  -DVORNU_WEB_PREFIX=$(abspath $(WEB_BUILD))/prefix -DVORNU_NATIVE_GAME_DIR=$(abspath $(GAME_DIR)) \
	  -DVORNU_SITE_DIR=$(abspath $(WEB_SITE)) > $(WEB_BUILD)/configure.log && \
	  cmake --build $(WEB_BUILD)/game -j $(JOBS)

# Serves the browser build on this machine; open the address it prints.
serve: web
	node web/serve.mjs $(WEB_SITE) $${PORT:-8080}

# The browser tests: the real page in Debian's headless Chromium.
test-web: web
	cd tests/web && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	node tests/web/run.mjs $(WEB_SITE)

# How long the browser build works on one game frame (a figure to compare builds with).
bench-web: web
	cd tests/web && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
	node tests/web/frame.mjs $(WEB_SITE)

# The whole game played by a seeded random player for a million inputs, every invariant checked
# after each; MONKEY_INPUTS=n for another count, SEED=n to replay a run (a failure prints both).
MONKEY_INPUTS ?= 1000000
MONKEY_ARGS = --inputs $(MONKEY_INPUTS) $(if $(SEED),--seed $(SEED)) --progress 100000
MONKEY = tests/monkey/driver/vornu-monkey

monkey: build
	$(BUILD)/$(MONKEY) $(MONKEY_ARGS) $(GAME_DIR)

monkey-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORNU_SANITIZE=ON -DVORNU_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target vornu-monkey
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(ASAN_BUILD)/$(MONKEY) $(MONKEY_ARGS) $(ASAN_BUILD)/vornu

# Speed benchmarks of the parts, then the whole program under a private X server.
bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$$b"; done
	$(MAKE) bench-program

BENCH_RUNS ?= 3
bench-program: build
	@$(MAKE) --no-print-directory deps PACKAGES="xvfb xdotool python3"
	python3 bench/whole_program.py $(GAME_DIR) --runs $(BENCH_RUNS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(RELEASE_BUILD) $(WEB_BUILD)
