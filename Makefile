# make            build everything into build/
# make run        install what is missing, build, start Zorvath (APP=Zorvane for the other program)
# make test       install what is missing, build, run every test headless
#                 (SAN=1: address, undefined-behaviour and float-cast-overflow sanitizers;
#                 TSAN=1: thread sanitizer)
# make bench      build and run the benchmarks
# make screenshots  draw both windows, two matrix viewers and the charts window offscreen into docs/ (the README's pictures)
# make fuzz       install clang and its fuzzer runtime if missing, build the libFuzzer targets
#                 (Qt-free libraries only) in build/fuzz and run each on a scratch copy of its
#                 corpus in fuzz/corpus for FUZZ_SECONDS (60); fails on the first crash, whose
#                 input is left in build/fuzz/crashes. Not part of make test.

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
PACKAGES := g++ make cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev qt6-charts-dev libgl-dev \
            libgtest-dev libgmock-dev googletest libbenchmark-dev \
            fontconfig fonts-dejavu-core fonts-liberation qt6-translations-l10n

# clang and libFuzzer for make fuzz (bookworm: the runtime is in libclang-rt-14-dev).
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
FUZZ_DIR := build/fuzz
FUZZ_TARGETS := fuzz_relation_file fuzz_number_text

APP_DIR_Zorvath := zorvath
APP_DIR_Zorvane := zorvane

.PHONY: all build deps run test bench screenshots fuzz clean

all: build

# Installs whichever of the Debian packages $(1) are missing (apt-get, as root).
define install_missing
	@missing=""; \
	for p in $(1); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  if [ "$$(id -u)" -ne 0 ]; then echo "run as root to install:$$missing" >&2; exit 1; fi; \
	  apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: deps
	$(MAKE) build
	./$(BUILD_DIR)/apps/$(APP_DIR_$(APP))/$(APP)

test: deps
	$(MAKE) build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	$(MAKE) build SAN=0 TSAN=0
	@for b in build/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

screenshots: deps
	$(MAKE) build SAN=0 TSAN=0
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvath docs/zorvath.png
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvane docs/zorvane.png
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvane docs/visor.png 10 0 visor 2 diferencia
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvath docs/visor_100.png 100 0 visor 1 ajustar
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvane docs/charts.png 10 50 graficas

fuzz:
	$(call install_missing,$(FUZZ_PACKAGES))
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DWORKBENCH_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_DIR)/corpus/$$t && mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/crashes/$$t && \
	  cp fuzz/corpus/$$t/* $(FUZZ_DIR)/corpus/$$t/ && \
	  echo "== $$t for $(FUZZ_SECONDS) s" && \
	  ./$(FUZZ_DIR)/fuzz/$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/crashes/$$t/ $(FUZZ_DIR)/corpus/$$t || exit 1; \
	done

clean:
	rm -rf build
