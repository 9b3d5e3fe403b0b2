# Two commands for users: `make run` and `make test`. Both set up and build first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: setup web cpp cpp-asan build run test test-js test-browser test-cpp

setup:
	@bash scripts/setup.sh

web: setup
	@node scripts/build-web.mjs

cpp: setup
	@if [ -f CMakeLists.txt ]; then \
	  cmake -S . -B build/cpp $(CMAKE_FLAGS) >/dev/null && cmake --build build/cpp -j$(JOBS); fi

cpp-asan: setup
	@if [ -f CMakeLists.txt ]; then \
	  cmake -S . -B build/asan $(CMAKE_FLAGS) -DVERHULZEN_SANITIZE=ON >/dev/null && cmake --build build/asan -j$(JOBS); fi

build: web cpp

run: build
	@node scripts/serve-web.mjs

test: test-js test-cpp test-browser

test-js: web
	@node --test tests/js/

test-browser: build
	@if [ -d tests/browser ]; then node --test --test-concurrency=1 tests/browser/; fi

test-cpp: cpp cpp-asan
	@if [ -f CMakeLists.txt ]; then \
	  ctest --test-dir build/cpp --output-on-failure -j$(JOBS) && \
	  ctest --test-dir build/asan --output-on-failure -j$(JOBS); fi
