#!/usr/bin/env bash
# The window's X11 class (WM_CLASS) is the one the desktop entry's StartupWMClass names, so a
# desktop ties the running window to its menu entry. Skipped (77) without Xvfb and xprop.
# Usage: window_class_test.sh KESTRA DESKTOP_ENTRY
set -euo pipefail
KESTRA="$1"; ENTRY="$2"
command -v Xvfb >/dev/null && command -v xprop >/dev/null && command -v xdotool >/dev/null ||
    { echo "Xvfb, xprop or xdotool missing: skipped"; exit 77; }
WORK="$(mktemp -d)"; XPID=""; KPID=""
trap 'for p in $KPID $XPID; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT
WANTED="$(sed -n 's/^StartupWMClass=//p' "$ENTRY")"
[ -n "$WANTED" ] || { echo "FAIL: the entry has no StartupWMClass"; exit 1; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
XPID=$!
for _ in $(seq 1 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display")"
unset QT_QPA_PLATFORM
KESTRA_DATA_DIR="$WORK" XDG_CONFIG_HOME="$WORK/config" KESTRA_NET_SANDBOX=loopback \
    "$KESTRA" --size 800x600 --device 127.0.0.9:43999 --data-dir "$WORK" >/dev/null 2>&1 &
KPID=$!
CLASS=""
for _ in $(seq 1 100); do
    for w in $(xdotool search --pid "$KPID" 2>/dev/null); do
        CLASS="$(xprop -id "$w" WM_CLASS 2>/dev/null | sed -n 's/^WM_CLASS([A-Z_]*) = "[^"]*", "\([^"]*\)"$/\1/p')"
        [ -n "$CLASS" ] && break 2
    done
    sleep 0.1
done
[ "$CLASS" = "$WANTED" ] || { echo "FAIL: the window's class is '$CLASS', the entry says '$WANTED'"; exit 1; }
echo "window class $CLASS matches the desktop entry"
