#!/bin/sh
# Runs a Windows test program under Wine on a virtual X display of its own:
# with_xvfb.sh PREFIX PROGRAM [ARGS...]. The programs under test open real
# windows, which Wine draws only where there is a display.
prefix=$1
shift
command -v Xvfb >/dev/null 2>&1 || { echo "with_xvfb: Xvfb is missing (scripts/setup.sh installs it)" >&2; exit 1; }
display=""
for n in $(seq 70 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
done
[ -n "$display" ] || { echo "with_xvfb: no free display" >&2; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# A loaded machine can take seconds to bring the server up; without it Wine
# would start the program with no display, and the program would end at once.
for _ in $(seq 600); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
[ -e "/tmp/.X11-unix/X$display" ] || { kill "$xvfb" 2>/dev/null; echo "with_xvfb: Xvfb :$display did not come up" >&2; exit 1; }
out=$(mktemp) || exit 125
DISPLAY=":$display" WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$@" </dev/null >"$out" 2>&1
status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
cat "$out"
rm -f "$out"
exit "$status"
