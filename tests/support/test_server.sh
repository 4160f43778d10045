#!/usr/bin/env bash
# shellcheck shell=bash
# The server the SQL Server tests talk to: a private PostgreSQL cluster on
# 127.0.0.1, reached through the same ODBC code path as a real SQL Server.
# The tests' unixODBC finds a private driver list (ODBCSYSINI) in which the
# name "SQL Server" means psqlODBC, so the program's own connection text
# "DRIVER=SQL Server;SERVER=127.0.0.1;UID=sa;PWD=kzqpw;DATABASE=mstest;"
# reaches the cluster unchanged.
#
# Sourced by test.sh:   start_test_server DIR [PRACTICE_DB]; ...; stop_test_server
# By hand, for ctest:   eval "$(tests/support/test_server.sh start build-x/test-server)"
#                       tests/support/test_server.sh stop build-x/test-server
#
# start_test_server exports what the tests read:
#   QORVEX_TEST_SERVER   server address for config.ini (tests skip when unset)
#   QORVEX_TEST_FIXTURE  SQL that resets mstest to the bundled rows (psql script)
#   QORVEX_TEST_PSQL     the psql to run it with
#   PGPORT               the cluster's port (psqlODBC and psql read it)
#   ODBCSYSINI, ODBCINSTINI  the private driver list
# The practice rows come from the generated SQLite database (default:
# DIR/../generated/人员信息库.mdb), so the server holds what the local file holds.
# The cluster, its logs, the fixture and the driver list live in DIR (or, when
# the postgres user cannot reach DIR, in the folder that DIR/location names).

qorvex_ts_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
QORVEX_TS_DIR=
QORVEX_TS_BIN=
QORVEX_TS_AS=()

# The PostgreSQL type closest to what the course's SQL Server script
# (data/mstest.sql) declares for a column type of the practice database:
# int, float, money, decimal, datetime, bit, nvarchar, nvarchar(max) and
# varbinary(max) there; numeric(19,4) stands in for money, timestamp(3) for
# datetime (both reach ODBC as SQL_TYPE_TIMESTAMP), text for nvarchar(max).
# The answer goes to REPLY (no subshell per column).
qorvex_ts_pg_type() {
    local t=${1^^} size
    t=${t// /}
    size=
    [[ "$t" == *\(* ]] && size="(${t#*\(}"
    case "${t%%\(*}" in
        INTEGER | INT | LONG | COUNTER | AUTOINCREMENT) REPLY=integer ;;
        SMALLINT | TINYINT | BYTE | SHORT) REPLY=smallint ;;
        BIGINT) REPLY=bigint ;;
        REAL | FLOAT | DOUBLE | DOUBLEPRECISION) REPLY='double precision' ;;
        SINGLE) REPLY=real ;;
        MONEY | CURRENCY | SMALLMONEY) REPLY='numeric(19,4)' ;;
        NUMERIC | DECIMAL) REPLY="numeric${size:-(18,4)}" ;;
        DATE | DATETIME | SMALLDATETIME | TIMESTAMP | TIME) REPLY='timestamp(3)' ;;
        BIT | BOOLEAN | YESNO | LOGICAL) REPLY=boolean ;;
        CHAR | NCHAR | VARCHAR | NVARCHAR) REPLY="varchar${size:-(255)}" ;;
        MEMO | TEXT | NTEXT | LONGTEXT | LONGCHAR | CLOB) REPLY=text ;;
        LONGBINARY | BLOB | IMAGE | OLEOBJECT | VARBINARY | BINARY) REPLY=bytea ;;
        *) REPLY=text ;;
    esac
}

# Writes to OUT a psql script that empties mstest's schema public and fills
# it with the compatibility objects and every table of the SQLite file DB,
# with its rows, in the file's order. Two runs of sqlite3: one reads the
# columns of every table, the other prints the table part of the script.
qorvex_ts_write_fixture() {
    local db=$1 out=$2
    local table name type notnull pk columns previous='' script='' cols=() exprs=() key=()
    columns=$(sqlite3 -batch -separator $'\t' "$db" \
        "SELECT m.name, p.name, p.type, p.\"notnull\", p.pk FROM sqlite_master AS m, pragma_table_info(m.name) AS p
          WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite_%' ORDER BY m.rowid, p.cid") || return 1
    while IFS=$'\t' read -r table name type notnull pk; do
        if [ "$table" != "$previous" ]; then
            qorvex_ts_table_script
            previous=$table cols=() exprs=() key=()
        fi
        qorvex_ts_pg_type "$type"
        cols+=("$name $REPLY$([ "$notnull" = 1 ] && echo ' NOT NULL')")
        [ "$pk" -gt 0 ] 2>/dev/null && key+=("$name")
        case "$REPLY" in
            bytea) exprs+=("CASE WHEN \"$name\" IS NULL THEN 'NULL' ELSE '''\\x' || hex(\"$name\") || '''' END") ;;
            boolean) exprs+=("CASE WHEN \"$name\" IS NULL THEN 'NULL' WHEN \"$name\" THEN 'true' ELSE 'false' END") ;;
            *) exprs+=("CASE WHEN \"$name\" IS NULL THEN 'NULL' ELSE quote(CAST(\"$name\" AS TEXT)) END") ;;
        esac
    done <<<"$columns"
    qorvex_ts_table_script
    [ -n "$script" ] || return 1
    {
        echo '\set ON_ERROR_STOP on'
        echo 'SET client_min_messages = warning;'
        echo 'DROP SCHEMA IF EXISTS public CASCADE;'
        echo 'CREATE SCHEMA public;'
        echo 'GRANT ALL ON SCHEMA public TO PUBLIC;'
        cat "$qorvex_ts_here/pg_fixture.sql"
        echo 'BEGIN;'
        sqlite3 -batch -noheader "$db" "$script" || return 1
        echo 'COMMIT;'
    } >"$out"
}

# For qorvex_ts_write_fixture: appends to its sqlite3 script the statements
# that print the CREATE TABLE and the INSERTs of the table just read.
qorvex_ts_table_script() {
    [ -n "$previous" ] || return 0
    local joined=${cols[0]} c create
    for c in "${cols[@]:1}"; do joined+=$',\n    '"$c"; done
    [ ${#key[@]} -gt 0 ] && joined+=$',\n    '"PRIMARY KEY ($(IFS=,; echo "${key[*]}"))"
    create=$(printf 'CREATE TABLE %s (\n    %s\n);' "$previous" "$joined")
    script+="SELECT '${create//\'/\'\'}';"$'\n'
    script+="SELECT 'INSERT INTO $previous VALUES (' || ${exprs[0]}"
    for c in "${exprs[@]:1}"; do script+=" || ',' || $c"; done
    script+=" || ');' FROM \"${previous//\"/\"\"}\" ORDER BY rowid;"$'\n'
}

qorvex_ts_port_free() {
    ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

qorvex_ts_run() {
    "${QORVEX_TS_AS[@]}" "$@"
}

start_test_server() {
    local dir=${1:?usage: start_test_server DIR [PRACTICE_DB]}
    mkdir -p "$dir" || return 1
    dir=$(cd "$dir" && pwd)
    local practice_db=${2:-$(dirname "$dir")/generated/人员信息库.mdb}
    if [ ! -f "$practice_db" ]; then
        echo "test server: no practice database at $practice_db" >&2
        return 1
    fi
    QORVEX_TS_BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    local odbc_driver
    odbc_driver=$(ls /usr/lib/*/odbc/psqlodbcw.so /usr/lib/odbc/psqlodbcw.so 2>/dev/null | head -n 1)
    if [ ! -x "$QORVEX_TS_BIN/initdb" ] || [ -z "$odbc_driver" ]; then
        echo "test server: PostgreSQL or its ODBC driver is not installed" >&2
        return 1
    fi

    # A cluster left over from an earlier run goes first.
    local old
    for old in "$(cat "$dir/location" 2>/dev/null)" "$dir"; do
        if [ -n "$old" ] && [ -f "$old/data/postmaster.pid" ]; then
            QORVEX_TS_DIR=$old
            stop_test_server immediate
        fi
    done
    old=$(cat "$dir/location" 2>/dev/null)
    [ -n "$old" ] && [ "$old" != "$dir" ] && rm -rf "$old"
    rm -rf "$dir"
    mkdir -p "$dir" || return 1
    # PostgreSQL refuses to run as root: the cluster belongs to the postgres
    # user. When that user cannot reach DIR (a folder under a private home),
    # the server lives in a folder of its own under /tmp, which DIR/location names.
    QORVEX_TS_AS=()
    if [ "$(id -u)" -eq 0 ]; then
        QORVEX_TS_AS=(runuser -u postgres --)
        chown postgres: "$dir" || return 1
        if ! qorvex_ts_run test -w "$dir" -a -x "$dir"; then
            local requested=$dir
            dir=$(mktemp -d /tmp/qorvex-test-server.XXXXXX) || return 1
            chown postgres: "$dir" && chmod 755 "$dir" || return 1
            echo "$dir" >"$requested/location"
        fi
    fi

    # The fixture is written while initdb runs.
    qorvex_ts_write_fixture "$practice_db" "$dir/mstest_fixture.sql" &
    local fixture_job=$!
    if ! qorvex_ts_run "$QORVEX_TS_BIN/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C \
            --auth-local=trust --auth-host=scram-sha-256 --no-sync >"$dir/initdb.log" 2>&1; then
        echo "test server: initdb failed, see $dir/initdb.log" >&2
        wait "$fixture_job"
        return 1
    fi
    # Throw-away data: no need to wait for the disk.
    cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
EOF

    # The usual port when it is free; psqlODBC takes another one from PGPORT.
    local port started=
    for port in 5432 $(seq 54321 54340); do
        qorvex_ts_port_free "$port" || continue
        if qorvex_ts_run "$QORVEX_TS_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
                -o "-p $port" start >/dev/null 2>&1; then
            started=1
            break
        fi
    done
    if [ -z "$started" ]; then
        echo "test server: the cluster did not start, see $dir/server.log" >&2
        wait "$fixture_job"
        return 1
    fi
    QORVEX_TS_DIR=$dir

    if ! wait "$fixture_job"; then
        echo "test server: could not read the practice database $practice_db" >&2
        stop_test_server
        return 1
    fi
    chmod a+r "$dir/mstest_fixture.sql"
    if ! qorvex_ts_run psql -X -q -h "$dir" -p "$port" -U postgres -d postgres >"$dir/setup.log" 2>&1 <<EOF
\set ON_ERROR_STOP on
CREATE ROLE sa LOGIN SUPERUSER PASSWORD 'kzqpw';
CREATE DATABASE mstest OWNER sa;
CREATE DATABASE master OWNER sa;
\connect mstest sa
\i $dir/mstest_fixture.sql
EOF
    then
        echo "test server: setting up mstest failed, see $dir/setup.log" >&2
        stop_test_server
        return 1
    fi

    # The system's other drivers stay available; "SQL Server" is psqlODBC here.
    # BoolsAsChar=0 reports boolean columns as SQL_BIT, as SQL Server's bit is.
    local system_ini
    system_ini=$(odbcinst -j 2>/dev/null | sed -n 's/^DRIVERS\.*: //p')
    {
        if [ -f "$system_ini" ]; then
            awk '/^\[/ { skip = ($0 == "[SQL Server]") } !skip' "$system_ini"
            echo
        fi
        printf '[SQL Server]\nDescription=PostgreSQL standing in for SQL Server\nDriver=%s\nBoolsAsChar=0\n' "$odbc_driver"
    } >"$dir/odbcinst.ini"
    : >"$dir/odbc.ini"

    export ODBCSYSINI=$dir ODBCINSTINI=odbcinst.ini
    export PGPORT=$port
    export QORVEX_TEST_SERVER=127.0.0.1
    export QORVEX_TEST_FIXTURE=$dir/mstest_fixture.sql
    export QORVEX_TEST_PSQL
    QORVEX_TEST_PSQL=$(command -v psql)
    return 0
}

# Stops the cluster (fast shutdown: open connections are cut). Also right
# when the tests failed; the folder stays for its logs.
stop_test_server() {
    local mode=${1:-fast}
    [ -n "$QORVEX_TS_DIR" ] && [ -f "$QORVEX_TS_DIR/data/postmaster.pid" ] || return 0
    if [ -z "$QORVEX_TS_BIN" ]; then
        QORVEX_TS_BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    fi
    if [ ${#QORVEX_TS_AS[@]} -eq 0 ] && [ "$(id -u)" -eq 0 ]; then
        QORVEX_TS_AS=(runuser -u postgres --)
    fi
    qorvex_ts_run "$QORVEX_TS_BIN/pg_ctl" -D "$QORVEX_TS_DIR/data" -m "$mode" -w -t 30 stop >/dev/null 2>&1
    return 0
}

# Run by hand: print the environment for the caller's shell to eval.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case "${1:-}" in
        start)
            start_test_server "${2:?usage: $0 start DIR [PRACTICE_DB]}" "${3:-}" >&2 || exit 1
            for v in ODBCSYSINI ODBCINSTINI PGPORT QORVEX_TEST_SERVER QORVEX_TEST_FIXTURE QORVEX_TEST_PSQL; do
                printf 'export %s=%q\n' "$v" "${!v}"
            done
            ;;
        stop)
            QORVEX_TS_DIR=$(cd "${2:?usage: $0 stop DIR}" && pwd)
            if [ -f "$QORVEX_TS_DIR/location" ]; then
                QORVEX_TS_DIR=$(cat "$QORVEX_TS_DIR/location")
            fi
            stop_test_server
            ;;
        *)
            echo "usage: $0 start DIR [PRACTICE_DB] | stop DIR" >&2
            exit 2
            ;;
    esac
fi
