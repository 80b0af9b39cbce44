# The frames of window_strips.script, in the order the operator made them.
def after(prefix, start=0):
    """Index of the first frame from `start` on that begins with `prefix`."""
    for i in range(start, len(frames)):
        if frames[i].startswith(prefix):
            return i
    raise AssertionError(f"no {prefix} after frame {start}: {frames[start:start + 20]}")

ch3 = [f for f in frames if f.startswith("%A,01,03,")]
# The drag to the bottom ends at volume 0; Home (or the MUTE behind it, which carries the
# volume too) puts 70 (0x46) on the wire; MUTE sends mute 1; the typed -12 dB is volume 48.
bottom = after("%A,01,03,00,00,")
assert ch3[0] != "%A,01,03,00,00,D452#", "the drag starts at the top, not at its end"
muted = after("%A,01,03,01,46,", bottom)
assert all(f[12:14] in ("00", "46") for f in frames[bottom:muted] if f.startswith("%A,01,03,"))
typed = after("%A,01,03,01,30,", muted)
# Sources: AUX2 for CH35, the refused AUX2 for CH40 sends nothing, DANTE for CH36.
aux = after("%O,01,03,02,", typed)
after("%O,01,04,00,", aux)
assert not any(f.startswith("%O,01,08,") for f in frames), "CH40 took AUX2 as well"
# The rename of CH1 goes out as "V" for channel 1 with "Chair" in it.
name = after("%V,01,01,0043006800610069007200", aux)
# Output 2: delay 5.0 ms (step 10), LINE, FBK; nothing for the DANTE outputs' FBK.
delay = after("%J,01,02,01,0A,", name)
line = after("%I,01,02,01,", delay)
after("%K,01,02,01,", line)
assert not any(f.startswith("%K,01,09,") for f in frames)
