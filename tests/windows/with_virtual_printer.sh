#!/bin/sh
# CTest's emulator for the monitor's tests under Wine:
#   with_virtual_printer.sh PRINTER PTY_LINK COM_PORT WINE_RUN PREFIX PROGRAM [ARGS...]
#
# Each test process gets a Linux virtual printer of its own (lt77printer on
# loopback TCP and a pseudo-terminal), told to the program through
# LT77_PRINTER_* variables, which Wine hands on to Windows programs. The
# pseudo-terminal is reached through PTY_LINK, a link at a fixed path, so
# that the prefix's serial port COM_PORT can name it once for all runs:
#
# - QueryDosDevice answers for a COM port only when it is in the registry
#   (HKLM\Software\Wine\Ports) and the Wine server has started since; the
#   first run writes the value and lets the server end (wineserver -w).
# - Wine's DefineDosDevice cannot make a name as long as NONSPOOLED_COM5,
#   so the link dosdevices/nonspooled_com5 stands in for the alias the
#   monitor defines.
#
# Without the printer program the test runs all the same and skips the cases
# that need it. Listing the cases needs no printer.
set -u
printer=$1 link=$2 com=$3 wine_run=$4 prefix=$5
shift 5

for arg in "$@"; do
    case $arg in --gtest_list_tests) exec "$wine_run" "$prefix" "$@" ;; esac
done

if [ ! -x "$printer" ]; then
    echo "with_virtual_printer: no virtual printer at $printer: build the Linux target lt77printer" \
         "(build/linux, or set LT77_LINUX_PRINTER); the cases that need it are skipped" >&2
    exec "$wine_run" "$prefix" "$@"
fi

lower=$(echo "$com" | tr 'A-Z' 'a-z')
mkdir -p "$prefix/dosdevices" "$(dirname "$link")"
if ! grep -qiF "\"$com\"=\"$link\"" "$prefix/system.reg" 2>/dev/null; then
    WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKLM\Software\Wine\Ports' /v "$com" /d "$link" /f \
        </dev/null >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
fi
ln -sfn "$link" "$prefix/dosdevices/$lower"
ln -sfn "$link" "$prefix/dosdevices/nonspooled_$lower"

work=$(mktemp -d "${TMPDIR:-/tmp}/lt77-monitor-wine.XXXXXX") || exit 125
"$printer" --tcp-port 0 --pty-link "$link" --control "$work/printer.ctl" --jobs "$work/jobs" \
    --pty-idle-ms 300 --log "$work/printer.log" </dev/null >"$work/printer.out" 2>&1 &
pid=$!
stop() {
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}
# The printer prints its endpoints once they are open, the jobs folder last.
tries=0
until grep -qs '^jobs ' "$work/printer.out"; do
    if ! kill -0 "$pid" 2>/dev/null || [ "$tries" -ge 200 ]; then
        echo "with_virtual_printer: the printer did not start:" >&2
        cat "$work/printer.out" >&2
        stop
        rm -rf "$work"
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.05
done

LT77_PRINTER_PROGRAM=$printer
LT77_PRINTER_CONTROL=$work/printer.ctl
LT77_PRINTER_JOBS=$work/jobs
LT77_PRINTER_TCP_PORT=$(sed -n 's/^tcp-port //p' "$work/printer.out")
LT77_PRINTER_COM=$com
export LT77_PRINTER_PROGRAM LT77_PRINTER_CONTROL LT77_PRINTER_JOBS LT77_PRINTER_TCP_PORT LT77_PRINTER_COM
"$wine_run" "$prefix" "$@"
status=$?
stop
if [ "$status" -ne 0 ]; then
    echo "with_virtual_printer: the printer's log:" >&2
    tail -n 40 "$work/printer.log" >&2
fi
rm -rf "$work"
exit "$status"
