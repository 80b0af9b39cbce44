# The frames of window_editors.script: `frames` are the payloads, `times` their arrival (s).
def index(prefix, start=0):
    for i in range(start, len(frames)):
        if frames[i].startswith(prefix):
            return i
    raise AssertionError(f"no {prefix} from frame {start}")

def field(frame, k):
    return frame.split(",")[k]

# PEQ band 2 of CH1 (G fields: peq_on, band, type, freq, gain, q).
reset = index("%G,01,01,01,01,01,00C8,4B,14,")  # band 1 at its reset values
band2 = [i for i in range(reset) if frames[i].startswith("%G,01,01,01,02,")]
# The drag's sends, the trailing one after the rest, the release's, then the double-click's
# own press and release, and the double-click itself.
dbl = band2[-1]
rest = [i for i in band2 if i < dbl]
trailing = next(b for a, b in zip(rest, rest[1:]) if times[b] - times[a] >= 0.15)
drag = [i for i in rest if i < trailing]
assert len(drag) >= 5, [frames[i] for i in band2]
gaps = [times[b] - times[a] for a, b in zip(drag, drag[1:])]
assert min(gaps) >= 0.085, f"a drag sent faster than once per 100 ms: {gaps}"
stored = field(frames[dbl], 6)
assert field(frames[trailing], 6) == stored, "the trailing send is the stored band"
assert field(frames[trailing], 7) != "4B", "the drag moved the gain"
assert field(frames[dbl], 7) == "4B", frames[dbl]  # the double-click: 0 dB, same frequency

# RESET: bands 1-4, then "E" and "F".
assert [f[:15] for f in frames[reset:reset + 6]] == [
    "%G,01,01,01,01,", "%G,01,01,01,02,", "%G,01,01,01,03,", "%G,01,01,01,04,",
    "%E,01,01,00,02,", "%F,01,01,00,02,"], frames[reset:reset + 6]

# The shaped block, then BYPASS: flat, then exactly back.
shaped_gain = index("%G,01,01,01,01,01,00C8,7F,", reset)
slope = index("%F,01,01,00,02,0014,03,", reset)
typed = index("%G,01,01,01,03,01,4E20,", reset)
enter = index("%G,01,01,01,01,01,00C8,4B,", max(shaped_gain, slope, typed))
leave = index("%G,01,01,01,01,01,00C8,7F,", enter)
block = frames[leave - 2:leave + 4]  # "E", "F", then bands 1-4
assert block[1].startswith("%F,01,01,00,02,0014,03,"), block
assert block[4].startswith("%G,01,01,01,03,01,4E20,"), block

# The preset recalled into CH2 carries the shaped bands.
recall = index("%G,01,02,01,03,01,4E20,", leave)
index("%G,01,02,01,01,01,00C8,7F,", recall - 3)

# GEQ of M1 (H: on, 15 gains): the stroke leaves bands 4-10 at +6 dB, each stroke point once.
hs = [f for f in frames if f.startswith("%H,01,01,")]
assert field(hs[-1], 4) == "4B" * 3 + "69" * 7 + "4B" * 5, hs[-1]
assert all(a != b for a, b in zip(hs, hs[1:])), "a stroke point went out twice"

# Compressor of CH1 by its marker; limiter of M2 while its slider moves.
cs = [f for f in frames if f.startswith("%C,01,01,")]
assert len(set(cs)) >= 3, cs
ds = [f for f in frames if f.startswith("%D,01,02,")]
assert len(set(ds)) >= 2, ds
