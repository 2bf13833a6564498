#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, reachable only through a Unix socket:
#   pg-cluster.sh start STATE    make and start a fresh cluster (stopping one left in STATE)
#   pg-cluster.sh stop STATE     stop it and remove it
#   pg-cluster.sh pause STATE    stop the server, keeping its data
#   pg-cluster.sh resume STATE   start it again
# STATE is a folder of the caller's: it gets `socket` (the socket folder), `port` and
# `cluster` (where data and socket live: a temporary folder owned by the server's user). When
# the server binaries are missing, `start` writes `missing` with the reason and succeeds, so
# that the tests can say why they skip. Run as root, the server runs as `postgres`.
set -euo pipefail

command=${1:?usage: pg-cluster.sh start|stop|pause|resume STATE}
state=${2:?usage: pg-cluster.sh start|stop|pause|resume STATE}

find_bindir() {
    local candidates=()
    if command -v pg_config >/dev/null; then candidates+=("$(pg_config --bindir)"); fi
    candidates+=(/usr/lib/postgresql/*/bin)
    local dir
    for dir in "${candidates[@]}"; do
        if [[ -x $dir/initdb && -x $dir/pg_ctl && -x $dir/postgres ]]; then
            echo "$dir"
            return 0
        fi
    done
    return 1
}

# The server refuses to run as root: as root, run it as postgres.
as_owner() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

cluster_dir() {
    [[ -f $state/cluster ]] && cat "$state/cluster"
}

pg_ctl_run() {
    local dir=$1
    shift
    (cd "$dir" && as_owner "$bindir/pg_ctl" -D "$dir/data" "$@")
}

# Stops whatever server runs on the cluster's data, even one a killed test run left behind.
halt_server() {
    local dir=$1 mode=$2
    [[ -f $dir/data/postmaster.pid ]] || return 0
    pg_ctl_run "$dir" stop -m "$mode" -w -t 30 >/dev/null 2>&1 || true
    if [[ -f $dir/data/postmaster.pid ]]; then
        local pid
        pid=$(head -n 1 "$dir/data/postmaster.pid" 2>/dev/null || true)
        if [[ $pid =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null; then
            kill -KILL "$pid" 2>/dev/null || true
            for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        fi
        rm -f "$dir/data/postmaster.pid"
    fi
}

remove_cluster() {
    local dir
    dir=$(cluster_dir) || true
    if [[ -n ${dir:-} && -d $dir ]]; then
        if bindir=$(find_bindir); then halt_server "$dir" immediate; fi
        # Only our own temporary folders are ever removed.
        [[ $dir == /tmp/tb-pg.* ]] && rm -rf "$dir"
    fi
    rm -rf "$state"
}

start_server() {
    local dir=$1
    if ! pg_ctl_run "$dir" -l "$dir/server.log" -w -t 60 start >/dev/null; then
        echo "pg-cluster: the server did not start; its log:" >&2
        cat "$dir/server.log" >&2 || true
        return 1
    fi
}

case $command in
start)
    remove_cluster
    mkdir -p "$state"
    if ! bindir=$(find_bindir); then
        echo "the PostgreSQL server binaries (initdb, pg_ctl, postgres) are not installed" \
            >"$state/missing"
        echo "pg-cluster: $(cat "$state/missing"); the PostgreSQL tests will skip"
        exit 0
    fi
    if [[ $(id -u) -eq 0 ]] && ! id postgres >/dev/null 2>&1; then
        echo "pg-cluster: running as root, but there is no user postgres to run the server" >&2
        exit 1
    fi
    dir=$(mktemp -d /tmp/tb-pg.XXXXXX)
    echo "$dir" >"$state/cluster"
    chmod 755 "$dir"
    if [[ $(id -u) -eq 0 ]]; then chown postgres: "$dir"; fi
    # The port only names the socket in our own folder; a random one keeps logs apart.
    port=$((20000 + RANDOM % 40000))
    if ! (cd "$dir" && as_owner "$bindir/initdb" -D "$dir/data" -U postgres --auth-local=trust \
        --auth-host=reject --no-sync -E UTF8 --locale=C >"$dir/initdb.log" 2>&1); then
        cat "$dir/initdb.log" >&2
        exit 1
    fi
    # postgres itself comes in without a password; every other role needs its password.
    cat >"$dir/data/pg_hba.conf" <<HBA
local all postgres trust
local all all scram-sha-256
HBA
    cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = ''
unix_socket_directories = '$dir'
port = $port
password_encryption = scram-sha-256
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 60
shared_buffers = 16MB
lc_messages = 'C'
CONF
    start_server "$dir"
    echo "$dir" >"$state/socket"
    echo "$port" >"$state/port"
    echo "pg-cluster: running on $dir port $port"
    ;;
stop)
    remove_cluster
    ;;
pause | resume)
    dir=$(cluster_dir) || { echo "pg-cluster: no cluster in $state" >&2; exit 1; }
    bindir=$(find_bindir)
    if [[ $command == pause ]]; then
        pg_ctl_run "$dir" stop -m fast -w -t 30 >/dev/null
    else
        start_server "$dir"
    fi
    ;;
*)
    echo "pg-cluster: unknown command $command" >&2
    exit 2
    ;;
esac
