#!/usr/bin/env bash
# Plays a generated disc through vornap-mci into a PulseAudio null sink, records
# the sink's monitor and checks that each track's tone comes back in order.
# Usage: mci_pulse.sh <vornap-mci> <vornap-discgen>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
MCI=$1
DISCGEN=$2
e2e_need pulseaudio pactl parecord python3
WORK=$E2E_TMP
e2e_start_pulse "$WORK/pulse.log"

mkdir "$WORK/home"
"$DISCGEN" "$WORK/home/tones.cue" audio:3s:sine=440 audio:3s:sine=660:pregap=0.5s audio:3s:sine=880 >/dev/null
printf 'E:\\=tones.cue\n' > "$WORK/home/VornapDrives.dat"
export VORNAP_HOME=$WORK/home

e2e_record "$WORK/cap.wav"
sleep 0.5
open='open E:\ type cdaudio alias cd1 wait shareable'
{
    echo "$open"
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
    echo "$open"
    echo 'set cd1 time format tmsf'
    echo 'play cd1 from 2'
    sleep 1.5
    echo 'pause cd1'
    echo 'status cd1 position'
    sleep 1.5
    echo 'status cd1 position'
    echo 'close all'
    echo "$open"
    echo 'resume cd1'
    sleep 6.5
    echo 'status cd1 mode'
    echo 'close all'
} | "$MCI" > "$WORK/answers.txt"
sleep 0.5
e2e_stop_record
cat "$WORK/answers.txt"
e2e_tones "$WORK/cap.wav" > "$WORK/runs.txt"

python3 - "$WORK/answers.txt" "$WORK/runs.txt" <<'PY'
import sys
answers = [l.rstrip("\n").split("\t") for l in open(sys.argv[1])]
assert all(a[0] == "0" for a in answers), f"failed commands: {answers}"
position = int(answers[4][1])
# Four seconds into the disc (2001 ms is its start), as heard, not as read ahead.
assert 2001 + 3000 <= position <= 2001 + 5000, f"position {position}"
assert [answers[i][1] for i in (5, 6, 17)] == ["playing", "stopped", "stopped"], answers
paused = answers[12][1], answers[13][1]
assert paused[0] == paused[1] and paused[0].startswith("02:00:01:"), f"paused at {paused}"

runs = [(label, int(n)) for label, n in (line.split() for line in open(sys.argv[2]))]
print("heard (tone, quarter seconds):", runs)
long = [i for i, (label, n) in enumerate(runs) if label != "silence" and n >= 4]
assert [runs[i][0] for i in long] == ["440", "660", "880", "660", "660", "880"], "tones out of order"
# Between the two parts of track 2 the sink heard silence for the pause.
gap = sum(n for label, n in runs[long[3] + 1:long[4]] if label == "silence")
assert gap >= 4, f"pause gap of {gap} quarter seconds"
PY
echo "PASS"
