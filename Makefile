# make            build everything into build/
# make run        install what is missing, build, start Zorvath (APP=Zorvane for the other program)
# make test       install what is missing, build, run every test headless
#                 (SAN=1: address and undefined-behaviour sanitizers; TSAN=1: thread sanitizer)
# make bench      build and run the benchmarks

APP ?= Zorvath
SAN ?= 0
TSAN ?= 0
JOBS ?= $(shell nproc)

ifeq ($(SAN),1)
BUILD_DIR := build/san
CMAKE_FLAGS := -DWORKBENCH_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else ifeq ($(TSAN),1)
BUILD_DIR := build/tsan
CMAKE_FLAGS := -DWORKBENCH_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
else
BUILD_DIR := build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

# Debian packages the build, the tests and the benchmarks need.
PACKAGES := g++ make cmake ninja-build pkg-config qt6-base-dev libgl-dev \
            libgtest-dev libgmock-dev googletest libbenchmark-dev \
            fontconfig fonts-dejavu-core fonts-liberation

APP_DIR_Zorvath := zorvath
APP_DIR_Zorvane := zorvane

.PHONY: all build deps run test bench clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -ne 0 ]; then echo "run as root to install:$$missing" >&2; exit 1; fi; \
	  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: deps
	$(MAKE) build
	./$(BUILD_DIR)/apps/$(APP_DIR_$(APP))/$(APP)

test: deps
	$(MAKE) build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: deps
	$(MAKE) build SAN=0
	@for b in build/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

clean:
	rm -rf build
