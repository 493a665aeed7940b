#!/usr/bin/env bash
# The CD device of vornap-mci heard through a PulseAudio null sink: each track's tone in
# order, the position the one heard, pause and resume; plain tracks bit for bit and one
# flagged with pre-emphasis with its treble cut as the 50/15 us network cuts it.
set -euo pipefail
VORNAP=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need pulseaudio pactl parecord python3
DISCGEN=$(dirname "$VORNAP")/vornap-discgen
e2e_start_pulse
export VORNAP_HOME=$E2E_TMP/home
mkdir "$VORNAP_HOME" && printf 'E:\\=tones.cue\nF:\\=pre.cue\n' >"$VORNAP_HOME/VornapDrives.dat"
"$DISCGEN" "$VORNAP_HOME/tones.cue" audio:2s:sine=440 audio:3s:sine=660:pregap=0.5s audio:2s:sine=880 >/dev/null
"$DISCGEN" "$VORNAP_HOME/pre.cue" audio:1s:{,pre:,}left=1000:right=10000 >/dev/null # the second one flagged

# Records what the commands of standard input play into $1.wav, their answers into $1.txt.
session() {
    e2e_record "$E2E_TMP/$1.wav" && sleep 0.5
    "$(dirname "$VORNAP")/vornap-mci" >"$E2E_TMP/$1.txt" && sleep 0.5
    e2e_stop_record && cat "$E2E_TMP/$1.txt"
}
open='open E:\ type cdaudio alias cd1 wait shareable'
{ # each group of commands, then the time it waits
    printf '%s\n' "$open" 'set cd1 time format tmsf' 'play cd1 from 1' && sleep 3
    printf '%s\n' 'set cd1 time format milliseconds' 'status cd1 position' 'status cd1 mode' && sleep 6
    printf '%s\n' 'status cd1 mode' 'close all' "$open" 'set cd1 time format tmsf' 'play cd1 from 2' && sleep 1.5
    # Pause holds the position heard and silences the sink; resume goes on.
    printf '%s\n' 'pause cd1' 'status cd1 position' && sleep 1.5
    printf '%s\n' 'status cd1 position' 'close all' "$open" 'resume cd1' && sleep 5
    printf '%s\n' 'status cd1 mode' 'close all'
} | session tones
e2e_tones "$E2E_TMP/tones.wav" >"$E2E_TMP/runs.txt"
printf '%s\n' 'open F:\ type cdaudio alias cd1 wait shareable' 'set cd1 time format tmsf' \
    'play cd1 from 1 wait' 'close all' | session pre
python3 - "$E2E_TMP/tones.txt" "$E2E_TMP/runs.txt" "$VORNAP_HOME/pre.bin" "$E2E_TMP/pre.wav" <<'PY'
import array, math, sys, wave
answers = [l.rstrip("\n").split("\t") for l in open(sys.argv[1])]
assert all(a[0] == "0" for a in answers), f"failed commands: {answers}"
position = int(answers[4][1])
# Three seconds into the disc (2001 ms is its start), as heard, not as read ahead.
assert 2001 + 2000 <= position <= 2001 + 4000, f"position {position}"
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

disc = array.array('h', open(sys.argv[3], 'rb').read())
w = wave.open(sys.argv[4])
heard = array.array('h', w.readframes(w.getnframes()))
track = 44100 * 2  # a second, interleaved

# The disc's first sound is one sample in; the recording's first sound is the
# same sample, after the silence recorded before play.
first = lambda pcm: next(i for i, x in enumerate(pcm) if x) // 2 * 2
at = first(heard) - first(disc)
assert at >= 0 and len(heard) >= at + len(disc), f"recording of {len(heard)} at {at}"
heard = heard[at:at + len(disc)]
for t in (0, 2):
    assert heard[t * track:(t + 1) * track] == disc[t * track:(t + 1) * track], f"track {t + 1} differs"

def level(pcm, channel):  # from a tenth of a second into track 2 to its end
    part = pcm[track + 8820 + channel:2 * track:2]
    return 10 * math.log10(sum(x * x for x in part) / len(part))

analogue = lambda wt: 10 * math.log10((1 + (wt * 15e-6) ** 2) / (1 + (wt * 50e-6) ** 2))

for channel, hz in ((0, 1000), (1, 10000)):
    change, want = level(heard, channel) - level(disc, channel), analogue(2 * math.pi * hz)
    print(f"flagged track, {hz} Hz: {change:+.2f} dB (analogue {want:+.2f} dB)")
    assert abs(change - want) <= 1.0, f"{hz} Hz changed by {change:.2f} dB"
PY
echo "PASS"
