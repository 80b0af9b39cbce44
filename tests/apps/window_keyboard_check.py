# The frames of window_keyboard.script, and the focus ring in the shot of the focused selector.
import os
import struct
import zlib

ch3 = [f for f in frames if f.startswith("%A,01,03,")]
mute_at = next(i for i, f in enumerate(ch3) if f[9:11] == "01")
# Ten Down presses lower the fader one step each: volume 70 (0x46) goes to 60 (0x3C); a newer
# fader frame may replace a waiting one, as in a drag, but none goes back up or past 60.
volumes = [int(f[12:14], 16) for f in ch3[:mute_at]]
assert volumes, "the Down presses sent no fader frame"
assert all(f[9:11] == "00" for f in ch3[:mute_at]), ch3
assert all(a > b for a, b in zip(volumes, volumes[1:])), volumes
assert 60 <= volumes[0] < 70 and volumes[-1] == 60, volumes
# Space on MUTE mutes at the volume the keys left, as a click would.
assert ch3[mute_at].startswith("%A,01,03,01,3C,"), ch3[mute_at]
# Enter on the gain selector, three Down and Enter pick index 5 (two was the processor's).
gain = [f for f in frames if f.startswith("%U,01,03,")]
assert gain == [gain[0]] and gain[0].startswith("%U,01,03,05,"), gain
assert frames.index(gain[0]) > frames.index(ch3[mute_at])


def pixels(path):
    """Rows of (r, g, b) of an 8-bit RGB or RGBA PNG, the kind the window's shot writes."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    at, idat, width, height, channels = 8, b"", 0, 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour in (2, 6), (depth, colour)
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), width * channels, [], None
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = previous[x] if previous else 0
            corner = previous[x - channels] if previous and x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, channels)])
        previous = line
    return rows


shot = pixels(os.path.join(work, "gain_focused.png"))
h, w = len(shot), len(shot[0])
accent = (0x00, 0xE6, 0xFF)
for x, y in ((0, h // 2), (w // 2, 0), (w - 1, h // 2), (w // 2, h - 1)):
    assert shot[y][x] == accent, f"no focus ring at {x},{y}: {shot[y][x]}"
