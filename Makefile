# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
# The sanitizer build (AddressSanitizer and UndefinedBehaviorSanitizer) keeps a folder of its own.
SANITIZE_DIR ?= build-sanitize
JOBS ?= $(shell nproc)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

.PHONY: deps configure build run test test-normal test-sanitize clean

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

test-sanitize: test

# The same suites on the normal build that `make run` starts.
test-normal: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
