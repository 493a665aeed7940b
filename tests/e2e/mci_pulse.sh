#!/usr/bin/env bash
# Plays a generated disc through vornap-mci into a PulseAudio null sink, records
# the sink's monitor and checks that each track's tone comes back in order.
# Usage: mci_pulse.sh <vornap-mci> <vornap-discgen>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
MCI=$1
DISCGEN=$2
for tool in pulseaudio pactl parecord python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done

WORK=$(mktemp -d /tmp/vornap-e2e-mci.XXXXXX)
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
REC_PID=""
cleanup() {
    [ -n "$REC_PID" ] && kill "$REC_PID" 2>/dev/null || true
    pulseaudio --kill 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

e2e_start_pulse "$WORK/pulse.log"

mkdir "$WORK/home"
"$DISCGEN" "$WORK/home/tones.cue" audio:3s:sine=440 audio:3s:sine=660:pregap=0.5s audio:3s:sine=880 >/dev/null
printf 'E:\\=tones.cue\n' > "$WORK/home/VornapDrives.dat"
export VORNAP_HOME=$WORK/home

parecord --device=ci_sink.monitor --latency-msec=20 --file-format=wav \
    --format=s16le --rate=44100 --channels=2 "$WORK/cap.wav" &
REC_PID=$!
sleep 0.5

{
    echo 'open E:\ type cdaudio alias cd1 wait shareable'
    echo 'set cd1 time format tmsf'
    echo 'play cd1 from 1'
    sleep 4
    echo 'set cd1 time format milliseconds'
    echo 'status cd1 position'
    echo 'status cd1 mode'
    sleep 7
    echo 'status cd1 mode'
    # Pause holds the position heard and silences the sink; resume goes on.
    echo 'close all'
    echo 'open E:\ type cdaudio alias cd1 wait shareable'
    echo 'set cd1 time format tmsf'
    echo 'play cd1 from 2'
    sleep 1.5
    echo 'pause cd1'
    echo 'status cd1 position'
    sleep 1.5
    echo 'status cd1 position'
    echo 'close all'
    echo 'open E:\ type cdaudio alias cd1 wait shareable'
    echo 'resume cd1'
    sleep 6.5
    echo 'status cd1 mode'
    echo 'close all'
} | "$MCI" > "$WORK/answers.txt"
sleep 0.5
kill "$REC_PID"; wait "$REC_PID" 2>/dev/null || true
REC_PID=""
cat "$WORK/answers.txt"

python3 - "$WORK/cap.wav" "$WORK/answers.txt" <<'PY'
import sys, wave, struct
answers = [l.rstrip("\n").split("\t") for l in open(sys.argv[2])]
codes = [a[0] for a in answers]
assert all(c == "0" for c in codes), f"failed commands: {answers}"
position = int(answers[4][1])
# Four seconds into the disc (2001 ms is its start), as heard, not as read ahead.
assert 2001 + 3000 <= position <= 2001 + 5000, f"position {position}"
assert answers[5][1] == "playing", answers
assert answers[6][1] == "stopped", answers
paused = answers[12][1], answers[13][1]
assert paused[0] == paused[1] and paused[0].startswith("02:00:01:"), f"paused at {paused}"
assert answers[17][1] == "stopped", answers

w = wave.open(sys.argv[1])
rate, n = w.getframerate(), w.getnframes()
data = struct.unpack("<%dh" % (n * 2), w.readframes(n))
left = data[0::2]
win = rate // 4
runs = []
for start in range(0, len(left) - win, win):
    seg = left[start:start + win]
    if max(abs(s) for s in seg) < 1000:
        freq = 0
    else:
        crossings = sum(1 for a, b in zip(seg, seg[1:]) if a < 0 <= b)
        freq = crossings * rate / win
    tone = min((0, 440, 660, 880), key=lambda f: abs(f - freq))
    if tone and abs(freq - tone) > 12:
        tone = -1
    if runs and runs[-1][0] == tone:
        runs[-1][1] += 1
    else:
        runs.append([tone, 1])
# A single unclear window inside a tone (a scheduling hiccup of a loaded
# machine) does not split it.
merged = []
for t, c in runs:
    if len(merged) >= 2 and merged[-1][0] == -1 and merged[-1][1] == 1 and merged[-2][0] == t and t > 0:
        merged.pop()
        merged[-1][1] += 1 + c
    else:
        merged.append([t, c])
runs = merged
heard = [(t, c / 4) for t, c in runs if t not in (0,)]
print("heard (Hz, seconds):", heard)
tones = [t for t, secs in heard if secs >= 1.0]
assert tones == [440, 660, 880, 660, 660, 880], f"tones heard in order: {tones}"
# Between the two parts of track 2 the sink heard silence for the pause.
at660 = [i for i, (t, c) in enumerate(runs) if t == 660]
gap = sum(c for t, c in runs[at660[1] + 1:at660[2]]) / 4
assert gap >= 1.0, f"pause gap {gap} s in {runs}"
PY
echo "PASS"
