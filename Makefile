# The front door: `make run` and `make test`. CMake does the real building.
#   make run               installs what is missing, builds, starts the reader
#   make test SANITIZE=1   every test under AddressSanitizer + UBSan (build-asan/)
#   make test TEST=regex   only the ctest cases matching regex
#   make bench             the benchmarks (Release build in build-release/)
#   make fuzz              every fuzzer for FUZZ_SECONDS (default 60) each (clang, build-fuzz/)
#   make windows           velnori.exe and vln.exe for Windows (mingw-w64, build-windows/)
#   make windows-test      the Windows programs' tests under Wine
#   make package           the Debian package, build/velnori_VERSION_amd64.deb

SANITIZE ?=
TEST ?=
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
BUILD := build-asan
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DVELNORI_SANITIZE=ON -DVELNORI_BENCH=OFF
else
BUILD := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

DEPS := scripts/install-deps.sh

.PHONY: all deps build test run bench clean

all: build

deps:
	@$(DEPS) build qt desktop lsp

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(if $(TEST),-R '$(TEST)')

# The reader itself. Without a display Qt would abort with a page of
# messages; one line says what is wrong instead, before anything is
# installed or built.
run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display to open the reader's window on (DISPLAY is not set)" >&2; \
	  exit 1; \
	fi
	@$(MAKE) --no-print-directory build
	$(BUILD)/window/velnori

bench: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release -j $(JOBS)
	@for b in build-release/bench/*_bench; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
	@echo "== window start-up (its own Xvfb and openbox)"; bench/window/WindowStart.sh build-release

# Fuzzing: clang's libFuzzer with AddressSanitizer and UBSan. Each fuzzer
# starts from a scratch copy of its seeds in fuzz/corpus/; a crash fails.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := story_events list_item story_bytes lsp_stream

.PHONY: fuzz
fuzz:
	@$(DEPS) build fuzz
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVELNORI_FUZZ=ON -DVELNORI_WITH_QT=OFF -DVELNORI_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target $(addsuffix _fuzzer,$(FUZZ_TARGETS))
	fuzz/run-fuzzers.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Windows: cross-built with mingw-w64, tested under Wine on an X desktop.
.PHONY: windows windows-test
windows:
	@$(DEPS) build windows
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build build-windows -j $(JOBS)

windows-test: windows
	@$(DEPS) desktop lsp
	cd build-windows && ctest --output-on-failure -j $(JOBS) $(if $(TEST),-R '$(TEST)')

# The Debian package (build/velnori_VERSION_amd64.deb), and what CI checks of
# it: lintian, then install, try and remove it system-wide (root or sudo).
.PHONY: package package-check
package: build
	@$(DEPS) package
	cmake --build $(BUILD) --target package

package-check: package
	packaging/check-package.sh $(BUILD)

clean:
	rm -rf build build-asan build-release build-windows
