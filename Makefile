# Set-up and everyday commands. `make run` and `make test` do everything from a fresh
# Debian 12 machine: dependencies, configure, build, then run the show or the tests.
BUILD ?= build
JOBS ?= $(shell nproc)
XVFB := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1280x1024x24")

.PHONY: all deps configure build show run test bench clean

all: build

deps:
	bash scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The show folder is written by the content kit; again only when the kit changed.
show: build
	@if [ ! -f $(BUILD)/show/.made ] || [ $(BUILD)/bin/tolvek-showkit -nt $(BUILD)/show/.made ]; then \
	  rm -rf $(BUILD)/show && $(BUILD)/bin/tolvek-showkit $(BUILD)/show && touch $(BUILD)/show/.made; \
	fi

run: show
	cd $(BUILD)/show && ../bin/tolvek

# The whole-show tests and the contact sheets look at the kit's show folder.
test: show
	cd $(BUILD) && TOLVEK_SHOW_DIR=$(abspath $(BUILD)/show) $(XVFB) ctest --output-on-failure -j2 --timeout 600

# The show's frame times at 640 x 480 and 1024 x 768 against the speed targets.
bench: show
	$(XVFB) $(BUILD)/bin/bench_show $(abspath $(BUILD)/show)

clean:
	rm -rf $(BUILD)
