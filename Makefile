# Voxtrel's front door: `make run` and `make test` do all the set-up.
SHELL := /bin/bash
JOBS ?= 2
FUZZ_SECONDS ?= 20
SAMPLE ?= data/samples/speech.wav

.PHONY: all deps configure build test test-default test-asan test-tsan fuzz run bench install clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default -j$(JOBS)

test-default: build
	ctest --preset default

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j$(JOBS)
	ctest --preset asan

# The sound engines' threads under ThreadSanitizer.
test-tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j$(JOBS)
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build/tsan/tests/voxtrel_core_audio_tests --gtest_brief=1

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j$(JOBS)
	scripts/run-fuzzers.sh build/fuzz/fuzz $(FUZZ_SECONDS)

test: test-default test-asan test-tsan fuzz

run: build
	@scripts/run-app.sh $(SAMPLE)

bench: build
	@for b in build/default/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

install: build
	cmake --install build/default

clean:
	rm -rf build
