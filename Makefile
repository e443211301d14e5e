# Front door for building and testing NimbraPlus. CMake does the real work.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
WERROR ?= ON
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all deps configure build test demo bench fuzz soak check-sanitize check-asan check-tsan \
	install package clean check-fresh

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

# Kills the logger at random moments of its downloads and checks the store after each kill;
# SOAK_KILLS and SOAK_SEED (printed by every run) repeat a run. Then 200 acquisitions with
# faults injected at random reports, checked record by record against the station's log.
SOAK_KILLS ?= 50
soak: build
	@$(BUILD_DIR)/bin/nimbra-crash-soak --kills $(SOAK_KILLS) $(if $(SOAK_SEED),--seed $(SOAK_SEED))
	@$(BUILD_DIR)/bin/nimbra-fault-soak

# Every benchmark in an optimised build of its own, a few runs each, as one table. GCC 12
# reports false overlaps in inlined string code at -O3, so warnings do not stop this build;
# the test build enforces them.
BENCH_RUNS ?= 3
bench: deps
	@cmake -S . -B $(BUILD_DIR)-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DNIMBRA_WERROR=OFF
	@cmake --build $(BUILD_DIR)-release -j $(JOBS)
	@scripts/run-benchmarks.sh $(BUILD_DIR)-release $(BENCH_RUNS)

# Each fuzz target for FUZZ_SECONDS from its seed corpus (fuzz/corpus/<target>); new
# inputs that reach new code are kept in build-fuzz/corpus, crashes in build-fuzz.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = record fixed_block image dat_line profile http_reply
fuzz: deps
	@cmake -S fuzz -B $(BUILD_DIR)-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	@cmake --build $(BUILD_DIR)-fuzz -j $(JOBS)
	@for target in $(FUZZ_TARGETS); do \
		mkdir -p $(BUILD_DIR)-fuzz/corpus/$$target; \
		echo "fuzz: $$target for $(FUZZ_SECONDS) s"; \
		( cd $(BUILD_DIR)-fuzz && ./fuzz_$$target -max_total_time=$(FUZZ_SECONDS) \
			-print_final_stats=1 corpus/$$target ../fuzz/corpus/$$target ) || exit 1; \
	done

# The whole suite under AddressSanitizer + UndefinedBehaviorSanitizer (check-asan), and the
# threaded tests under ThreadSanitizer (check-tsan), each in a build folder of its own.
# GCC warns of uninitialised values it cannot see through the instrumentation: noise here.
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all \
	-Wno-maybe-uninitialized
THREADED_TESTS = acquisition_tests station_link_tests upload_tests store_tests config_tests \
	station_model_tests emulator_tests fault_soak_tests session_tests station_link_hidapi_tests
# The short fault soak runs its acquisitions against an emulator on a thread of its own.
THREADED_PROGRAMS = nimbra-fault-soak
THREADED_LABELS = $(THREADED_TESTS) fault_soak
check-sanitize: check-asan check-tsan

check-asan: deps
	@cmake -S . -B $(BUILD_DIR)-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DNIMBRA_WERROR=$(WERROR) -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	@cmake --build $(BUILD_DIR)-asan -j $(JOBS)
	@cd $(BUILD_DIR)-asan && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) --timeout 600

check-tsan: deps
	@cmake -S . -B $(BUILD_DIR)-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DNIMBRA_WERROR=$(WERROR) -DCMAKE_CXX_FLAGS=-fsanitize=thread \
		-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread
	@cmake --build $(BUILD_DIR)-tsan -j $(JOBS) --target $(THREADED_TESTS) $(THREADED_PROGRAMS)
	@cd $(BUILD_DIR)-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) \
		--timeout 900 -L '$(subst $() ,|,$(THREADED_LABELS))'

# The README's Quick start (make test, then make demo without a display) in a bare Debian 12
# root made with mmdebstrap: proves that scripts/install-deps.sh lists everything. Root only.
check-fresh:
	@scripts/check-fresh.sh

# DESTDIR=DIR stages the installation under DIR, as packagers do.
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package, into $(BUILD_DIR).
package: build
	@cmake --build $(BUILD_DIR) --target package

clean:
	@rm -rf $(BUILD_DIR)
