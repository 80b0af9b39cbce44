# Both images reached the processor byte for byte (kestra-sim writes each with its two
# checksum bytes after it), and the recovery wrote the whole state with 300 ms after each "V".
import os
for name, target in (("Digital-Velombrix.bin", 1), ("LSBF_DSP21489_Velombrix.bin", 0)):
    image = open(os.path.join(work, name), "rb").read()
    got = open(os.path.join(work, "fw", f"target{target}.bin"), "rb").read()
    assert got[:-2] == image, f"{name}: {len(got) - 2} bytes arrived of {len(image)}"
# The write begins with reports off, then the eleven "X".
start = next(i for i in range(len(frames) - 1)
             if frames[i] == "%Q,01,00,25E0#" and frames[i + 1].startswith("%X,01,00,"))
end = frames.index("%Q,01,01,B5E1#", start)
assert end - start + 1 == 822, f"{end - start + 1} datagrams in the recovery write"
assert times[end] - times[start] > 40, "the recovery's pauses were cut"
