# Two commands do all the set-up on a fresh machine:
#   make run   build and run kesta on the bundled example deck, print the report
#              and draw out/plot.svg from the plot file
#   make test  build everything and run every test
BUILD ?= build
JOBS ?= $(shell nproc)
EXAMPLE ?= examples/flood-wave-confined.dat

.PHONY: all build run test bench clean

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

bench: build
	$(BUILD)/bench/kesta_bench

clean:
	rm -rf $(BUILD) out
