#!/bin/sh
# Builds the program and its benchmark (Release, in build-bench), then prints
# the figures: the execute path, the start-up, the schema browser's table
# choice and the growth with the result's size, each beside the sqlite3
# shell producing the same rows. Needs the sqlite3 shell on the PATH.
set -eu
cd "$(dirname "$0")"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQORVEX_BENCHMARKS=ON >/dev/null
cmake --build build-bench -j"${JOBS:-2}" --target qorvex qorvex_stage bench_qorvex >/dev/null
# No display needed: the windows are drawn off screen unless told otherwise.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
exec build-bench/bench/bench_qorvex --program build-bench
