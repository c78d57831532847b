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
# Wine's desktop process belongs to the prefix's server and keeps the display
# it was started with. A server left by an earlier program (wineboot, or a
# test run without a display) would give this program a desktop that cannot
# draw, and it would end before its first window; so the server is ended
# before and after, and this program starts a desktop on this display.
end_wineserver() { WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1; WINEPREFIX=$prefix wineserver -w >/dev/null 2>&1; }
end_wineserver
out=$(mktemp) || exit 125
DISPLAY=":$display" WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wine "$@" </dev/null >"$out" 2>&1
status=$?
end_wineserver
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
cat "$out"
rm -f "$out"
exit "$status"
