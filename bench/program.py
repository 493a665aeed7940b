#!/usr/bin/env python3
"""The whole player under an X server and a PulseAudio null sink (both set up
by program.sh): start-up to the first painted window, peak memory, CPU idle
with a disc in, CPU playing against paplay, and insertion to display.

Times come from the program's own trace (VORNAP_TRACE: a line with the wall
clock at each painted change of the main window); the start is taken here just
before the process is started. Prints "key<TAB>value" lines."""

import csv
import os
import shutil
import signal
import statistics
import subprocess
import sys
import threading
import time

BIN, WORK = sys.argv[1], sys.argv[2]
IDLE_SECS, PLAY_SECS, RUNS = float(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5])
VORNAP = os.path.join(BIN, "vornap")


def log(*args):
    print(*args, file=sys.stderr, flush=True)


class Player:
    """One run of the program with its trace lines collected as they come."""

    def __init__(self, home, program=VORNAP):
        env = dict(os.environ, VORNAP_HOME=home, VORNAP_TRACE="1")
        self.events = []
        self.cond = threading.Condition()
        self.started = time.time()
        self.proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE, text=True)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stderr:
            parts = line.split()
            if len(parts) == 3 and parts[0] == "vornap-trace":
                with self.cond:
                    self.events.append((int(parts[1]) / 1e6, parts[2]))
                    self.cond.notify_all()

    def wait_for(self, name, after=0.0, timeout=20.0):
        """Wall time of the first `name` event at or after `after`."""
        end = time.time() + timeout
        with self.cond:
            while True:
                for t, n in self.events:
                    if n == name and t >= after:
                        return t
                left = end - time.time()
                if left <= 0 or self.proc.poll() is not None:
                    raise RuntimeError(f"no {name} from the player")
                self.cond.wait(left)

    def cpu_ns(self):
        total = 0
        task = f"/proc/{self.proc.pid}/task"
        for t in os.listdir(task):
            try:
                with open(f"{task}/{t}/schedstat") as f:
                    total += int(f.read().split()[0])
            except OSError:
                pass
        return total

    def peak_rss_mb(self):
        with open(f"/proc/{self.proc.pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024
        return 0.0

    def window(self):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vornap$"],
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def cpu_share(procs, secs):
    """Percent of one core each (pid-bearing) object used over secs."""
    before = [p.cpu_ns() for p in procs]
    t0 = time.monotonic_ns()
    time.sleep(secs)
    t1 = time.monotonic_ns()
    return [100.0 * (p.cpu_ns() - b) / (t1 - t0) for p, b in zip(procs, before)]


class Paplay:
    def __init__(self, raw):
        self.proc = subprocess.Popen(["paplay", "--raw", "--format=s16le", "--rate=44100",
                                      "--channels=2", raw])

    cpu_ns = Player.cpu_ns


def set_options(home, **values):
    path = os.path.join(home, "VornapOptions.dat")
    with open(path, newline="") as f:
        fields = next(csv.reader(f))
    for comment, value in values.items():
        fields[fields.index(comment) + 1] = value
    with open(path, "w", newline="") as f:
        f.write(",".join(f'"{x}"' for x in fields) + "\r\n")


def sink_inputs():
    out = subprocess.run(["pactl", "list", "short", "sink-inputs"], capture_output=True,
                         text=True).stdout
    return len(out.splitlines())


def make_home(name, demo_in_tray):
    home = os.path.join(WORK, name)
    os.makedirs(home)
    for sub in ("Skins", "CDDB"):
        shutil.copytree(os.path.join(BIN, sub), os.path.join(home, sub))
    if demo_in_tray:
        # As on a machine without a drive: the demo disc in its tray.
        shutil.copytree(os.path.join(BIN, "Demo"), os.path.join(home, "Demo"))
    else:
        os.makedirs(os.path.join(home, "tray"))
        with open(os.path.join(home, "VornapDrives.dat"), "w") as f:
            f.write("E:\\=tray\n")
    return home


def report(key, value):
    print(f"{key}\t{value}", flush=True)


# Start-up: process start to the first painted main window. The first run
# writes the options file and warms the file cache; it is not counted.
home = make_home("shipped", True)


def first_paints(program, wait_for_tracks):
    """Medians of process start to first paint, and of CPU used by then."""
    paints, cpus = [], []
    for run in range(RUNS + 1):
        p = Player(home, program)
        paint = p.wait_for("first-paint")
        cpu = p.cpu_ns() / 1e6  # read just after the paint: a slight overestimate
        if wait_for_tracks:
            p.wait_for("tracks-shown")
        if run:
            paints.append((paint - p.started) * 1000)
            cpus.append(cpu)
        p.stop()
    return paints, cpus


paints, cpus = first_paints(VORNAP, True)
report("first_paint_ms", "%.0f" % statistics.median(paints))
report("first_paint_cpu_ms", "%.0f" % statistics.median(cpus))
log("first paint (ms):", " ".join("%.0f" % x for x in paints))
log("CPU used by the first paint (ms):", " ".join("%.0f" % x for x in cpus))

# The same for a bare Qt window: what any Qt Widgets program costs here.
paints, cpus = first_paints(os.path.join(BIN, "bench_firstpaint"), False)
report("floor_paint_ms", "%.0f" % statistics.median(paints))
report("floor_paint_cpu_ms", "%.0f" % statistics.median(cpus))

# Idle with the demo disc in and stopped, then playing it against paplay.
p = Player(home)
p.wait_for("tracks-shown")
time.sleep(2)
(idle,) = cpu_share([p], IDLE_SECS)
report("idle_pct", "%.3f" % idle)
wid = p.window()
subprocess.run(["xdotool", "mousemove", "--window", wid, "116", "218", "click", "1"], check=True)
for _ in range(100):
    if sink_inputs() >= 1:
        break
    time.sleep(0.05)
playing = sink_inputs() >= 1
pa = Paplay(os.path.join(home, "Demo", "Demo.bin"))
time.sleep(2)
if not playing:
    log("the player did not start playing")
    report("prog_play_pct", "nan")
else:
    # Medians of three windows, as for the device layer.
    shares = [cpu_share([p, pa], PLAY_SECS / 3) for _ in range(3)]
    ratios = [prog / paplay for prog, paplay in shares]
    report("prog_play_pct", "%.3f" % statistics.median(s[0] for s in shares))
    report("paplay_prog_pct", "%.3f" % statistics.median(s[1] for s in shares))
    report("prog_ratio", "%.2f" % statistics.median(ratios))
    log("program / paplay per window:", " ".join("%.2f" % r for r in ratios))
report("peak_rss_mb", "%.1f" % p.peak_rss_mb())
pa.proc.kill()
pa.proc.wait()
p.stop()


# Insertion: the demo image linked into an empty tray, to the track table
# shown (default options), then to the titles shown from the bundled cache
# (lookup on start, which also plays).
def insertions(home, event):
    tray = os.path.join(home, "tray")
    demo = os.path.join(BIN, "Demo")
    times = []
    p = Player(home)
    p.wait_for("first-paint")
    time.sleep(1.5)
    for _ in range(RUNS):
        # The data file first: it is no disc by itself.
        shutil.copy(os.path.join(demo, "Demo.bin"), os.path.join(tray, "Demo.bin"))
        time.sleep(0.2)
        start = time.time()
        shutil.copy(os.path.join(demo, "Demo.cue"), os.path.join(tray, "Demo.cue"))
        times.append((p.wait_for(event, start) - start) * 1000)
        os.remove(os.path.join(tray, "Demo.cue"))
        os.remove(os.path.join(tray, "Demo.bin"))
        p.wait_for("tracks-gone", start)
        time.sleep(0.7)
    p.stop()
    return times


home = make_home("tray", False)
p = Player(home)
p.wait_for("first-paint")
p.stop()
tables = insertions(home, "tracks-shown")
report("insert_tracks_ms", "%.0f" % statistics.median(tables))
log("insertion to track table (ms):", " ".join("%.0f" % x for x in tables))
set_options(home, **{"//Use CDDB": "1", "//Activate CDDB on Startup": "1",
                     "//Play On Startup": "1"})
titles = insertions(home, "titles-shown")
report("insert_titles_ms", "%.0f" % statistics.median(titles))
log("insertion to titles (ms):", " ".join("%.0f" % x for x in titles))
