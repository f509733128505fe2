# Front door: `make run` (APP=kr5180 or APP=kr7260) and `make test`.
APP      ?= kr5180
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Debian 12 packages the build needs; installed with apt when missing.
PACKAGES := cmake g++ make qt6-base-dev libgl-dev libgtest-dev googletest xvfb xauth
RUNDIR   := $(BUILD)/run

.PHONY: all deps configure build test run sanitize tsan warnings bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Builds only the program it starts (and what it links), then starts it beside the
# default images.
run: configure
	@case "$(APP)" in kr5180|kr7260) ;; *) echo "APP must be kr5180 or kr7260"; exit 2;; esac
	cmake --build $(BUILD) -j $(JOBS) --target $(APP)
	@mkdir -p $(RUNDIR)
	@cp -n data/*.mem $(RUNDIR)/ 2>/dev/null || true
	cd $(RUNDIR) && exec ../$(APP)/$(APP)

# The same suite with address and undefined-behaviour sanitizers.
sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DNAVAR_SANITIZE=ON"

# The threaded transport and transfer tests under the thread sanitizer.
tsan:
	$(MAKE) build BUILD=build-tsan CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Debug -DNAVAR_TSAN=ON"
	cd build-tsan && QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
	  ctest --output-on-failure -j $(JOBS) -L threaded

# Everything built optimised (Release), with any compiler warning an error.
warnings:
	$(MAKE) build BUILD=build-release CMAKE_FLAGS="-DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON"

# Runs every benchmark program (not the build's folders beside them); fails when one failed.
bench: build
	@status=0; for b in $(BUILD)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; \
	  "$$b" || { echo "$$b failed" >&2; status=1; }; \
	done; exit $$status

clean:
	rm -rf build build-asan build-tsan build-release
