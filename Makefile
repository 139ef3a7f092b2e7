# The front door: `make run` and `make test` install what is missing, build and go.
BUILD      ?= build
ASAN_BUILD ?= build-asan
ARGS       ?=
JOBS       ?= $(shell nproc)

SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: deps build build-asan run test test-fast package bench format clean

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVC_SANITIZE=ON -DVC_BUILD_BENCH=OFF

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Without a display (and without ARGS) the program's main job runs headless instead: the
# images in samples/ are written onto ./demo-card as a memory card.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ] || [ -n "$(ARGS)" ]; then \
		./$(BUILD)/vimbrelcastor $(ARGS); \
	else \
		echo "No display: converting samples/ onto ./demo-card (vimbrelcastor --batch)"; \
		mkdir -p demo-card; \
		./$(BUILD)/vimbrelcastor --batch --card demo-card samples; \
	fi

# The whole suite, then the same suite built with AddressSanitizer and UBSan.
test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The suite without the sanitizer build, for a quick round while working.
test-fast: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package, packed by CPack from the build above (stripped, under /usr):
# build/vimbrelcastor_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD) --target package

bench: build
	bash bench/run.sh $(BUILD)

format:
	git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | xargs -r clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
