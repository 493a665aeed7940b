#!/usr/bin/env bash
# A track flagged as mastered with pre-emphasis between two plain ones, each
# 1 kHz on the left and 10 kHz on the right, played by vornap-mci into a
# PulseAudio null sink and recorded from its monitor: the plain tracks come
# back bit for bit, the flagged one with its treble cut as the 50/15 us
# network cuts it.
# Usage: mci_emphasis.sh <vornap-mci> <vornap-discgen>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
MCI=$1
DISCGEN=$2
e2e_need pulseaudio pactl parecord python3
WORK=$E2E_TMP
# A home of its own: no volume a desktop session once stored applies here.
HOME=$WORK e2e_start_pulse "$WORK/pulse.log"

mkdir "$WORK/home"
tone=left=1000:right=10000
"$DISCGEN" "$WORK/home/disc.cue" "audio:2s:$tone" "audio:2s:pre:$tone" "audio:2s:$tone" >/dev/null
grep -q 'FLAGS PRE' "$WORK/home/disc.cue"
printf 'E:\\=disc.cue\n' >"$WORK/home/VornapDrives.dat"
export VORNAP_HOME=$WORK/home

e2e_record "$WORK/cap.wav"
sleep 0.5
printf '%s\n' 'open E:\ type cdaudio alias cd1 wait shareable' 'set cd1 time format tmsf' \
    'play cd1 from 1 wait' 'close all' | "$MCI" >"$WORK/answers.txt"
sleep 0.5
e2e_stop_record
cat "$WORK/answers.txt"

python3 - "$WORK/home/disc.bin" "$WORK/cap.wav" <<'PY'
import array, math, sys, wave
disc = array.array('h', open(sys.argv[1], 'rb').read())
w = wave.open(sys.argv[2])
heard = array.array('h', w.readframes(w.getnframes()))
track = 2 * 44100 * 2  # two seconds, interleaved

# The disc's first sound is one sample in; the recording's first sound is the
# same sample, after the silence recorded before play.
first = lambda pcm: next(i for i, x in enumerate(pcm) if x) // 2 * 2
at = first(heard) - first(disc)
assert at >= 0 and len(heard) >= at + len(disc), f"recording of {len(heard)} at {at}"
heard = heard[at:at + len(disc)]
for t in (0, 2):
    span = slice(t * track, (t + 1) * track)
    if heard[span] != disc[span]:
        bad = next(i for i in range(t * track, (t + 1) * track) if heard[i] != disc[i])
        sys.exit(f"track {t + 1} differs from the disc at sample {bad // 2}")

def level(pcm, channel):
    # From a tenth of a second into track 2 to its end.
    part = pcm[track + 8820 + channel:2 * track:2]
    return 10 * math.log10(sum(x * x for x in part) / len(part))

def analogue(hz):
    wt = 2 * math.pi * hz
    return 10 * math.log10((1 + (wt * 15e-6) ** 2) / (1 + (wt * 50e-6) ** 2))

for channel, hz in ((0, 1000), (1, 10000)):
    change = level(heard, channel) - level(disc, channel)
    print(f"flagged track, {hz} Hz: {change:+.2f} dB (analogue {analogue(hz):+.2f} dB)")
    assert abs(change - analogue(hz)) <= 1.0, f"{hz} Hz changed by {change:.2f} dB"
PY
echo "PASS"
