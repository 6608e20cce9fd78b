# Two commands matter: `make run` and `make test`. Both install what is missing first.
JOBS ?= $(shell nproc)

.PHONY: all deps build build-asan build-tsan run test test-default test-asan test-tsan bench install package clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

# Only the engine's threaded tests, under ThreadSanitizer.
build-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "No display found: starting jux under xvfb-run"; \
	  xvfb-run -a build/default/app/jux; \
	else \
	  build/default/app/jux; \
	fi

test-default: build
	@ctest --preset default -j $(JOBS)

test-asan: build-asan
	@ctest --preset asan -j $(JOBS)

test-tsan: build-tsan
	@ctest --preset tsan -j $(JOBS)

test: test-default test-asan test-tsan

bench: build
	@for b in build/default/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] && "$$b"; done

# PREFIX=/usr/local unless given: `make install PREFIX=/opt/jux`.
PREFIX ?= /usr/local
install: build
	@cmake --install build/default --prefix $(PREFIX)

# A Debian package of jux, jux-cli, the desktop entry, the icon and the guide.
package: build
	@cd build/default && cpack -G DEB && ls -1 $$(pwd)/jux_*.deb

clean:
	@rm -rf build
