# One entry point for newcomers and CI: every target installs what is missing first.
# `make test SANITIZE=1` builds and tests with AddressSanitizer and UBSan in build-asan/.

PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev \
            libbenchmark-dev libfmt-dev nlohmann-json3-dev qt6-base-dev fonts-dejavu-core

ifeq ($(SANITIZE),1)
BUILD_DIR ?= build-asan
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON
else
BUILD_DIR ?= build
CMAKE_FLAGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

JOBS ?= $(shell nproc)

.PHONY: setup configure build test run bench clean

# Installs only the packages that are missing; uses sudo when not root.
setup:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  sudo=$$( [ "$$(id -u)" -eq 0 ] || echo sudo ); \
	  $$sudo apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$sudo apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: setup
	@cmake -S . -B $(BUILD_DIR) $(shell command -v ninja >/dev/null && echo -G Ninja) $(CMAKE_FLAGS)

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# A fresh copy of the built-in PC in a temporary folder and Quillon on it: the wizard's window
# with a display, otherwise its automatic run (the simulated user updates the first drive to
# its newest firmware and the run ends with the drive's new revision).
run: build
	@pc=$$(mktemp -d)/pc && simpc=$(BUILD_DIR)/bin/simpc && \
	$$simpc new $$pc && \
	$$simpc run $$pc quillon

bench: build
	@$(BUILD_DIR)/bin/bench-firmware-checksum
	@$(BUILD_DIR)/bin/bench-firmware-folder
	@$(BUILD_DIR)/bin/bench-parlex
	@$(BUILD_DIR)/bin/bench-scsi-surfaces
	@$(BUILD_DIR)/bin/bench-scan
	@$(BUILD_DIR)/bin/bench-kernel-flash
	@bench/quillon_run.sh $(BUILD_DIR)
	@bench/quillon_window.sh $(BUILD_DIR)

clean:
	@rm -rf build build-asan
