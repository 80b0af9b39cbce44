#!/usr/bin/env bash
# A short walk through the protocol tools: frames, the state and its image.
set -euo pipefail
CTL="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

step() { printf '\n\033[1m$ kestra-ctl %s\033[0m\n' "$*"; }

step frame encode R 01 04
"$CTL" frame encode R 01 04
step frame check '%R,01,04,f0a2#'
"$CTL" frame check '%R,01,04,f0a2#' || true
step encode A 3 "   (fader of input 3 from the default state)"
"$CTL" encode A 3
echo '{"inputs":[{"short_name":"Chair","matrix_row":[1,1,0,0,0,0,0,0,0,0,0,0,0,0,0,1]}]}' >"$tmp/state.json"
step --state state.json encode B 1
"$CTL" --state "$tmp/state.json" encode B 1
step --state state.json encode V 1 "   (name with its glyph bitmap, in 256-byte pieces)"
"$CTL" --state "$tmp/state.json" encode V 1
step --state state.json image write state.img
"$CTL" --state "$tmp/state.json" image write "$tmp/state.img"
ls -l "$tmp/state.img"
step "image read state.img | (input 1)"
"$CTL" image read "$tmp/state.img" | python3 -c \
    'import json,sys; s=json.load(sys.stdin)["inputs"][0]; print({k: s[k] for k in ("short_name","volume","matrix_row")})'
