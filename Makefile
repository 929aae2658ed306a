# The front door: `make run` and `make test`. CMake does the real building.
#   make test SANITIZE=1   every test under AddressSanitizer + UBSan (build-asan/)
#   make test TEST=regex   only the ctest cases matching regex
#   make bench             the benchmarks (Release build in build-release/)

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
	@$(DEPS) build qt desktop

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(if $(TEST),-R '$(TEST)')

bench: deps
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release
	cmake --build build-release -j $(JOBS)
	@for b in build-release/bench/*_bench; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done

clean:
	rm -rf build build-asan build-release
