#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# Set QORVEX_SANITIZE=1 to build and run the tests with ASan and UBSan.
set -uo pipefail
cd "$(dirname "$0")"
scripts/setup.sh test || exit 1

build_dir=build-tests
extra=()
if [ "${QORVEX_SANITIZE:-0}" = 1 ]; then
    build_dir=build-sanitize
    extra+=(-DQORVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON "${extra[@]}" >/dev/null || exit 1
cmake --build "$build_dir" -j"$(nproc)" || exit 1
# A short, fixed run of every fuzz target on its seed corpus.
fuzz/run.sh 2000 || exit 1

# The SQL Server tests talk to a private server on 127.0.0.1 that lives
# only as long as this script.
server_env=()
if [ -x tests/support/test_server.sh ]; then
    # shellcheck disable=SC1091
    source tests/support/test_server.sh
    if start_test_server "$PWD/$build_dir/test-server"; then
        trap stop_test_server EXIT
    else
        echo "warning: the test server did not start; SQL Server tests will be skipped" >&2
    fi
fi

export QT_QPA_PLATFORM=offscreen
cd "$build_dir" && ctest --output-on-failure -j"$(nproc)" "${server_env[@]}"
