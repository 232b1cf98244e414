# Entry points for people and CI. Each target installs what it needs first.
#   make demo        build, then straighten the bundled sample page
#   make test        build everything and run every test
#   make test-asan   the same under AddressSanitizer + UBSan
#   make test-tsan   the engine's internal interface on two threads under
#                    ThreadSanitizer
#   make bench       build the release benchmarks and run them
#   make windows-check  cross-build Skewmend.dll with MinGW-w64, run the tests
#                    under Wine, compare Linux and Windows results byte for byte
#   make windows-dist  build/windows-dist/Levelora-<version>-win64.zip: the
#                    Windows desktop program, both DLLs and the help page
#   make fuzz        run every libFuzzer target FUZZ_SECONDS seconds (60)
#   make package     Debian packages from the release preset into
#                    build/release/packages/
#   make package-check  build the packages, install them and try the installed
#                    tool, desktop program, C header and library, desktop-file-
#                    validate and lintian
#   make format      clang-format every C++ file
.PHONY: deps demo test test-asan test-tsan bench windows-check windows-dist fuzz package package-check format

FUZZ_SECONDS ?= 60

deps:
	@./scripts/install-deps

demo: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default
	@./scripts/demo build/default/bin

test: deps
	@cmake --workflow --preset default

test-asan: deps
	@cmake --workflow --preset asan

test-tsan: deps
	@cmake --workflow --preset tsan

bench: deps
	@cmake --preset release -DLEVELORA_BENCH=ON >/dev/null
	@cmake --build --preset release --target levelora_bench
	@build/release/bin/levelora_bench

windows-check:
	@./scripts/windows-check

windows-dist:
	@./scripts/windows-dist

fuzz:
	@./scripts/fuzz $(FUZZ_SECONDS)

package: deps
	@cmake --preset release -DLEVELORA_BENCH=OFF >/dev/null
	@cmake --build --preset release
	@rm -rf build/release/packages
	@cd build/release && cpack --config CPackConfig.cmake

package-check:
	@./scripts/install-deps package
	@$(MAKE) --no-print-directory package
	@./packaging/package-check build/release/packages

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
