#!/usr/bin/env bash
# The window against the virtual processor: search, pick the row, connect, a bad address.
set -euo pipefail
KESTRA="$1"; SIM="$2"; SCRIPT="$3"
WORK="$(mktemp -d)"; trap 'kill $SIMPID 2>/dev/null || true; rm -rf "$WORK"' EXIT
PORT=$((43000 + RANDOM % 900 * 2))
"$SIM" --listen "127.0.0.5:$PORT" --exit-after 40 --log "$WORK/sim.log" >/dev/null &
SIMPID=$!
sleep 0.3
sed "s/@PORT@/$PORT/g" "$SCRIPT" > "$WORK/s.txt"
KESTRA_DATA_DIR="$WORK" timeout 40 "$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" \
    --host-address 127.0.0.1 --local-port $((PORT + 1)) --script "$WORK/s.txt"
grep -q "hostip=127.0.0.5:$PORT" "$WORK/kestra-v.ini"
# "Q" 00 is the last frame of the close.
tail -1 "$WORK/sim.log" | grep -q '%Q,01,00,25E0#'
