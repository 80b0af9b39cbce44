#!/usr/bin/env bash
# Runs one window script against a virtual processor on loopback and passes when every step
# passed. Usage: window_script_test.sh KESTRA SIM SCRIPT [SIM ARGUMENT...]
set -euo pipefail
KESTRA="$1"; SIM="$2"; SCRIPT="$3"; shift 3
WORK="$(mktemp -d)"; trap 'kill $SIMPID 2>/dev/null || true; rm -rf "$WORK"' EXIT
PORT=$((44000 + RANDOM % 900 * 2))
"$SIM" --listen "127.0.0.5:$PORT" --log "$WORK/sim.log" "$@" >/dev/null &
SIMPID=$!
sleep 0.3
sed "s/@PORT@/$PORT/g" "$SCRIPT" > "$WORK/s.txt"
KESTRA_DATA_DIR="$WORK" timeout 60 "$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" \
    --host-address 127.0.0.1 --local-port $((PORT + 1)) --script "$WORK/s.txt"
