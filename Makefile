# The two commands of the README: `make run` and `make test`. Both install
# what is missing, configure and build first.

BUILD_DIR ?= build
CORE_BUILD_DIR ?= build-core
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
SAMPLE ?= examples/DOLGOZO.DBF
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 45

.PHONY: all deps configure build test test-core fuzz-ci run install package clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVORTEL_WERROR=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-core
	$(MAKE) --no-print-directory fuzz-ci

# The core, vortel-cli and their tests as a machine without Qt builds them:
# no desktop program, and Qt not even looked for. The sanitized runs are
# the main build's.
test-core: deps
	cmake -S . -B $(CORE_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVORTEL_WERROR=ON \
		-DVORTEL_DESKTOP=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DVORTEL_SANITIZED_TESTS=OFF
	cmake --build $(CORE_BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(CORE_BUILD_DIR) --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS, two at a time, built with clang in
# build-fuzz/ (scripts/fuzz.sh; fuzz/README.md tells how to run longer).
fuzz-ci: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

# The program opens a working copy, so edits never touch the bundled files.
run: build
	mkdir -p $(BUILD_DIR)/sample
	cp -n $(SAMPLE) $(basename $(SAMPLE)).DBT $(BUILD_DIR)/sample/
	$(BUILD_DIR)/vortel $(BUILD_DIR)/sample/$(notdir $(SAMPLE))

# The programs, their desktop entry, icons, file type and manuals under
# PREFIX (DESTDIR too, for staging).
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# A .deb of the same files under /usr, in the build folder.
package: build
	cd $(BUILD_DIR) && cpack

clean:
	rm -rf $(BUILD_DIR) $(CORE_BUILD_DIR)
