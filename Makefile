# The front door: `make run` and `make test`. CMake does the real building.
#   make run               installs what the reader needs, builds it and vln, starts it
#   make programs          the same without starting it (build/window/velnori, build/tools/vln/vln)
#   make test SANITIZE=1   every test under AddressSanitizer + UBSan (build-asan/)
#   make test TEST=regex   only the ctest cases matching regex
#   make bench             the benchmarks (Release build in build-release/)
#   make fuzz              every fuzzer for FUZZ_SECONDS (default 60) each (clang, build-fuzz/)
#   make windows           velnori.exe and vln.exe for Windows (mingw-w64, build-windows/)
#   make windows-test      the Windows programs' tests under Wine
#   make package           the Debian package, build/velnori_VERSION_amd64.deb
#   make wasm              vln as WebAssembly for WASI, build-wasm/tools/vln/vln.wasm
#   make wasm-test         vln.wasm's tests under Node (make test runs them too)

SANITIZE ?=
TEST ?=
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
BUILD := build-asan
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DVELNORI_SANITIZE=ON
BENCH := OFF
else
BUILD := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
BENCH := ON
endif

DEPS := scripts/install-deps.sh

.PHONY: all deps deps-run build programs test run bench clean

all: build

# What `make test` needs installed, and what `make run` needs: the reader and
# vln alone (scripts/check-deps-groups.sh keeps the second inside the first).
deps:
	@$(DEPS) test
deps-run:
	@$(DEPS) run

# `make run` and `make test` share the build folder and its objects. A folder
# `make run` configured has no tests, so `make test` turns them on; a folder
# with tests stays as it is for `make run`, which builds its two programs only.
build: deps
	@grep -qx 'VELNORI_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt 2>/dev/null && [ -f $(BUILD)/Makefile ] || \
	  { set -x; cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DVELNORI_TESTS=ON -DVELNORI_BENCH=$(BENCH); }
	cmake --build $(BUILD) -j $(JOBS)

programs: deps-run
	@[ -f $(BUILD)/Makefile ] || \
	  { set -x; cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DVELNORI_TESTS=OFF -DVELNORI_BENCH=OFF; }
	cmake --build $(BUILD) -j $(JOBS) --target velnori vln

# vln.wasm's tests follow the native ones; the sanitizers have no WASI build.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(if $(TEST),-R '$(TEST)')
ifneq ($(SANITIZE),1)
	@$(MAKE) --no-print-directory wasm-test
endif

# The reader itself. Without a display Qt would abort with a page of
# messages; one line says what is wrong instead, before anything is
# installed or built.
run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display to open the reader's window on (DISPLAY is not set)" >&2; \
	  exit 1; \
	fi
	@$(MAKE) --no-print-directory programs
	$(BUILD)/window/velnori

bench: deps wasm
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release -j $(JOBS)
	@for b in build-release/bench/*_bench; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
	@echo "== window start-up (its own Xvfb and openbox)"; bench/window/WindowStart.sh build-release
	@echo "== vln.wasm under Node against the native vln"; bench/wasm/WasmAgainstNative.sh build-release build-wasm

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
	rm -rf build build-asan build-release build-windows build-wasm

# vln as WebAssembly for WASI, cross-built with Debian's clang 14 and
# wasi-libc and shrunk by Binaryen's wasm-opt; its tests run the golden cases
# and the language-server clients against it under Node's WASI.
.PHONY: wasm wasm-test
wasm:
	@$(DEPS) wasm
	@[ -f build-wasm/Makefile ] || \
	  { set -x; cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake \
	    -DCMAKE_BUILD_TYPE=Release; }
	cmake --build build-wasm -j $(JOBS)

wasm-test: wasm
	cd build-wasm && ctest --output-on-failure -j $(JOBS) $(if $(TEST),-R '$(TEST)')

# The editor extensions (editors/): velnori-linux-x64.vsix for VS Code, whose
# vln needs nothing but the C and C++ runtimes (no Qt, no Graphviz: the map
# view lays the map out itself), velnori-win32-x64.vsix with the Windows
# vln.exe, the universal velnori.vsix with vln.wasm for every other platform
# and VS Code for the Web, all in build-vsix/; and Vim's syntax, which the
# Debian package installs.
#   make vsix           the three packages, checked as CI checks them
#   make editors-test   grammar snapshots, the extension's unit tests, its
#                       webviews in headless chromium, the Vim syntax, the
#                       launcher of vln.wasm and the web's server worker
#   make vscode-test    the packaged extensions in a real VS Code (code-server):
#                       the Linux one, then the universal one beside the
#                       workbench and in the browser's web worker
.PHONY: vsix vsix-vln editors-test vscode-test
VSCODE := editors/vscode
# The vln inside the Linux package, also the one the extension's tests use.
VSIX_VLN := build-vsix/tools/vln/vln
# The server inside the universal package.
VSIX_WASM := build-wasm/tools/vln/vln.wasm

vsix-vln:
	@$(DEPS) build editors
	cmake -S . -B build-vsix -DCMAKE_BUILD_TYPE=Release -DVELNORI_WITH_QT=OFF \
	  -DVELNORI_WITH_GRAPHVIZ=OFF -DVELNORI_BENCH=OFF -DVELNORI_STATIC_CXX_RUNTIME=ON
	cmake --build build-vsix -j $(JOBS) --target vln

vsix: vsix-vln
	@$(DEPS) windows
	cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build build-windows -j $(JOBS) --target vln
	@$(MAKE) --no-print-directory wasm
	$(VSCODE)/scripts/make-vsix.sh $(VSIX_VLN) build-windows/vln.exe $(VSIX_WASM) build-vsix

editors-test: vsix-vln wasm
	editors/vim/test/syntax-test.sh
	$(VSCODE)/scripts/npm-ready.sh
	cd $(VSCODE) && node build.js && node test/grammar/snapshots.js \
	  && npx vscode-tmgrammar-test 'test/grammar/*.test.vln' \
	  && node --test test/unit/*.test.js \
	  && VLN=$(CURDIR)/$(VSIX_VLN) node --test test/webview/*.test.js
	cd $(VSCODE) && VLN_WASM=$(CURDIR)/$(VSIX_WASM) node --test test/wasm/*.test.js test/browser/*.test.js

# Whether this Node has a code-server release is asked first, before any
# package is installed or built. The universal package, with no native vln,
# is tried twice: vln.wasm beside the workbench, then in the browser's web
# worker extension host.
vscode-test:
	@$(VSCODE)/test/vscode/install-code-server.sh --check
	@$(DEPS) editors code-server
	@$(MAKE) --no-print-directory vsix
	$(VSCODE)/test/vscode/install-code-server.sh
	cd $(VSCODE) && node --test test/vscode/vscode.test.js
	cd $(VSCODE) && VSIX=$(CURDIR)/build-vsix/velnori.vsix VELNORI_SERVER=wasm node --test test/vscode/vscode.test.js
	cd $(VSCODE) && VSIX=$(CURDIR)/build-vsix/velnori.vsix VELNORI_SERVER=web node --test test/vscode/vscode.test.js

# Velnori in the browser (web/): a folder of static files, build-web/, that
# works opened from disk; vln.wasm runs the editor's server, the map, play
# and read mode. `make web-test` drives it in Debian's chromium.
.PHONY: web web-test
web: wasm
	@$(DEPS) editors
	$(VSCODE)/scripts/npm-ready.sh web
	cd web && node build.js $(CURDIR)/$(VSIX_WASM) $(CURDIR)/build-web

# Read mode's titles are held to the captions the native vln play gives.
web-test: web vsix-vln
	cd web && VLN=$(CURDIR)/$(VSIX_VLN) node --test test/*.test.js
