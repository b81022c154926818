# Set-up and everyday commands. `make run` and `make test` do everything from a fresh
# Debian 12 machine: dependencies, configure, build, then run the show or the tests.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
# -noreset: by default Xvfb resets when its last client leaves, and a program connecting during
# the reset is refused ("x11 not available"); tests start and end programs all the time.
XVFB := $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1280x1024x24 -noreset")

.PHONY: all deps configure build show run test sanitize bench fuzz clean install deb web serve-web web-test

all: build

deps:
	bash scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# The show folder is written by the content kit; again only when the kit changed. The build's
# show_folder target does it (and stamps $(BUILD)/show/.made), so installs ship the same folder.
# `make show ONLY=paths` (or pictures, levels, models, music, texts, comma-separated) builds
# only the kit and rewrites only that kind of data in the folder: an author's quick turn
# before the reload key (F5 with --author).
ONLY ?=
ifeq ($(ONLY),)
show: build
	cmake --build $(BUILD) --target show_folder
else
show: configure
	cmake --build $(BUILD) --target tolvek-showkit -j$(JOBS)
	$(BUILD)/bin/tolvek-showkit --only $(ONLY) $(BUILD)/show
endif

run: show
	cd $(BUILD)/show && ../bin/tolvek

# The whole-show tests and the contact sheets look at the kit's show folder (CTest tells them
# where it is).
test: show
	cd $(BUILD) && $(XVFB) ctest --output-on-failure -j2 --timeout 600

# The tests and two runs of the show under AddressSanitizer, UBSan and LeakSanitizer (clang,
# build dir build-sanitize); see scripts/sanitize.
sanitize:
	JOBS=$(JOBS) bash scripts/sanitize

# The show's frame times at 640 x 480 and 1024 x 768 against the speed targets.
bench: show
	$(XVFB) $(BUILD)/bin/bench_show $(abspath $(BUILD)/show)

# Fuzzes every reader of outside data (clang, libFuzzer, ASan + UBSan, build dir build-fuzz),
# FUZZ_SECONDS per target, seeded from the show folder; FUZZ_TARGETS picks some of them.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
fuzz: show
	TOLVEK_BUILD=$(abspath $(BUILD)) bash scripts/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The show as a web page in $(BUILD)/web: the same sources compiled by emscripten (Debian's),
# with the page's data. emscripten's JavaScript optimiser finds Debian's acorn through
# NODE_PATH, which a node from elsewhere does not look in.
WEB_BUILD ?= $(BUILD)/web-build
WEB_NODE_PATH := $(or $(shell dpkg -L node-acorn 2>/dev/null | grep -m1 '/nodejs$$'),/usr/share/nodejs)
web: show
	cmake --build $(BUILD) --target tolvek-web-assets -j$(JOBS)
	NODE_PATH=$(WEB_NODE_PATH) emcmake cmake -S web -B $(WEB_BUILD) -DTOLVEK_NATIVE_BUILD=$(abspath $(BUILD))
	NODE_PATH=$(WEB_NODE_PATH) cmake --build $(WEB_BUILD) -j$(JOBS)

# Serves the page on http://localhost:8000/ (any static file server will do).
serve-web: web
	cd $(BUILD)/web && python3 -m http.server 8000 --bind 127.0.0.1

# The page in headless Chromium against the desktop program's frames; see scripts/web-test.
web-test: web
	TOLVEK_BUILD=$(abspath $(BUILD)) bash scripts/web-test

# Installs the demo (started by the `tolvek` launcher), the tools, the show, the desktop entry
# and the icon under PREFIX; DESTDIR is honoured.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package $(BUILD)/tolvek_<version>_<arch>.deb, installing under /usr: built in a
# folder of its own with Debian's hardening flags (fortify, stack protector, relro, bind-now),
# without the tests and benchmarks, the programs in /usr/games as Debian has it for a game.
DEB_BUILD ?= build-deb
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
deb: deps
	cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVEK_TESTS=OFF -DTOLVEK_BENCH=OFF \
	  -DCMAKE_INSTALL_BINDIR=games \
	  -DCMAKE_C_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CFLAGS)" \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(DEB_BUILD) -j$(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
	mkdir -p $(BUILD) && cp $(DEB_BUILD)/tolvek_*.deb $(BUILD)/

clean:
	rm -rf $(BUILD)
