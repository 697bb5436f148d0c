# zorv: build, test and demo entry points. Run as root on a fresh Debian 12
# machine: missing packages are installed first (scripts/install-deps).

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
DEMO_DIR ?= $(BUILD_DIR)/demo
JOBS ?= $(shell nproc)

# Which packages `deps` installs and whether warnings stop the build; the test
# targets set both for themselves and for the targets they depend on.
DEPS_OPTIONS ?=
WERROR ?=
CONFIGURE = cmake -S . -G Ninja $(if $(WERROR),-DZORV_WERROR=$(WERROR))

.PHONY: all deps build test test-asan demo clean

all: build

deps:
	./scripts/install-deps $(DEPS_OPTIONS)

build: deps
	$(CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: DEPS_OPTIONS = --tests
test: WERROR = ON
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error -j $(JOBS)

test-asan: DEPS_OPTIONS = --tests
test-asan: WERROR = ON
test-asan: deps
	$(CONFIGURE) -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DZORV_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(ASAN_DIR) --output-on-failure --no-tests=error -j $(JOBS)

# Builds zorv alone, then runs it on images made on the spot (scripts/demo);
# they are left in $(DEMO_DIR).
demo: DEPS_OPTIONS = --demo
demo: deps
	$(CONFIGURE) -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS) --target zorv
	./scripts/demo $(BUILD_DIR)/zorv $(DEMO_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)
