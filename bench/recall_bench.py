#!/usr/bin/env python3
"""Scene recalls against kestra-sim on loopback, through kestra-ctl's shell.

1. The undo of a whole scene recall: a scene that differs from the processor in nearly every
   command is recalled (the whole-state write), then undone; the undo's commands are timed in
   the simulator's log against the pauses and frame gaps they carry.
2. A recall of only the changes for a scene that differs in 5 values: from the line written
   to the shell to its "verified", median of 5 rounds (each round's undo puts the 5 back).

Usage: recall_bench.py BUILD_DIR
"""
import json, os, statistics, subprocess, sys, tempfile, threading, time

build = sys.argv[1] if len(sys.argv) > 1 else "build/default"
ctl = os.path.join(build, "apps/ctl/kestra-ctl")
sim_bin = os.path.join(build, "apps/sim/kestra-sim")
env = dict(os.environ, KESTRA_NET_SANDBOX="loopback")
work = tempfile.mkdtemp(prefix="kestra-recall-bench-")
port = 46000 + os.getpid() % 400 * 2


def scene_lines():
    for n in range(33, 37):
        yield f"set input {n} source {n - 32}"
    for n in range(1, 65):
        yield f"set input {n} volume {20 + n % 40}"
        yield f"set input {n} matrix_row[0] 1"
        yield f"set input {n} gain_step {n % 3}"
        yield f"rename input {n} IN{n}"
        if n <= 32:
            yield f"set input {n} comp_ratio {20 + n}"
            yield f"set input {n} lpf_freq {10000 + n}"
            yield f"set input {n} hpf_freq {100 + n}"
            yield f"set input {n} automix_threshold {n % 20 + 1}"
            for b in range(4):
                yield f"set input {n} peq_band[{b}].gain {160 + b}"
    for m in range(1, 17):
        yield f"set output {m} volume {10 + m}"
        yield f"set output {m} lim_ratio {20 + m}"
        yield f"set output {m} geq_band[0].gain 160"
        yield f"set output {m} line_mode 1"
        yield f"set output {m} delay_step {m % 5 + 1}"
        yield f"rename output {m} OUT{m}"
        if m <= 8:
            yield f"set output {m} fbk 1"
    yield "scene save ALL"


class Shell:
    """kestra-ctl shell with stdout lines stamped as they arrive."""

    def __init__(self, data):
        self.p = subprocess.Popen(
            [ctl, "--device", f"127.0.0.7:{port}", "--local-port", str(port + 1),
             "--data-dir", data, "shell"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            text=True, env=env)
        self.lines = []
        self.cv = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.p.stdout:
            with self.cv:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.cv.notify_all()

    def send(self, text):
        self.p.stdin.write(text + "\n")
        self.p.stdin.flush()

    def wait_for(self, text, since, timeout=120):
        deadline = time.monotonic() + timeout
        with self.cv:
            while True:
                for t, line in self.lines[since:]:
                    if line == text:
                        return t
                left = deadline - time.monotonic()
                if left <= 0:
                    raise SystemExit(f"no '{text}' from the shell")
                self.cv.wait(left)

    def close(self):
        self.send("disconnect")
        self.p.stdin.close()
        self.p.wait(timeout=120)


def simulator(log):
    sim = subprocess.Popen([sim_bin, "--listen", f"127.0.0.7:{port}", "--log", log,
                            "--no-fader-reports", "--exit-after", "300"],
                           stdout=subprocess.PIPE, text=True, env=env)
    sim.stdout.readline()
    return sim


def pause_of(letter):
    return {"X": 100, "V": 150}.get(letter, 20)


def undo_of_whole_recall():
    data = os.path.join(work, "whole")
    subprocess.run([ctl, "--data-dir", data, "shell"], input="\n".join(scene_lines()) + "\n",
                   text=True, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    log = os.path.join(work, "whole.log")
    sim = simulator(log)
    shell = Shell(data)
    shell.send("connect")
    shell.send("scene recall 1")
    shell.send("journal 1")
    # The recall's line returns once its write left; the undo follows at once.
    shell.send("undo")
    shell.close()
    sim.terminate()
    sim.wait()
    records = [json.loads(line) for line in open(log)]
    frames = [(r["t"], r["data"]) for r in records]
    ends = [i for i, (_, d) in enumerate(frames) if d.startswith("%Q,01,01")]
    start = ends[1] + 1  # after the connect's and the recall's "reports on"
    end = max(i for i, (_, d) in enumerate(frames) if d.startswith("%Q,01,00"))
    undo = frames[start:end]
    planned_ms, letter = 0, ""
    for _, d in undo[:-1]:
        if d.startswith("%"):
            letter = d[1]
        planned_ms += 10 + (pause_of(letter) if d.endswith("#") else 0)
    wall_ms = (undo[-1][0] - undo[0][0]) * 1000
    commands = sum(1 for _, d in undo if d.endswith("#"))
    print(f"undo of a whole scene recall: {commands} commands, {len(undo)} datagrams, "
          f"{wall_ms:.0f} ms against {planned_ms} ms of pauses and gaps, "
          f"ratio {wall_ms / planned_ms:.4f}")


def recall_of_changes(rounds=5):
    data = os.path.join(work, "changes")
    log = os.path.join(work, "changes.log")
    sim = simulator(log)
    shell = Shell(data)
    for line in ["connect", "set input 2 volume 33", "set output 4 lim_ratio 40",
                 "rename input 7 DESK", "set input 9 comp_ratio 30",
                 "set input 12 matrix_row[3] 1", "scene save FIVE",
                 "undo", "undo", "undo", "undo", "undo", "wait 500"]:
        shell.send(line)
    times = []
    for _ in range(rounds):
        # The shell is idle once it has listed the scenes after its waits.
        mark = len(shell.lines)
        shell.send("scene list")
        shell.wait_for("1:FIVE", mark)
        mark = len(shell.lines)
        t0 = time.monotonic()
        shell.send("scene recall 1 --changes")
        t1 = shell.wait_for("verified", mark)
        sent = next(l for _, l in shell.lines[mark:] if l.startswith("sent "))
        times.append((t1 - t0) * 1000)
        shell.send("undo")
        shell.send("wait 300")
    shell.close()
    sim.terminate()
    sim.wait()
    print(f"recall of only the changes (5 values, {sent}): median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f}) including the read-back; the whole "
          f"write of the same scene takes about 33,000 ms")


recall_of_changes()
undo_of_whole_recall()
