#!/usr/bin/env bash
# Runs one window script against a virtual processor on loopback. It passes when every step
# passed and, when CHECK names a Python file, that file accepts the frames the processor
# received (it gets the list of frames, oldest first, as `frames`, and their arrival times in
# seconds as `times`).
# Usage: window_script_test.sh KESTRA SIM SCRIPT CHECK|- [SIM ARGUMENT...]
set -euo pipefail
KESTRA="$1"; SIM="$2"; SCRIPT="$3"; CHECK="$4"; shift 4
WORK="$(mktemp -d)"; trap 'kill $SIMPID 2>/dev/null || true; rm -rf "$WORK"' EXIT
PORT=$((44000 + RANDOM % 900 * 2))
"$SIM" --listen "127.0.0.5:$PORT" --log "$WORK/sim.log" "$@" >/dev/null &
SIMPID=$!
sleep 0.3
sed "s/@PORT@/$PORT/g" "$SCRIPT" > "$WORK/s.txt"
KESTRA_DATA_DIR="$WORK" timeout 60 "$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" \
    --host-address 127.0.0.1 --local-port $((PORT + 1)) --script "$WORK/s.txt"
if [ "$CHECK" != "-" ]; then
    sleep 0.2  # the last datagrams reach the log
    python3 - "$WORK/sim.log" "$CHECK" <<'PY'
import json, sys
records = [json.loads(line) for line in open(sys.argv[1])]
frames = [r["data"] for r in records]
times = [r["t"] for r in records]
exec(open(sys.argv[2]).read(), {"frames": frames, "times": times})
print("frames checked:", len(frames))
PY
fi
