#!/usr/bin/env bash
# A virtual serial line: a socat pseudo-terminal pair with kestrune-receiver on the far end.
#   virtual-line.sh [RECEIVER]        in the foreground; Ctrl+C ends both
#   virtual-line.sh start [RECEIVER]  in the background; PIDs in $DIR/pids, log in $DIR/receiver.log
#   virtual-line.sh stop              ends what start started
# DIR is $KESTRUNE_LINE_DIR (default /tmp/kestrune-line). RECEIVER defaults to $KESTRUNE_RECEIVER,
# else build/kestrune-receiver. REQUEST_SECONDS=S makes the receiver send "!!" every S seconds.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DIR=${KESTRUNE_LINE_DIR:-/tmp/kestrune-line}
WAIT_TENTHS=50 # bound on every wait: 5 s

# Through sudo the line belongs to the invoking user, who runs the simulator on it.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    exec sudo -E -u "$SUDO_USER" -- bash "$0" "$@"
fi

# Runs the command every tenth of a second until it succeeds; fails after WAIT_TENTHS tries.
wait_until() {
    local tenths=0
    until "$@"; do
        [ $tenths -lt $WAIT_TENTHS ] || return 1
        sleep 0.1
        tenths=$((tenths + 1))
    done
}

ours() {
    case $(cat "/proc/$1/comm" 2>/dev/null) in
    socat | kestrune-recei*) return 0 ;;
    esac
    return 1
}

gone() { ! ours "$1"; }

stop_line() {
    [ -f "$DIR/pids" ] || return 0
    local pid
    # Only ours: a PID left from a crash may belong to someone else by now.
    while read -r pid; do
        if ours "$pid"; then
            kill "$pid" 2>/dev/null || true
            wait_until gone "$pid" || echo "PID $pid did not stop" >&2
        fi
    done <"$DIR/pids"
    rm -f "$DIR/pids"
}

start_socat() {
    mkdir -p "$DIR"
    rm -f "$DIR/kestrune-com1" "$DIR/traskel"
    # In a session of its own, so Ctrl+C at the terminal reaches the receiver, not the line.
    setsid socat -d -d "pty,raw,echo=0,link=$DIR/kestrune-com1" "pty,raw,echo=0,link=$DIR/traskel" \
        </dev/null 2>"$DIR/socat.log" &
    SOCAT_PID=$!
    if ! wait_until test -e "$DIR/kestrune-com1" -a -e "$DIR/traskel"; then
        echo "socat did not make the line; see $DIR/socat.log" >&2
        kill $SOCAT_PID 2>/dev/null || true
        exit 1
    fi
}

mode=run
case ${1:-} in
start | stop | run) mode=$1 && shift ;;
esac
if [ "$mode" = stop ]; then
    stop_line
    exit 0
fi

receiver=${1:-${KESTRUNE_RECEIVER:-$ROOT/build/kestrune-receiver}}
if [ ! -x "$receiver" ]; then
    echo "No receiver at $receiver; build it first (cmake --build build --target kestrune-receiver)." >&2
    exit 1
fi
command -v socat >/dev/null || { echo "socat is not installed." >&2; exit 1; }
args=("$DIR/traskel")
[ -n "${REQUEST_SECONDS:-}" ] && args+=(--request "$REQUEST_SECONDS")

stop_line
start_socat
echo "export KESTRUNE_COM1=$DIR/kestrune-com1"
if [ "$mode" = start ]; then
    "$receiver" "${args[@]}" </dev/null >"$DIR/receiver.log" 2>&1 &
    printf '%s\n' $! $SOCAT_PID >"$DIR/pids"
    if ! wait_until grep -q "listening on" "$DIR/receiver.log"; then
        cat "$DIR/receiver.log" >&2
        stop_line
        exit 1
    fi
    echo "Receiver output: $DIR/receiver.log; stop with: $0 stop"
else
    trap 'kill $SOCAT_PID 2>/dev/null || true' EXIT
    "$receiver" "${args[@]}"
fi
