# zorv: build, test and demo entry points. Run as root on a fresh Debian 12
# machine: missing packages are installed first (scripts/install-deps).

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
DEMO_DIR ?= $(BUILD_DIR)/demo
FUZZ_DIR ?= build-fuzz
JOBS ?= $(shell nproc)
# make fuzz: seconds of fuzzing, and the cores it takes.
FUZZ_SECONDS ?= 600
FUZZ_JOBS ?= $(JOBS)

# Which packages `deps` installs and whether warnings stop the build; the test
# targets set both for themselves and for the targets they depend on.
DEPS_OPTIONS ?=
WERROR ?=
CONFIGURE = cmake -S . -G Ninja $(if $(WERROR),-DZORV_WERROR=$(WERROR))

.PHONY: all deps build test test-asan demo fuzz clean

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

# Coverage-guided fuzzing of the readers (fuzz/README.md): builds the
# libFuzzer targets with clang in $(FUZZ_DIR), makes their seeds, runs them
# all for $(FUZZ_SECONDS) seconds on $(FUZZ_JOBS) cores. Fails when an input
# crashed, hung or took too much memory; the inputs are in
# $(FUZZ_DIR)/findings/.
fuzz:
	./scripts/install-deps --fuzz
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		"-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" -DZORV_FUZZ=ON -DZORV_WERROR=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_targets zorv
	./fuzz/make-seeds $(FUZZ_DIR)/zorv $(FUZZ_DIR)/seeds
	./fuzz/run $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_JOBS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
