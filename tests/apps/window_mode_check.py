# The frames of window_mode.script.
def fields(frame):
    return frame[1:].split(",")

synced = [i for i, f in enumerate(frames) if f.startswith("%L,") and fields(f)[3] == "23"]
assert [int(fields(frames[i])[2], 16) for i in synced] == list(range(1, 33)), \
    [frames[i] for i in synced]
gaps = [times[b] - times[a] for a, b in zip(synced, synced[1:])]
# 20 ms of the page's own pause after each frame's 10 ms; the sender paces, not the window.
assert all(0.022 <= g <= 0.060 for g in gaps), gaps
assert 0.028 <= sum(gaps) / len(gaps) <= 0.036, sum(gaps) / len(gaps)
assert stall < 50, f"the window stalled {stall} ms"

after_burst = synced[-1] + 1
m = [f for f in frames[after_burst:] if f.startswith("%M,")]
assert len(m) == 2, m
assert fields(m[0])[5] == "0A", m[0]  # hold time 500 ms is stored as 10
assert fields(m[0])[4] == "01", m[0]  # the processor's last hold, still on
assert fields(m[1])[4] == "00" and fields(m[1])[5] == "0A", m[1]  # LAST HOLD off, hold kept
# Without SYNC, -20 dB (60, 0x3C) goes out for CH2 alone.
single = [f for f in frames[after_burst:] if f.startswith("%L,")]
assert len(single) == 1 and fields(single[0])[2:4] == ["02", "3C"], single
