#!/usr/bin/env bash
# The window under a flood of valid reports, beside the same run without one. The window is
# connected to kestra-sim (20 Hz reports) with its journal window open; then
#  - one fader report ("P", 64 x 46, 16 x 32, 06) is sent 10,000 times a second for P_SECONDS,
#  - then one level report ("Q") as fast as one sender goes (aimed at 100,000 a second) for
#    Q_SECONDS,
# first from a stranger (127.0.0.9), then from the processor's own address and port (a relay
# on 127.0.0.5 stands in front of the simulator on 127.0.0.6 and speaks for it). Printed for
# each run: the window thread's longest stall (the script driver's heartbeat), the window's
# resident size before and after the flood, and the datagrams the flooder got out.
# Usage: bench/flood_bench.sh [BUILD_DIR] [P_SECONDS] [Q_SECONDS]
set -euo pipefail
BUILD="${1:-build/default}"; P_SECONDS="${2:-5}"; Q_SECONDS="${3:-10}"
export KESTRA_NET_SANDBOX=loopback
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
KESTRA="$BUILD/apps/kestra/kestra"; SIM="$BUILD/apps/sim/kestra-sim"
CTL="$BUILD/apps/ctl/kestra-ctl"
WORK="$(mktemp -d)"; PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT
export KESTRA_DATA_DIR="$WORK"

P_FRAME=$("$CTL" frame encode P 01 "$(printf '46%.0s' $(seq 64))$(printf '32%.0s' $(seq 16))" 06)
Q_FRAME=$("$CTL" frame encode Q 01 "$(printf '28%.0s' $(seq 80))$(printf '00%.0s' $(seq 5))")
FLOOD_AFTER=1  # seconds after the connect completed: the journal window is open

cat > "$WORK/relay.py" <<'PY'
# Relays between the window and the simulator so that the relay's socket is the processor's
# address and port, and floods from there or from a stranger once the time has come.
import select, socket, sys, time
(listen, sim, stranger, mode, after, p_frame, q_frame, p_secs, q_secs) = sys.argv[1:10]
host, port = listen.split(":"); front = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
front.bind((host, int(port)))
sim_host, sim_port = sim.split(":"); back = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
back.bind(("127.0.0.7", 0))
other = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); other.bind((stranger, 0))
window = None
start = time.monotonic(); flood_at = None
end = start + 30

def relay(timeout):
    global window, flood_at
    for s in select.select([front, back], [], [], timeout)[0]:
        data, src = s.recvfrom(65536)
        if s is front:
            window = src
            back.sendto(data, (sim_host, int(sim_port)))
        elif window:
            front.sendto(data, window)
            if data.startswith(b"%Y") and flood_at is None:
                # Connected: the flood starts once the journal window has had time to open,
                # never in the middle of the processor's own whole-state reply.
                flood_at = time.monotonic() + float(after)

def flood(frame, rate, seconds):
    sender = front if mode == "processor" else other
    frame = frame.encode(); sent = 0; t0 = time.monotonic()
    while time.monotonic() - t0 < seconds:
        due = int((time.monotonic() - t0) * rate) if rate else sent + 1000
        while sent < due:
            try:
                sender.sendto(frame, window); sent += 1
            except (BlockingIOError, OSError):
                break
        relay(0)
    return sent, time.monotonic() - t0

while flood_at is None or time.monotonic() < flood_at:
    relay(0.01)
    if time.monotonic() > end:
        sys.exit("the window never connected")
print("flooding", flush=True)
if mode == "none":
    t0 = time.monotonic()
    while time.monotonic() - t0 < float(p_secs) + float(q_secs):
        relay(0.01)
    print("no flood", flush=True)
    while True:
        relay(0.01)
p_sent, p_time = flood(p_frame, 10000, float(p_secs))
q_sent, q_time = flood(q_frame, 0, float(q_secs))
print(f"fader reports sent: {p_sent} in {p_time:.1f} s ({p_sent / p_time:.0f}/s); "
      f"level reports sent: {q_sent} in {q_time:.1f} s ({q_sent / q_time:.0f}/s)", flush=True)
while True:
    relay(0.01)
PY

PORT=$((46000 + RANDOM % 900 * 2))
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }
run() {  # mode: none | stranger | processor
    local mode="$1" total=$((FLOOD_AFTER + P_SECONDS + Q_SECONDS + 3))
    "$SIM" --listen "127.0.0.6:$PORT" --report-hz 20 --exit-after $((total + 10)) >/dev/null &
    PIDS+=($!)
    local sim=$!
    python3 "$WORK/relay.py" "127.0.0.5:$PORT" "127.0.0.6:$PORT" 127.0.0.9 "$mode" \
        "$FLOOD_AFTER" "$P_FRAME" "$Q_FRAME" "$P_SECONDS" "$Q_SECONDS" > "$WORK/relay.out" &
    PIDS+=($!)
    local relay=$!
    sleep 0.3
    printf '%s\n' "click page.SYSTEM" "click system.connect" \
        "wait-until status text ONLINE timeout 5000" "click page.CHANNEL" "rclick menu" \
        "menu menu.journal" "wait $((total * 1000))" "expect status text ONLINE" "quit" \
        > "$WORK/flood.script"
    "$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" --local-port $((PORT + 1)) \
        --script "$WORK/flood.script" > "$WORK/window.out" 2>&1 &
    local window=$!
    local before="" after=""
    for _ in $(seq 200); do  # at most 20 s until the flood begins
        grep -q flooding "$WORK/relay.out" && { before=$(rss "$window"); break; }
        sleep 0.1
    done
    for _ in $(seq $(( (P_SECONDS + Q_SECONDS + 10) * 10 ))); do
        grep -qE "sent|no flood" "$WORK/relay.out" && { after=$(rss "$window"); break; }
        sleep 0.1
    done
    wait "$window" || true
    kill "$relay" "$sim" 2>/dev/null || true; wait "$relay" "$sim" 2>/dev/null || true
    echo "flood from: $mode"
    sed 's/^/  /' "$WORK/relay.out"
    grep -E "passed|longest stall|^FAIL" "$WORK/window.out" | sed 's/^/  /'
    echo "  resident size before the flood: ${before} kB, after: ${after} kB"
    PORT=$((PORT + 2))
}
run none
run stranger
run processor
echo "(goals: longest stall < 50 ms, resident size flat)"
