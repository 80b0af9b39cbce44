#!/usr/bin/env bash
# ./kestra demo: a virtual processor on loopback and the controller watching it.
set -euo pipefail
BIN="$1"
SECONDS_TO_RUN="${2:-15}"
export KESTRA_NET_SANDBOX=loopback

free_port() {
    python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.5", 0)); print(s.getsockname()[1])'
}
DEVICE_PORT="$(free_port)"
LOCAL_PORT="$(free_port)"

"$BIN/sim/kestra-sim" --listen "127.0.0.5:$DEVICE_PORT" --exit-after $((SECONDS_TO_RUN + 30)) >/dev/null &
SIM=$!
trap 'kill $SIM 2>/dev/null || true' EXIT INT TERM
sleep 0.3

CTL=("$BIN/ctl/kestra-ctl" --device "127.0.0.5:$DEVICE_PORT" --local-port "$LOCAL_PORT")
echo "Virtual processor on 127.0.0.5:$DEVICE_PORT; searching 127.0.0.0/24 ..."
"$BIN/ctl/kestra-ctl" --local-port "$LOCAL_PORT" discover --host-address 127.0.0.2 \
    --port "$DEVICE_PORT" --wait 1
echo "Operator actions from the shell: names, a volume-linked group of CH1 and CH2, a typed"
echo "value for CH2 (typed values are not copied); the read-out of both:"
"${CTL[@]}" shell <<'EOF_SHELL'
connect
set input 1 volume 55
set output 1 mute 1
rename input 1 Chair
rename input 2 Podium
group control 1 member input 1 on
group control 1 member input 2 on
group control 1 link VOL on
group control 1 activate on
set input 1 volume 50
type 1 3 -12
readout 0 3
readout 1 3
disconnect
EOF_SHELL
echo "Connecting and watching the meters for $SECONDS_TO_RUN s (Ctrl-C ends) ..."
sleep 1
"${CTL[@]}" watch --seconds "$SECONDS_TO_RUN"
