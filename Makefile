# Front door of the project: `make run` builds the program and shows a whole
# run on the bundled example, `make test` builds and runs every test.
BUILD_DIR ?= build/release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
MAKEFLAGS += --no-print-directory

.PHONY: all deps configure build run test sanitize-test fuzz clean format

all: build

# Installs what the build and the tests need (compiler, CMake, CLI11,
# nlohmann-json, GoogleTest, and GMP for the companion unionbound-sharp)
# when missing and run as root; otherwise prints the apt-get line. The build
# goes on without the companion if GMP is missing, and stops only when
# unionbound itself cannot be built.
deps:
	@bash tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Builds the program alone (not the tests, the companion or the Python
# module) and feeds n = 12, m = 3 and the final RETURN to it in examples/.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target unionbound
	cd examples && printf '12\n3\n\n' | ../$(BUILD_DIR)/unionbound

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole test suite again under AddressSanitizer and UBSan, the end-to-end
# runs of the program included; any sanitizer report fails the run. The
# Python module stays out: an instrumented extension cannot load into an
# uninstrumented interpreter.
SANITIZE_DIR ?= build/sanitize
SANITIZE_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1:exitcode=86 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=86
sanitize-test: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DUNIONBOUND_SANITIZE=ON -DUNIONBOUND_PYTHON=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	$(SANITIZE_ENV) ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# Every libFuzzer target for FUZZ_SECONDS (default 60) each, with clang++.
fuzz: deps
	JOBS=$(JOBS) bash fuzz/run.sh

format:
	clang-format -i $$(git ls-files '*.h' '*.cc')

clean:
	rm -rf build
