# The two commands of the README: `make run` and `make test`. Both install
# what is missing, configure and build first.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
SAMPLE ?= examples/DOLGOZO.DBF

.PHONY: all deps configure build test run clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVORTEL_WERROR=ON

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The program opens a working copy, so edits never touch the bundled files.
run: build
	mkdir -p $(BUILD_DIR)/sample
	cp -n $(SAMPLE) $(basename $(SAMPLE)).DBT $(BUILD_DIR)/sample/
	$(BUILD_DIR)/vortel $(BUILD_DIR)/sample/$(notdir $(SAMPLE))

clean:
	rm -rf $(BUILD_DIR)
