# Everyday entry points; scripts/setup installs what is missing and builds.
.PHONY: all setup build run test test-asan bench bench-pages demo install package

all: build

setup build:
	scripts/setup

# Installs the programs, their data and desktop files under PREFIX
# (default /usr/local); DESTDIR stages the install as usual.
PREFIX ?= /usr/local
install: setup
	cmake --install build --prefix "$(PREFIX)"

# The Debian package picovand_VERSION_ARCH.deb in build-deb/, built with
# Debian's hardening flags, then checked by lintian.
package:
	scripts/setup --no-build
	scripts/package

# Sets up, builds and starts the window.
run: setup
	build/bin/picovand

test: setup
	ctest --test-dir build --output-on-failure -j2

# The engine and its tests with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan:
	scripts/setup --asan
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --test-dir build-asan --output-on-failure -j2

bench:
	scripts/setup --bench
	build/bin/bench_import
	build/bin/bench_convert
	build/bin/bench_rebuild
	build/bin/bench_cli
	build/bin/bench_album
	build/bin/bench_upload
	build/bin/bench_project

# Lighthouse's scores of the pages of the presets for today's screens, served
# by nginx as a web host serves them; about 20 minutes.
bench-pages:
	scripts/setup --bench
	node bench/page-scores.mjs

# A web album with albums and sub-albums from the demo photos, built into a
# new folder build/demo/Fotoreise-N; prints its start page.
demo: setup
	@mkdir -p build/demo
	@n=1; while [ -e build/demo/Fotoreise-$$n ]; do n=$$((n + 1)); done; \
	  build/bin/picovand-cli build --preset 1001 --output build/demo/Fotoreise-$$n \
	    --import demo/photos --recursive --albums
