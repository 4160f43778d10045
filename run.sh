#!/usr/bin/env bash
# Builds Qorvex (Release, into build/) and starts it on the bundled database.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build --target qorvex qorvex_stage -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: run it under a virtual one with  xvfb-run ./run.sh" >&2
    exit 1
fi
exec build/qorvex "$@"
