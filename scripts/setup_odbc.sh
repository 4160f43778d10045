#!/usr/bin/env bash
# Registers FreeTDS under the ODBC driver name "SQL Server" unless a driver of
# that name is registered already, and gives FreeTDS an explicit protocol
# version so that a server address without a port reaches port 1433.
set -euo pipefail
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

odbcinst_ini=$(odbcinst -j 2>/dev/null | sed -n 's/^DRIVERS\.*: //p')
odbcinst_ini=${odbcinst_ini:-/etc/odbcinst.ini}
if ! odbcinst -q -d 2>/dev/null | grep -qx '\[SQL Server\]'; then
    driver=$(find /usr/lib -name libtdsodbc.so 2>/dev/null | head -n 1)
    if [ -n "$driver" ]; then
        tmp=$(mktemp)
        printf '[SQL Server]\nDescription=FreeTDS for Microsoft SQL Server\nDriver=%s\n' "$driver" > "$tmp"
        "${sudo_cmd[@]}" odbcinst -i -d -f "$tmp" >/dev/null
        rm -f "$tmp"
        echo "Registered FreeTDS as ODBC driver \"SQL Server\"."
    fi
fi

freetds_conf=/etc/freetds/freetds.conf
if [ -f "$freetds_conf" ] && ! grep -q '^[[:space:]]*# qorvex' "$freetds_conf"; then
    # Debian's default "tds version = auto" gives up on a server without a
    # port; 7.4 is what SQL Server 2012 and later speak, on port 1433.
    "${sudo_cmd[@]}" sed -i '/^\[global\]/a\        # qorvex: explicit protocol so SERVER=<ip> reaches port 1433\n        tds version = 7.4\n        port = 1433' "$freetds_conf"
fi
