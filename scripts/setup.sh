#!/usr/bin/env bash
# Installs what Qorvex needs from Debian's packages (only what is missing)
# and registers FreeTDS as the ODBC driver "SQL Server".
# Usage: scripts/setup.sh [run|test]
set -euo pipefail
mode=${1:-run}
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(cmake make g++ pkg-config qt6-base-dev libsqlite3-dev sqlite3 unixodbc unixodbc-dev
          tdsodbc fonts-wqy-microhei)
if [ "$mode" = test ]; then
    packages+=(libsqliteodbc odbc-postgresql postgresql xvfb xauth clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

"$here/scripts/setup_odbc.sh"
