# Undo and redo went out as the fader's own command with the value before and after; the
# recall of only the changes sent its one command, then the read-back; its undo sent the
# value back. The question told the count and offered both recalls; the journal has one
# line for the drag.
import json
run = open(work + "/run.txt").read()

fader = [f[:15] for f in frames if f.startswith("%A,01,03,")]
zero, top = "%A,01,03,00,00,", "%A,01,03,00,46,"
assert fader[0] == zero, fader
dragged = fader[-8]
assert dragged not in (zero, top), fader
# Ctrl+Z, Ctrl+Shift+Z, the Menu's UNDO and REDO, the recall, the recall's undo, and
# Ctrl+Z in the journal window.
assert fader[-7:] == [zero, dragged, zero, dragged, top, dragged, zero], fader
recall = max(i for i, f in enumerate(frames) if f.startswith(top))
assert frames[recall + 1].startswith("%Z,"), frames[recall:recall + 3]

assert ("1 value on 1 channel will change. [1] Only the 1 change (about 0.1 s) "
        "[2] Everything (about 33 s) -> Only the 1 change") in run, run

dump = json.loads(next(l for l in run.splitlines() if l.startswith('{"path":"journal.list"')))
items = dump["state"]["items"]
ops = [i.split("\t", 1)[1] for i in items]
drags = [o for o in ops if o.startswith("operator\tCH 03 VOL -60dB")]
assert len(drags) == 1, items
assert ops[-2] == "undo\tUndone: Scene 1:SAVE1 recalled, 1 value changed", items
assert ops.count("undo\tUndone: " + drags[0].split("\t", 1)[1]) == 3, items
assert "read\tState read from the processor" in "\n".join(ops), items

# The wheel's three notches are one line in the catalogue's words.
import re
gains = [o for o in ops if o.startswith("operator\tCH 03 GAIN ")]
assert len(gains) == 1, items
turn = re.fullmatch(r"operator\tCH 03 GAIN (\d+)dB \u2192 (\d+)dB", gains[0])
assert turn and int(turn.group(2)) == int(turn.group(1)) + 3, gains

