# The two commands a new user needs: `make run` and `make test`.
# Both install what is missing, configure and build in build/: make run the
# program alone, make test the program with its tests. Each target installs
# the packages of its own purpose, from the lists in scripts/install-deps.sh.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# What is built carries the time of the last commit instead of the time it was
# built at (the times in the .deb and the zip, a Windows program's time stamp,
# the time rcc stores for each resource), so that two builds of one commit
# are the same to the byte. Outside git, as from a tarball, the time of the
# changelog's latest entry, which a release's sources always hold.
ifeq ($(origin SOURCE_DATE_EPOCH),undefined)
SOURCE_DATE_EPOCH := $(shell if [ -e .git ]; then git log -1 --format=%ct 2>/dev/null; \
	else date -d "$$(sed -n 's/^ -- .*>  //p' packaging/deb/changelog | head -n1)" +%s 2>/dev/null; fi)
endif
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: all deps deps-package deps-test configure build run test bench install package \
	screenshots clean windows package-windows test-windows screenshots-windows check-reproducible

all: build

# Building and running; packaging added; the tests added to both.
deps:
	@./scripts/install-deps.sh --build
deps-package:
	@./scripts/install-deps.sh --build --package
deps-test:
	@./scripts/install-deps.sh --build --package --test

# The program alone: the tests need packages of their own (make test).
configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DZEL_BUILD_TESTS=OFF $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/zel-orvalis

# The whole suite, then the unit and end-to-end tests again in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer. The same build folder as
# make run's, configured with the tests.
SAN_BUILD_DIR ?= build-sanitize
test: deps-test
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DZEL_BUILD_TESTS=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	cmake -S . -B $(SAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON -DZEL_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(SAN_BUILD_DIR) -j $(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
		ctest --test-dir $(SAN_BUILD_DIR) -L 'unit|e2e' --output-on-failure -j $(JOBS)

# Start-up and memory against a minimal Qt window, and the cost of a reading.
bench: deps-test build
	./scripts/bench.sh $(BUILD_DIR)

# make install PREFIX=/usr/local [DESTDIR=/staging]
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A .deb in $(BUILD_DIR)/package. CPack gives the package's folders, and the
# parts of the .deb itself, the modes the umask leaves them: 022 makes them
# the same whatever the builder's own umask is (Ubuntu's is 002).
package: deps-package build
	umask 022 && cpack --config $(BUILD_DIR)/CPackConfig.cmake -B $(BUILD_DIR)/package

# Every window, rendered under Xvfb into docs/ (and docs/2x/ at twice the scale).
screenshots: deps-test build
	./scripts/screenshots.sh $(BUILD_DIR)/bin/zel-orvalis

# Windows: cross-built with MinGW-w64 against a Qt for Windows that
# scripts/build-qt-windows.sh builds once from Debian's own qt6-base source,
# and tested under Wine; all of it with Debian 13's tools (Qt 6.8 LTS, GCC 14,
# Wine 10), in the Debian 13 root that scripts/debian13.sh makes once and
# keeps, like that Qt, in ~/.cache/zel-orvalis. build-windows/deploy/ is the
# folder a user runs the program from: the stripped program, Qt's DLLs and
# plugins, the MinGW runtime and the licence notices.
WIN_BUILD_DIR ?= build-windows
WIN_TEST_BUILD_DIR ?= build-windows-tests
IN_DEBIAN13 = ./scripts/debian13.sh
# Where that Qt is, as the script that builds it hands it over.
QT_WINDOWS = $(WIN_BUILD_DIR)/qt-prefix
# Configured afresh each time, so that a build folder never keeps an older Qt.
WIN_CMAKE = $(IN_DEBIAN13) scripts/build-qt-windows.sh $(QT_WINDOWS) && \
	$(IN_DEBIAN13) "$$(cat $(QT_WINDOWS))/bin/qt-cmake" \
	--fresh -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=OFF $(CMAKE_FLAGS)

windows:
	$(WIN_CMAKE) -S . -B $(WIN_BUILD_DIR) -DZEL_BUILD_TESTS=OFF
	$(IN_DEBIAN13) cmake --build $(WIN_BUILD_DIR) -j $(JOBS)
	rm -rf $(WIN_BUILD_DIR)/deploy
	$(IN_DEBIAN13) cmake --install $(WIN_BUILD_DIR) --prefix $(WIN_BUILD_DIR)/deploy --strip
	@echo "$(WIN_BUILD_DIR)/deploy: $$(du -sh $(WIN_BUILD_DIR)/deploy | cut -f1)"

# The Windows build's windows under Wine, at 96 and 192 DPI, into docs/windows/.
screenshots-windows: windows
	$(IN_DEBIAN13) ./scripts/screenshots.sh --windows $(WIN_BUILD_DIR)/deploy/zel-orvalis.exe

# An NSIS installer and a portable zip, in $(WIN_BUILD_DIR)/package/. CPack
# lists the zip's files in the order the file system gives them, with the
# builder's user and group: strip-nondeterminism sorts them and sets the ids
# and every time alike (in UTC, since a zip's own times are local ones).
package-windows: windows
	$(IN_DEBIAN13) cpack --config $(WIN_BUILD_DIR)/CPackConfig.cmake -B $(WIN_BUILD_DIR)/package
	@./scripts/install-deps.sh --windows
	TZ=UTC strip-nondeterminism --type zip $(if $(SOURCE_DATE_EPOCH),--timestamp $(SOURCE_DATE_EPOCH)) \
		$(WIN_BUILD_DIR)/package/*.zip
	@ls -la $(WIN_BUILD_DIR)/package/*.exe $(WIN_BUILD_DIR)/package/*.zip

# The Windows build under Wine on a private Xvfb: its unit tests, the program
# end to end, and the installer.
test-windows: package-windows
	$(WIN_CMAKE) -S . -B $(WIN_TEST_BUILD_DIR) -DZEL_BUILD_TESTS=ON
	$(IN_DEBIAN13) cmake --build $(WIN_TEST_BUILD_DIR) -j $(JOBS)
	$(IN_DEBIAN13) ./tests/windows/run.sh $(WIN_BUILD_DIR) $(WIN_TEST_BUILD_DIR)

# Builds the last commit twice, from two fresh clones some minutes apart, and
# compares the .deb, the Windows program, its installer and its zip byte for
# byte; on a difference diffoscope shows where it lies.
check-reproducible:
	./scripts/check-reproducible.sh

clean:
	rm -rf $(BUILD_DIR) $(SAN_BUILD_DIR) $(WIN_BUILD_DIR) $(WIN_TEST_BUILD_DIR)
