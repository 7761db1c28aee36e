# The two commands a user needs: `make run` and `make test`. Both install what is missing on a
# Debian 12 machine, then build with CMake.

BUILD ?= build
TYPE ?= Release
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config qt6-base-dev libgl-dev fonts-noto-cjk g++-mingw-w64-i686
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# CI treats warnings in our code as errors.
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=$(TYPE) $(if $(CI),-DQUORVEL_WERROR=ON,)
LIBRARY_FOLDERS := 模板 元素 项目

.PHONY: run test build deps bench

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
