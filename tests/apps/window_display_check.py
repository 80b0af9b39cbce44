# The DISPLAY tab's frames: "X" for each accepted assignment only, "W" for the call, and the
# reset's eleven "X" with every slot empty, 100 ms plus the frame gap apart.
def fields(f):
    return f[1:f.rindex(",")].split(",")

def slots(f):
    data = fields(f)[3]
    return [data[k:k + 2] for k in range(0, 10, 2)]

settings = [(i, fields(f)) for i, f in enumerate(frames) if f.startswith("%X,")]
calls = [fields(f) for f in frames if f.startswith("%W,")]
assert calls == [["W", "01", "02"]], calls

resets = settings[-11:]
assert [x[2] for _, x in resets] == [f"{r:02X}" for r in range(11)], resets
assert all(slots(frames[i]) == ["FF"] * 5 for i, _ in resets), resets
gaps = sorted(times[b[0]] - times[a[0]] for a, b in zip(resets, resets[1:]))
median = gaps[len(gaps) // 2]
assert abs(median - 0.110) <= 0.022, gaps

# Before the reset: CH05 into unit 2, CH07 into unit 4, CH05 again into unit 2; the refused
# CH05 of unit 4 never went out.
before = [slots(frames[i]) for i, _ in settings[:-11]]
units = [x[2] for _, x in settings[:-11]]
assert units == ["02", "04", "02"], units
assert before == [["05", "FF", "FF", "FF", "FF"], ["FF", "FF", "07", "FF", "FF"],
                  ["05", "FF", "FF", "FF", "FF"]], before
