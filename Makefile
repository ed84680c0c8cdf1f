# The two commands a new user needs: `make run` and `make test`.
# Both install what is missing, configure and build in build/.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test bench install package screenshots clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/zel-orvalis

# The whole suite, then the unit and end-to-end tests again in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
SAN_BUILD_DIR ?= build-sanitize
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	cmake -S . -B $(SAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON -DZEL_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SAN_BUILD_DIR) -j $(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
		ctest --test-dir $(SAN_BUILD_DIR) -L 'unit|e2e' --output-on-failure -j $(JOBS)

# Start-up and memory against a minimal Qt window, and the cost of a reading.
bench: build
	./scripts/bench.sh $(BUILD_DIR)

# make install PREFIX=/usr/local [DESTDIR=/staging]
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A .deb in $(BUILD_DIR)/package.
package: build
	cpack --config $(BUILD_DIR)/CPackConfig.cmake -B $(BUILD_DIR)/package

# Every window, rendered under Xvfb into docs/ (and docs/2x/ at twice the scale).
screenshots: build
	./scripts/screenshots.sh $(BUILD_DIR)/bin/zel-orvalis

clean:
	rm -rf $(BUILD_DIR) $(SAN_BUILD_DIR)
