# make run   installs what is missing, builds, and opens the viewer on a sample file
# make test  installs what is missing, builds, and runs every test, then the
#            native suite once more under AddressSanitizer and UBSan
# make bench installs what is missing, builds the benchmarks, and runs them
# make package builds ruvok_<version>_<architecture>.deb and checks it with lintian
BUILD ?= build
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test test-native test-sanitize test-fuzz test-windows bench package clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

run: build
	@bash scripts/run.sh $(BUILD)

test: test-native test-fuzz test-windows test-sanitize

test-native: build
	@ctest --test-dir $(BUILD) --output-on-failure -j2 --timeout 300

test-sanitize: deps
	@bash scripts/test-sanitize.sh

test-fuzz: deps
	@bash scripts/run-fuzz.sh

test-windows: deps
	@bash scripts/test-windows.sh

bench: deps
	@bash scripts/run-bench.sh

package: build
	@cd $(BUILD) && cpack -G DEB
	@lintian --fail-on error $(BUILD)/ruvok_*.deb

clean:
	rm -rf build build-*
