#!/usr/bin/env bash
# The window's figures, each beside a baseline taken in the same run:
#  - start to first paint with every view created (the window's own stopwatch, and the whole
#    process from exec to exit) against kestra-gallery --screenshot;
#  - the window thread's longest stall through a search, a connect and REPORT_SECONDS of 20 Hz
#    level reports from the virtual processor on loopback.
# Usage: bench/window_bench.sh [BUILD_DIR] [RUNS] [REPORT_SECONDS]
set -euo pipefail
BUILD="${1:-build/default}"; RUNS="${2:-7}"; REPORT_SECONDS="${3:-60}"
export KESTRA_NET_SANDBOX=loopback
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
KESTRA="$BUILD/apps/kestra/kestra"; GALLERY="$BUILD/apps/gallery/kestra-gallery"
SIM="$BUILD/apps/sim/kestra-sim"
WORK="$(mktemp -d)"; SIMPID=""
trap '[ -n "$SIMPID" ] && kill $SIMPID 2>/dev/null; rm -rf "$WORK"' EXIT
export KESTRA_DATA_DIR="$WORK"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: > "$WORK/paint"; : > "$WORK/window"; : > "$WORK/gallery"
for _ in $(seq 1 "$RUNS"); do
    t0=$(now_ms)
    KESTRA_TIMING=1 "$KESTRA" --size 1600x1000 --device 127.0.0.9:43999 \
        --screenshot "$WORK/w.png" 2> "$WORK/err"
    echo $(( $(now_ms) - t0 )) >> "$WORK/window"
    sed -n 's/^first paint: \([0-9]*\) ms$/\1/p' "$WORK/err" >> "$WORK/paint"
    t0=$(now_ms)
    "$GALLERY" --screenshot "$WORK/g.png" >/dev/null 2>&1
    echo $(( $(now_ms) - t0 )) >> "$WORK/gallery"
done
paint=$(median < "$WORK/paint"); window=$(median < "$WORK/window")
gallery=$(median < "$WORK/gallery")
echo "start-up, median of $RUNS runs:"
echo "  window first paint (in process): $paint ms   (goal < 500 ms)"
echo "  window exec to exit with screenshot: $window ms"
echo "  gallery exec to exit with screenshot: $gallery ms"
awk -v w="$window" -v g="$gallery" 'BEGIN { printf "  window / gallery: %.2f\n", w / g }'

PORT=$((45000 + RANDOM % 900 * 2))
"$SIM" --listen "127.0.0.5:$PORT" --report-hz 20 --exit-after $((REPORT_SECONDS + 30)) \
    >/dev/null &
SIMPID=$!
sleep 0.3
cat > "$WORK/stall.script" <<SCRIPT
click page.SYSTEM
click system.search
wait-until system.devices count 1 timeout 4000
click system.devices@item:0
click system.connect
wait-until status text ONLINE timeout 5000
click page.CHANNEL
wait $((REPORT_SECONDS * 1000))
expect status text ONLINE
SCRIPT
"$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" --host-address 127.0.0.1 \
    --local-port $((PORT + 1)) --script "$WORK/stall.script" > "$WORK/stall.out"
echo "window thread through search, connect and ${REPORT_SECONDS} s of 20 Hz reports:"
grep -E "passed|longest stall" "$WORK/stall.out" | sed 's/^/  /'
echo "  (goal: longest stall < 50 ms)"
