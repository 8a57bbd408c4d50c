# Two commands do all the set-up on a fresh machine:
#   make run   build and run kesta on the bundled example deck, print the report
#              and draw out/plot.svg from the plot file
#   make test  build everything and run every test
# Reliability checks, each in a build folder of its own:
#   make test-sanitize  every test again under the address and undefined-behaviour sanitizers
#   make fuzz           each fuzzing harness for FUZZ_SECONDS (needs clang++ and libFuzzer)
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 20
JOBS ?= $(shell nproc)
EXAMPLE ?= examples/flood-wave-confined.dat

.PHONY: all build run test test-sanitize fuzz fuzz-build bench clean

all: build

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@mkdir -p out
	printf '%s\n%s\n%s\n' "$(EXAMPLE)" out/results.txt out/plot.txt | $(BUILD)/kesta
	@cat out/results.txt
	$(BUILD)/plot/kesta-plot out/plot.txt out/plot.svg

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Halt at the first finding, in the tests and in every kesta they run.
test-sanitize:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Release -DKESTA_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && \
	  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

fuzz-build:
	cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	$(BUILD)/bench/kesta_bench

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD) out

# Mutation run, not part of CI (tens of minutes): each slip listed in
# tools/mutants.txt is built in a scratch copy (MUTATE_SCRATCH) and run against
# the tests; prints caught and surviving mutants per folder.
MUTATE_SCRATCH ?= /tmp/kesta-mutants
.PHONY: mutate
mutate:
	nice -n 15 python3 tools/mutate.py --scratch $(MUTATE_SCRATCH)
