#!/usr/bin/env python3
"""The whole player under an X server and a PulseAudio null sink (both set up
by program.sh): start-up to the first painted window and to the first sound,
peak memory, CPU idle with a disc in, CPU playing against paplay, and
insertion to display.

Times come from the program's own trace (VORNAP_TRACE: a line with the wall
clock at each painted change of the main window); the start is taken here just
before the process is started. Prints "key<TAB>value" lines."""

import os
import shutil
import statistics
import subprocess
import sys
import time

from measure import Paplay, Player, SinkMonitor, cpu_share, log, report, set_options, sink_inputs

BIN, WORK = sys.argv[1], sys.argv[2]
IDLE_SECS, PLAY_SECS, RUNS = float(sys.argv[3]), float(sys.argv[4]), int(sys.argv[5])
VORNAP = os.path.join(BIN, "vornap")


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


# Start-up: process start to the first painted main window. The first run
# writes the options file and warms the file cache; it is not counted.
home = make_home("shipped", True)


def first_paints(program, wait_for_tracks):
    """Medians of process start to first paint, and of CPU used by then."""
    paints, cpus = [], []
    for run in range(RUNS + 1):
        p = Player(program, home)
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

# The same for a bare Qt window: what any Qt Widgets program costs here, in
# time and in memory.
paints, cpus = first_paints(os.path.join(BIN, "bench_firstpaint"), False)
report("floor_paint_ms", "%.0f" % statistics.median(paints))
report("floor_paint_cpu_ms", "%.0f" % statistics.median(cpus))
floor = Player(os.path.join(BIN, "bench_firstpaint"), home)
floor.wait_for("first-paint")
time.sleep(2)
report("floor_rss_mb", "%.1f" % floor.peak_rss_mb())
floor.stop()


def quiet_sink():
    for _ in range(200):
        if sink_inputs() == 0:
            return
        time.sleep(0.05)


# Launch to first sound: a tone disc in drive E: and play on start; the start
# is taken just before the process is started, the sound is the first
# non-zero sample on the sink's monitor.
sound_home = os.path.join(WORK, "sound")
os.makedirs(sound_home)
shutil.copytree(os.path.join(BIN, "Skins"), os.path.join(sound_home, "Skins"))
subprocess.run([os.path.join(BIN, "vornap-discgen"), os.path.join(sound_home, "disc.cue"),
                "audio:30s:left=440:right=660"], check=True, stdout=subprocess.DEVNULL)
with open(os.path.join(sound_home, "VornapDrives.dat"), "w") as f:
    f.write("E:\\=disc.cue\n")
p = Player(VORNAP, sound_home)
p.wait_for("first-paint")
p.stop()
set_options(sound_home, **{"//Play On Startup": "1"})
sounds = []
for run in range(RUNS + 1):
    monitor = SinkMonitor()
    try:
        monitor.wait_silence()
        start = time.time()
        p = Player(VORNAP, sound_home)
        heard = monitor.first_sound(start)
    finally:
        monitor.stop()
    p.stop()
    quiet_sink()
    if heard is None:
        log("no sound within 20 s")
    elif run:
        sounds.append((heard - start) * 1000)
if sounds:
    report("first_sound_ms", "%.0f" % statistics.median(sounds))
log("launch to first sound (ms):", " ".join("%.0f" % x for x in sounds))

# Idle with the demo disc in and stopped, then playing it against paplay.
p = Player(VORNAP, home)
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
    p = Player(VORNAP, home)
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
p = Player(VORNAP, home)
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
