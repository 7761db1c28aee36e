# The two commands a user needs: `make run` and `make test`. Both install what is missing on a
# Debian 12 machine, then build with CMake. `make install` (PREFIX=/usr/local unless given),
# `make uninstall` and `make package` put the program where desktop programs live.

BUILD ?= build
TYPE ?= Release
JOBS ?= $(shell nproc)
# desktop-file-utils and appstream validate the desktop files; dpkg-dev and file compute the
# package's dependencies.
PACKAGES := cmake g++ make pkg-config qt6-base-dev libgmp-dev libgl-dev fonts-noto-cjk \
	g++-mingw-w64-i686 qt6-translations-l10n desktop-file-utils appstream dpkg-dev file
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# CI treats warnings in our code as errors.
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=$(TYPE) $(if $(CI),-DQUORVEL_WERROR=ON,)
LIBRARY_FOLDERS := 模板 元素 项目

.PHONY: run test build deps bench install uninstall package

deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

# The sample library goes beside the program only when no library is there yet.
run: build
	@cd $(BUILD)/bin && if ! ls -d $(LIBRARY_FOLDERS) >/dev/null 2>&1; then \
		echo "Copying the sample library beside the program"; cp -r $(CURDIR)/examples/. .; fi
	$(BUILD)/bin/quorvel

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# What was installed is kept apart from CMake's own record, which every install (the tests' too)
# overwrites. sudo is asked for only where the folder cannot be written as you are.
PREFIX ?= /usr/local
INSTALLED := $(BUILD)/installed-files.txt
writer = $(shell d='$(1)'; while [ ! -e "$$d" ]; do d=$$(dirname "$$d"); done; \
	[ -w "$$d" ] || echo $(SUDO))

install: build
	$(call writer,$(PREFIX)) cmake --install $(BUILD) --prefix $(PREFIX)
	cp $(BUILD)/install_manifest.txt $(INSTALLED)

uninstall:
	@[ -f $(INSTALLED) ] || { echo "Nothing was installed from $(BUILD)"; exit 1; }
	$(call writer,$(shell head -n 1 $(INSTALLED) 2>/dev/null)) cmake -DFILES=$(INSTALLED) -P cmake/uninstall.cmake
	rm -f $(INSTALLED)

# A Debian package and a .tar.gz in the build folder. The archive library reads the sample
# library's Chinese names only under a UTF-8 locale.
package: build
	cd $(BUILD) && LC_ALL=C.UTF-8 cpack

# Figures for the generator and the story box, on a library the benchmark makes up (bench/),
# with the peer it is measured against, Tracery, installed from npm into the build folder at the
# version bench/peer/package.json pins. Node.js and npm come from Debian when they are missing.
PEER := $(BUILD)/bench-peer
bench: deps
	@missing=""; command -v node >/dev/null || missing="nodejs"; \
	command -v npm >/dev/null || missing="$$missing npm"; \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
	mkdir -p $(PEER) && cp bench/peer/package.json bench/peer/tracery-run.js $(PEER)/
	cd $(PEER) && npm install --no-audit --no-fund --loglevel=error
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) && cmake --build $(BUILD) -j$(JOBS) --target quorvel-bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/quorvel-bench --peer $(CURDIR)/$(PEER)

# Hardening. `make fuzz SECONDS=600` builds the libFuzzer targets (clang, ASan, UBSan) in
# build-fuzz and runs each for SECONDS seconds: new inputs stay in build-fuzz/corpus, crash inputs
# go to fuzz/corpus/<target>/, where `make test` replays them. `make test-sanitize` builds the
# whole test suite with ASan and UBSan and runs it; tests/hardening/sanitizers/ explains the
# suppressions.
FUZZ_TARGETS := listfile codec expansion display
FUZZ_PACKAGES := clang libclang-rt-14-dev
SECONDS ?= 60
SANITIZERS := $(CURDIR)/tests/hardening/sanitizers
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
	LSAN_OPTIONS=suppressions=$(SANITIZERS)/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:suppressions=$(SANITIZERS)/ubsan.supp

.PHONY: fuzz test-sanitize

fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DQUORVEL_FUZZ=ON -DQUORVEL_SANITIZE=ON
	cmake --build build-fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p build-fuzz/corpus/$$t && echo "Fuzzing $$t for $(SECONDS) s" && \
		$(SANITIZE_ENV) build-fuzz/fuzz/fuzz_$$t -max_total_time=$(SECONDS) -print_final_stats=1 \
			-artifact_prefix=fuzz/corpus/$$t/crash- build-fuzz/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

test-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEL_SANITIZE=ON
	cmake --build build-sanitize -j$(JOBS)
	cd build-sanitize && $(SANITIZE_ENV) ctest --output-on-failure -j$(JOBS)
