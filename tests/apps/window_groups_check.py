# The frames of window_groups.script.
def fader(channel, start=0):
    return [i for i in range(start, len(frames))
            if frames[i].startswith("%%A,01,%02X," % channel)]

# The drag to the bottom of CH3 leaves volume 0 on CH3, CH4 and CH5, and nothing on CH6.
bottoms = {ch: [i for i in fader(ch) if frames[i][9:15] == "00,00,"] for ch in (3, 4, 5)}
assert all(bottoms.values()), bottoms
assert not fader(6), [frames[i] for i in fader(6)]
assert not fader(40)

# Mute group 2: CH10, CH11, CH12 muted about 30 ms apart, then all three released.
muted = [i for ch in (10, 11, 12) for i in fader(ch) if frames[i][9:12] == "01,"]
assert len(muted) == 3 and muted == sorted(muted), [frames[i] for i in muted]
gaps = [times[b] - times[a] for a, b in zip(muted, muted[1:])]
assert all(0.022 <= g <= 0.060 for g in gaps), gaps
released = [i for ch in (10, 11, 12) for i in fader(ch) if frames[i][9:12] == "00,"]
assert len(released) == 3 and min(released) > max(muted), released
