#!/usr/bin/env bash
# Builds the program and its benchmark (Release, into build-bench/), then
# prints the figures: the execute path, the start-up, the schema browser's
# table choice and the growth with the result's size, each beside the
# sqlite3 shell producing the same rows. Takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh run
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQORVEX_BENCHMARKS=ON >/dev/null
cmake --build build-bench --target qorvex qorvex_stage bench_qorvex -j"$(nproc)" >/dev/null
# No display needed: the windows are drawn off screen unless told otherwise.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
exec build-bench/bench/bench_qorvex --program build-bench
