# Two commands do all the set-up on a fresh machine:
#   make run   build kesta and kesta-plot, run kesta on the bundled example
#              deck, print the report and draw out/plot.svg from the plot file
#   make test  build everything and run every test
# Each first checks what it needs (scripts/needs): as root it installs what is
# missing, otherwise it prints the command that does. Builds are quiet: their
# output goes to $(BUILD)/*.log and is shown only when something fails.
# Reliability checks, each in a build folder of its own:
#   make test-sanitize  every test again under the address and undefined-behaviour sanitizers
#   make fuzz           each fuzzing harness for FUZZ_SECONDS (needs clang++ and libFuzzer)
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
EXAMPLE ?= examples/flood-wave-confined.dat
# The units of EXAMPLE, for the picture's axes: LENGTH,TIME.
UNITS ?= m,d

QUIETLY = scripts/quietly
SANITIZER_OPTIONS = \
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: all build programs run test test-sanitize fuzz fuzz-build bench format format-check lint clean

all: build

CONFIGURE = $(QUIETLY) $(BUILD)/configure.log "configuring $(BUILD)" cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

# Only the two programs: neither GoogleTest nor Google Benchmark is needed.
# Configured once; cmake --build configures again when a CMakeLists.txt changes.
programs:
	@scripts/needs run
	@[ -f $(BUILD)/CMakeCache.txt ] || $(CONFIGURE)
	@$(QUIETLY) $(BUILD)/build.log "building kesta and kesta-plot" \
	  cmake --build $(BUILD) -j $(JOBS) --target kesta kesta-plot

run: programs
	@mkdir -p out
	@$(BUILD)/kesta "$(EXAMPLE)" out/results.txt out/plot.txt >/dev/null
	@cat out/results.txt
	@$(BUILD)/plot/kesta-plot --deck "$(EXAMPLE)" --units "$(UNITS)" out/plot.txt out/plot.svg

# Everything, tests and benchmarks included. Configuring again finds a
# GoogleTest installed since the last time.
build:
	@scripts/needs test
	@$(CONFIGURE)
	@$(QUIETLY) $(BUILD)/build.log "building everything" cmake --build $(BUILD) -j $(JOBS)

test: build
	@scripts/ctest-summary $(BUILD) $(JOBS)

# Halt at the first finding, in the tests and in every kesta they run.
test-sanitize:
	@scripts/needs test
	@$(QUIETLY) $(SANITIZE_BUILD)/configure.log "configuring $(SANITIZE_BUILD)" \
	  cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Release -DKESTA_SANITIZE=ON
	@$(QUIETLY) $(SANITIZE_BUILD)/build.log "building with the sanitizers" cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@$(SANITIZER_OPTIONS) scripts/ctest-summary $(SANITIZE_BUILD) $(JOBS)

fuzz-build:
	@scripts/needs fuzz
	@$(QUIETLY) $(FUZZ_BUILD)/configure.log "configuring $(FUZZ_BUILD)" \
	  cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++
	@$(QUIETLY) $(FUZZ_BUILD)/build.log "building the fuzzing harnesses" cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	@fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	@$(BUILD)/bench/kesta_bench
	@if [ -x $(BUILD)/bench/kesta_fit_bench ]; then $(BUILD)/bench/kesta_fit_bench; fi

# One format for the whole tree (.clang-format), and clang-tidy's checks
# (.clang-tidy) over the compile database of the ordinary build.
FORMATTED = $(shell git ls-files '*.cpp' '*.hpp' | grep -v '^fuzz/corpus/')
format:
	@clang-format -i $(FORMATTED)

format-check:
	@scripts/needs lint
	@clang-format --dry-run --Werror $(FORMATTED) && echo "format: every file as clang-format writes it"

LINTED = $(shell git ls-files '*.cpp' | grep -E '^(io|model|input|report|api|case|driver|plot|fit)/' | grep -v '/tests/')
lint: build
	@scripts/needs lint
	@printf '%s\n' $(LINTED) | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD) --quiet 2> $(BUILD)/lint.log || \
	  { grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated' $(BUILD)/lint.log; exit 1; }
	@echo "lint: no finding"

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) out

# The exact model's results tables of tests/accuracy (many minutes; not part of
# make test, which reads the stored tables): make exact-tables [DECK=name].
.PHONY: exact-tables
exact-tables:
	@scripts/needs tables
	nice -n 15 python3 tools/exact_tables.py $(if $(DECK),--only $(DECK))

# Mutation run, not part of CI (tens of minutes): each slip listed in
# tools/mutants.txt is built in a scratch copy (MUTATE_SCRATCH) and run against
# the tests; prints caught and surviving mutants per folder. With SAMPLE=N the
# slips are N drawn at random from every line of product code instead, by the
# seed SEED: make mutate SAMPLE=100 SEED=7.
MUTATE_SCRATCH ?= /tmp/kesta-mutants
SEED ?= 1
.PHONY: mutate
mutate:
	nice -n 15 python3 tools/mutate.py --scratch $(MUTATE_SCRATCH) $(if $(SAMPLE),--sample $(SAMPLE) --seed $(SEED))
