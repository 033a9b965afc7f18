# The two entry points of the README: `make run` and `make test`.
PRESET ?= debug
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test tidy asan tsan fuzz bench package package-test format clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	@build/bin/wendaro

test: build
	@cd build && ctest --output-on-failure -j $(JOBS) -LE e2e --timeout 300
	@cd build && ctest --output-on-failure -L e2e --timeout 300

# clang-tidy's fault-finding checks (.clang-tidy) over our code; the Qt front end is left out, as it
# only shows what the controller decides, and half the run would go to parsing Qt's headers.
TIDY_FILES = /src/(chat|cli|client|core|discovery|model|net|protocol|server|ui|util)/.*\.cpp$$
tidy: configure
	@run-clang-tidy -p build -quiet -j $(JOBS) '$(TIDY_FILES)' >build/tidy.log 2>&1 \
	  || { grep -E 'warning:|error:' -A3 build/tidy.log | grep -v '^--$$' | head -100; exit 1; }
	@echo "clang-tidy: no findings"

asan: deps
	@cmake --preset asan >/dev/null && cmake --build --preset asan -j $(JOBS)
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -L unit

tsan: deps
	@cmake --preset tsan >/dev/null && cmake --build --preset tsan -j $(JOBS)
	@cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -L unit

fuzz: deps
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers.sh build-fuzz/bin $${FUZZ_SECONDS:-20}

bench: deps
	@cmake --preset bench >/dev/null && cmake --build --preset bench -j $(JOBS)

# A release build with Debian's hardening flags, packaged as build/wendaro_<version>_<arch>.deb.
package: deps
	@cmake --preset package >/dev/null \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)"
	@cmake --build --preset package -j $(JOBS)
	@rm -f build/wendaro_*.deb
	@cd build-package && cpack

# Installs the package into a fresh Debian 12 root (needs root; the root is cached in build/).
package-test: package
	@tests/package/test_deb_install.sh build

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-asan build-tsan build-fuzz build-bench build-package
