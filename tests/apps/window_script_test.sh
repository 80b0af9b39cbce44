#!/usr/bin/env bash
# Runs one window script against a virtual processor on loopback. It passes when every step
# passed and, when CHECK names a Python file, that file accepts the frames the processor
# received (it gets the list of frames, oldest first, as `frames`, the processor's receive time
# of each in seconds as `times`, the window's longest stall in milliseconds as `stall`, and the
# run's folder as `work`). Beside SCRIPT, NAME.setup (run with the folder) prepares files and
# NAME.args holds more window arguments; @WORK@ in a simulator argument is the run's folder.
# Usage: window_script_test.sh KESTRA SIM SCRIPT CHECK|- [SIM ARGUMENT...]
set -euo pipefail
KESTRA="$1"; SIM="$2"; SCRIPT="$3"; CHECK="$4"; shift 4
WORK="$(mktemp -d)"; trap 'kill $SIMPID 2>/dev/null || true; rm -rf "$WORK"' EXIT
PORT=$((44000 + RANDOM % 900 * 2))
BASE="${SCRIPT%.script}"
[ -f "$BASE.setup" ] && bash "$BASE.setup" "$WORK"
EXTRA=()
[ -f "$BASE.args" ] && read -r -a EXTRA < "$BASE.args"
SIM_ARGS=()
for a in "$@"; do SIM_ARGS+=("${a//@WORK@/$WORK}"); done
"$SIM" --listen "127.0.0.5:$PORT" --log "$WORK/sim.log" "${SIM_ARGS[@]}" >/dev/null &
SIMPID=$!
sleep 0.3
sed "s/@PORT@/$PORT/g; s|@WORK@|$WORK|g" "$SCRIPT" > "$WORK/s.txt"
export XDG_DATA_HOME="$WORK/xdg"  # a deleted scene goes to this trash, not the user's
KESTRA_DATA_DIR="$WORK" timeout 90 "$KESTRA" --size 1600x1000 --device "127.0.0.5:$PORT" \
    --host-address 127.0.0.1 --local-port $((PORT + 1)) --script "$WORK/s.txt" "${EXTRA[@]}" |
    tee "$WORK/run.txt"
if [ "$CHECK" != "-" ]; then
    sleep 0.2  # the last datagrams reach the log
    python3 - "$WORK/sim.log" "$CHECK" "$WORK/run.txt" "$WORK" <<'PY'
import json, re, sys
records = [json.loads(line) for line in open(sys.argv[1])]
frames = [r["data"] for r in records]
stall = int(re.search(r"^longest stall: (\d+) ms$", open(sys.argv[3]).read(), re.M).group(1))
exec(open(sys.argv[2]).read(),
     {"frames": frames, "times": [r["t"] for r in records], "stall": stall,
      "work": sys.argv[4]})
print("frames checked:", len(frames))
PY
fi
