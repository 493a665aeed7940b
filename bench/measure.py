"""What the whole-process benchmarks measure, shared by program.py and
sidebyside.py: CPU from the kernel's per-thread scheduler statistics, peak
memory, the player's own trace, paplay as the yardstick, and the null sink's
monitor for the first sound."""

import csv
import os
import signal
import subprocess
import sys
import threading
import time

RATE = 44100
FRAME_BYTES = 4


def log(*args):
    print(*args, file=sys.stderr, flush=True)


def report(key, value):
    print(f"{key}\t{value}", flush=True)


class Process:
    """A started program whose CPU time and peak memory can be read."""

    def __init__(self, argv, env=None, **popen):
        self.started = time.time()
        self.proc = subprocess.Popen(argv, env=env, **popen)

    @property
    def pid(self):
        return self.proc.pid

    def cpu_ns(self):
        # Exact, unlike the 10 ms ticks of /proc/<pid>/stat.
        total = 0
        task = f"/proc/{self.proc.pid}/task"
        try:
            threads = os.listdir(task)
        except OSError:
            return 0
        for t in threads:
            try:
                with open(f"{task}/{t}/schedstat") as f:
                    total += int(f.read().split()[0])
            except OSError:
                pass
        return total

    def peak_rss_mb(self):
        try:
            with open(f"/proc/{self.proc.pid}/status") as f:
                for line in f:
                    if line.startswith("VmHWM:"):
                        return int(line.split()[1]) / 1024
        except OSError:
            pass
        return float("nan")

    def running(self):
        return self.proc.poll() is None

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


class Player(Process):
    """The program with its trace lines (VORNAP_TRACE) collected as they come."""

    def __init__(self, program, home, extra_env=None):
        env = dict(os.environ, VORNAP_HOME=home, VORNAP_TRACE="1", **(extra_env or {}))
        self.events = []
        self.cond = threading.Condition()
        super().__init__([program], env=env, stdout=subprocess.DEVNULL,
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

    def window(self):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vornap$"],
                             capture_output=True, text=True).stdout.split()
        return out[0] if out else None


class Paplay(Process):
    """The disc's PCM streamed by PulseAudio's own client: the yardstick."""

    def __init__(self, raw):
        super().__init__(["paplay", "--raw", "--format=s16le", f"--rate={RATE}",
                          "--channels=2", raw])


def cpu_share(procs, secs):
    """Percent of one core each process used over secs."""
    before = [p.cpu_ns() for p in procs]
    t0 = time.monotonic_ns()
    time.sleep(secs)
    t1 = time.monotonic_ns()
    return [100.0 * (p.cpu_ns() - b) / (t1 - t0) for p, b in zip(procs, before)]


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


class SinkMonitor:
    """The null sink's monitor, read as the sink plays: the wall time at which
    sound first reached it. A chunk arrives when its last frame was played;
    a frame earlier in it was played that much before."""

    def __init__(self, device="bench_sink.monitor"):
        self.proc = subprocess.Popen(
            ["parec", f"--device={device}", "--raw", "--format=s16le", f"--rate={RATE}",
             "--channels=2", "--latency-msec=5"], stdout=subprocess.PIPE)
        self.cond = threading.Condition()
        self.silent_since = None  # wall time from which only zeros came
        self.sounds = []          # wall times of chunks' first non-zero frames
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        fd = self.proc.stdout.fileno()
        while True:
            chunk = os.read(fd, 2048)
            now = time.time()
            if not chunk:
                return
            quiet = len(chunk) - len(chunk.lstrip(b"\0"))
            with self.cond:
                if quiet == len(chunk):
                    if self.silent_since is None:
                        self.silent_since = now - len(chunk) / (RATE * FRAME_BYTES)
                else:
                    self.silent_since = None
                    self.sounds.append(now - (len(chunk) - quiet) / (RATE * FRAME_BYTES))
                self.cond.notify_all()

    def wait_silence(self, secs=0.2, timeout=10.0):
        """Waits until the sink has played only silence for secs."""
        end = time.time() + timeout
        with self.cond:
            while self.silent_since is None or time.time() - self.silent_since < secs:
                if time.time() > end:
                    raise RuntimeError("the sink does not fall silent")
                self.cond.wait(0.05)

    def first_sound(self, after, timeout=20.0):
        """Wall time of the first sound played at or after `after`; None if none came."""
        end = time.time() + timeout
        with self.cond:
            while True:
                heard = [t for t in self.sounds if t >= after]
                if heard:
                    return heard[0]
                if time.time() > end:
                    return None
                self.cond.wait(0.05)

    def stop(self):
        self.proc.terminate()
        self.proc.wait()
