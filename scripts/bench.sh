#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them all on a private Xvfb display and socat lines,
# writing docs/benchmarks.md. Takes about 20 minutes; run it on a quiet machine.
#   scripts/bench.sh                  full length
#   BENCH_QUICK=1 scripts/bench.sh    short runs, to try the script (about 3 minutes)
# KESTRUNE_BENCH_BUILD_DIR (default build-bench), KESTRUNE_BENCH_OUT (default docs/benchmarks.md),
# KESTRUNE_BENCH_JOBS (default 2).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BENCH_DIR=${KESTRUNE_BENCH_BUILD_DIR:-build-bench}
[[ $BENCH_DIR = /* ]] || BENCH_DIR=$ROOT/$BENCH_DIR
OUT=${KESTRUNE_BENCH_OUT:-$ROOT/docs/benchmarks.md}
JOBS=${KESTRUNE_BENCH_JOBS:-2}

if [ -n "${BENCH_QUICK:-}" ]; then
    PERIOD_S=30 REQUESTS=100 IDLE_S=20 BUSY_S=20 PAINTS_S=10 STARTS=5
else
    PERIOD_S=600 REQUESTS=1000 IDLE_S=120 BUSY_S=120 PAINTS_S=30 STARTS=20
fi

install_packages xvfb libxcb1-dev
command -v Xvfb >/dev/null || { echo "Xvfb is missing; run as root to install it." >&2; exit 1; }

as_user cmake -S "$ROOT" -B "$BENCH_DIR" -DCMAKE_BUILD_TYPE=Release -DKESTRUNE_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
as_user cmake --build "$BENCH_DIR" -j"$JOBS" \
    --target kestrune kestrune-receiver kestrune-bench kestrune-bench-startup

WORK=$(mktemp -d /tmp/kestrune-bench-run-XXXXXX)
XVFB_PID=
LOAD_PID=
LINE_STARTED=
cleanup() {
    [ -n "$LINE_STARTED" ] && KESTRUNE_LINE_DIR=$WORK/line "$ROOT/scripts/virtual-line.sh" stop
    [ -n "$LOAD_PID" ] && kill "$LOAD_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# A display of its own: the window runs on the xcb platform as on a desktop, without a window
# manager.
exec 3>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
exec 3>&-
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
[ -s "$WORK/display" ] || { cat "$WORK/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$WORK/display")
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The 1-minute load average every 15 s while the benchmarks run.
(while true; do cut -d' ' -f1 /proc/loadavg; sleep 15; done) >"$WORK/load" &
LOAD_PID=$!
START_LOAD=$(cut -d' ' -f1-3 /proc/loadavg)
STARTED=$(date -u '+%Y-%m-%d %H:%M UTC')

bench() {
    echo "== kestrune-bench $*" >&2
    as_user "$BENCH_DIR/kestrune-bench" "$@" 2>"$WORK/bench.err" || {
        cat "$WORK/bench.err" >&2
        exit 1
    }
}

PERIOD=$(bench period "$PERIOD_S")
REQUEST=$(bench request "$REQUESTS")
IDLE=$(bench idle "$IDLE_S")
BUSY=$(bench busy "$BUSY_S")
PAINTS=$(bench paints "$PAINTS_S")

echo "== kestrune-bench-startup" >&2
# To a file: the line's processes keep the script's output open, which a $(...) would wait for.
KESTRUNE_LINE_DIR=$WORK/line KESTRUNE_RECEIVER=$BENCH_DIR/kestrune-receiver \
    "$ROOT/scripts/virtual-line.sh" start >"$WORK/line.out"
LINE_STARTED=1
eval "$(grep '^export KESTRUNE_COM1=' "$WORK/line.out")"
STARTUP=$(as_user "$BENCH_DIR/kestrune-bench-startup" "$BENCH_DIR/kestrune" "$STARTS")
KESTRUNE_LINE_DIR=$WORK/line "$ROOT/scripts/virtual-line.sh" stop
LINE_STARTED=

kill "$LOAD_PID" 2>/dev/null
LOAD_PID=
END_LOAD=$(cut -d' ' -f1-3 /proc/loadavg)
LOAD_SUMMARY=$(awk '{ s += $1; if (NR == 1 || $1 < lo) lo = $1; if ($1 > hi) hi = $1 }
    END { printf "min %.2f, mean %.2f, max %.2f over %d samples", lo, s / NR, hi, NR }' "$WORK/load")

CPU=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
MEMORY=$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)
QT=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo unknown)
SOCAT=$(dpkg-query -W -f='${Version}' socat 2>/dev/null || echo unknown)
QUICK_NOTE=
[ -n "${BENCH_QUICK:-}" ] && QUICK_NOTE="
**Short trial run (BENCH_QUICK): the lengths below are not the full ones.**
"

mkdir -p "$(dirname "$OUT")"
cat >"$OUT" <<EOF
# Benchmarks

Written by \`scripts/bench.sh\` (as root, or through \`sudo\`), which builds a Release tree with
\`-DKESTRUNE_BENCH=ON\` and runs every measurement below; the benchmarks are not part of the
test suite. Run on $STARTED.
$QUICK_NOTE
## Machine

| | |
|---|---|
| CPU | $CPU |
| Cores | $(nproc) |
| Memory | $MEMORY |
| Kernel | $(uname -sr) |
| Qt | $QT (Debian package libqt6core6) |
| socat | $SOCAT |
| Display | Xvfb, 1280x1024x24, no window manager; Qt platform xcb |
| Load average | 1, 5, 15 min at start: $START_LOAD; at end: $END_LOAD; 1-min load every 15 s: $LOAD_SUMMARY |

## How it is measured

\`kestrune-bench\` builds the real window in-process (live timers, a \`serial::QtCommPort\` on
port 1, which \`KESTRUNE_COM1\` maps to one end of a socat pseudo-terminal pair), clicks its
controls with QTest and runs the Qt event loop. A child forked before Qt starts reads the other
end raw and parses it with the \`kestrune_receiver\` library; every WITS block is stamped with
CLOCK_MONOTONIC at the read that brought its first byte. A packet is the record-01 block, which
carries the hole depth (item 0110). For the timing runs the port is wrapped in a pass-through that
notes when a request was taken in and when a packet was handed to the port, on the same clock, so
the latency can be split into its parts; the CPU and memory runs use the bare port. CPU is
user plus system time of the simulator process (getrusage), memory is VmRSS sampled every 10 s and
VmHWM at the end, both from /proc/self/status.

A pseudo-terminal has no baud limit: bytes cross at once whatever speed the port is set to, so
every figure here leaves out the line's transfer time. At 9600 baud (8N1) each byte takes
1.04 ms.

## Automatic period and rate of penetration

One run of $PERIOD_S s: Half WITS, Sim Pason Auto, interval "2" (the start-up values), On Bottom,
ROP 1 Sec/ Ft, then the run switch clicked. The rate is the least-squares slope of the hole depth
in the packets against their arrival time.

$PERIOD

## Request latency

Sim Pason Request Mode and the run switch on; the far end writes "!!" CR LF $REQUESTS times, each
after the previous packet has ended (30 ms without a byte) and a random pause of 0-100 ms, so the
requests fall evenly over the scheduler's 100 ms tick. Latency runs from just before the write to
the read that brings the packet's first byte. The target is judged on each answer less the line's
own share of it, from the Output call to the first byte at the far end (socat relaying between
two pseudo-terminals, and the far end waking up to read): that share is this line's transfer
time, which the target puts on top of the tick. With the wait uniform over the tick, the p99 of
1000 requests is 99 ms give or take about 0.3 ms from run to run, plus what the simulator adds.

$REQUEST

## CPU and memory

Idle: the window as it starts (run switch off, port open, all six timers running), $IDLE_S s
after a 3 s settling time.

$IDLE

Sending every tick: interval "0", Add Random Noise checked, run switch on, the far end reading
and parsing everything; $BUSY_S s.

$BUSY

What repaints while idle ($PAINTS_S s, paint events counted per widget):

$PAINTS

## Start-up

\`kestrune-bench-startup\` starts the built \`kestrune\` $STARTS times on the Xvfb display, with
port 1 on a virtual line (\`scripts/virtual-line.sh\`, receiver attached), and times each from
\`posix_spawn\` to the X server's MapNotify for the window titled "Kestrune Version", taken from
an XCB event subscription on the root window rather than by polling (\`xdotool search --sync\`
polls). Each window is then closed with WM_DELETE_WINDOW, as a close button would, and the
program must end by itself. The figure includes loading Qt, connecting to the X server, building
the window and loading the templates; it ends before the first paint.

$STARTUP

## Where the time goes

- **Period and rate.** Each window timer's next deadline is the previous one plus the period,
  so neither the 2 s send interval (20 ticks of 100 ms) nor the 0.1 ft depth step of every
  100 ms drifts. Qt's own timers round every wait up to a whole millisecond, so their ticks came
  0-1 ms late, 0.5 ms on average; the timers now wake the event loop through a Linux timerfd, to
  the microsecond (tick deviation p99 1.6 ms before, hand-over p50 0.45 ms before). Single
  intervals at the far end still move by the line's relay and the far end's wake-up.
- **Request latency.** The scheduler looks at the input only on its 100 ms tick, so a request
  waits 0-100 ms for it (uniformly, since requests come at random phases). A request that has
  reached the device by the tick is taken by that tick, even if the event loop has not yet read
  it in. Then the packet is built, letting window events run before each template line. Those
  pauses used to lay out and repaint the receive window (the request just shown) and whatever
  the other timers had changed, which was most of the build time (p50 1.4 ms); the tick now holds
  the traffic windows' layout and the window's repaints until it ends, so the packet is written
  first and everything is drawn once after it (clicks, keys and ticks in the pauses still run; a
  dialog or menu opened in a pause, or 50 ms, lets drawing go). The port starts the bytes at once
  when the line has room. What the simulator adds to the tick is now the build and the hand-over
  in the rows above, a few tenths of a millisecond.
- **Idle CPU.** With the run switch off, the depth tick still rewrites "Seconds Counter" every
  100 ms (at ROP 1 Min/ Ft it counts 60 down to 1); each stroke of the three pumps toggles its
  rate box colour and rewrites two stroke boxes (the "Pumps Off When Off Bottom" option
  overlaps the total box by a pixel and is drawn again with it); the run switch blinks once a
  second. What is shown must change, so the work left is drawing it. What was cut: the counter
  label measured its caption's width by laying it out on every change (now once per caption) and
  had the window under it drawn again each time (it now fills its own background, which draws the
  same pixels); the pumps frame drew its style frame and caption again under every stroke (it now
  draws from a picture of itself); ticks set the same colours again and again, each a new
  palette (now skipped when already set); and on X11 every repaint began with a round trip to
  the server for the shared-memory image (the program now sends its small repaints over the
  connection, \`QT_XCB_NO_MITSHM\`). Together these took the idle figure from 1.0 % to 0.6-0.75 %
  of a core (it moves by about 0.05 % from run to run). Measured with the other timers stopped
  through \`KESTRUNE_BENCH_HALT\`: the depth tick alone costs about 0.47 % (its handler a quarter,
  the counter's repaint and its transfer to the X server about 0.2 %, the event loop's wake-up
  the rest), the scheduler tick alone 0.15 %, the pumps and the blink 0.19 %; together they
  share wake-ups. Making the two 100 ms timers fall due at one instant saved a wake-up a tick
  but no measurable CPU, so they keep their own deadlines. What is left is one label drawn ten
  times a second by Qt's widgets on X11, about 0.2-0.3 ms of CPU a time.
- **Idle memory.** While the run switch is off, the maintenance tick blinks it by giving the
  button a new palette every second. The Fusion style keeps a button's drawn bevel in
  QPixmapCache under a key that includes the palette's identity, which is new with every
  palette, so each blink used to add pixmaps never drawn again (about 15 KiB a second, up to the
  cache's 10 MiB). The button now draws with an equal palette kept from earlier, so the two
  blink colours use two cache entries and memory stays flat.
EOF
echo "Wrote $OUT" >&2
