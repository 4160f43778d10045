#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each one for a
# fixed number of inputs on a copy of its seed corpus (the checked-in corpus
# stays as it is). Fails when a target does not build or finds a fault.
# Usage: fuzz/run.sh [runs]          (default 2000 runs per target)
#        FUZZ_TIME=60 fuzz/run.sh    (seconds per target instead of runs)
#        FUZZ_TARGETS="fuzz_sheet fuzz_ini" fuzz/run.sh
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build="$root/build-fuzz"
runs=${1:-2000}
targets=${FUZZ_TARGETS:-"fuzz_sheet fuzz_ini fuzz_number_date fuzz_quote fuzz_page_path fuzz_cp936"}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shellcheck disable=SC2086
if ! { cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j"$(nproc)" --target $targets; } >"$work/build.log" 2>&1; then
    cat "$work/build.log" >&2
    echo "fuzz: build failed" >&2
    exit 1
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

limit=(-runs="$runs")
[ -n "${FUZZ_TIME:-}" ] && limit=(-max_total_time="$FUZZ_TIME")

status=0
for target in $targets; do
    corpus="$work/$target"
    mkdir -p "$corpus" "$work/artifacts-$target"
    cp "$here/corpus/$target"/* "$corpus"/ 2>/dev/null
    dict=()
    [ -f "$here/$target.dict" ] && dict=(-dict="$here/$target.dict")
    log="$work/$target.log"
    "$build/$target" "${limit[@]}" "${dict[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/artifacts-$target/" "$corpus" >"$log" 2>&1
    rc=$?
    executions=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)
    if [ $rc -ne 0 ]; then
        status=1
        echo "fuzz: $target FAILED (exit $rc)" >&2
        tail -40 "$log" >&2
        mkdir -p "$build/artifacts"
        for artifact in "$work/artifacts-$target"/*; do
            [ -e "$artifact" ] || continue
            cp "$artifact" "$build/artifacts/$target-$(basename "$artifact")"
            echo "fuzz: input kept as $build/artifacts/$target-$(basename "$artifact")" >&2
        done
    else
        echo "fuzz: $target ok (${executions:-no summary})"
    fi
done
exit $status
