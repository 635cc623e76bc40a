#!/usr/bin/env bash
# Builds the libFuzzer targets in fuzz/ with clang and runs each for FUZZ_SECONDS (default 60),
# seeded from fuzz/corpus/<target>. The corpus grows and crash inputs land in the build folder,
# never in the source tree; any crash fails the script.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR=${KESTRUNE_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
TARGETS=(fuzz_numeric_text fuzz_template_loader)
# Room for more lines than a template holds.
declare -A MAX_LEN=([fuzz_numeric_text]=4096 [fuzz_template_loader]=8192)

install_packages clang-14 libclang-rt-14-dev
as_user env CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD_DIR" \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRUNE_FUZZ=ON -DBUILD_TESTING=OFF -DKESTRUNE_WERROR=ON >/dev/null
as_user cmake --build "$BUILD_DIR" -j"$(nproc)" --target "${TARGETS[@]}"

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for target in "${TARGETS[@]}"; do
    corpus=$BUILD_DIR/corpus/$target
    artifacts=$BUILD_DIR/artifacts/$target
    log=$BUILD_DIR/$target.log
    as_user mkdir -p "$corpus" "$artifacts"
    echo "Fuzzing $target for ${FUZZ_SECONDS}s (log: $log)"
    if as_user "$BUILD_DIR/fuzz/$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 \
        -max_len="${MAX_LEN[$target]}" -dict="$ROOT/fuzz/$target.dict" -print_final_stats=1 \
        -artifact_prefix="$artifacts/" "$corpus" "$ROOT/fuzz/corpus/$target" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^Done' "$log" || true
    else
        status=1
        echo "$target FAILED; input kept in $artifacts:" >&2
        ls -l "$artifacts" >&2
        tail -n 60 "$log" >&2
    fi
done
exit "$status"
