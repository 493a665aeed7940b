#!/usr/bin/env python3
"""Vornap beside other players on one generated disc and one null sink (set up
by sidebyside.sh), in rounds: each player in turn is started alone, its first
sound is timed on the sink's monitor, then it plays on while paplay streams
the same PCM to the same sink, and both their CPU is read over the same
window. Prints the medians over the rounds as a table."""

import os
import re
import shutil
import statistics
import subprocess
import sys
import time

from measure import Paplay, Player, Process, SinkMonitor, cpu_share, log, set_options, \
    sink_inputs

BIN, WORK = sys.argv[1], sys.argv[2]
ROUNDS, SECS = int(sys.argv[3]), float(sys.argv[4])
VORNAP = os.path.join(BIN, "vornap")
AS_ROOT = os.geteuid() == 0
NOBODY = 65534

# One long first track: every player plays at least track 1 through the window.
DISC = os.path.join(WORK, "disc")
CUE, BIN_FILE = os.path.join(DISC, "disc.cue"), os.path.join(DISC, "disc.bin")
os.makedirs(DISC)
subprocess.run([os.path.join(BIN, "vornap-discgen"), CUE, f"audio:{SECS + 40:.0f}s:left=440:right=660",
                "audio:30s:sine=550"], check=True, stdout=subprocess.DEVNULL)
for path in (DISC, CUE, BIN_FILE):
    os.chmod(path, 0o755 if os.path.isdir(path) else 0o644)


def version(program):
    """The Debian package version of an installed program, upstream part."""
    path = shutil.which(program)
    owner = subprocess.run(["dpkg", "-S", os.path.realpath(path)], capture_output=True,
                           text=True).stdout.split(":")[0]
    full = subprocess.run(["dpkg-query", "-W", "-f=${Version}", owner], capture_output=True,
                          text=True).stdout if owner else ""
    m = re.match(r"(?:\d+:)?(\d+(?:\.\d+)*)", full)
    return m.group(1) if m else ""


def offline(argv):
    """Without any network: the other players look discs up by default."""
    if AS_ROOT and subprocess.run(["unshare", "-n", "true"]).returncode == 0:
        return ["unshare", "-n", "--"] + argv
    return argv


def private_home(name, owner=None):
    home = os.path.join(WORK, "homes", name)
    os.makedirs(os.path.join(home, ".config"), exist_ok=True)
    if owner is not None:
        for d in (home, os.path.join(home, ".config")):
            os.chown(d, owner, owner)
    return home


def run_vlc():
    argv = ["vlc", "-I", "dummy", "--play-and-exit", "--no-video", "--aout=pulse",
            "--cddb-server=", "--no-metadata-network-access", f"cdda://{CUE}"]
    if not AS_ROOT:
        home = private_home("vlc")
        return Process(offline(argv), env=dict(os.environ, HOME=home,
                                      XDG_CONFIG_HOME=os.path.join(home, ".config")),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # VLC refuses to run as root: as nobody, through the server's public socket.
    home = private_home("vlc-nobody", NOBODY)
    env = {"PATH": os.environ["PATH"], "HOME": home, "XDG_RUNTIME_DIR": home,
           "PULSE_SERVER": "unix:" + os.path.join(WORK, "public", "native")}
    return Process(offline(["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}",
                            "--clear-groups", "--"] + argv), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_mplayer():
    home = private_home("mplayer")
    return Process(offline(["mplayer", "-really-quiet", "-nolirc", "-noconsolecontrols", "-vo",
                            "null", "-ao", "pulse", "-demuxer", "rawaudio",
                            "-rawaudio", "channels=2:rate=44100:samplesize=2", f"cue://{CUE}:1"]),
                   env=dict(os.environ, HOME=home), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_audacious():
    home = private_home("audacious")
    os.makedirs(os.path.join(home, ".config", "audacious"), exist_ok=True)
    # The image as its CD drive; no lookup, which would go out to the network.
    with open(os.path.join(home, ".config", "audacious", "config"), "w") as f:
        f.write(f"[CDDA]\ndevice={CUE}\nuse_cddb=FALSE\n")
    return Process(offline(["audacious", "-H", "-q", "cdda://?1"]),
                   env=dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config")),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def vornap_home(name, **options):
    """A player home with the disc in drive E:, after a first start wrote the
    default options, then `options` set."""
    home = os.path.join(WORK, "homes", name)
    os.makedirs(home)
    shutil.copytree(os.path.join(BIN, "Skins"), os.path.join(home, "Skins"))
    with open(os.path.join(home, "VornapDrives.dat"), "w") as f:
        f.write(f"E:\\={CUE}\n")
    p = Player(VORNAP, home)
    p.wait_for("first-paint")
    p.stop()
    set_options(home, **options)
    return home


class Desktop:
    """A window manager (openbox) and an XEmbed tray host (trayer): where the
    tray-only mode hides its window when minimised."""

    def __init__(self):
        self.procs = [subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)]
        try:
            until(lambda: "window id" in run_text(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"]),
                  "no window manager")
            self.procs.append(subprocess.Popen(
                ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                 "--width", "120", "--height", "32"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            until(lambda: '("panel" "trayer")' in run_text(["xwininfo", "-root", "-tree"]),
                  "no tray host")
        except RuntimeError:
            self.stop()
            raise

    def stop(self):
        for p in reversed(self.procs):
            p.terminate()
            p.wait()


def run_text(argv):
    return subprocess.run(argv, capture_output=True, text=True).stdout


def until(done, what, secs=10.0):
    end = time.time() + secs
    while not done():
        if time.time() > end:
            raise RuntimeError(what)
        time.sleep(0.1)


def main_window(p):
    """The player's main window: the one named Vornap that is not its tray icon."""
    for wid in run_text(["xdotool", "search", "--pid", str(p.pid), "--name", "^Vornap$"]).split():
        width = re.search(r"Width: (\d+)", run_text(["xwininfo", "-id", wid]))
        if width and int(width.group(1)) > 100:
            return wid
    return None


def mapped(wid):
    return "IsViewable" in run_text(["xwininfo", "-id", wid])


def to_tray(p):
    """Minimised, the tray-only window hides: asked again now and then, as a
    request can come while the window manager is busy."""
    wid = main_window(p)
    if not wid:
        raise RuntimeError("no main window")
    for i in range(100):
        if i % 30 == 0:
            subprocess.run(["xdotool", "windowminimize", wid])
        if not mapped(wid):
            return
        time.sleep(0.1)
    raise RuntimeError("minimising did not hide the window")


def quiet_sink():
    for _ in range(200):
        if sink_inputs() == 0:
            return
        time.sleep(0.05)
    raise RuntimeError("a stream is still playing")


def playing(launch, with_paplay=True, then=None):
    """Launch to first sound, then (after `then`, given the player) CPU
    against paplay and peak memory."""
    monitor = SinkMonitor()
    try:
        monitor.wait_silence()
        start = time.time()
        p = launch()
        heard = monitor.first_sound(start)
    finally:
        monitor.stop()
    if heard is None:
        p.stop()
        raise RuntimeError("no sound within 20 s")
    if then:
        try:
            then(p)
        except RuntimeError:
            p.stop()
            raise
    time.sleep(1)
    companion = Paplay(BIN_FILE) if with_paplay else None
    time.sleep(2)
    shares = cpu_share([p] + ([companion] if companion else []), SECS)
    still = p.running()
    rss = p.peak_rss_mb()
    p.stop()
    if companion:
        companion.stop()
    quiet_sink()
    if not still:
        raise RuntimeError("stopped playing before the window ended")
    return {"cpu": shares[0], "ratio": shares[0] / shares[1] if companion else 1.0,
            "rss": rss, "launch": (heard - start) * 1000}


def idle(home):
    p = Player(VORNAP, home)
    p.wait_for("tracks-shown")
    time.sleep(2)
    (cpu,) = cpu_share([p], SECS)
    rss = p.peak_rss_mb()
    p.stop()
    return {"cpu": cpu, "rss": rss}


rows = []  # (label, measure or None, why not measured)
rows.append((f"paplay {version('paplay')}", lambda: playing(lambda: Paplay(BIN_FILE), False), ""))
for label, program, run in (("VLC", "vlc", run_vlc), ("MPlayer", "mplayer", run_mplayer),
                            ("Audacious", "audacious", run_audacious)):
    kind = {"VLC": "cdda, the image", "MPlayer": "cue:// image",
            "Audacious": "headless, cdda"}[label]
    if shutil.which(program):
        rows.append((f"{label} {version(program)} ({kind})", lambda run=run: playing(run), ""))
    else:
        rows.append((label, None, "not installed"))

def shown(p):
    wid = main_window(p)
    if not wid or not mapped(wid):
        raise RuntimeError("the window is not shown")


window_home = vornap_home("window", **{"//Play On Startup": "1"})
rows.append(("Vornap, window shown",
             lambda: playing(lambda: Player(VORNAP, window_home), then=shown), ""))
if shutil.which("trayer") and shutil.which("openbox"):
    tray_home = vornap_home("tray", **{"//Play On Startup": "1", "//System Tray Only": "1"})

    def tray_mode():
        desktop = Desktop()
        try:
            return playing(lambda: Player(VORNAP, tray_home), then=to_tray)
        finally:
            desktop.stop()

    rows.append(("Vornap, tray mode (minimised)", tray_mode, ""))
else:
    rows.append(("Vornap, tray mode", None, "no window manager and tray host (openbox, trayer)"))
idle_home = vornap_home("idle")
rows.append(("Vornap idle, disc in, stopped", lambda: idle(idle_home), ""))

results = {label: [] for label, _, _ in rows}
failures = {}
for r in range(ROUNDS):
    for label, measure, _ in rows:
        if measure is None:
            continue
        try:
            m = measure()
            results[label].append(m)
            log(f"round {r + 1}, {label}: " + ", ".join(f"{k} {v:.3g}" for k, v in m.items()))
        except RuntimeError as e:
            failures[label] = str(e)
            log(f"round {r + 1}, {label}: {e}")


def median(label, key, fmt):
    values = [m[key] for m in results[label] if key in m]
    return fmt % statistics.median(values) if values else ""


print(f"Medians of {ROUNDS} rounds; CPU over {SECS:g} s of playing, × paplay streaming the "
      "same PCM to the same sink in the same window.")
print()
print("| Player | CPU % of a core | × paplay | Peak RSS | Launch → first sound |")
print("|---|---|---|---|---|")
for label, measure, why in rows:
    if measure is None or not results[label]:
        print(f"| {label} | {why or failures.get(label, 'not measured')} | | | |")
        continue
    print(f"| {label} | {median(label, 'cpu', '%.2f')} | {median(label, 'ratio', '%.2f')} | "
          f"{median(label, 'rss', '%.0f MB')} | {median(label, 'launch', '%.0f ms')} |")
