#!/bin/sh
# Soak run of the status path: the host's spooler with eight network ports
# through the port monitor to eight virtual printers whose state flaps by
# script (cover, paper, drawer, feed button, cutter, silence as an offline
# printer, noise and cut blocks on the status line), an application watching
# each queue through posstatus, and raw jobs written to the queues without
# pause for SECONDS (default 60): each queue is given a job whenever it
# holds fewer than two, so that none runs dry.
#
# Fails when nothing moves for LT77_SOAK_WATCHDOG seconds (default 45)
# while jobs wait, when a process dies or a sanitizer speaks, when the
# spooler's or the watchers' memory or open handles at the end stand above
# their plateau of the first minute (memory: 10 %, at least 8 MB; handles:
# one a port, since each port's status connection is open or closed at any
# moment by its printer's state and by the jobs it sends), when threads are
# left behind, when a job is not accounted for (printed, or deleted whole or
# on its way) or when a printer received a
# byte that was not sent, or not in its place.
#
# LT77_SOAK_BUILD names the build folder (default build/linux, a sanitizer
# build); its programs are built first unless LT77_SOAK_NO_BUILD is set.
set -eu
cd "$(dirname "$0")/.."
RUN_SECONDS="${1:-60}"
BUILD="${LT77_SOAK_BUILD:-build/linux}"
WATCHDOG="${LT77_SOAK_WATCHDOG:-45}"
INTERVAL_MS="${LT77_SOAK_INTERVAL_MS:-250}"
PORTS=8
ROOT="$PWD/$BUILD/soak"
if [ -z "${LT77_SOAK_NO_BUILD:-}" ]; then
    cmake --build "$BUILD" -j"${LT77_SOAK_JOBS:-2}" --target lt77host lt77printer lt77soak >/dev/null
fi
HOSTBIN="$PWD/$BUILD/host/lt77host"
PRINTERBIN="$PWD/$BUILD/vprinter/lt77printer"
SOAKBIN="$PWD/$BUILD/tests/soak/lt77soak"
# A small quarantine lets a sanitizer build's memory reach its plateau in
# the first minute, so that growth after it is the program's own.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=2:thread_local_quarantine_size_kb=64"
export LT77_HOST_ROOT="$ROOT"
rm -rf "$ROOT"
mkdir -p "$ROOT"
HOST="$HOSTBIN --root $ROOT"

PIDS=""          # the host's processes, stopped before the printers
PRINTERS=""
FAILED=0
fail() {
    echo "soak: FAIL: $*"
    FAILED=1
}
stop_all() {
    for pid in $PIDS; do kill "$pid" 2>/dev/null || true; done
    for pid in $PIDS; do wait "$pid" 2>/dev/null || true; done
    for pid in $PRINTERS; do kill "$pid" 2>/dev/null || true; done
    for pid in $PRINTERS; do wait "$pid" 2>/dev/null || true; done
    PIDS=""
    PRINTERS=""
}
trap stop_all EXIT INT TERM

alive() { kill -0 "$1" 2>/dev/null; }
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }
fd_count() { ls "/proc/$1/fd" 2>/dev/null | wc -l; }
task_count() { ls "/proc/$1/task" 2>/dev/null | wc -l; }
now() { date +%s; }

# The printers' scripts: one state change after another at random gaps,
# each cleared again; at the end of the run every printer is reset.
make_script() {
    awk -v seed="$1" -v end_ms="$((RUN_SECONDS * 1000))" 'BEGIN {
        srand(seed); t = 1500 + int(rand() * 2000)
        while (t < end_ms - 5000) {
            e = int(rand() * 9); hold = 1000 + int(rand() * 3000)
            if (e == 0) { on = "cover open"; off = "cover close" }
            else if (e == 1) { on = "paper out"; off = "paper refill" }
            else if (e == 2) { on = "paper near-end"; off = "paper refill"; hold += 3000 }
            else if (e == 3) { on = "drawer open"; off = "drawer close" }
            else if (e == 4) { on = "feed button press"; off = "feed button release"; hold = 500 }
            else if (e == 5) { on = "cutter error"; off = "recover" }
            else if (e == 6) { on = "silence on"; off = "silence off"; hold += 4000 }
            else if (e == 7) { on = "garbage " (16 + int(rand() * 200)); off = "" }
            else { on = "short " (1 + int(rand() * 3)); off = "" }
            print t, on
            if (off != "") print t + hold, off
            t += hold + 1000 + int(rand() * 5000)
        }
        print end_ms, "silence off"; print end_ms, "reset"
    }'
}

i=1
while [ $i -le $PORTS ]; do
    dir="$ROOT/printer$i"
    mkdir -p "$dir"
    make_script $i >"$dir/script"
    "$PRINTERBIN" --tcp-port 0 --control "$dir/control" --jobs "$dir/jobs" --script "$dir/script" \
        >"$dir/printer.out" 2>"$dir/printer.err" &
    PRINTERS="$PRINTERS $!"
    i=$((i + 1))
done
QUEUES=""
i=1
while [ $i -le $PORTS ]; do
    dir="$ROOT/printer$i"
    for _ in $(seq 100); do grep -q '^tcp-port' "$dir/printer.out" && break; sleep 0.1; done
    tcp=$(awk '/^tcp-port/ {print $2}' "$dir/printer.out")
    [ -n "$tcp" ] || { echo "soak: printer $i did not start"; exit 1; }
    $HOST create-queue "SOAK$i" --port "IP_SOAK$i" >/dev/null
    $HOST set-port "IP_SOAK$i" HostAddress 127.0.0.1
    $HOST set-port "IP_SOAK$i" PortNumber "$tcp"
    QUEUES="$QUEUES SOAK$i"
    i=$((i + 1))
done

# shellcheck disable=SC2086
$HOSTBIN --root "$ROOT" spooler $QUEUES >"$ROOT/spooler.log" 2>"$ROOT/spooler.err" &
SPOOLER=$!
PIDS="$PIDS $SPOOLER"
WATCHERS=""
for q in $QUEUES; do
    $HOSTBIN --root "$ROOT" watch-status "$q" >"$ROOT/watch-$q.log" 2>"$ROOT/watch-$q.err" &
    WATCHERS="$WATCHERS $!"
done
PIDS="$PIDS $WATCHERS"

# Each watcher's library turns bidirectional communication on and sends a
# document, which opens its port; the base is taken once all are open.
for _ in $(seq 300); do
    [ "$(grep -c '^opened' "$ROOT/spooler.log" || true)" -ge $PORTS ] && break
    sleep 0.1
done
[ "$(grep -c '^opened' "$ROOT/spooler.log" || true)" -ge $PORTS ] || fail "not every port opened: $(cat "$ROOT/spooler.log")"
sleep 2
watchers_sum() {
    total=0
    for pid in $WATCHERS; do total=$((total + $("$@" "$pid"))); done
    echo $total
}
BASE_TASKS=$(task_count $SPOOLER)
BASE_FDS=$(fd_count $SPOOLER)
BASE_WTASKS=$(watchers_sum task_count)
BASE_WFDS=$(watchers_sum fd_count)

# shellcheck disable=SC2086
"$SOAKBIN" feed --seconds "$RUN_SECONDS" --interval-ms "$INTERVAL_MS" $QUEUES >"$ROOT/fed.txt" 2>"$ROOT/feed.err" &
FEEDER=$!
PIDS="$PIDS $FEEDER"

START=$(now)
PLATEAU_FROM=$((RUN_SECONDS / 6 < 30 ? RUN_SECONDS / 6 : 30))
PLATEAU_TO=$((RUN_SECONDS / 3 < 90 ? RUN_SECONDS / 3 : 90))
SAMPLES="$ROOT/samples.txt"
echo "# seconds spooler_rss_kb spooler_fds spooler_threads watchers_rss_kb watchers_fds watchers_threads done" >"$SAMPLES"
progress() { cat "$ROOT"/queues/*/done.log 2>/dev/null | wc -l; }
pending() { ls "$ROOT"/queues/*/jobs/ 2>/dev/null | grep -c '\.ini$' || true; }
sample() {
    echo "$(($(now) - START)) $(rss_kb $SPOOLER) $(fd_count $SPOOLER) $(task_count $SPOOLER)" \
        "$(watchers_sum rss_kb) $(watchers_sum fd_count) $(watchers_sum task_count) $(progress)" >>"$SAMPLES"
}
check_alive() {
    for pid in $PIDS $PRINTERS; do
        [ "$pid" = "$FEEDER" ] && continue
        alive "$pid" || { fail "process $pid ended during the run"; return 1; }
    done
}

LAST_PROGRESS=$(progress)
LAST_MOVE=$(now)
watch_step() {
    sample
    p=$(progress)
    if [ "$p" != "$LAST_PROGRESS" ]; then
        LAST_PROGRESS=$p
        LAST_MOVE=$(now)
    elif [ "$(pending)" -gt 0 ] && [ $(($(now) - LAST_MOVE)) -ge "$WATCHDOG" ]; then
        fail "no job left a queue for ${WATCHDOG}s with $(pending) waiting: deadlock"
        ps -L -o pid,lwp,stat,wchan:24,comm -p "$SPOOLER" 2>/dev/null | head -40
        return 1
    fi
    check_alive
}
while alive $FEEDER; do
    watch_step || break
    sleep 2
done
if [ $FAILED -eq 0 ]; then
    wait $FEEDER || fail "the feeder reported failures: $(tail -3 "$ROOT/feed.err")"
    # The queues drain with every printer reset.
    while [ "$(pending)" -gt 0 ]; do
        watch_step || break
        sleep 1
    done
    sleep 3
fi
# The end, idle: the least of five samples, as a status thread may be
# between its connections at any one of them.
END_FROM=$(($(wc -l <"$SAMPLES") + 1))
for _ in 1 2 3 4 5; do
    sample
    sleep 1
done
LAST_SAMPLE=$(tail -n +"$END_FROM" "$SAMPLES" | awk '
    { for (c = 1; c <= NF; c++) if (NR == 1 || $c < m[c]) m[c] = $c }
    END { for (c = 1; c <= 8; c++) printf "%s%s", m[c], (c < 8 ? " " : "\n") }')
END_FDS=$(echo "$LAST_SAMPLE" | cut -d' ' -f3)
END_TASKS=$(echo "$LAST_SAMPLE" | cut -d' ' -f4)
END_WFDS=$(echo "$LAST_SAMPLE" | cut -d' ' -f6)
END_WTASKS=$(echo "$LAST_SAMPLE" | cut -d' ' -f7)

for pid in $WATCHERS; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" || fail "a watcher ended with $?"
done
kill "$SPOOLER" 2>/dev/null || true
wait "$SPOOLER" || fail "the spooler host ended with $?"
i=1
while [ $i -le $PORTS ]; do
    "$PRINTERBIN" control "$ROOT/printer$i/control" quit >/dev/null 2>&1 || fail "printer $i did not answer at the end"
    i=$((i + 1))
done
stop_all
for err in "$ROOT"/*.err "$ROOT"/printer*/printer.err; do
    if grep -q -E 'Sanitizer|runtime error' "$err"; then
        fail "sanitizer report in $err"
        head -30 "$err"
    fi
done

# Memory and handles at the end against the plateau of the first minute.
awk -v from="$PLATEAU_FROM" -v to="$PLATEAU_TO" -v last="$LAST_SAMPLE" -v slack="$PORTS" '
    !/^#/ && $1 >= from && $1 <= to { for (c = 2; c <= 7; c++) if ($c > max[c]) max[c] = $c; n++ }
    END {
        split(last, e, " ")
        if (n == 0) { print "FAIL no samples in the plateau window"; exit }
        names[2] = "spooler memory (kB)"; names[3] = "spooler handles"
        names[5] = "watchers memory (kB)"; names[6] = "watchers handles"
        for (c = 2; c <= 6; c += 3) {
            limit = max[c] * 1.10; if (limit < max[c] + 8192) limit = max[c] + 8192
            printf "%s: plateau %d, end %d\n", names[c], max[c], e[c]
            if (e[c] > limit) printf "FAIL %s grew from %d to %d\n", names[c], max[c], e[c]
            printf "%s: plateau %d, end %d\n", names[c + 1], max[c + 1], e[c + 1]
            if (e[c + 1] > max[c + 1] + slack) printf "FAIL %s grew from %d to %d\n", names[c + 1], max[c + 1], e[c + 1]
        }
    }' "$SAMPLES" >"$ROOT/plateau.txt"
sed 's/^/soak: /' "$ROOT/plateau.txt"
grep -q '^FAIL' "$ROOT/plateau.txt" && FAILED=1
echo "soak: spooler threads: base $BASE_TASKS, end $END_TASKS; handles: base $BASE_FDS, end $END_FDS"
echo "soak: watchers threads: base $BASE_WTASKS, end $END_WTASKS; handles: base $BASE_WFDS, end $END_WFDS"
[ "$END_TASKS" -le "$BASE_TASKS" ] || fail "the spooler has $END_TASKS threads, $BASE_TASKS at the start"
[ "$END_WTASKS" -le "$BASE_WTASKS" ] || fail "the watchers have $END_WTASKS threads, $BASE_WTASKS at the start"

# Every job and byte.
for q in $QUEUES; do
    n=${q#SOAK}
    "$SOAKBIN" check --queue "$q" --printed "$ROOT/printer$n/jobs" --fed "$ROOT/fed.txt" | sed 's/^/soak: /'
done >"$ROOT/check.txt" 2>&1
cat "$ROOT/check.txt"
grep -q 'FAIL' "$ROOT/check.txt" && FAILED=1
SENT=$(awk '/^job [0-9]+: [0-9]+ bytes sent to/ {s += $3} /^job [0-9]+: [0-9]+ of [0-9]+ bytes sent/ {s += $3} END {print s + 0}' "$ROOT/spooler.log")
RECEIVED=0
for f in "$ROOT"/printer*/jobs/*.prn; do
    [ -e "$f" ] && RECEIVED=$((RECEIVED + $(stat -c %s "$f")))
done
FED=$(grep -c '^fed' "$ROOT/fed.txt" || true)
FED_BYTES=$(awk '/^fed/ {s += $4} END {print s + 0}' "$ROOT/fed.txt")
PRINTED=$(grep -c 'bytes sent to' "$ROOT/spooler.log" || true)
REFUSED=$(grep -c 'refused by the monitor' "$ROOT/spooler.log" || true)
CUT=$(grep -c 'then the job was deleted' "$ROOT/spooler.log" || true)
echo "soak: ${RUN_SECONDS}s, $PORTS ports; jobs fed $FED ($FED_BYTES bytes); spooler: printed $PRINTED, refused $REFUSED, cut short $CUT"
echo "soak: bytes the spooler wrote to the monitor $SENT, the printers received $RECEIVED"
[ "$SENT" -eq "$RECEIVED" ] || fail "the printers received $RECEIVED bytes, the spooler sent $SENT"
echo "soak: status callbacks: $(cat "$ROOT"/watch-*.log | wc -l) lines from the watchers"
for q in $QUEUES; do
    [ -s "$ROOT/watch-$q.log" ] || fail "the watcher of $q reported nothing"
done
echo "soak: samples in $SAMPLES"
if [ $FAILED -ne 0 ]; then
    echo "soak: FAILED"
    exit 1
fi
echo "soak: passed"
