#!/usr/bin/env bash
# Installs the dependencies, builds and starts the simulator.
#   scripts/run.sh               port 1 on a virtual line with a small receiver at the far end
#   scripts/run.sh /dev/ttyUSB0  port 1 is that device
# A port already named by KESTRUNE_COM1 is used as it is.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
build

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: run this from a desktop session (or under xvfb-run)." >&2
    exit 1
fi

if [ $# -ge 1 ]; then
    export KESTRUNE_COM1=$1
fi
if [ -z "${KESTRUNE_COM1:-}" ]; then
    export KESTRUNE_LINE_DIR=${KESTRUNE_LINE_DIR:-/tmp/kestrune-line-$(id -u "${SUDO_USER:-root}")}
    export REQUEST_SECONDS=${REQUEST_SECONDS:-}
    as_user "$ROOT/scripts/virtual-line.sh" start "$BUILD_DIR/kestrune-receiver"
    trap 'as_user "$ROOT/scripts/virtual-line.sh" stop || true' EXIT
    trap 'exit 130' INT TERM
    export KESTRUNE_COM1=$KESTRUNE_LINE_DIR/kestrune-com1
    echo "Port 1 is $KESTRUNE_COM1; the receiver prints what arrives (log: $KESTRUNE_LINE_DIR/receiver.log)."
fi
as_user "$BUILD_DIR/kestrune"
