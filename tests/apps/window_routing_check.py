# The frames of window_routing.script: every "B" is CH3's, in the operator's order.
routes = [f for f in frames if f.startswith("%B,")]
rows = [f.split(",")[2:4] for f in routes]
assert rows == [["03", "0010000000000000"], ["03", "1" * 16], ["03", "0" * 16]], routes
