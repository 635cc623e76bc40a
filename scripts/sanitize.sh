#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UBSan and runs the whole test suite under them.
# Any sanitizer report fails the test that caused it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR=${KESTRUNE_SANITIZE_BUILD_DIR:-$ROOT/build-asan}

# Leak checking stays on: what Qt and fontconfig keep until exit is still reachable, which LSan
# does not report. The build runs test binaries to list their tests, so this covers both.
export ASAN_OPTIONS=halt_on_error=1:print_stacktrace=1:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1:check_initialization_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

install_packages
# -U: a build folder made before a test folder was added still builds them all.
build -DKESTRUNE_SANITIZE=ON -DKESTRUNE_WERROR=ON -UKESTRUNE_TEST_DIRS
cd "$BUILD_DIR"
as_user ctest --output-on-failure -j"$(nproc)" --timeout 600
