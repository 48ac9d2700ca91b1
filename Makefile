# Short commands for a fresh machine: `make run` converts the bundled sample,
# `make test` installs what is missing, builds with sanitizers and runs every test.
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
RELEASE := build/release
TESTBUILD := build/test
TSANBUILD := build/tsan
SAMPLE_OUT ?= out

.PHONY: all deps release run test test-address test-thread install bench clean

all: release

deps:
	@scripts/install-deps

release: deps
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE) -j $(JOBS)

run: release
	@mkdir -p $(SAMPLE_OUT)
	@$(RELEASE)/brelvix -i samples/sample.bmp -o "$(abspath $(SAMPLE_OUT))"; \
	 status=$$?; [ $$status -eq 0 ] && echo "PCX written to $(abspath $(SAMPLE_OUT))/sample.pcx"; exit $$status

test: deps test-thread test-address

test-address:
	@cmake -S . -B $(TESTBUILD) -DCMAKE_BUILD_TYPE=Debug -DBRELVIX_TESTS=ON -DBRELVIX_SANITIZE=address >/dev/null
	@cmake --build $(TESTBUILD) -j $(JOBS)
	@cd $(TESTBUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

test-thread:
	@cmake -S . -B $(TSANBUILD) -DCMAKE_BUILD_TYPE=Debug -DBRELVIX_TESTS=ON -DBRELVIX_UI=OFF -DBRELVIX_SANITIZE=thread >/dev/null
	@cmake --build $(TSANBUILD) -j $(JOBS) --target unit_engine
	@cd $(TSANBUILD) && ctest --output-on-failure -R 'Worker' --timeout 600

install: release
	@cmake --install $(RELEASE) --prefix $(PREFIX)

bench: release
	@bench/run

clean:
	@rm -rf build
