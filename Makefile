# Front door of the project: `make run` shows a whole run on the bundled
# example, `make test` builds and runs every test.
BUILD_DIR ?= build/release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
MAKEFLAGS += --no-print-directory

.PHONY: all deps build run test clean format

all: build

# The companion unionbound-sharp builds against CLP and GMP: installs them
# when missing (as root), or stops with the apt-get line to run.
deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD_DIR) -j $(JOBS)

# Feeds n = 12, m = 3 and the final RETURN to the program in examples/.
run: build
	cd examples && printf '12\n3\n\n' | ../$(BUILD_DIR)/unionbound

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

format:
	clang-format -i $$(git ls-files '*.h' '*.cc')

clean:
	rm -rf build
