# The release sent the operator's value (70, position 0), not the report's 65.
ch3 = [f for f in frames if f.startswith("%A,01,03,")]
assert ch3, "the release sent nothing"
assert ch3[-1].startswith("%A,01,03,00,46,"), ch3
