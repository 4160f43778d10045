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
# FreeTDS reads no configuration for the program's connection text: give it
# SQL Server's protocol (with "auto" a silent server outlasts the login
# timeout) and, unless config.ini's ip names a port or an instance, port 1433.
export TDSVER=${TDSVER:-7.4}
if [ -z "${TDSPORT:-}" ]; then
    ip=$(sed -n 's/^[[:space:]]*ip[[:space:]]*=[[:space:]]*//p' build/config.ini 2>/dev/null | tr -d '\r' | head -n 1)
    case "$ip" in *,* | *\\*) ;; *) export TDSPORT=1433 ;; esac
fi
exec build/qorvex "$@"
