# Front door for building and testing NimbraPlus. CMake does the real work.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR ?= ON
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DNIMBRA_WERROR=$(WERROR)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

clean:
	@rm -rf $(BUILD_DIR)
