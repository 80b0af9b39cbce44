#!/usr/bin/env bash
# The install rules into a fresh prefix, then the installed programs run from there: the
# files a desktop needs, the factory state, a window screenshot, and a firmware update that
# takes its images from the installed share folder.
set -euo pipefail
CMAKE="$1"; BUILD="$2"
WORK="$(mktemp -d)"; SIMPID=""
trap 'if [ -n "$SIMPID" ]; then kill "$SIMPID" 2>/dev/null || true; fi; rm -rf "$WORK"' EXIT
P="$WORK/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$CMAKE" --install "$BUILD" --prefix "$P" > "$WORK/install.log"

for program in kestra kestra-ctl kestra-sim; do
    [ -x "$P/bin/$program" ] || fail "$program is not in $P/bin"
    page="$P/share/man/man1/$program.1.gz"
    gzip -t "$page" || fail "no manual page $page"
    gzip -dc "$page" | grep -q '^\.TH .* 1 ' || fail "$page has no section 1 title line"
    gzip -dc "$page" | grep -q "^${program//-/\\\\-} \\\\- " || fail "$page does not name $program"
done
ENTRY="$P/share/applications/kestra-v-control.desktop"
[ -f "$ENTRY" ] || fail "no desktop entry"
grep -qx "Name=KESTRA-V Control" "$ENTRY" || fail "desktop entry name"
EXEC="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$ENTRY")"
[ -x "$P/bin/$EXEC" ] || fail "the entry starts '$EXEC', which is not installed"
ICON="$(sed -n 's/^Icon=//p' "$ENTRY")"
python3 - "$P/share/icons/hicolor" "$ICON" <<'PY'
import struct, sys
root, name = sys.argv[1], sys.argv[2]
for size in (48, 128, 256):
    path = f"{root}/{size}x{size}/apps/{name}.png"
    head = open(path, "rb").read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG"
    w, h = struct.unpack(">II", head[16:24])
    assert (w, h) == (size, size), f"{path} is {w}x{h}"
PY
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$ENTRY"
fi

export KESTRA_NET_SANDBOX=loopback QT_QPA_PLATFORM=offscreen KESTRA_DATA_DIR="$WORK/data"
mkdir -p "$KESTRA_DATA_DIR"
"$P/bin/kestra-ctl" state defaults > "$WORK/defaults.json"
python3 - "$WORK/defaults.json" <<'PY'
import json, sys
state = json.load(open(sys.argv[1]))
assert len(state["inputs"]) == 64 and len(state["outputs"]) == 16, "not a whole state"
PY
timeout 60 "$P/bin/kestra" --screenshot "$WORK/shot.png" --size 800x600 --device 127.0.0.9:43999
python3 - "$WORK/shot.png" <<'PY'
import struct, sys
head = open(sys.argv[1], "rb").read(24)
assert head[:8] == b"\x89PNG\r\n\x1a\n", "the screenshot is not a PNG"
assert struct.unpack(">II", head[16:24]) == (800, 600), "the screenshot is not 800x600"
PY

# Neither the data folder nor bin/ holds the images: only share/kestra-v does.
mkdir -p "$P/share/kestra-v" "$WORK/received"
head -c 3000 /dev/urandom > "$P/share/kestra-v/Digital-Velombrix.bin"
head -c 700 /dev/urandom > "$P/share/kestra-v/LSBF_DSP21489_Velombrix.bin"
# Below the ephemeral range and apart from the ports the other online tests take.
PORT=$((30000 + RANDOM % 1000 * 2))
"$P/bin/kestra-sim" --listen "127.0.0.9:$PORT" --firmware-dir "$WORK/received" \
    --exit-after 30 > "$WORK/sim.out" &
SIMPID=$!
for _ in $(seq 1 50); do
    grep -q "^listening" "$WORK/sim.out" && break
    sleep 0.1
done
echo "firmware update --time-scale 0.1" |
    timeout 30 "$P/bin/kestra-ctl" --device "127.0.0.9:$PORT" --local-port $((PORT + 1)) shell \
        > "$WORK/update.out"
grep -qx "Update successfully" "$WORK/update.out" || fail "update: $(cat "$WORK/update.out")"
cmp -n 3000 "$P/share/kestra-v/Digital-Velombrix.bin" "$WORK/received/target1.bin"
cmp -n 700 "$P/share/kestra-v/LSBF_DSP21489_Velombrix.bin" "$WORK/received/target0.bin"
echo "installed tree: programs, entry, icons, manual pages, state, screenshot, firmware ok"
