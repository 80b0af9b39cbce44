#!/usr/bin/env bash
# The window against the virtual processor: search, pick the row, connect, a bad address, the
# About box, the named widgets, and the close while connected.
set -euo pipefail
KESTRA="$1"; SIM="$2"; SCRIPT="$3"
WORK="$(mktemp -d)"; trap 'kill $SIMPID $KPID 2>/dev/null || true; rm -rf "$WORK"' EXIT
PORT=$((43000 + RANDOM % 900 * 2))
KPID=""
"$SIM" --listen "127.0.0.5:$PORT" --exit-after 40 --log "$WORK/sim.log" >/dev/null &
SIMPID=$!
sleep 0.3
sed "s/@PORT@/$PORT/g" "$SCRIPT" > "$WORK/s.txt"
KESTRA_DATA_DIR="$WORK" timeout 40 "$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" \
    --host-address 127.0.0.1 --local-port $((PORT + 1)) --script "$WORK/s.txt" > "$WORK/out.txt" &
KPID=$!
# The close begins once the driver has printed its summary; 2 s later the process is gone.
for _ in $(seq 1 300); do
    grep -q " passed, " "$WORK/out.txt" && break
    sleep 0.1
done
T0=$(date +%s%N)
RC=0
wait "$KPID" || RC=$?
T1=$(date +%s%N)
KPID=""
cat "$WORK/out.txt"
[ "$RC" -eq 0 ]
CLOSE_MS=$(( (T1 - T0) / 1000000 ))
echo "close: $CLOSE_MS ms"
[ "$CLOSE_MS" -lt 2000 ]
grep -q "hostip=127.0.0.5:$PORT" "$WORK/kestra-v.ini"
# "Q" 00 is the last frame of the close.
tail -1 "$WORK/sim.log" | grep -q '%Q,01,00,25E0#'
# Every named widget has a path of its own, and the fixed names are all there.
python3 - "$WORK/out.txt" <<'PY'
import json, sys
paths = [json.loads(l)["path"] for l in open(sys.argv[1]) if l.startswith("{")]
dupes = sorted({p for p in paths if paths.count(p) > 1})
assert paths and not dupes, f"paths named twice: {dupes}"
fixed = ["page.CHANNEL", "page.MODE", "page.SYSTEM", "page.GROUPS", "online", "status",
         "menu", "value_box", "freq_box", "readout.channel", "readout.parameter",
         "system.search", "system.progress", "system.devices", "system.ip", "system.ip_ok",
         "system.connect", "system.offline", "system.version"]
fixed += [f"bank.{k}" for k in range(1, 11)] + [f"mgroup.{k}" for k in range(1, 5)]
fixed += [f"cgroup.{k}" for k in range(1, 5)]
fixed += [f"system.tab.{t}" for t in ("CONNECT", "SHOW", "HELP", "DISPLAY")]
missing = [p for p in fixed if p not in paths]
assert not missing, f"missing: {missing}"
PY
