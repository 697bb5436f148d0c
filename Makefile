# zorv: build, test and demo entry points. Run as root on a fresh Debian 12
# machine: missing packages are installed first.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
DEMO_DIR ?= $(BUILD_DIR)/demo
JOBS ?= $(shell nproc)

.PHONY: all deps build test test-asan demo clean

all: build

deps:
	./scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZORV_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# Builds zorv alone, then runs it on images made on the spot (scripts/demo);
# they are left in $(DEMO_DIR).
demo: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zorv
	./scripts/demo $(BUILD_DIR)/zorv $(DEMO_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
