# Two commands for users: `make run` and `make test`. Both set up and build first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: setup web cpp cpp-asan cpp-tsan cpp-windows build package package-windows run test test-js test-browser test-cpp test-windows lint

setup:
	@bash scripts/setup.sh

web: setup
	@node scripts/build-web.mjs

cpp: setup
	@cmake -S . -B build/cpp $(CMAKE_FLAGS) >/dev/null && cmake --build build/cpp -j$(JOBS)

cpp-asan: setup
	@cmake -S . -B build/asan $(CMAKE_FLAGS) -DVERHULZEN_SANITIZE=ON >/dev/null && cmake --build build/asan -j$(JOBS)

cpp-tsan: setup
	@cmake -S . -B build/tsan $(CMAKE_FLAGS) -DVERHULZEN_SANITIZE_THREADS=ON >/dev/null && cmake --build build/tsan -j$(JOBS)

# The Windows build, cross-compiled with mingw-w64; its programs run here under Wine.
cpp-windows: setup
	@cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(CMAKE_FLAGS) >/dev/null && cmake --build build/win -j$(JOBS)

build: web cpp

# The program the user starts, dist/DrovelVerhulzen, checked by its own self-test.
package: build
	@bash scripts/package.sh

# The Windows program, dist/windows/DrovelVerhulzen.exe.
package-windows: build cpp-windows
	@bash scripts/package-windows.sh

# The packaged program, as the user runs it.
run: package
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$VERHULZEN_GEEN_BROWSER" ]; then \
	  echo "Geen beeldscherm gevonden. Start zonder venster met: VERHULZEN_GEEN_BROWSER=1 make run"; \
	  echo "De server draait dan 30 seconden op 127.0.0.1; kies de duur met VERHULZEN_LOOPTIJD=<seconden>."; \
	  exit 1; fi
	@dist/DrovelVerhulzen

test: lint test-js test-cpp test-browser package test-windows

# Checks of the sources themselves, which change nothing: the page's import graph
# has no circles, every C++ include points down, and the JavaScript and the C++
# keep the repository's lint and format rules.
lint: web cpp
	@node scripts/import-graph.mjs >/dev/null
	@node scripts/include-graph.mjs >/dev/null
	@node_modules/.bin/eslint web/src
	@JOBS=$(JOBS) bash scripts/lint-cpp.sh

test-js: web
	@node --test tests/js/

# Four files at a time: each test file has its own browser, server and program.
test-browser: build
	@node --test --test-concurrency=4 tests/browser/

# The same suite three times: as built, under AddressSanitizer and
# UndefinedBehaviorSanitizer, and under ThreadSanitizer.
test-cpp: cpp cpp-asan cpp-tsan
	@ctest --test-dir build/cpp --output-on-failure -j$(JOBS)
	@ctest --test-dir build/asan --output-on-failure -j$(JOBS)
	@ctest --test-dir build/tsan --output-on-failure -j$(JOBS)

# The Windows unit tests under Wine, then the Windows package's smoke test.
test-windows: package-windows
	@ctest --test-dir build/win --output-on-failure
	@bash tests/windows/smoke.sh
