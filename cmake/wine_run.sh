#!/bin/sh
# CTest's emulator for the Windows build: wine_run.sh PREFIX PROGRAM [ARGS...]
#
# Wine starts its server and helper processes (the desktop's explorer among
# them) from the first program that needs them, and they inherit that
# program's standard output and error. Were those CTest's pipes, CTest would
# wait for the helpers to exit, 1 to 3 s after every test. The program writes
# to files instead, copied out when it ends.
prefix=$1
shift
out=$(mktemp) || exit 125
err=$(mktemp) || exit 125
unset DISPLAY
run() {
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$@" </dev/null >"$out" 2>"$err"
}
run "$@"
status=$?
# A program that failed without printing a line never got to run its tests
# (Wine could not start it while its server was changing hands); that
# start, and only that, is tried once more.
if [ "$status" -ne 0 ] && [ ! -s "$out" ]; then
    sleep 1
    run "$@"
    status=$?
fi
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit "$status"
