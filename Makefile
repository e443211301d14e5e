# Front door for building and testing NimbraPlus. CMake does the real work.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR ?= ON
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test demo clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DNIMBRA_WERROR=$(WERROR)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The desktop program on a built-in station emulator, with a data folder of its own under
# the build tree; without a display, the logger instead.
DEMO_DATA = $(BUILD_DIR)/demo-data
demo: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_DIR)/bin/nimbraplus --emulator --data-dir $(DEMO_DATA); \
	else \
		echo "No display: running the logger on the emulator (Ctrl+C stops it)."; \
		$(BUILD_DIR)/bin/nimbraplus --headless --emulator --language English --data-dir $(DEMO_DATA); \
	fi

clean:
	@rm -rf $(BUILD_DIR)
