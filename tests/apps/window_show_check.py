# The recall's whole-state write: from its "Q" 00 to its "Q" 01, 822 datagrams (662 commands,
# each "V" in pieces), starting with the eleven "X".
starts = [i for i, f in enumerate(frames) if f == "%Q,01,00,25E0#"]
assert len(starts) >= 2, "no recall after the connection"
start = starts[1]
end = frames.index("%Q,01,01,B5E1#", start)
assert end - start + 1 == 822, f"{end - start + 1} datagrams in the write"
assert [f[:9] for f in frames[start + 1:start + 12]] == [f"%X,01,{k:02X}," for k in range(11)]
# The pauses: the write takes at least the sum of them (about 33 s).
assert times[end] - times[start] > 30, times[end] - times[start]

# The figure: wall time of the write against its pauses and frame gaps, up to its last frame.
planned_ms, letter = 0, ""
for d in frames[start:end]:
    if d.startswith("%"):
        letter = d[1]
    pause = 0
    if d.endswith("#"):
        pause = {"X": 100, "V": 150}.get(letter, 20)
    planned_ms += 10 + pause
wall_ms = (times[end] - times[start]) * 1000
print(f"recall through the window: {wall_ms:.0f} ms against {planned_ms} ms planned, "
      f"ratio {wall_ms / planned_ms:.4f}")
assert wall_ms >= planned_ms - 50, "a pause was cut"
