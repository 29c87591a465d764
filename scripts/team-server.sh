#!/usr/bin/env bash
# A private PostgreSQL 15 server for the team library's tests, on 127.0.0.1 only:
#   scripts/team-server.sh start DIR PORT    a fresh cluster in DIR, started on PORT
#   scripts/team-server.sh stop DIR          stops the server started in DIR and waits for it
#   scripts/team-server.sh sql DIR [ARGS]    psql as the server's administrator (database postgres),
#                                            reading its SQL from standard input; ARGS go to psql
#   scripts/team-server.sh hba DIR           puts the pg_hba.conf lines read from standard input
#                                            before the server's own (the first line that fits
#                                            decides), in place of those an earlier hba put there,
#                                            and has the server read the file again
#
# start prints two ODBC connection texts and writes them to DIR/lead.txt and DIR/desk.txt:
#   lead  velmora_lead, the team lead's account: owns the database kefu (客服, customer service),
#         so it may create the team tables (VelmoraDb team init) and replace their rows
#         (VelmoraDb team publish).
#   desk  velmora_desk, a desk's account: may connect and read every table the lead creates,
#         nothing else. This is the read-only role the help recommends for desks.
# The passwords are new at every start. Logins over TCP need a password (scram-sha-256);
# the local socket, in DIR's cluster only, admits the postgres user who set the cluster up.
#
# PostgreSQL refuses to run as root, so the cluster belongs to the postgres user: the script
# works as root (runuser) or as a user with sudo. Debian's server packages provide it
# (scripts/install-deps.sh installs them).
set -euo pipefail

bin=/usr/lib/postgresql/15/bin
database=kefu
lead=velmora_lead
desk=velmora_desk

usage() {
    echo "usage: $0 start DIR PORT | stop DIR | sql DIR [PSQL ARGS] | hba DIR" >&2
    exit 2
}

if [ "$(id -u)" -eq 0 ]; then
    as_root() { "$@"; }
    as_postgres() { runuser -u postgres -- "$@"; }
else
    as_root() { sudo -n -- "$@"; }
    as_postgres() { sudo -n -u postgres -- "$@"; }
fi

absolute() {
    mkdir -p "$1"
    (cd "$1" && pwd)
}

# The folder the cluster lives in: DIR/cluster when the postgres user can reach DIR, else a
# folder of its own under /tmp (a home folder is often closed to other users). Its path is
# kept in DIR/cluster-path either way, for stop.
cluster_folder() {
    local dir=$1
    if as_postgres test -x "$dir" 2>/dev/null; then
        echo "$dir/cluster"
    else
        mktemp -d /tmp/velmora-team-server.XXXXXX
    fi
}

stop_server() {
    local dir=$1 pid
    [ -f "$dir/postmaster.pid" ] || return 0
    pid=$(cat "$dir/postmaster.pid")
    # SIGINT is PostgreSQL's fast shutdown: open sessions are ended, nothing is waited for.
    if as_root kill -INT "$pid" 2>/dev/null; then
        for _ in $(seq 1 300); do
            as_root kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        if as_root kill -0 "$pid" 2>/dev/null; then
            echo "team-server.sh: the server (pid $pid) did not stop within 30 seconds" >&2
            return 1
        fi
    fi
    rm -f "$dir/postmaster.pid"
}

start_server() {
    local dir=$1 port=$2 cluster socket lead_password desk_password
    case "$port" in
        '' | *[!0-9]*) usage ;;
    esac
    # A server left by an earlier run in the same folder goes first: every start is fresh.
    stop_server "$dir"
    if [ -f "$dir/cluster-path" ]; then
        as_root rm -rf "$(cat "$dir/cluster-path")"
        rm -f "$dir/cluster-path"
    fi
    cluster=$(cluster_folder "$dir")
    echo "$cluster" >"$dir/cluster-path"
    as_root mkdir -p "$cluster"
    as_root chown postgres: "$cluster"
    as_root chmod 700 "$cluster"
    socket=$cluster/socket
    as_postgres mkdir -p "$socket"

    as_postgres "$bin/initdb" -D "$cluster/data" -E UTF8 --locale=C.UTF-8 -U postgres \
        --auth-local=peer --auth-host=scram-sha-256 >"$dir/initdb.log"
    as_postgres "$bin/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 30 \
        -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$socket" \
        start >"$dir/pg_ctl.log" || {
        as_root cat "$cluster/server.log" >&2 || true
        return 1
    }
    as_postgres head -n 1 "$cluster/data/postmaster.pid" >"$dir/postmaster.pid"
    echo "$port" >"$dir/port"

    lead_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
    desk_password=$(od -An -N12 -tx1 /dev/urandom | tr -d ' \n')
    as_postgres "$bin/psql" -q -v ON_ERROR_STOP=1 -h "$socket" -p "$port" -U postgres -d postgres \
        >/dev/null <<SQL
CREATE ROLE $lead LOGIN PASSWORD '$lead_password';
CREATE ROLE $desk LOGIN PASSWORD '$desk_password';
CREATE DATABASE $database OWNER $lead ENCODING 'UTF8' TEMPLATE template0;
\connect $database
REVOKE ALL ON DATABASE $database FROM PUBLIC;
GRANT CONNECT ON DATABASE $database TO $lead, $desk;
GRANT USAGE ON SCHEMA public TO $desk;
ALTER DEFAULT PRIVILEGES FOR ROLE $lead IN SCHEMA public GRANT SELECT ON TABLES TO $desk;
SQL
    local common="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=$database;"
    echo "${common}Uid=$lead;Pwd=$lead_password;" >"$dir/lead.txt"
    echo "${common}Uid=$desk;Pwd=$desk_password;" >"$dir/desk.txt"
    echo "lead: $(cat "$dir/lead.txt")"
    echo "desk: $(cat "$dir/desk.txt")"
}

# psql as the postgres user over the cluster's own socket, for the server started in DIR.
admin_psql() {
    local dir=$1 cluster
    shift
    [ -f "$dir/postmaster.pid" ] && [ -f "$dir/port" ] || {
        echo "team-server.sh: no server was started in $dir" >&2
        return 1
    }
    cluster=$(cat "$dir/cluster-path")
    as_postgres "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$cluster/socket" -p "$(cat "$dir/port")" -U postgres \
        -d postgres "$@"
}

prepend_hba() {
    local dir=$1 hba lines
    hba=$(cat "$dir/cluster-path")/data/pg_hba.conf
    lines=$(cat)
    # Each line added is marked, so that the next hba finds and replaces it.
    printf '%s\n' "$lines" | sed 's/$/ # team-server.sh hba/' |
        as_postgres sh -c '{ cat; grep -v " # team-server.sh hba$" "$1"; } >"$1.new"; mv "$1.new" "$1"' sh "$hba"
    admin_psql "$dir" -c 'SELECT pg_reload_conf();' >/dev/null
}

case "${1:-}" in
    start)
        [ $# -eq 3 ] || usage
        start_server "$(absolute "$2")" "$3"
        ;;
    stop)
        [ $# -eq 2 ] || usage
        dir=$(absolute "$2")
        stop_server "$dir"
        ;;
    sql)
        [ $# -ge 2 ] || usage
        dir=$(absolute "$2")
        shift 2
        admin_psql "$dir" "$@"
        ;;
    hba)
        [ $# -eq 2 ] || usage
        prepend_hba "$(absolute "$2")"
        ;;
    *) usage ;;
esac
