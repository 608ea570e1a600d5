# make            build everything into build/
# make run        install what is missing, build, start Zorvath (APP=Zorvane for the other program)
# make test       install what is missing, build, run every test headless
#                 (SAN=1: address, undefined-behaviour and float-cast-overflow sanitizers;
#                 TSAN=1: thread sanitizer). make run SAN=1 starts the sanitized window; both
#                 pass tests/lsan.supp to the leak checker (D-Bus's own leak only).
# make bench      build and run the benchmarks
# make screenshots  draw both windows and the charts window offscreen into docs/ (the README's pictures)
# make package  the .deb of both programs (CPack; dependencies from the binaries) in build/
# make fuzz       install clang and its fuzzer runtime if missing, build the libFuzzer targets
#                 (Qt-free libraries only) in build/fuzz and run each on a scratch copy of its
#                 corpus in fuzz/corpus for FUZZ_SECONDS (60); fails on the first crash, whose
#                 input is left in build/fuzz/crashes. Not part of make test.
# make check-workbook  install LibreOffice Calc and a Spanish locale if missing, write a batch
#                 (D = 30, S = 50) of each program with its raw file and workbook and a second
#                 replicate merged with --reune, open the workbooks in LibreOffice under the
#                 Spanish locale (soffice --headless --convert-to csv) and compare every number
#                 with the text table and the raw files (tools/check_workbook.py). Not part of
#                 make test (slow).

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
            libgtest-dev libgmock-dev googletest libbenchmark-dev libxlsxwriter-dev \
            fontconfig fonts-dejavu-core fonts-liberation qt6-translations-l10n \
            locales python3 python3-numpy python3-scipy

# What CPack needs for the .deb: dpkg-shlibdeps and file.
PACKAGE_PACKAGES := dpkg-dev file

# clang and libFuzzer for make fuzz (bookworm: the runtime is in libclang-rt-14-dev).
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
FUZZ_DIR := build/fuzz
FUZZ_TARGETS := fuzz_relation_file fuzz_number_text fuzz_raw_trials fuzz_npy fuzz_matrix_market

# LibreOffice for make check-workbook.
CHECK_PACKAGES := libreoffice-calc
CHECK_DIR := build/check-workbook
# CSV from every sheet (-1), ';' between fields, UTF-8, values in full rather than as shown.
CHECK_CSV := csv:Text - txt - csv (StarCalc):59,34,76,1,,0,false,false,false,false,false,-1

APP_DIR_Zorvath := zorvath
APP_DIR_Zorvane := zorvane

.PHONY: all build deps run test bench screenshots package fuzz check-workbook clean

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

# The tests of files and texts run in a Spanish session too.
deps:
	$(call install_missing,$(PACKAGES))
	@locale -a | grep -qix 'es_ES.utf8' || { sed -i 's/^# *es_ES.UTF-8 UTF-8/es_ES.UTF-8 UTF-8/' /etc/locale.gen && locale-gen; }

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

build: $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: deps
	$(MAKE) build
	LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp" ./$(BUILD_DIR)/apps/$(APP_DIR_$(APP))/$(APP)

test: deps
	$(MAKE) build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp" \
	  LSAN_OPTIONS="suppressions=$(CURDIR)/tests/lsan.supp" \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	$(MAKE) build SAN=0 TSAN=0
	@for b in build/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && QT_QPA_PLATFORM=offscreen "$$b" || exit 1; done

screenshots: deps
	$(MAKE) build SAN=0 TSAN=0
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvath docs/zorvath.png
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvane docs/zorvane.png
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvane docs/charts.png 10 50 graficas
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvane docs/visor.png 10 0 visor 2 diferencia
	QT_QPA_PLATFORM=offscreen ./build/tools/screenshot Zorvath docs/visor_100.png 100 0 visor 1 ajustar

package: deps
	$(call install_missing,$(PACKAGE_PACKAGES))
	$(MAKE) build SAN=0 TSAN=0
	cd build && cpack -G DEB

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

check-workbook: deps
	$(call install_missing,$(CHECK_PACKAGES))
	$(MAKE) build SAN=0 TSAN=0
	rm -rf $(CHECK_DIR) && mkdir -p $(CHECK_DIR)/csv
	@set -e; for app in Zorvath Zorvane; do \
	  exe=./build/apps/$$(echo $$app | tr A-Z a-z)/$$app; d=$(CHECK_DIR)/$$app; \
	  $$exe --estadisticas 30 50 $$d-tabla.txt --semilla 1 --crudo $$d-1.csv --libro $$d-libro.xlsx; \
	  $$exe --estadisticas 30 50 $$d-tabla2.txt --semilla 2 --crudo $$d-2.csv; \
	  $$exe --reune $$d-reunido.xlsx $$d-1.csv $$d-2.csv; \
	done
	cd $(CHECK_DIR) && LC_ALL=es_ES.UTF-8 LANG=es_ES.UTF-8 LANGUAGE=es HOME=$(CURDIR)/$(CHECK_DIR) \
	  soffice --headless --convert-to '$(CHECK_CSV)' --outdir csv *.xlsx >/dev/null
	@set -e; for app in Zorvath Zorvane; do d=$(CHECK_DIR)/$$app; \
	  python3 tools/check_workbook.py $(CHECK_DIR)/csv/$$app-libro $$d-tabla.txt $$d-1.csv; \
	  python3 tools/check_workbook.py $(CHECK_DIR)/csv/$$app-reunido - $$d-1.csv $$d-2.csv; \
	done

clean:
	rm -rf build
