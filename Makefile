# The entry points. Each installs what is missing (as root), configures and
# builds what it needs.
#
#   make run     build setup.exe and run it under Wine (headless: a walk
#                through the install, with pictures of each phase)
#   make test    build everything and run every test
#   make PRODUCT=path/to/product.toml
#                setup.exe for another product, from its manifest
#   SIGN_CERT=cert.pem SIGN_KEY=key.pem (or SIGN_PKCS12=file.p12), with
#   SIGN_PASS_FILE and SIGN_TIMESTAMP_URL if needed, on make or make PRODUCT=
#                signs the setup.exe built (scripts/sign-setup.sh)
#   make bench   codec throughput against zlib -9 and xz -6, the best parse against
#                the standard encoder, unpack memory, the 32-bit arithmetic against
#                the 64-bit (the 32-bit program under Wine where it runs, and its
#                stand-in built for the host), and the extraction's pool against
#                one worker, to the folder prompt
#   make bench-installer
#                setup.exe against an NSIS installer of the same files: sizes,
#                time to the folder prompt, time from the click to done,
#                memory; then where setup.exe's start-up time goes
#   make fuzz    fuzz the decoder, what lzari reads of a container and a
#                setup program, and the manifest check, for
#                FUZZ_SECONDS each (default 300)
#   make mutants plant the faults of tests/mutants.txt one at a time and say
#                which the tests catch (QUICK=1: only those caught without Wine)
#   make clean

BUILD := build
HOST := $(BUILD)/host
SANITIZED := $(BUILD)/sanitized
THREADS := $(BUILD)/threads
WIN32 := $(BUILD)/win32
# Some machines' kernels run no 32-bit programs: there the Wine tests run on
# a 64-bit build of the same sources, and the 32-bit setup.exe is checked
# as a file only.
WIN64 := $(BUILD)/win64
RUNS_32_BIT = bash scripts/wine-run.sh --runs-32-bit
FUZZ_SECONDS ?= 300
JOBS ?= $(shell nproc)

.PHONY: all deps sanitized threads win32 win64 host product run test bench bench-programs bench-installer fuzz mutants clean

all: $(if $(PRODUCT),product,win32)

deps:
	@bash scripts/install-deps.sh

# The builds are CMake's presets (CMakePresets.json): host, sanitized,
# win32 and win64, each in build/NAME. The sanitized build needs clang;
# without it the sanitized tests and the fuzzer are skipped, and the host
# build does not ask for them.
sanitized: deps
	@if command -v clang++ >/dev/null; then \
	    cmake --preset sanitized >/dev/null && cmake --build --preset sanitized -j $(JOBS); \
	else \
	    echo "clang++ not found: no sanitized tests and no fuzzing"; \
	fi

threads: deps
	@if command -v clang++ >/dev/null; then \
	    cmake --preset threads >/dev/null && cmake --build --preset threads -j $(JOBS); \
	else \
	    echo "clang++ not found: the extraction's pool is not tested under ThreadSanitizer"; \
	fi

# The host build comes first: its lzari packs the setup program's payloads.
# Its CTest also runs the sanitized, threads and Win32 tests.
host: deps sanitized threads
	cmake --preset host -DWINE_TESTS_DIR=$$($(RUNS_32_BIT) && echo $(abspath $(WIN32)) || echo $(abspath $(WIN64))) \
	    -DLZARI_SANITIZED_DIR=$(if $(wildcard $(SANITIZED)/tests/fuzz/fuzz_setup_program),$(abspath $(SANITIZED)),) \
	    -DLZARI_THREADS_DIR=$(if $(wildcard $(THREADS)/extraction_tests_tsan),$(abspath $(THREADS)),) >/dev/null
	cmake --build --preset host -j $(JOBS)

# The Win32 build: setup.exe and the tests that run under Wine.
win32: host
	cmake --preset win32 >/dev/null
	cmake --build --preset win32 -j $(JOBS)
	@bash scripts/sign-setup.sh $(WIN32)
	@$(RUNS_32_BIT) || $(MAKE) --no-print-directory win64

# The same sources for 64-bit Windows, for the Wine tests of a machine that
# runs no 32-bit programs.
win64:
	@echo "this machine runs no 32-bit programs: the Wine tests run on a 64-bit build ($(WIN64))"
	cmake --preset win64 >/dev/null
	cmake --build --preset win64 -j $(JOBS)

# setup.exe for the product of PRODUCT (a manifest like resources/product.toml),
# in a build folder of its own, named after the manifest's folder.
product: host
	@test -n "$(PRODUCT)" || { echo "make product needs PRODUCT=path/to/product.toml"; exit 2; }
	@bash scripts/build-product.sh "$(PRODUCT)" $(HOST) $(JOBS)

# Wine's windows need a display: without one, the tests run under Xvfb.
HEADLESS = $(if $(DISPLAY),,xvfb-run -a -s "-screen 0 1024x768x24")

run: win32
	bash scripts/run-setup.sh

# Wine's server is started afresh for the run (under its display) and
# ended after it.
test: win32
	bash scripts/wine-run.sh --stop
	$(HEADLESS) bash -c 'bash scripts/wine-run.sh --start; ctest --test-dir $(HOST) --output-on-failure -j $(JOBS); \
	    status=$$?; bash scripts/wine-run.sh --stop; exit $$status'


# Repetitions interleaved at random, so that the codec and its peers share
# the machine's moments of load; the summary takes each one's median.
BENCH_FLAGS ?= --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.3

# The Windows builds' benchmark programs and products, which make test
# does not build.
bench-programs: win32
	cmake --build --preset win32 -j $(JOBS) --target bench_programs
	@$(RUNS_32_BIT) || cmake --build --preset win64 -j $(JOBS) --target bench_programs

bench: bench-programs
	bash bench/make_real_payloads.sh $(HOST)/real-size
	REAL_SIZE_DIR=$(HOST)/real-size $(HOST)/bench/codec_bench $(BENCH_FLAGS)
	bash bench/unpack_memory.sh $(HOST)/tools/lzari
	$(HEADLESS) bash bench/word_size.sh $(HOST)/bench/codec_timing $(HOST)/bench/codec_timing_word32 \
	    $(WIN32)/bench/codec_timing.exe
	bash scripts/wine-run.sh --stop
	$(HEADLESS) bash -c 'bash scripts/wine-run.sh --start; \
	    bash bench/extraction_speed.sh $$($(RUNS_32_BIT) && echo $(WIN32) || echo $(WIN64)); \
	    status=$$?; bash scripts/wine-run.sh --stop; exit $$status'

# Under its own Wine server and display, as make test; the repetitions of
# the two installers alternate.
INSTALLER_REPETITIONS ?= 5

bench-installer: bench-programs
	bash scripts/wine-run.sh --stop
	$(HEADLESS) bash -c 'bash scripts/wine-run.sh --start; bash bench/installer/bench_installer.sh $(WIN32) $(INSTALLER_REPETITIONS); \
	    status=$$?; bash scripts/wine-run.sh --stop; exit $$status'

fuzz: sanitized
	mkdir -p $(BUILD)/fuzz-setup-corpus $(BUILD)/fuzz-manifest-corpus
	$(SANITIZED)/tests/fuzz/fuzz_setup_program -max_total_time=$(FUZZ_SECONDS) -max_len=70000 -timeout=10 \
	    -rss_limit_mb=4096 -print_final_stats=1 $(BUILD)/fuzz-setup-corpus tests/fuzz/pe_seeds tests/fuzz/seeds
	$(SANITIZED)/tests/fuzz/fuzz_codec_word32 -max_total_time=$(FUZZ_SECONDS) -max_len=70000 -timeout=10 \
	    -rss_limit_mb=4096 -print_final_stats=1 $(BUILD)/fuzz-setup-corpus tests/fuzz/pe_seeds tests/fuzz/seeds
	$(SANITIZED)/tests/fuzz/fuzz_manifest -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -timeout=10 \
	    -rss_limit_mb=2048 -print_final_stats=1 $(BUILD)/fuzz-manifest-corpus resources tests/data/second-product

# In a scratch copy of the tree (build/mutants), never in this one. The quick
# run's tool tests read this tree's setup.exe.
mutants: $(if $(QUICK),win32,deps)
	$(HEADLESS) python3 scripts/mutants.py $(if $(QUICK),--quick)

clean:
	rm -rf $(BUILD)
