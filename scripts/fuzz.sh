#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# FUZZ_SECONDS (default 60) from its seed corpus and regression inputs, with
# its dictionary. New inputs go to build-fuzz/corpus-<target>/, a crash to
# build-fuzz/crash-<target>-*; add a crash's input to tests/fuzz/regressions/
# once it is fixed. Exits non-zero when a target finds a failure.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build_dir=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset fuzz "${launcher[@]}"
cmake --build --preset fuzz

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
# Longest input worth trying: a few kilobytes hold every shape of settings
# file (the whole long-section regression is replayed by tst_fuzz);
# a results file is read no further than its 28 records; a few dozen
# journal rows meet every check.
declare -A max_len=([settings]=4096 [results]=8300 [journal]=4096)
for target in settings results journal; do
    corpus=$build_dir/corpus-$target
    mkdir -p "$corpus"
    echo "== fuzz_$target for $seconds s"
    # The regression inputs can exceed the usual input size (a section of
    # 100,000 lines); they are replayed whole first.
    if ! "$build_dir/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
        -max_len="${max_len[$target]}" -dict="tests/fuzz/$target.dict" -artifact_prefix="$build_dir/crash-$target-" \
        -print_final_stats=1 "$corpus" "tests/fuzz/corpus/$target" "tests/fuzz/regressions/$target"; then
        echo "fuzz_$target found a failure; its input is in $build_dir/crash-$target-*" >&2
        status=1
    fi
done
exit $status
