#!/usr/bin/env bash
# Registers FreeTDS under the ODBC driver name "SQL Server" unless a driver of
# that name is registered already.
#
# The program's connection text names its server with SERVER=<ip> and no port.
# FreeTDS 1.3 does not read freetds.conf for such a text (neither [global] nor
# a "tds version" there gives it a port) and, with Debian's default protocol
# "auto", has no default port either: it stops with "invalid port number"
# before opening a socket. The port therefore comes from the text itself
# (ip,port in config.ini) or from the environment variable TDSPORT, which
# run.sh sets to 1433 when config.ini names neither a port nor an instance.
set -euo pipefail
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

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

# Earlier versions of this script added a protocol and a port to
# freetds.conf's [global] section; they had no effect on the program and
# changed every other FreeTDS client of the machine, so take them out again.
freetds_conf=/etc/freetds/freetds.conf
if [ -f "$freetds_conf" ] && grep -q '^[[:space:]]*# qorvex: explicit protocol' "$freetds_conf"; then
    "${sudo_cmd[@]}" sed -i '/^[[:space:]]*# qorvex: explicit protocol/,+2d' "$freetds_conf"
fi
