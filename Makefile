# The two everyday commands: `make run` and `make test`. Both install what is missing first.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)

.PHONY: all deps configure build test run asan fuzz bench screenshot package format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

run: build
	@scripts/run-with-service $(BUILD_DIR)

asan:
	$(MAKE) test PRESET=asan

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	ctest --preset fuzz

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

screenshot: build
	@scripts/screenshot $(BUILD_DIR)

# build/package/ardentix_<version>-<revision>_<arch>.deb (now ardentix_0.9.7-1_amd64.deb) and
# its ardentix-dbgsym .ddeb, from an optimised build with debugging symbols.
package: deps
	cmake --preset package >/dev/null
	cmake --build --preset package --target package

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format-14 -i

clean:
	rm -rf build
