#!/bin/sh
# Builds the Linux target and runs the sample receipt through the rendering
# plug-in under the test host; then the whole road to a printer: the
# virtual LT-77 on loopback TCP, the host's spooler with the port monitor,
# an application watching the printer through posstatus, the cover opened
# and closed at the printer, the point-of-sale sample printing through possdk
# and a card swiped. Prints where the outputs are.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2
BUILD=build/linux
ROOT="${LT77_HOST_ROOT:-$PWD/build/linux/hostroot}"
rm -rf "$ROOT"
HOST="$BUILD/host/lt77host --root $ROOT"
$HOST main-job

echo
echo "== through the port monitor to the virtual printer"
PRINTER="$ROOT/printer"
mkdir -p "$PRINTER"
"$BUILD/vprinter/lt77printer" --tcp-port 0 --control "$PRINTER/control" --jobs "$PRINTER/jobs" \
    --log "$PRINTER/bytes.log" >"$PRINTER/printer.out" 2>&1 &
PRINTER_PID=$!
SPOOLER_PID=
WATCHER_PID=
stop() {
    [ -n "$WATCHER_PID" ] && kill "$WATCHER_PID" 2>/dev/null && wait "$WATCHER_PID" 2>/dev/null
    [ -n "$SPOOLER_PID" ] && kill "$SPOOLER_PID" 2>/dev/null && wait "$SPOOLER_PID" 2>/dev/null
    kill "$PRINTER_PID" 2>/dev/null && wait "$PRINTER_PID" 2>/dev/null
    return 0
}
trap stop EXIT

# Waits up to 10 s for a command's output to contain a text.
await() {
    text="$1"; shift
    for _ in $(seq 100); do
        if "$@" 2>/dev/null | grep -q -- "$text"; then return 0; fi
        sleep 0.1
    done
    echo "main job: gave up waiting for '$text' from: $*" >&2
    return 1
}
await tcp-port cat "$PRINTER/printer.out"
TCP_PORT=$(awk '/^tcp-port/ {print $2}' "$PRINTER/printer.out")
echo "virtual printer on 127.0.0.1:$TCP_PORT, its byte log $PRINTER/bytes.log"

QUEUE="LT-77 Net"
PORT=IP_127.0.0.1
$HOST create-queue "$QUEUE" --port $PORT >/dev/null
$HOST install-printer "$QUEUE" ui/InstallConfig_LT77.INI >/dev/null
$HOST set-port $PORT HostAddress 127.0.0.1
$HOST set-port $PORT PortNumber "$TCP_PORT"
$HOST spooler "$QUEUE" >"$ROOT/spooler.log" 2>&1 &
SPOOLER_PID=$!
echo "the queue has bidirectional communication off, and its port stays closed until its first job"

echo "-- an application watches the printer through posstatus (lt77host watch-status)"
$HOST watch-status "$QUEUE" >"$ROOT/watcher.log" 2>&1 &
WATCHER_PID=$!
await "opened $PORT" cat "$ROOT/spooler.log"
await "block 10 00 00 0F, port status 0" $HOST show-status "$QUEUE"
echo "  the library switched it on and sent its Initialize document, which opened the port:"
sed 's/^/  spooler: /' "$ROOT/spooler.log"
echo "  queue: $($HOST show-queue "$QUEUE" | grep '^Attributes')"

receipt() {
    $HOST print-receipt "$QUEUE" --job "$1" >/dev/null
    await "job $1:" cat "$ROOT/spooler.log"
    grep "job $1:" "$ROOT/spooler.log"
}
show() {
    $HOST show-queue "$QUEUE" | grep '^# port'
    echo "  shared record: $($HOST show-status "$QUEUE")"
}

echo "-- the sample receipt"
receipt 2
await job-0001.png ls "$PRINTER/jobs"
show

echo "-- the printer's cover is opened"
"$BUILD/vprinter/lt77printer" control "$PRINTER/control" cover open
await "status 7" $HOST show-queue "$QUEUE"
show
await "COVER OPENED" cat "$ROOT/watcher.log"
echo "  the watcher's callback: $(grep 'COVER OPENED' "$ROOT/watcher.log" | tail -1)"
echo "-- the next receipt is refused and leaves the queue"
receipt 3
$HOST show-queue "$QUEUE" | grep '^# job' || echo "  (no job left in the queue)"

echo "-- the cover is closed"
"$BUILD/vprinter/lt77printer" control "$PRINTER/control" cover close
await "status 0 severity 3" $HOST show-queue "$QUEUE"
show
receipt 4
await job-0002.png ls "$PRINTER/jobs"

echo "-- a point-of-sale application prints through possdk (samples/pos_receipt)"
# The raw path takes only a driver whose name carries the maker's word; a
# connection takes "LT-77" alone as well.
sed -i 's/^Driver = .*/Driver = KELWYNT LT-77/' "$ROOT/queues/$QUEUE/printer.ini"
LT77_HOST_ROOT="$ROOT" "$BUILD/samples/pos_receipt/pos_receipt" "$QUEUE" tests/data/possdk/logo.bmp
await job-0004.png ls "$PRINTER/jobs"
await "job 6:" cat "$ROOT/spooler.log"
grep -E "^job (5|6):" "$ROOT/spooler.log"
echo "  the application's receipt: $PRINTER/jobs/job-0003.png, its raw job: $PRINTER/jobs/job-0004.png"

echo "-- a card is swiped (lt77host swipe-card)"
$HOST swipe-card "$QUEUE" --track 2 ';4111111111111111=2512101?'
await "track 2" cat "$ROOT/watcher.log"
echo "  shared record after delivery: $($HOST show-status "$QUEUE")"
echo "the watcher's output ($ROOT/watcher.log):"
sed 's/^/  /' "$ROOT/watcher.log"

# The monitor empties the trace folder of its logs when it is unloaded, as
# it always has: keep a copy of the plug-in's and the monitor's traces.
cp -r "$ROOT/drive_c/temp/LT-77" "$ROOT/traces"

echo
echo "what the printer printed:"
for png in "$PRINTER"/jobs/*.png; do echo "  $png"; done
echo "the traces of the plug-in and the monitor (copied before the monitor is unloaded): $ROOT/traces"
ls "$ROOT/traces" | grep '_LM.LOG' | sed "s|^|  $ROOT/traces/|"
