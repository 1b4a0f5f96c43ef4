# `make run` and `make test` do all the set-up on a fresh Debian machine.
# BUILD=dir gives a separate build folder (and Wine prefix) for parallel work.
BUILD ?= build
export VELOTUNE_BUILD := $(BUILD)

.PHONY: all build test run bootstrap clean

all: build

bootstrap:
	@scripts/bootstrap.sh

$(BUILD)/CMakeCache.txt: | bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

build: bootstrap $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j 2

test: build
	scripts/run-tests.sh

run: build
	scripts/run-app.sh

clean:
	rm -rf $(BUILD)
