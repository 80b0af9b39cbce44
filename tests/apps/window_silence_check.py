# The frames of window_silence.script.
import os

log = open(os.path.join(work, "run.txt")).read()
question = "question: Searching ends the connection to the processor. Search anyway?"
assert log.count(question + " -> Cancel") == 1, log
assert log.count(question + " -> OK") == 1, log

probes = [i for i, f in enumerate(frames) if f.startswith("%R,01,04,")]
assert probes, "the search after OK never reached the processor"
# Only the search after OK probes; before it, level reports were on and then switched off
# once more, behind every frame still waiting.
reports = [i for i, f in enumerate(frames[:probes[0]]) if f.startswith("%Q,01,")]
assert frames[reports[-1]].startswith("%Q,01,00,"), [frames[i] for i in reports[-4:]]
assert frames[reports[-2]].startswith("%Q,01,01,"), [frames[i] for i in reports[-4:]]
# The mute press and its undo went out before the first disconnect.
mutes = [f for f in frames if f.startswith("%A,01,01,")]
assert len(mutes) >= 2 and mutes[0][9:12] == "01," and mutes[1][9:12] == "00,", mutes
