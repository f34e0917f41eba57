# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
# The sanitizer build (AddressSanitizer and UndefinedBehaviorSanitizer) keeps a folder of its own.
SANITIZE_DIR ?= build-sanitize
# The fuzz target of the project-file reader keeps a folder of its own too.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: deps configure build run test test-normal test-sanitize fuzz clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

# Starts the program from the build's installation layout; extra arguments go in ARGS,
# e.g. `make run ARGS=/path/to/shot.0001.png`.
run: build
	$(BUILD_DIR)/stage/bin/plintra $(ARGS)

# Every suite on the sanitizer build; the first error ends the suite that hit it.
# Each suite runs on an X server of its own (tests/support/run-on-own-display.sh).
# No build type: the sanitizer option brings its own -O1 and line tables.
test: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE= -DPLINTRA_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) --parallel $(JOBS)
	cd $(SANITIZE_DIR) && ctest --output-on-failure --parallel $(JOBS)
	$(MAKE) fuzz

test-sanitize: test

# The project-file reader under libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang), seeded with a saved project and the format's words, for FUZZ_SECONDS on a fresh
# corpus. A crash, an input that takes over 5 s or an allocation over 1 GB fails the run and
# leaves the input in $(FUZZ_DIR)/.
fuzz: deps
	cmake -S tests/fuzz -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_DIR) --parallel $(JOBS)
	rm -rf $(FUZZ_DIR)/corpus && mkdir -p $(FUZZ_DIR)/corpus
	$(FUZZ_DIR)/fuzz_projectfile -max_total_time=$(FUZZ_SECONDS) -timeout=5 -malloc_limit_mb=1024 -rss_limit_mb=2048 \
	  -dict=tests/fuzz/projectfile.dict -artifact_prefix=$(FUZZ_DIR)/ -print_final_stats=1 \
	  $(FUZZ_DIR)/corpus tests/fuzz/seeds

# The same suites on the normal build that `make run` starts.
test-normal: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
